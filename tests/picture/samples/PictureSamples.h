#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

// Picture files made on the spot for the tests, the fuzzer's seed corpus and the benchmark: JPEGs
// in every variant libjpeg-turbo can write, and bitmap files in every layout the reader accepts,
// built byte by byte so that they do not depend on the reader under test.
namespace PictureSamples {

// Four flat quadrants (red, green / blue, white): large even areas keep JPEG's losses small, so a
// test can read colours back at the quadrant centres.
QImage quadrants(QSize size);
QList<QRgb> quadrantColours(); // top-left, top-right, bottom-left, bottom-right
// A picture of one colour.
QImage solid(QSize size, QRgb colour);
// Whether every channel of `actual` is within `tolerance` of `expected` (what lossy coding leaves).
bool near(QRgb actual, QRgb expected, int tolerance);

// Stripes from the eight colours whose channels are all 0 or 255 (exact in every bitmap depth):
// a run of four equal pixels at the start of each row, then changing ones, so that run-length
// encoding uses both its run and its literal forms. colourCount ≤ 8.
QImage stripes(QSize size, int colourCount);

// Cmyk and Ycck carry an Adobe marker and inverted values, as Photoshop writes them; CmykPlain has
// neither.
enum class JpegKind { Baseline, Progressive, Greyscale, Cmyk, Ycck, CmykPlain, Arithmetic };
QByteArray jpeg(const QImage &image, JpegKind kind, int quality = 90);

// The JPEG file with an EXIF block (written by libexif) inserted after its start marker: the
// orientation tag (0 = none) and, when given, an embedded JPEG thumbnail.
QByteArray withExif(const QByteArray &jpegFile, int orientation, const QByteArray &thumbnail = {});
// An EXIF block whose directory offsets point outside it, as a damaged camera file has.
QByteArray withDamagedExif(const QByteArray &jpegFile);

// A PNG file written by Qt, and a GIF89a file written byte by byte (Qt reads GIF but cannot write
// it). The GIF takes the image's colours as its palette, so they must be at most 256.
QByteArray png(const QImage &image);
QByteArray gif(const QImage &image);

enum class BmpKind {
    Indexed1,
    Indexed2, // Windows CE
    Indexed4,
    Indexed8,
    Rle4,
    Rle8,
    Rgb555, // 16 bits, no masks
    Bitfields565, // 16 bits, masks after a 40-byte header
    Rgb24,
    Rgb24TopDown, // negative height
    Rgb32, // 32 bits, fourth byte unused
    Bitfields32V4, // 108-byte header with an alpha mask
    Bitfields32V5, // 124-byte header with an alpha mask
    AlphaBitfields, // 40-byte header, four masks
    Os2Core8, // 12-byte header, three-byte palette entries
    Os2Core24,
    Os2Version2Indexed8, // 64-byte header
    Os2Short4, // 16-byte OS/2 2.x header
    Os2Rle24, // 64-byte OS/2 2.x header, 24-bit runs
    Rgba64, // 16-bit linear channels in s2.13 fixed point
    EmbeddedJpeg, // V5 header; the pixel data is a baseline JPEG file (see jpeg())
    EmbeddedPng, // V5 header; the pixel data is a PNG file (see png())
};
// Indexed kinds take their palette from the image's opaque colours in order of first appearance,
// top row first; the colours must fit the depth. Run-length kinds skip the image's transparent
// pixels (alpha 0) with jumps, line ends and an early end of bitmap; other kinds need an opaque
// image unless they carry alpha.
QByteArray bmp(const QImage &image, BmpKind kind);
// A 24-bit file with a V5 header that embeds the ICC profile, after the pixels.
QByteArray bmpWithProfile(const QImage &image, const QByteArray &iccProfile);

} // namespace PictureSamples
