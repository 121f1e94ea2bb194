#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Thumbnails for the picture strips: the whole picture stretched over size (the aspect ratio is not
// kept), smoothly scaled. A JPEG is decoded at the smallest DCT scale that still covers size, so a
// camera picture costs about an eighth-scale decode. Pure functions, safe on any thread; failures
// raise PictureError.
namespace Thumbnail {

constexpr QSize StripSize(58, 58);

QImage fromFile(const QString &path, QSize size = StripSize); // decoder chosen by extension
QImage fromBytes(const QByteArray &bytes, QSize size = StripSize); // decoder chosen by signature
QImage fromImage(const QImage &image, QSize size = StripSize);

} // namespace Thumbnail
