#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// JPEG through libjpeg-turbo: baseline, progressive and arithmetic-coded files in greyscale, YCbCr,
// RGB, CMYK or YCCK. Pure functions, safe on any thread; failures raise PictureError. A file whose
// image data is cut short or corrupt is an error, never a partly grey picture.
namespace JpegCodec {

// The picture upright, as its EXIF orientation says it was taken (a damaged EXIF block is
// ignored). maxSize empty: full size, as Format_RGB32. Otherwise the decoder uses DCT scaling
// (1/2, 1/4 or 1/8) to the smallest scale whose result still covers maxSize in both directions;
// the caller scales the rest of the way.
QImage decode(const QByteArray &file, QSize maxSize = {});
// The same, with the pixels as stored, whatever the EXIF block says.
QImage decodeAsStored(const QByteArray &file, QSize maxSize = {});

// The upright size the file declares, from its headers alone (no pixel data is decoded).
QSize imageSize(const QByteArray &file);

// Baseline 4:2:0 at the given quality (1–100); alpha is dropped.
QByteArray encode(const QImage &image, int quality = 90);

} // namespace JpegCodec
