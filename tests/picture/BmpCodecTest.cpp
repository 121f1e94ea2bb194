#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QtEndian>

using PictureSamples::BmpKind;

Q_DECLARE_METATYPE(BmpKind)

namespace {

QImage withAlpha(const QImage &image)
{
    // Opaque, clear and two-thirds: values every alpha depth used here holds exactly.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const int alphas[3] = {255, 0, 170};
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            out.setPixel(x, y, qRgba(qRed(c), qGreen(c), qBlue(c), alphas[(x + y) % 3]));
        }
    return out;
}

// Transparent pixels for the run-length writer to skip: the top row (an early end of bitmap, rows
// being stored bottom first), a gap inside the next row (a jump) and the end of the row after it
// (a line end). They read back in the colour of colour-table entry 0 (the first opaque colour
// from the top, as the writer orders its table), or black for RLE24, which has no table.
QImage withHoles(const QImage &image, bool paletted)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < out.width(); ++x)
        out.setPixel(x, 0, 0);
    out.setPixel(5, 1, 0);
    out.setPixel(6, 1, 0);
    for (int x = 6; x < out.width(); ++x)
        out.setPixel(x, 2, 0);
    const QRgb background = paletted ? out.pixel(0, 1) & 0x00ffffff : 0;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (qAlpha(out.pixel(x, y)) == 0)
                out.setPixel(x, y, background);
    return out;
}

QImage swappedRedAndGreen(const QImage &image)
{
    QImage out = image;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            out.setPixel(x, y, qRgba(qGreen(c), qRed(c), qBlue(c), qAlpha(c)));
        }
    return out;
}

// PNG chunks end with a CRC-32 of their type and data.
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffff;
    for (const char b : bytes) {
        crc ^= uchar(b);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance && qAbs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

QString firstDifference(const QImage &actual, const QImage &expected, int tolerance = 0)
{
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (!near(actual.pixel(x, y), expected.pixel(x, y), tolerance))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16)
                    .arg(expected.pixel(x, y), 8, 16);
    return {};
}

void setU32(QByteArray &file, int at, quint32 v)
{
    qToLittleEndian(v, reinterpret_cast<uchar *>(file.data()) + at);
}

// A bitmap whose pixel data is the given bytes, with the given compression and bits per pixel.
QByteArray withPixelData(
    QByteArray file, const QByteArray &pixels, quint32 compression, int bitCount)
{
    const int dataOffset = qFromLittleEndian<qint32>(file.constData() + 10);
    file.truncate(dataOffset);
    file.append(pixels);
    setU32(file, 2, quint32(file.size()));
    setU32(file, 30, compression);
    setU32(file, 34, quint32(pixels.size()));
    file[28] = char(bitCount);
    return file;
}

QString errorOf(const QByteArray &file)
{
    try {
        BmpCodec::decode(file);
    } catch (const PictureError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

class BmpCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void everyVariantDecodesToItsPixels_data();
    void everyVariantDecodesToItsPixels();
    void handWrittenBottomUpFileHasItsRowsAndChannelsInPlace();
    void runLengthJumpsAndLineEndsLeaveSkippedPixelsTransparent();
    void runLengthDataMayLackOnlyItsEndOfBitmap();
    void sixtyFourBitPixelsAreLinearLightBroughtToSrgb();
    void anAlphaChannelThatIsZeroEverywhereMeansOpaque_data();
    void anAlphaChannelThatIsZeroEverywhereMeansOpaque();
    void embeddedJpegAndPngFilesAreReadByTheirOwnDecoders_data();
    void embeddedJpegAndPngFilesAreReadByTheirOwnDecoders();
    void anEmbeddedColourProfileBringsThePixelsToSrgb_data();
    void anEmbeddedColourProfileBringsThePixelsToSrgb();
    void damagedFilesGiveAClearError_data();
    void damagedFilesGiveAClearError();
    void writtenFilesAreStandardTwentyFourBitBitmaps_data();
    void writtenFilesAreStandardTwentyFourBitBitmaps();
};

void BmpCodecTest::everyVariantDecodesToItsPixels_data()
{
    QTest::addColumn<BmpKind>("kind");
    QTest::addColumn<QImage>("picture");
    // Odd widths make every depth pad its rows.
    const QSize size(9, 5);
    QTest::newRow("1 bit") << BmpKind::Indexed1 << PictureSamples::stripes(size, 2);
    QTest::newRow("2 bits") << BmpKind::Indexed2 << PictureSamples::stripes(size, 4);
    QTest::newRow("4 bits") << BmpKind::Indexed4 << PictureSamples::stripes(size, 8);
    QTest::newRow("8 bits") << BmpKind::Indexed8 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE4") << BmpKind::Rle4 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE8") << BmpKind::Rle8 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE8 odd literal") << BmpKind::Rle8 << PictureSamples::stripes(QSize(7, 4), 5);
    QTest::newRow("RLE4 skipping pixels")
        << BmpKind::Rle4 << withHoles(PictureSamples::stripes(size, 8), true);
    QTest::newRow("RLE8 skipping pixels")
        << BmpKind::Rle8 << withHoles(PictureSamples::stripes(size, 8), true);
    QTest::newRow("OS/2 RLE24") << BmpKind::Os2Rle24 << PictureSamples::stripes(size, 8);
    QTest::newRow("OS/2 RLE24 skipping pixels")
        << BmpKind::Os2Rle24 << withHoles(PictureSamples::stripes(size, 8), false);
    QTest::newRow("16 bits 5-5-5") << BmpKind::Rgb555 << PictureSamples::stripes(size, 8);
    QTest::newRow("16 bits 5-6-5 bit-fields")
        << BmpKind::Bitfields565 << PictureSamples::stripes(size, 8);
    QTest::newRow("24 bits") << BmpKind::Rgb24 << PictureSamples::quadrants(QSize(7, 6));
    QTest::newRow("24 bits top-down")
        << BmpKind::Rgb24TopDown << PictureSamples::quadrants(QSize(7, 6));
    QTest::newRow("32 bits") << BmpKind::Rgb32 << PictureSamples::quadrants(QSize(7, 6));
    QTest::newRow("V4 RGBA masks")
        << BmpKind::Bitfields32V4 << withAlpha(PictureSamples::stripes(size, 8));
    QTest::newRow("V5 BGRA masks")
        << BmpKind::Bitfields32V5 << withAlpha(PictureSamples::stripes(size, 8));
    QTest::newRow("alpha bit-fields 10-10-10-2")
        << BmpKind::AlphaBitfields << withAlpha(PictureSamples::stripes(size, 8));
    QTest::newRow("64 bits") << BmpKind::Rgba64 << withAlpha(PictureSamples::stripes(size, 8));
    QTest::newRow("OS/2 1.x 8 bits") << BmpKind::Os2Core8 << PictureSamples::stripes(size, 8);
    QTest::newRow("OS/2 1.x 24 bits")
        << BmpKind::Os2Core24 << PictureSamples::quadrants(QSize(7, 6));
    QTest::newRow("OS/2 2.x 64-byte header")
        << BmpKind::Os2Version2Indexed8 << PictureSamples::stripes(size, 8);
    QTest::newRow("OS/2 2.x 16-byte header")
        << BmpKind::Os2Short4 << PictureSamples::stripes(size, 8);
}

void BmpCodecTest::everyVariantDecodesToItsPixels()
{
    QFETCH(BmpKind, kind);
    QFETCH(QImage, picture);
    const QByteArray file = PictureSamples::bmp(picture, kind);

    const QImage decoded = BmpCodec::decode(file);
    QCOMPARE(decoded.size(), picture.size());
    QCOMPARE(decoded.hasAlphaChannel(), picture.hasAlphaChannel());
    const QString difference = firstDifference(decoded, picture);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // The sample file itself is checked against Qt's reader wherever that reader knows the variant,
    // so a mistake in building it cannot hide behind the same mistake in reading it. (Qt widens
    // 5-bit channels by shifting, so 31 reads as 248 there.)
    const QImage oracle = QImage::fromData(file, "BMP");
    if (!oracle.isNull() && !picture.hasAlphaChannel()) {
        const QString disagreement
            = firstDifference(oracle.convertToFormat(QImage::Format_RGB32), picture, 7);
        QVERIFY2(disagreement.isEmpty(), qPrintable("Qt's reader: " + disagreement));
    }
}

void BmpCodecTest::handWrittenBottomUpFileHasItsRowsAndChannelsInPlace()
{
    // 2 × 2, 24 bits: bottom row blue, red; top row green, white. Each row is 6 bytes plus 2 of
    // padding.
    const QByteArray file = QByteArray::fromHex(
        "424d 46000000 00000000 36000000"
        "28000000 02000000 02000000 0100 1800 00000000 10000000 130b0000 130b0000 00000000 00000000"
        "ff0000 0000ff 0000"
        "00ff00 ffffff 0000");
    const QImage image = BmpCodec::decode(file);
    QCOMPARE(image.size(), QSize(2, 2));
    QCOMPARE(image.pixel(0, 0), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(1, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(1, 1), qRgb(255, 0, 0));
}

void BmpCodecTest::runLengthJumpsAndLineEndsLeaveSkippedPixelsTransparent()
{
    // 4 × 3, RLE8, palette: 0 purple, 1 red, 2 green.
    // Bottom row: two red, end of line. Middle row: jump 1 right and 1 up. Top row (from x = 1):
    // literal green, red, green (padded), end of bitmap.
    const QByteArray file = QByteArray::fromHex(
        "424d 00000000 00000000 42000000"
        "28000000 04000000 03000000 0100 0800 01000000 00000000 00000000 00000000 03000000 00000000"
        "ff00ff00 0000ff00 00ff0000"
        "0201 0000"
        "0002 0101"
        "0003 020102 00"
        "0001");
    const QImage image = BmpCodec::decode(file);
    QCOMPARE(image.size(), QSize(4, 3));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    const QRgb o = qRgba(255, 0, 255, 0), r = qRgb(255, 0, 0), g = qRgb(0, 255, 0);
    const QRgb expected[3][4] = {{o, g, r, g}, {o, o, o, o}, {r, r, o, o}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            QVERIFY2(image.pixel(x, y) == expected[y][x],
                qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));

    // Written without alpha, as the stored form is, they take colour-table entry 0.
    const QImage stored = BmpCodec::decode(BmpCodec::encode(image));
    QCOMPARE(stored.pixel(0, 1), qRgb(255, 0, 255));
    QCOMPARE(stored.pixel(1, 0), g);
}

void BmpCodecTest::runLengthDataMayLackOnlyItsEndOfBitmap()
{
    const QImage picture = PictureSamples::stripes(QSize(9, 5), 8);
    const QByteArray rle8 = PictureSamples::bmp(picture, BmpKind::Rle8);
    // The top row ends in a literal run of five pixels and its padding byte, then the end of
    // bitmap.
    QVERIFY(rle8.endsWith(QByteArray::fromHex("0005 0102030400 00 0001")));
    QCOMPARE(BmpCodec::decode(rle8.chopped(2)), picture);
    QCOMPARE(BmpCodec::decode(rle8.chopped(3)), picture);
    // One byte more and the last row is incomplete.
    QVERIFY(errorOf(rle8.chopped(4)).contains("compressed pixel data"));
}

void BmpCodecTest::sixtyFourBitPixelsAreLinearLightBroughtToSrgb()
{
    // 4 × 1, 64 bits: blue, green, red, alpha as signed 16-bit s2.13 (0x2000 is 1.0).
    // Linear 0.25 grey, opaque; red below zero, green above one, blue one, alpha 0.25; red 0.1,
    // clear; black, opaque.
    const QByteArray file = QByteArray::fromHex(
        "424d 56000000 00000000 36000000"
        "28000000 04000000 01000000 0100 4000 00000000 20000000 00000000 00000000 00000000 00000000"
        "0008 0008 0008 0020"
        "0020 0030 00f0 0008"
        "0000 0000 3303 0000"
        "0000 0000 0000 0020");
    const QImage image = BmpCodec::decode(file);
    QCOMPARE(image.size(), QSize(4, 1));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    QCOMPARE(image.pixel(0, 0), qRgba(137, 137, 137, 255));
    QCOMPARE(image.pixel(1, 0), qRgba(0, 255, 255, 64));
    QCOMPARE(image.pixel(2, 0), qRgba(89, 0, 0, 0));
    QCOMPARE(image.pixel(3, 0), qRgba(0, 0, 0, 255));
}

void BmpCodecTest::anAlphaChannelThatIsZeroEverywhereMeansOpaque_data()
{
    QTest::addColumn<BmpKind>("kind");
    QTest::newRow("32 bits, V5 masks") << BmpKind::Bitfields32V5;
    QTest::newRow("64 bits") << BmpKind::Rgba64;
}

void BmpCodecTest::anAlphaChannelThatIsZeroEverywhereMeansOpaque()
{
    QFETCH(BmpKind, kind);
    const QImage opaque = PictureSamples::quadrants(QSize(6, 4));
    QImage clear = opaque.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            clear.setPixel(x, y, clear.pixel(x, y) & 0x00ffffff);
    const QImage decoded = BmpCodec::decode(PictureSamples::bmp(clear, kind));
    QVERIFY(!decoded.hasAlphaChannel());
    QCOMPARE(decoded, opaque);
}

void BmpCodecTest::embeddedJpegAndPngFilesAreReadByTheirOwnDecoders_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("expected");
    const QImage photo = PictureSamples::quadrants(QSize(16, 12));
    const QImage striped = PictureSamples::stripes(QSize(9, 5), 8);
    const QByteArray jpeg = PictureSamples::bmp(photo, BmpKind::EmbeddedJpeg);
    const QImage jpegPixels
        = JpegCodec::decode(PictureSamples::jpeg(photo, PictureSamples::JpegKind::Baseline));
    QTest::newRow("JPEG") << jpeg << jpegPixels;
    QTest::newRow("PNG") << PictureSamples::bmp(striped, BmpKind::EmbeddedPng) << striped;
    QImage tagged = striped;
    tagged.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    QTest::newRow("PNG with a colour profile, pixels as stored")
        << PictureSamples::bmp(tagged, BmpKind::EmbeddedPng) << striped;
    QTest::newRow("PNG with alpha")
        << PictureSamples::bmp(withAlpha(striped), BmpKind::EmbeddedPng) << withAlpha(striped);
    QByteArray noSize = jpeg;
    setU32(noSize, 34, 0);
    QTest::newRow("no image size: the rest of the file") << noSize << jpegPixels;
}

void BmpCodecTest::embeddedJpegAndPngFilesAreReadByTheirOwnDecoders()
{
    QFETCH(QByteArray, file);
    QFETCH(QImage, expected);
    const QImage decoded = BmpCodec::decode(file);
    QCOMPARE(decoded.format(), expected.format());
    QCOMPARE(decoded, expected);
    // The colours themselves, in case the expectation shares a fault with the reader.
    const QImage reference = PictureSamples::quadrants(QSize(16, 12));
    if (decoded.size() == reference.size())
        for (const QPoint centre : {QPoint(4, 3), QPoint(12, 3), QPoint(4, 9), QPoint(12, 9)})
            QVERIFY(near(decoded.pixel(centre), reference.pixel(centre), 8));
}

void BmpCodecTest::anEmbeddedColourProfileBringsThePixelsToSrgb_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("tolerance");
    const QImage striped = PictureSamples::stripes(QSize(9, 5), 8);
    // sRGB with the red and green primaries swapped: stored red is shown green.
    const QColorSpace swapped(QPointF(0.3127, 0.3290), QPointF(0.30, 0.60), QPointF(0.64, 0.33),
        QPointF(0.15, 0.06), QColorSpace::TransferFunction::SRgb);
    QVERIFY(swapped.isValid());
    const QByteArray swapping = PictureSamples::bmpWithProfile(striped, swapped.iccProfile());
    QTest::newRow("red and green swapped") << swapping << swappedRedAndGreen(striped) << 2;
    QTest::newRow("sRGB") << PictureSamples::bmpWithProfile(
        striped, QColorSpace(QColorSpace::SRgb).iccProfile())
                          << striped << 0;
    // A profile that cannot be used is ignored, as a damaged EXIF block is.
    QTest::newRow("not a profile")
        << PictureSamples::bmpWithProfile(striped, QByteArray(200, 'x')) << striped << 0;
    QByteArray beyond = swapping;
    setU32(beyond, 14 + 116, 0x7fffffff);
    QTest::newRow("profile beyond the end of the file") << beyond << striped << 0;
}

void BmpCodecTest::anEmbeddedColourProfileBringsThePixelsToSrgb()
{
    QFETCH(QByteArray, file);
    QFETCH(QImage, expected);
    QFETCH(int, tolerance);
    const QImage decoded = BmpCodec::decode(file);
    QCOMPARE(decoded.size(), expected.size());
    const QString difference = firstDifference(decoded, expected, tolerance);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void BmpCodecTest::damagedFilesGiveAClearError_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("complaint");
    const QByteArray good24
        = PictureSamples::bmp(PictureSamples::quadrants(QSize(7, 6)), BmpKind::Rgb24);
    const QByteArray good8
        = PictureSamples::bmp(PictureSamples::stripes(QSize(9, 5), 8), BmpKind::Indexed8);
    const QByteArray rle8
        = PictureSamples::bmp(PictureSamples::stripes(QSize(9, 5), 8), BmpKind::Rle8);

    QTest::newRow("empty") << QByteArray() << "too short";
    QTest::newRow("JPEG bytes") << PictureSamples::jpeg(
        PictureSamples::quadrants(QSize(8, 8)), PictureSamples::JpegKind::Baseline)
                                << "\"BM\"";
    QTest::newRow("cut in the file header") << good24.left(10) << "too short";
    QTest::newRow("cut in the information header") << good24.left(30) << "information header";
    QTest::newRow("cut in the colour table") << good8.left(14 + 40 + 10) << "colour table";
    QTest::newRow("last row short") << good24.left(good24.size() - 4) << "pixel data";
    QTest::newRow("no pixel rows") << good24.left(54) << "pixel data";
    QTest::newRow("run-length data cut") << rle8.left(rle8.size() - 10) << "compressed pixel data";

    QByteArray unknownHeader = good24;
    setU32(unknownHeader, 14, 200);
    QTest::newRow("header of 200 bytes") << unknownHeader << "unknown size";
    QByteArray sevenBits = good24;
    sevenBits[28] = 7;
    QTest::newRow("7 bits per pixel") << sevenBits << "7 bits per pixel";
    QByteArray notJpeg = good24;
    setU32(notJpeg, 30, 4);
    QTest::newRow("embedded JPEG that is not one") << notJpeg << "not the JPEG file";
    QTest::newRow("embedded PNG that is a JPEG") << withPixelData(good24,
        PictureSamples::jpeg(
            PictureSamples::quadrants(QSize(8, 8)), PictureSamples::JpegKind::Baseline),
        5, 0) << "not the PNG file";

    const QImage photo = PictureSamples::quadrants(QSize(16, 12));
    const QByteArray embeddedJpeg = PictureSamples::bmp(photo, BmpKind::EmbeddedJpeg);
    const QByteArray embeddedPng = PictureSamples::bmp(photo, BmpKind::EmbeddedPng);
    QTest::newRow("embedded JPEG cut") << embeddedJpeg.chopped(40) << "embedded JPEG file";
    QByteArray jpegCutNoSize = embeddedJpeg.chopped(40);
    setU32(jpegCutNoSize, 34, 0);
    QTest::newRow("embedded JPEG cut, no image size")
        << jpegCutNoSize << "its embedded JPEG file cannot be read";
    QByteArray pngCutNoSize = embeddedPng.chopped(20);
    setU32(pngCutNoSize, 34, 0);
    QTest::newRow("embedded PNG cut, no image size")
        << pngCutNoSize << "its embedded PNG file cannot be read";
    // A PNG whose header (with a valid checksum) declares 100,000 × 100,000 pixels.
    QByteArray bombPng = PictureSamples::png(photo);
    const QByteArray ihdr
        = QByteArray("IHDR") + QByteArray::fromHex("000186a0000186a0") + bombPng.mid(24, 5);
    bombPng.replace(12, 17, ihdr);
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(ihdr), reinterpret_cast<uchar *>(crc.data()));
    bombPng.replace(29, 4, crc);
    QTest::newRow("embedded PNG of 100,000 × 100,000")
        << withPixelData(good24, bombPng, 5, 0) << "megapixels";

    const QByteArray twoBits
        = PictureSamples::bmp(PictureSamples::stripes(QSize(9, 5), 4), BmpKind::Indexed2);
    QTest::newRow("2 bits, last row short") << twoBits.chopped(2) << "pixel data";
    const QByteArray sixtyFour
        = PictureSamples::bmp(withAlpha(PictureSamples::stripes(QSize(9, 5), 8)), BmpKind::Rgba64);
    QTest::newRow("64 bits, last row short") << sixtyFour.chopped(1) << "pixel data";
    const QByteArray rle24
        = PictureSamples::bmp(PictureSamples::stripes(QSize(9, 5), 8), BmpKind::Os2Rle24);
    QTest::newRow("RLE24 cut") << rle24.left(rle24.size() - 7) << "compressed pixel data";
    QByteArray rle24With8Bits = rle24;
    rle24With8Bits[28] = 8;
    QTest::newRow("RLE24 with 8 bits per pixel") << rle24With8Bits << "RLE24 compression with 8";
    QByteArray huffman = rle24;
    setU32(huffman, 30, 3);
    huffman[28] = 1;
    QTest::newRow("OS/2 Huffman") << huffman << "OS/2 Huffman compression is not supported";
    QByteArray zeroWidth = good24;
    setU32(zeroWidth, 18, 0);
    QTest::newRow("zero width") << zeroWidth << "empty size";
    QByteArray negativeWidth = good24;
    setU32(negativeWidth, 18, quint32(-5));
    QTest::newRow("negative width") << negativeWidth << "empty size";

    // Size bombs: a few bytes asking for gigabytes are refused before anything is allocated (the
    // sanitizer build would abort on such an allocation).
    QByteArray huge = good24;
    setU32(huge, 18, 100000);
    setU32(huge, 22, 100000);
    QTest::newRow("100,000 × 100,000") << huge << "100000 × 100000";
    QByteArray tall = good24;
    setU32(tall, 22, 0x80000000u);
    QTest::newRow("height −2³¹") << tall << "megapixels";
    QByteArray rleBomb = rle8;
    setU32(rleBomb, 18, 20000);
    setU32(rleBomb, 22, 20000);
    QTest::newRow("run-length 20,000 × 20,000") << rleBomb << "megapixels";
    QByteArray wideSliver = good24;
    setU32(wideSliver, 18, 70000);
    setU32(wideSliver, 22, 1);
    QTest::newRow("70,000 × 1") << wideSliver << "megapixels";
}

void BmpCodecTest::damagedFilesGiveAClearError()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, complaint);
    const QString message = errorOf(file);
    QVERIFY2(message.contains(complaint), qPrintable(message));
}

void BmpCodecTest::writtenFilesAreStandardTwentyFourBitBitmaps_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::newRow("width 1 (3 bytes of padding)") << PictureSamples::stripes(QSize(1, 3), 8);
    QTest::newRow("width 4 (no padding)") << PictureSamples::quadrants(QSize(4, 2));
    QTest::newRow("width 9 (1 byte of padding)") << PictureSamples::stripes(QSize(9, 5), 8);
    QTest::newRow("from an indexed picture")
        << PictureSamples::stripes(QSize(6, 3), 4).convertToFormat(QImage::Format_Indexed8);
}

void BmpCodecTest::writtenFilesAreStandardTwentyFourBitBitmaps()
{
    QFETCH(QImage, picture);
    const QByteArray file = BmpCodec::encode(picture);
    const auto *b = reinterpret_cast<const uchar *>(file.constData());
    const int stride = (picture.width() * 3 + 3) / 4 * 4;

    QVERIFY(file.startsWith("BM"));
    QCOMPARE(qFromLittleEndian<quint32>(b + 2), quint32(file.size()));
    QCOMPARE(qFromLittleEndian<quint32>(b + 10), 54u);
    QCOMPARE(qFromLittleEndian<quint32>(b + 14), 40u);
    QCOMPARE(qFromLittleEndian<qint32>(b + 18), picture.width());
    QCOMPARE(qFromLittleEndian<qint32>(b + 22), picture.height()); // positive: bottom-up
    QCOMPARE(qFromLittleEndian<quint16>(b + 28), quint16(24));
    QCOMPARE(qFromLittleEndian<quint32>(b + 30), 0u);
    QCOMPARE(file.size(), 54 + stride * picture.height());
    // The first stored pixel is the bottom-left one, in blue, green, red order.
    const QRgb bottomLeft = picture.pixel(0, picture.height() - 1);
    QCOMPARE(int(b[54]), qBlue(bottomLeft));
    QCOMPARE(int(b[55]), qGreen(bottomLeft));
    QCOMPARE(int(b[56]), qRed(bottomLeft));

    QCOMPARE(BmpCodec::decode(file), picture.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB32),
        picture.convertToFormat(QImage::Format_RGB32));
}

TABVALE_TEST_MAIN(BmpCodecTest, QCoreApplication)
#include "BmpCodecTest.moc"
