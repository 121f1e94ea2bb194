#pragma once

#include <QByteArray>
#include <QImage>

// Windows bitmap files. Pure functions, safe on any thread; failures raise PictureError.
//
// Reading covers 1, 2, 4, 8, 16, 24, 32 and 64 bits per pixel; RLE8, RLE4 and OS/2 RLE24
// compression; bit-field masks (with alpha); embedded JPEG and PNG files; bottom-up and top-down
// rows; the OS/2 1.x (12-byte) and 2.x (16 to 64-byte) headers and the Windows 40, 52, 56, 108 (V4)
// and 124-byte (V5) headers, whose embedded ICC profile is applied. OS/2 Huffman compression is
// refused. The result is Format_RGB32, or Format_ARGB32 when the file carries a real alpha channel
// (a channel that is zero everywhere is taken as "no alpha", as most writers of such files mean
// it) or is run-length data that leaves pixels unset (transparent, in colour-table entry 0's
// colour).
namespace BmpCodec {

QImage decode(const QByteArray &file);

// A standard 24-bit bitmap file: BITMAPINFOHEADER, bottom-up, rows padded to 4 bytes. Alpha is
// dropped.
QByteArray encode(const QImage &image);

} // namespace BmpCodec
