#include "Thumbnail.h"

#include "PictureError.h"
#include "PictureFile.h"

namespace Thumbnail {

QImage fromFile(const QString &path, QSize size)
{
    return fromImage(PictureFile::load(path, size), size);
}

QImage fromBytes(const QByteArray &bytes, QSize size)
{
    return fromImage(PictureFile::decode(bytes, size), size);
}

QImage fromImage(const QImage &image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        throw PictureError(QStringLiteral("There is no picture to make a thumbnail of."));
    if (image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace Thumbnail
