#include "picture/Thumbnail.h"

#include "picture/Exif.h"
#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cmath>

namespace Thumbnail {

namespace {

constexpr double AspectTolerance = 0.01;

// Starts a packed thumbnail that is a small stored value kept as it is (a JPEG starts FF D8).
const QByteArray KeptValueMark = QByteArrayLiteral("TVK:");

// The embedded thumbnail, upright, when it may stand for the picture; else a null image.
QImage embeddedThumbnail(const QByteArray &jpegFile, QSize pictureSize, QSize size)
{
    const Exif::Info info = Exif::read(jpegFile);
    if (info.thumbnail.isEmpty())
        return {};
    try {
        const QImage stored = JpegCodec::decodeAsStored(info.thumbnail);
        const QSize upright = Exif::orientedSize(stored.size(), info.orientation);
        if (!embeddedThumbnailFits(upright, pictureSize, size))
            return {};
        return Exif::oriented(stored, info.orientation);
    } catch (const PictureError &) {
        return {}; // a damaged thumbnail: the picture itself is decoded
    }
}

Reduced reducedJpeg(const QByteArray &bytes, QSize size)
{
    const QSize pictureSize = JpegCodec::imageSize(bytes);
    const QImage embedded = embeddedThumbnail(bytes, pictureSize, size);
    return {embedded.isNull() ? JpegCodec::decode(bytes, size) : embedded, pictureSize};
}

QImage fromJpeg(const QByteArray &bytes, QSize size)
{
    return fromImage(reducedJpeg(bytes, size).image, size);
}

Reduced reducedOther(const QString &path, QSize size)
{
    const QImage image = PictureFile::load(path, size);
    return {image, image.size()};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QCoreApplication::translate("Thumbnail", "The picture file “%1” cannot be read: %2.")
                               .arg(path, file.errorString()));
    return file.readAll();
}

} // namespace

QByteArray pack(const QImage &thumbnail)
{
    return thumbnail.isNull() ? QByteArray() : JpegCodec::encode(thumbnail, 90);
}

QImage unpack(const QByteArray &packed)
{
    if (packed.startsWith(KeptValueMark))
        return fromStoredValue(packed.sliced(KeptValueMark.size()));
    return packed.isEmpty() ? QImage() : JpegCodec::decodeAsStored(packed);
}

QByteArray packStoredValue(const QByteArray &value, const QImage &thumbnail)
{
    if (value.size() <= KeptValueBytes && thumbnail.size() == StripSize)
        return KeptValueMark + value;
    return pack(thumbnail);
}

bool embeddedThumbnailFits(QSize thumb, QSize picture, QSize size)
{
    if (thumb.isEmpty() || picture.isEmpty())
        return false;
    if (std::min(thumb.width(), thumb.height()) < std::max(size.width(), size.height()))
        return false;
    const double thumbAspect = double(thumb.width()) / thumb.height();
    const double pictureAspect = double(picture.width()) / picture.height();
    return std::abs(thumbAspect / pictureAspect - 1.0) <= AspectTolerance;
}

QImage fromFile(const QString &path, QSize size)
{
    return fromImage(reducedFromFile(path, size).image, size);
}

Reduced reducedFromFile(const QString &path, QSize size)
{
    const QString suffix = QFileInfo(path).suffix();
    const bool jpeg = suffix.compare(u"jpg", Qt::CaseInsensitive) == 0
        || suffix.compare(u"jpeg", Qt::CaseInsensitive) == 0;
    if (!jpeg)
        return reducedOther(path, size);
    const QByteArray bytes = readFile(path);
    if (PictureFile::formatOf(bytes) != PictureFile::Format::Jpeg)
        return reducedOther(path, size); // its own message for a non-JPEG
    return reducedJpeg(bytes, size);
}

QImage fromBytes(const QByteArray &bytes, QSize size)
{
    if (PictureFile::formatOf(bytes) == PictureFile::Format::Jpeg)
        return fromJpeg(bytes, size);
    return fromImage(PictureFile::decode(bytes, size), size);
}

QImage fromStoredValue(const QByteArray &value, QSize size)
{
    // The picture itself, never an embedded thumbnail: a value is readable exactly when its
    // picture decodes.
    return fromImage(StoredPicture::decode(value, size), size);
}

QImage fromImage(const QImage &image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        throw PictureError(QCoreApplication::translate("Thumbnail", "There is no picture to make a thumbnail of."));
    QImage scaled = image.size() == size
        ? image
        : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.hasAlphaChannel()) {
        QImage opaque(size, QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, scaled);
        scaled = opaque;
    }
    return scaled.convertToFormat(QImage::Format_RGB888);
}

} // namespace Thumbnail
