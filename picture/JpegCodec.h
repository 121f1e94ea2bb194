#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// JPEG through libjpeg-turbo. Pure functions, safe on any thread; failures raise PictureError.
namespace JpegCodec {

// maxSize empty: full size. Otherwise the decoder uses DCT scaling to the smallest scale whose
// result still covers maxSize (the caller scales the rest of the way).
QImage decode(const QByteArray &file, QSize maxSize = {});
QByteArray encode(const QImage &image, int quality = 90);

} // namespace JpegCodec
