#include "picture/StoredPicture.h"

#include "picture/BmpCodec.h"
#include "picture/PictureFile.h"

#include <QtEndian>

namespace StoredPicture {

namespace {
constexpr int HeaderSize = 8;
// The field codes that carry the graphic header: graphic and typed binary.
constexpr int GraphicCode = 17;
constexpr int TypedBinaryCode = 21;
} // namespace

QByteArray encode(const QImage &image, int fieldTypeCode)
{
    if (image.isNull())
        return {};
    const QByteArray bitmap = BmpCodec::encode(image);
    if (fieldTypeCode != GraphicCode && fieldTypeCode != TypedBinaryCode)
        return bitmap;
    QByteArray value(HeaderSize, '\0');
    uchar *h = reinterpret_cast<uchar *>(value.data());
    qToLittleEndian<quint16>(1, h);
    qToLittleEndian<quint16>(0x0100, h + 2);
    qToLittleEndian<quint32>(quint32(bitmap.size()), h + 4);
    return value + bitmap;
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

} // namespace StoredPicture
