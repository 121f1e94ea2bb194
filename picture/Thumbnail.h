#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Thumbnails for the picture strips: the whole picture stretched over size (the aspect ratio is not
// kept), smoothly scaled, opaque (transparent parts over white) and in the compact Format_RGB888,
// as strips of many thousand thumbnails keep them all. A JPEG is decoded at the smallest DCT scale
// that still covers size, so a camera picture costs about an eighth-scale decode. Pure functions,
// safe on any thread; failures raise PictureError.
namespace Thumbnail {

constexpr QSize StripSize(58, 58);

QImage fromFile(const QString &path, QSize size = StripSize); // decoder chosen by extension
QImage fromBytes(const QByteArray &bytes, QSize size = StripSize); // decoder chosen by signature
// A picture field's value (the stored form, or a picture file another program stored).
QImage fromStoredValue(const QByteArray &value, QSize size = StripSize);
QImage fromImage(const QImage &image, QSize size = StripSize);

} // namespace Thumbnail
