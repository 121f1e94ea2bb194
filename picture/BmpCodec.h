#pragma once

#include <QByteArray>
#include <QImage>

// Windows bitmap files. Pure functions, safe on any thread; failures raise PictureError.
namespace BmpCodec {

QImage decode(const QByteArray &file);
QByteArray encode(const QImage &image); // a standard 24-bit bottom-up bitmap file

} // namespace BmpCodec
