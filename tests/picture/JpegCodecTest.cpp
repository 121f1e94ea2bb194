#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

using PictureSamples::JpegKind;

Q_DECLARE_METATYPE(JpegKind)

namespace {

// JPEG is lossy: colours are compared per channel within this distance.
constexpr int Tolerance = 24;

bool near(QRgb actual, QRgb expected)
{
    return qAbs(qRed(actual) - qRed(expected)) <= Tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= Tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= Tolerance;
}

// Checks the centre of each quadrant of a picture made from PictureSamples::quadrants.
QString quadrantMismatch(const QImage &image, bool grey)
{
    const QList<QRgb> colours = PictureSamples::quadrantColours();
    const int w = image.width(), h = image.height();
    const QPoint centres[4]
        = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const QRgb expected
            = grey ? qRgb(qGray(colours[i]), qGray(colours[i]), qGray(colours[i])) : colours[i];
        const QRgb actual = image.pixel(centres[i]);
        if (!near(actual, expected))
            return QStringLiteral("quadrant %1 is %2, expected %3")
                .arg(i)
                .arg(actual, 8, 16)
                .arg(expected, 8, 16);
    }
    return {};
}

QString errorOf(const QByteArray &file, QSize maxSize = {})
{
    try {
        JpegCodec::decode(file, maxSize);
    } catch (const PictureError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

// Offset of the frame header's height field (after FFC0/FFC2/FFC9 and the length and precision).
qsizetype frameSizeOffset(const QByteArray &file)
{
    for (qsizetype i = 2; i + 9 < file.size(); ++i)
        if (uchar(file[i]) == 0xff
            && (uchar(file[i + 1]) == 0xc0 || uchar(file[i + 1]) == 0xc2
                || uchar(file[i + 1]) == 0xc9))
            return i + 5;
    return -1;
}

} // namespace

class JpegCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void everyVariantDecodesToItsSizeAndColours_data();
    void everyVariantDecodesToItsSizeAndColours();
    void scaledDecodingGivesTheSmallestScaleThatCoversTheRequest_data();
    void scaledDecodingGivesTheSmallestScaleThatCoversTheRequest();
    void theHeaderTellsTheSizeWithoutDecoding();
    void damagedFilesGiveAClearError_data();
    void damagedFilesGiveAClearError();
    void aFileMissingOnlyItsEndMarkerIsComplete();
    void writtenFilesDecodeToThePicture();
};

void JpegCodecTest::everyVariantDecodesToItsSizeAndColours_data()
{
    QTest::addColumn<JpegKind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::newRow("baseline") << JpegKind::Baseline << QSize(64, 48);
    QTest::newRow("baseline, odd size") << JpegKind::Baseline << QSize(67, 33);
    QTest::newRow("progressive") << JpegKind::Progressive << QSize(64, 48);
    QTest::newRow("greyscale") << JpegKind::Greyscale << QSize(64, 48);
    QTest::newRow("CMYK, Adobe-inverted") << JpegKind::Cmyk << QSize(64, 48);
    QTest::newRow("YCCK, Adobe-inverted") << JpegKind::Ycck << QSize(64, 48);
    QTest::newRow("CMYK without Adobe marker") << JpegKind::CmykPlain << QSize(64, 48);
    QTest::newRow("arithmetic-coded") << JpegKind::Arithmetic << QSize(64, 48);
}

void JpegCodecTest::everyVariantDecodesToItsSizeAndColours()
{
    QFETCH(JpegKind, kind);
    QFETCH(QSize, size);
    const QImage image
        = JpegCodec::decode(PictureSamples::jpeg(PictureSamples::quadrants(size), kind));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    const QString mismatch = quadrantMismatch(image, kind == JpegKind::Greyscale);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void JpegCodecTest::scaledDecodingGivesTheSmallestScaleThatCoversTheRequest_data()
{
    QTest::addColumn<JpegKind>("kind");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("maxSize");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("thumbnail of 800 × 600: 1/8")
        << JpegKind::Baseline << QSize(800, 600) << QSize(58, 58) << QSize(100, 75);
    QTest::newRow("progressive 800 × 600: 1/8")
        << JpegKind::Progressive << QSize(800, 600) << QSize(58, 58) << QSize(100, 75);
    QTest::newRow("CMYK 800 × 600: 1/8")
        << JpegKind::Cmyk << QSize(800, 600) << QSize(58, 58) << QSize(100, 75);
    QTest::newRow("200 × 150 to 58: 1/2")
        << JpegKind::Baseline << QSize(200, 150) << QSize(58, 58) << QSize(100, 75);
    QTest::newRow("1/8 rounds up and still covers")
        << JpegKind::Baseline << QSize(200, 150) << QSize(25, 19) << QSize(25, 19);
    QTest::newRow("one pixel short of 1/8: 1/4")
        << JpegKind::Baseline << QSize(200, 150) << QSize(25, 20) << QSize(50, 38);
    QTest::newRow("1/4") << JpegKind::Greyscale << QSize(400, 300) << QSize(90, 60)
                         << QSize(100, 75);
    QTest::newRow("larger than the picture: full size")
        << JpegKind::Baseline << QSize(200, 150) << QSize(300, 300) << QSize(200, 150);
}

void JpegCodecTest::scaledDecodingGivesTheSmallestScaleThatCoversTheRequest()
{
    QFETCH(JpegKind, kind);
    QFETCH(QSize, size);
    QFETCH(QSize, maxSize);
    QFETCH(QSize, expected);
    const QImage image
        = JpegCodec::decode(PictureSamples::jpeg(PictureSamples::quadrants(size), kind), maxSize);
    QCOMPARE(image.size(), expected);
    const QString mismatch = quadrantMismatch(image, kind == JpegKind::Greyscale);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void JpegCodecTest::theHeaderTellsTheSizeWithoutDecoding()
{
    const QByteArray file
        = PictureSamples::jpeg(PictureSamples::quadrants(QSize(123, 45)), JpegKind::Progressive);
    QCOMPARE(JpegCodec::imageSize(file), QSize(123, 45));
    // The scans are not read: a file cut short in its image data still tells its size.
    const QByteArray cut = file.left(file.size() / 2);
    QVERIFY_THROWS_EXCEPTION(PictureError, JpegCodec::decode(cut));
    QCOMPARE(JpegCodec::imageSize(cut), QSize(123, 45));
}

void JpegCodecTest::damagedFilesGiveAClearError_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("maxSize");
    QTest::addColumn<QString>("complaint");
    const QImage picture = PictureSamples::quadrants(QSize(256, 192));
    const QByteArray baseline = PictureSamples::jpeg(picture, JpegKind::Baseline);
    const QByteArray progressive = PictureSamples::jpeg(picture, JpegKind::Progressive);
    const QByteArray arithmetic = PictureSamples::jpeg(picture, JpegKind::Arithmetic);

    QTest::newRow("empty") << QByteArray() << QSize() << "empty";
    QTest::newRow("a bitmap") << QByteArray("BM\x36\0\0\0\0\0\0\0", 10) << QSize()
                              << "it is not a JPEG file";
    // A single-scan file cut short gets its end marker from the reader, so the decoder finds its
    // data broken off at a marker: damaged. Other cuts run out of file first.
    const char *const endsEarly = "the file ends before the picture does";
    QTest::newRow("cut in the header") << baseline.left(100) << QSize() << endsEarly;
    QTest::newRow("baseline cut in half")
        << baseline.left(baseline.size() / 2) << QSize() << "its picture data is damaged";
    QTest::newRow("baseline cut in half, scaled")
        << baseline.left(baseline.size() / 2) << QSize(58, 58) << "its picture data is damaged";
    QTest::newRow("progressive cut in half")
        << progressive.left(progressive.size() / 2) << QSize() << endsEarly;
    QTest::newRow("arithmetic cut in half")
        << arithmetic.left(arithmetic.size() / 2) << QSize() << endsEarly;

    QByteArray interrupted = baseline;
    const qsizetype middle = baseline.size() * 2 / 3;
    interrupted.replace(middle, 2, QByteArray("\xff\xd9", 2));
    QTest::newRow("end marker inside the scan")
        << interrupted << QSize() << "its picture data is damaged";

    QByteArray huge = baseline;
    const qsizetype at = frameSizeOffset(huge);
    huge[at] = char(0xea); // height 60,000
    huge[at + 1] = char(0x60);
    huge[at + 2] = char(0xea); // width 60,000
    huge[at + 3] = char(0x60);
    QTest::newRow("declares 60,000 × 60,000") << huge << QSize() << "megapixels";
    QTest::newRow("declares 60,000 × 60,000, scaled") << huge << QSize(58, 58) << "megapixels";
}

void JpegCodecTest::damagedFilesGiveAClearError()
{
    QFETCH(QByteArray, file);
    QFETCH(QSize, maxSize);
    QFETCH(QString, complaint);
    const QString message = errorOf(file, maxSize);
    QVERIFY2(message.contains(complaint, Qt::CaseInsensitive), qPrintable(message));
}

void JpegCodecTest::aFileMissingOnlyItsEndMarkerIsComplete()
{
    const QByteArray file
        = PictureSamples::jpeg(PictureSamples::quadrants(QSize(64, 48)), JpegKind::Baseline);
    QVERIFY(file.endsWith("\xff\xd9"));
    const QImage image = JpegCodec::decode(file.chopped(2));
    QCOMPARE(image.size(), QSize(64, 48));
    QVERIFY(quadrantMismatch(image, false).isEmpty());
}

void JpegCodecTest::writtenFilesDecodeToThePicture()
{
    const QImage picture = PictureSamples::quadrants(QSize(80, 60));
    const QByteArray file = JpegCodec::encode(picture, 90);
    QVERIFY(file.startsWith("\xff\xd8"));
    const QImage image = JpegCodec::decode(file);
    QCOMPARE(image.size(), picture.size());
    QVERIFY(quadrantMismatch(image, false).isEmpty());
    QVERIFY_THROWS_EXCEPTION(PictureError, JpegCodec::encode(QImage()));
}

TABVALE_TEST_MAIN(JpegCodecTest, QCoreApplication)
#include "JpegCodecTest.moc"
