#include "DBInputPic/PictureToStore.h"

#include <QPainter>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace PictureToStore {

namespace {

bool fits(QSize size)
{
    return size.width() <= SizeLimit && size.height() <= SizeLimit;
}

// Nearest integer, a half to the even neighbour (the default rounding mode of the FPU).
int roundHalfEven(long double value)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return int(rounded);
}

} // namespace

QSize scaledSize(QSize picture)
{
    const long double w = picture.width();
    const long double h = picture.height();
    if (h < w)
        return {SizeLimit, std::max(1, roundHalfEven(h / w * SizeLimit))};
    return {std::max(1, roundHalfEven(w / h * SizeLimit)), SizeLimit};
}

QImage fitted(const QImage &picture)
{
    if (picture.isNull() || fits(picture.size()))
        return picture;
    return picture.scaled(
        scaledSize(picture.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage visiblePart(const QImage &picture, QPoint viewPos)
{
    QImage part(SizeLimit, SizeLimit, QImage::Format_RGB32);
    part.fill(Qt::white);
    QPainter p(&part);
    p.drawImage(QPoint(0, 0), picture, QRect(-viewPos.x(), -viewPos.y(), SizeLimit, SizeLimit));
    return part;
}

QImage forColumnCopy(const QImage &picture, bool fitMode, QPoint viewPos)
{
    if (picture.isNull() || fits(picture.size()))
        return picture;
    return fitMode ? fitted(picture) : visiblePart(picture, viewPos);
}

} // namespace PictureToStore
