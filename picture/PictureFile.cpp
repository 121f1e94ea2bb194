#include "PictureFile.h"

#include "BmpCodec.h"
#include "JpegCodec.h"
#include "PictureError.h"
#include "PictureLimits.h"

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
        throw PictureError(QStringLiteral("The %1 picture cannot be read: %2.")
                               .arg(QLatin1String(formatName), reader.errorString()));
    PictureLimits::check(declared.width(), declared.height(), formatName);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw PictureError(QStringLiteral("The %1 picture cannot be read: %2.")
                               .arg(QLatin1String(formatName), reader.errorString()));
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace

bool isPictureFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg";
}

QImage load(const QString &path, QSize maxSize)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool bitmap = suffix == u"bmp";
    if (!bitmap && suffix != u"jpg" && suffix != u"jpeg")
        throw PictureError(QStringLiteral("\"%1\" is not a JPEG or bitmap file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QStringLiteral("Cannot open the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PictureError(QStringLiteral("Cannot read the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    return bitmap ? BmpCodec::decode(bytes) : JpegCodec::decode(bytes, maxSize);
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
        return decodeWithQt(bytes, "gif", "GIF");
    case Format::Unknown:
        break;
    }
    throw PictureError(QStringLiteral("The data is not a picture: it is neither a bitmap nor a "
                                      "JPEG, PNG or GIF file."));
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
