#include "picture/PictureLimits.h"

#include <QCoreApplication>

#include "picture/PictureError.h"

namespace PictureLimits {

void check(qint64 width, qint64 height, const char *format)
{
    if (width <= 0 || height <= 0)
        throw PictureError(QCoreApplication::translate("PictureLimits", "The %1 picture declares an empty size (%2 × %3).")
                               .arg(QLatin1String(format))
                               .arg(width)
                               .arg(height));
    if (width > MaxSide || height > MaxSide || width * height > MaxPixels)
        throw PictureError(
            QCoreApplication::translate("PictureLimits", "The %1 picture declares a size of %2 × %3 pixels, beyond the %4 "
                           "megapixels this program opens.")
                .arg(QLatin1String(format))
                .arg(width)
                .arg(height)
                .arg(MaxPixels / (1024 * 1024)));
}

} // namespace PictureLimits
