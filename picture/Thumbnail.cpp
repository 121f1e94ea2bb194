#include "Thumbnail.h"

#include "PictureError.h"
#include "PictureFile.h"
#include "StoredPicture.h"

#include <QPainter>

namespace Thumbnail {

QImage fromFile(const QString &path, QSize size)
{
    return fromImage(PictureFile::load(path, size), size);
}

QImage fromBytes(const QByteArray &bytes, QSize size)
{
    return fromImage(PictureFile::decode(bytes, size), size);
}

QImage fromStoredValue(const QByteArray &value, QSize size)
{
    return fromImage(StoredPicture::decode(value), size);
}

QImage fromImage(const QImage &image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        throw PictureError(QStringLiteral("There is no picture to make a thumbnail of."));
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
