#include "BmpCodec.h"
#include "PictureError.h"
#include "PictureSamples.h"
#include "common/TestEnvironment.h"

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
    void runLengthJumpsAndLineEndsLeaveSkippedPixelsBlack();
    void anAlphaChannelThatIsZeroEverywhereMeansOpaque();
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
    QTest::newRow("4 bits") << BmpKind::Indexed4 << PictureSamples::stripes(size, 8);
    QTest::newRow("8 bits") << BmpKind::Indexed8 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE4") << BmpKind::Rle4 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE8") << BmpKind::Rle8 << PictureSamples::stripes(size, 8);
    QTest::newRow("RLE8 odd literal") << BmpKind::Rle8 << PictureSamples::stripes(QSize(7, 4), 5);
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

void BmpCodecTest::runLengthJumpsAndLineEndsLeaveSkippedPixelsBlack()
{
    // 4 × 3, RLE8, palette: 0 black, 1 red, 2 green.
    // Bottom row: two red, end of line. Middle row: jump 1 right and 1 up. Top row (from x = 1):
    // literal green, red, green (padded), end of bitmap.
    const QByteArray file = QByteArray::fromHex(
        "424d 00000000 00000000 42000000"
        "28000000 04000000 03000000 0100 0800 01000000 00000000 00000000 00000000 03000000 00000000"
        "00000000 0000ff00 00ff0000"
        "0201 0000"
        "0002 0101"
        "0003 020102 00"
        "0001");
    const QImage image = BmpCodec::decode(file);
    QCOMPARE(image.size(), QSize(4, 3));
    const QRgb k = qRgb(0, 0, 0), r = qRgb(255, 0, 0), g = qRgb(0, 255, 0);
    const QRgb expected[3][4] = {{k, g, r, g}, {k, k, k, k}, {r, r, k, k}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            QVERIFY2(image.pixel(x, y) == expected[y][x],
                qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
}

void BmpCodecTest::anAlphaChannelThatIsZeroEverywhereMeansOpaque()
{
    const QImage opaque = PictureSamples::quadrants(QSize(6, 4));
    QImage clear = opaque.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            clear.setPixel(x, y, clear.pixel(x, y) & 0x00ffffff);
    const QImage decoded = BmpCodec::decode(PictureSamples::bmp(clear, BmpKind::Bitfields32V5));
    QVERIFY(!decoded.hasAlphaChannel());
    QCOMPARE(decoded, opaque);
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
    QByteArray embeddedJpeg = good24;
    setU32(embeddedJpeg, 30, 4);
    QTest::newRow("embedded JPEG") << embeddedJpeg << "JPEG";
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
