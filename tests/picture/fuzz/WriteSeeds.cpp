// Writes the fuzzer's seed corpus: a small file of every JPEG and bitmap variant the decoders
// know (bitmaps skipping pixels and carrying a colour profile among them), JPEGs with EXIF blocks
// whole and damaged, PNG and GIF files, and stored field values with and without the graphic
// header.
#include "picture/BmpCodec.h"
#include "picture/StoredPicture.h"
#include "tests/picture/samples/PictureSamples.h"

#include <QByteArray>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <cstdio>

using PictureSamples::BmpKind;
using PictureSamples::JpegKind;

namespace {

bool write(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed directory>\n", argv[0]);
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    const QImage photo = PictureSamples::quadrants(QSize(24, 16));
    const QImage striped = PictureSamples::stripes(QSize(9, 5), 8);
    const std::pair<const char *, JpegKind> jpegs[] = {{"baseline", JpegKind::Baseline},
        {"progressive", JpegKind::Progressive}, {"greyscale", JpegKind::Greyscale},
        {"cmyk", JpegKind::Cmyk}, {"ycck", JpegKind::Ycck}, {"arithmetic", JpegKind::Arithmetic}};
    const std::pair<const char *, BmpKind> bitmaps[] = {{"indexed1", BmpKind::Indexed1},
        {"indexed2", BmpKind::Indexed2}, {"indexed4", BmpKind::Indexed4},
        {"indexed8", BmpKind::Indexed8}, {"rle4", BmpKind::Rle4}, {"rle8", BmpKind::Rle8},
        {"rgb555", BmpKind::Rgb555}, {"bitfields565", BmpKind::Bitfields565},
        {"rgb24", BmpKind::Rgb24}, {"rgb24-topdown", BmpKind::Rgb24TopDown},
        {"rgb32", BmpKind::Rgb32}, {"v4", BmpKind::Bitfields32V4}, {"v5", BmpKind::Bitfields32V5},
        {"alphabitfields", BmpKind::AlphaBitfields}, {"os2-core8", BmpKind::Os2Core8},
        {"os2-core24", BmpKind::Os2Core24}, {"os2-v2", BmpKind::Os2Version2Indexed8},
        {"os2-short4", BmpKind::Os2Short4}, {"os2-rle24", BmpKind::Os2Rle24},
        {"rgba64", BmpKind::Rgba64}, {"embedded-jpeg", BmpKind::EmbeddedJpeg},
        {"embedded-png", BmpKind::EmbeddedPng}};

    bool ok = true;
    for (const auto &[name, kind] : jpegs)
        ok &= write(dir, QStringLiteral("jpeg-%1.jpg").arg(QLatin1String(name)),
            PictureSamples::jpeg(photo, kind, 75));
    for (const auto &[name, kind] : bitmaps) {
        const int colours = kind == BmpKind::Indexed1 ? 2 : kind == BmpKind::Indexed2 ? 4 : 8;
        const QImage picture
            = colours < 8 ? PictureSamples::stripes(QSize(9, 5), colours) : striped;
        ok &= write(dir, QStringLiteral("bmp-%1.bmp").arg(QLatin1String(name)),
            PictureSamples::bmp(picture, kind));
    }
    // Run-length files that skip pixels with jumps, line ends and an early end of bitmap, and a
    // file with an ICC profile.
    QImage holes = striped.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < holes.width(); ++x)
        holes.setPixel(x, 0, 0);
    holes.setPixel(5, 2, 0);
    for (const auto &[name, kind] : {std::pair {"rle4", BmpKind::Rle4}, {"rle8", BmpKind::Rle8},
             {"os2-rle24", BmpKind::Os2Rle24}})
        ok &= write(dir, QStringLiteral("bmp-%1-skipping.bmp").arg(QLatin1String(name)),
            PictureSamples::bmp(holes, kind));
    ok &= write(dir, QStringLiteral("bmp-profile.bmp"),
        PictureSamples::bmpWithProfile(striped, QColorSpace(QColorSpace::AdobeRgb).iccProfile()));
    const QByteArray thumbnail
        = PictureSamples::jpeg(PictureSamples::quadrants(QSize(8, 6)), JpegKind::Baseline, 60);
    ok &= write(dir, QStringLiteral("jpeg-exif-turned.jpg"),
        PictureSamples::withExif(
            PictureSamples::jpeg(photo, JpegKind::Baseline, 75), 6, thumbnail));
    ok &= write(dir, QStringLiteral("jpeg-exif-damaged.jpg"),
        PictureSamples::withDamagedExif(PictureSamples::jpeg(photo, JpegKind::Baseline, 75)));
    ok &= write(dir, QStringLiteral("picture.png"), PictureSamples::png(photo));
    ok &= write(dir, QStringLiteral("picture.gif"), PictureSamples::gif(photo));
    ok &= write(dir, QStringLiteral("stored-graphic.bin"), StoredPicture::encode(striped, 17));
    ok &= write(dir, QStringLiteral("stored-blob.bin"), StoredPicture::encode(striped, 15));
    if (!ok) {
        std::fprintf(stderr, "cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
