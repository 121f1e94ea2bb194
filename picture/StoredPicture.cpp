#include "picture/StoredPicture.h"

#include "picture/BmpCodec.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

namespace StoredPicture {

namespace {
constexpr int HeaderSize = 8;
// The field codes that carry the graphic header: graphic and typed binary.
constexpr int GraphicCode = 17;
constexpr int TypedBinaryCode = 21;

bool carriesHeader(int fieldTypeCode)
{
    return fieldTypeCode == GraphicCode || fieldTypeCode == TypedBinaryCode;
}

QByteArray withHeaderFor(const QByteArray &bitmap, int fieldTypeCode)
{
    if (!carriesHeader(fieldTypeCode))
        return bitmap;
    QByteArray value(HeaderSize, '\0');
    uchar *h = reinterpret_cast<uchar *>(value.data());
    qToLittleEndian<quint16>(1, h);
    qToLittleEndian<quint16>(0x0100, h + 2);
    qToLittleEndian<quint32>(quint32(bitmap.size()), h + 4);
    return value + bitmap;
}

// As the windows convert a picture file before storing it: drawn onto a white bitmap of its size.
QImage onWhite(const QImage &picture)
{
    if (!picture.hasAlphaChannel())
        return picture;
    QImage bitmap(picture.size(), QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QPainter(&bitmap).drawImage(0, 0, picture);
    return bitmap;
}

QByteArray pngFile(const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw PictureError(QCoreApplication::translate(
            "StoredPicture", "The picture cannot be written as a PNG file: %1.")
                               .arg(writer.errorString()));
    return buffer.data();
}

QByteArray bitmapValue(const PictureSource &source, int fieldTypeCode)
{
    if (!source.image.isNull())
        return encode(source.image, fieldTypeCode);
    const QByteArray file = bitmapPart(source.bytes);
    const PictureFile::Format format = PictureFile::formatOf(file);
    if (format == PictureFile::Format::Bitmap) {
        if (source.kind == PictureSource::Kind::Value) {
            BmpCodec::decode(file); // a value that is not a readable bitmap is not carried on
            return withHeaderFor(file, fieldTypeCode);
        }
        return encode(BmpCodec::decode(file), fieldTypeCode);
    }
    return encode(onWhite(PictureFile::decode(file)), fieldTypeCode);
}

QByteArray fileValue(const PictureSource &source)
{
    const QByteArray file = bitmapPart(source.bytes);
    if (PictureFile::formatOf(file) != PictureFile::Format::Unknown)
        return source.bytes;
    if (!source.image.isNull())
        return pngFile(source.image);
    PictureFile::decode(file); // raises: the bytes are no picture
    return {};
}

} // namespace

QByteArray encode(const QImage &image, int fieldTypeCode)
{
    if (image.isNull())
        return {};
    return withHeaderFor(BmpCodec::encode(image), fieldTypeCode);
}

bool hasGraphicHeader(const QByteArray &value)
{
    if (value.size() < HeaderSize)
        return false;
    const uchar *h = reinterpret_cast<const uchar *>(value.constData());
    return qFromLittleEndian<quint16>(h) == 1 && qFromLittleEndian<quint16>(h + 2) == 0x0100
        && qFromLittleEndian<quint32>(h + 4) == quint32(value.size() - HeaderSize);
}

QByteArray bitmapPart(const QByteArray &value)
{
    return hasGraphicHeader(value) ? value.mid(HeaderSize) : value;
}

QImage decode(const QByteArray &value, QSize maxSize)
{
    if (value.isEmpty())
        return {};
    return PictureFile::decode(bitmapPart(value), maxSize);
}

QByteArray valueFor(PictureForm form, int fieldTypeCode, const PictureSource &source)
{
    if (source.isEmpty())
        return {};
    return form == PictureForm::File ? fileValue(source) : bitmapValue(source, fieldTypeCode);
}

} // namespace StoredPicture
