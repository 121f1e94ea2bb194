#include "BmpCodec.h"

#include "PictureError.h"

#include <QBuffer>

namespace BmpCodec {

QImage decode(const QByteArray &file)
{
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        throw PictureError(QStringLiteral("The data is not a readable bitmap."));
    return image.convertToFormat(QImage::Format_RGB32);
}

QByteArray encode(const QImage &image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw PictureError(QStringLiteral("The picture could not be written as a bitmap."));
    return out;
}

} // namespace BmpCodec
