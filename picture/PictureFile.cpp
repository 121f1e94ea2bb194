#include "picture/PictureFile.h"

#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace PictureFile {

namespace {

// PNG and GIF through Qt's own readers; the size they declare is checked before any pixel is
// decoded, as for the other formats.
QImage decodeWithQt(const QByteArray &bytes, const char *format, const char *formatName)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(false);
    const QSize declared = reader.size();
    if (!declared.isValid())
        throw PictureError(QCoreApplication::translate("PictureFile", "The %1 picture cannot be read: %2.")
                               .arg(QLatin1String(formatName), reader.errorString()));
    PictureLimits::check(declared.width(), declared.height(), formatName);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw PictureError(QCoreApplication::translate("PictureFile", "The %1 picture cannot be read: %2.")
                               .arg(QLatin1String(formatName), reader.errorString()));
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// Qt's GIF reader fills a frame whose data is cut short and reports success. Walking the blocks
// up to the end of the first frame's image data tells a whole file from a truncated one.
bool gifFirstFrameIsWhole(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 13; // signature, logical screen descriptor
    if (n < i)
        return false;
    const auto colourTable = [](uchar flags) {
        return (flags & 0x80) ? 3 << ((flags & 7) + 1) : 0;
    };
    i += colourTable(p[10]);
    const auto skipSubBlocks = [&]() {
        while (i < n && p[i] != 0)
            i += 1 + p[i];
        if (i >= n)
            return false;
        ++i; // the empty block that ends them
        return true;
    };
    while (i < n) {
        if (p[i] == 0x21) { // extension: label, then sub-blocks
            i += 2;
            if (!skipSubBlocks())
                return false;
        } else if (p[i] == 0x2c) { // image: descriptor, local colour table, code size, data
            if (i + 10 > n)
                return false;
            const uchar flags = p[i + 9];
            i += 10 + colourTable(flags) + 1;
            return i <= n && skipSubBlocks();
        } else {
            return false; // a trailer before any image, or no block at all
        }
    }
    return false;
}

// True for ".bmp", false for ".jpg" and ".jpeg"; any other name raises.
bool isBitmapByName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"bmp")
        return true;
    if (suffix != u"jpg" && suffix != u"jpeg")
        throw PictureError(QCoreApplication::translate("PictureFile", "\"%1\" is not a JPEG or bitmap file.").arg(path));
    return false;
}

} // namespace

bool isPictureFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg";
}

QImage load(const QString &path, QSize maxSize)
{
    isBitmapByName(path); // a name of another kind is refused before the file is read
    return decodeNamed(read(path), path, maxSize);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QCoreApplication::translate("PictureFile", "Cannot open the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PictureError(QCoreApplication::translate("PictureFile", "Cannot read the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    return bytes;
}

QImage decodeNamed(const QByteArray &bytes, const QString &path, QSize maxSize)
{
    return isBitmapByName(path) ? BmpCodec::decode(bytes) : JpegCodec::decode(bytes, maxSize);
}

QImage decode(const QByteArray &bytes, QSize maxSize)
{
    switch (formatOf(bytes)) {
    case Format::Bitmap:
        return BmpCodec::decode(bytes);
    case Format::Jpeg:
        return JpegCodec::decode(bytes, maxSize);
    case Format::Png:
        return decodeWithQt(bytes, "png", "PNG");
    case Format::Gif:
        if (!gifFirstFrameIsWhole(bytes))
            throw PictureError(
                QCoreApplication::translate("PictureFile", "The GIF picture cannot be read: its image data is incomplete."));
        return decodeWithQt(bytes, "gif", "GIF");
    case Format::Unknown:
        break;
    }
    throw PictureError(QCoreApplication::translate("PictureFile", "The data is not a picture: it is neither a bitmap nor a "
                                      "JPEG, PNG or GIF file."));
}

QSize declaredSize(const QByteArray &bytes)
{
    switch (formatOf(bytes)) {
    case Format::Jpeg:
        return JpegCodec::imageSize(bytes);
    case Format::Png:
    case Format::Gif: {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const bool png = formatOf(bytes) == Format::Png;
        QImageReader reader(&buffer, png ? "png" : "gif");
        reader.setDecideFormatFromContent(false);
        const QSize size = reader.size();
        if (!size.isValid())
            throw PictureError(
                QCoreApplication::translate("PictureFile", "The %1 picture cannot be read: %2.")
                    .arg(QLatin1String(png ? "PNG" : "GIF"), reader.errorString()));
        return size;
    }
    case Format::Bitmap:
    case Format::Unknown:
        break;
    }
    return decode(bytes).size();
}

Format formatOf(const QByteArray &bytes)
{
    if (bytes.startsWith("BM"))
        return Format::Bitmap;
    if (bytes.startsWith("\xff\xd8\xff"))
        return Format::Jpeg;
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Format::Png;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return Format::Gif;
    return Format::Unknown;
}

} // namespace PictureFile
