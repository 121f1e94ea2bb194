#include "picture/Exif.h"
#include "picture/JpegCodec.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using PictureSamples::JpegKind;

namespace {

constexpr int Tolerance = 24;

bool near(QRgb actual, QRgb expected)
{
    return qAbs(qRed(actual) - qRed(expected)) <= Tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= Tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= Tolerance;
}

// A 64 × 32 picture stored with red, green / blue, white quadrants.
const QSize Stored(64, 32);
const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

QByteArray storedJpeg()
{
    return PictureSamples::jpeg(PictureSamples::quadrants(Stored), JpegKind::Baseline, 95);
}

// The colour a few pixels in from the upright picture's top-left and top-right corners.
QRgb topLeft(const QImage &image)
{
    return image.pixel(3, 3);
}
QRgb topRight(const QImage &image)
{
    return image.pixel(image.width() - 4, 3);
}

} // namespace

class ExifTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void everyOrientationIsShownUpright_data();
    void everyOrientationIsShownUpright();
    void scaledDecodingCoversTheRequestedUprightSize();
    void aDamagedExifBlockIsIgnored();
    void theEmbeddedThumbnailIsRead();
    void filesWithoutExifGiveTheDefaults();

private:
    QTemporaryDir m_dir;
};

void ExifTest::everyOrientationIsShownUpright_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<QRgb>("expectedTopLeft");
    QTest::addColumn<QRgb>("expectedTopRight");
    // Worked out from the EXIF definitions: where the stored picture's first row and first
    // column end up when the picture is shown as taken.
    const QSize turned = Stored.transposed();
    QTest::newRow("1 as stored") << 1 << Stored << Red << Green;
    QTest::newRow("2 mirrored") << 2 << Stored << Green << Red;
    QTest::newRow("3 upside down") << 3 << Stored << White << Blue;
    QTest::newRow("4 mirrored top to bottom") << 4 << Stored << Blue << White;
    QTest::newRow("5 transposed") << 5 << turned << Red << Blue;
    QTest::newRow("6 top on the right") << 6 << turned << Blue << Red;
    QTest::newRow("7 transversed") << 7 << turned << White << Green;
    QTest::newRow("8 top on the left") << 8 << turned << Green << White;
    QTest::newRow("0 out of range") << 0 << Stored << Red << Green;
    QTest::newRow("9 out of range") << 9 << Stored << Red << Green;
}

void ExifTest::everyOrientationIsShownUpright()
{
    QFETCH(int, orientation);
    QFETCH(QSize, upright);
    QFETCH(QRgb, expectedTopLeft);
    QFETCH(QRgb, expectedTopRight);
    const QByteArray file = PictureSamples::withExif(storedJpeg(), orientation);
    QCOMPARE(Exif::read(file).orientation, orientation >= 1 && orientation <= 8 ? orientation : 1);
    QCOMPARE(JpegCodec::imageSize(file), upright);

    const QString path = m_dir.filePath(QStringLiteral("o%1.jpg").arg(orientation));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    // Every reader: the codec, a picture file, and a field value.
    const QList<QPair<const char *, QImage>> decoded = {
        {"codec", JpegCodec::decode(file)},
        {"file", PictureFile::load(path)},
        {"field value", StoredPicture::decode(file)},
    };
    for (const auto &[reader, image] : decoded) {
        QVERIFY2(image.size() == upright, reader);
        QVERIFY2(near(topLeft(image), expectedTopLeft), reader);
        QVERIFY2(near(topRight(image), expectedTopRight), reader);
    }
}

void ExifTest::scaledDecodingCoversTheRequestedUprightSize()
{
    // Stored 640 × 320 with the top on the right: upright 320 × 640. An eighth-scale decode of
    // the stored picture (80 × 40) turned upright is exactly the 40 × 80 asked for.
    const QByteArray file = PictureSamples::withExif(
        PictureSamples::jpeg(PictureSamples::quadrants(QSize(640, 320)), JpegKind::Baseline), 6);
    QCOMPARE(JpegCodec::decode(file, QSize(40, 80)).size(), QSize(40, 80));
    QCOMPARE(StoredPicture::decode(file, QSize(40, 80)).size(), QSize(40, 80));
    QCOMPARE(JpegCodec::decodeAsStored(file, QSize(80, 40)).size(), QSize(80, 40));
}

void ExifTest::aDamagedExifBlockIsIgnored()
{
    const QByteArray damaged = PictureSamples::withDamagedExif(storedJpeg());
    QCOMPARE(Exif::read(damaged).orientation, 1);
    QVERIFY(Exif::read(damaged).thumbnail.isEmpty());
    const QImage image = StoredPicture::decode(damaged);
    QCOMPARE(image.size(), Stored);
    QVERIFY(near(topLeft(image), Red));
    // A block cut off after its signature, and one of random bytes, are no better and no worse.
    QByteArray cut = storedJpeg();
    cut.insert(2,
        QByteArray("\xff\xe1\x00\x08"
                   "Exif\0\0",
            10));
    QCOMPARE(StoredPicture::decode(cut).size(), Stored);
    QByteArray noise = storedJpeg();
    QByteArray payload("Exif\0\0", 6);
    for (int i = 0; i < 200; ++i)
        payload.append(char((i * 73 + 11) & 0xff));
    noise.insert(2, QByteArray("\xff\xe1\x00\xd0", 4) + payload);
    QCOMPARE(Exif::read(noise).orientation, 1);
    QCOMPARE(StoredPicture::decode(noise).size(), Stored);
}

void ExifTest::theEmbeddedThumbnailIsRead()
{
    const QByteArray thumb
        = PictureSamples::jpeg(PictureSamples::quadrants(QSize(16, 8)), JpegKind::Baseline);
    const QByteArray file = PictureSamples::withExif(storedJpeg(), 6, thumb);
    const Exif::Info info = Exif::read(file);
    QCOMPARE(info.orientation, 6);
    QCOMPARE(info.thumbnail, thumb);
    QCOMPARE(JpegCodec::decode(info.thumbnail).size(), QSize(16, 8));
    QCOMPARE(Exif::orientedSize(QSize(16, 8), info.orientation), QSize(8, 16));
    QCOMPARE(
        Exif::oriented(JpegCodec::decode(info.thumbnail), info.orientation).size(), QSize(8, 16));
}

void ExifTest::filesWithoutExifGiveTheDefaults()
{
    for (const QByteArray &bytes : {storedJpeg(), QByteArray(), QByteArray("BM"),
             QByteArray("\xff\xd8", 2), QByteArray("\x89PNG\r\n\x1a\n", 8)}) {
        const Exif::Info info = Exif::read(bytes);
        QCOMPARE(info.orientation, 1);
        QVERIFY(info.thumbnail.isEmpty());
    }
    QVERIFY(Exif::oriented(QImage(), 6).isNull());
}

TABVALE_TEST_MAIN(ExifTest, QCoreApplication)
#include "ExifTest.moc"
