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
};
// Indexed kinds take their palette from the image's colours, which must fit the depth.
QByteArray bmp(const QImage &image, BmpKind kind);

} // namespace PictureSamples
