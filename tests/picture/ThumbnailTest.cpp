// Strip thumbnails of camera files: the embedded EXIF thumbnail stands in for the picture only
// when it is large enough and has the picture's proportions; either way the result is upright.
#include "picture/Thumbnail.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using PictureSamples::JpegKind;

namespace {

bool near(QRgb actual, QRgb expected, int tolerance = 30)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Red = qRgb(255, 0, 0); // the quadrants' top-left

} // namespace

class ThumbnailTest : public QObject
{
    Q_OBJECT

private slots:
    void theEmbeddedThumbnailIsUsedOnlyWhenItFits_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("embedded");
        QTest::addColumn<bool>("used");
        QTest::newRow("same proportions") << QSize(640, 480) << QSize(160, 120) << true;
        QTest::newRow("within 1 %") << QSize(640, 480) << QSize(160, 121) << true;
        QTest::newRow("letterboxed 16:9 for a 4:3 picture")
            << QSize(640, 480) << QSize(160, 90) << false;
        QTest::newRow("just beyond 1 %") << QSize(640, 480) << QSize(160, 122) << false;
        QTest::newRow("short side below the strip size")
            << QSize(640, 480) << QSize(72, 54) << false;
        QTest::newRow("short side exactly the strip size")
            << QSize(640, 480) << QSize(77, 58) << true;
    }

    void theEmbeddedThumbnailIsUsedOnlyWhenItFits()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, embedded);
        QFETCH(bool, used);
        const QByteArray main
            = PictureSamples::jpeg(PictureSamples::quadrants(picture), JpegKind::Baseline, 95);
        const QByteArray thumb
            = PictureSamples::jpeg(solid(embedded, Yellow), JpegKind::Baseline, 95);
        const QByteArray file = PictureSamples::withExif(main, 1, thumb);
        const QImage fromBytes = Thumbnail::fromBytes(file);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("camera.JPG"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        const QImage fromFile = Thumbnail::fromFile(path);
        for (const QImage &t : {fromBytes, fromFile}) {
            QCOMPARE(t.size(), Thumbnail::StripSize);
            QCOMPARE(t.format(), QImage::Format_RGB888);
            QVERIFY2(near(t.pixel(10, 10), used ? Yellow : Red),
                qPrintable(QString::number(t.pixel(10, 10), 16)));
        }
        QCOMPARE(Thumbnail::embeddedThumbnailFits(embedded, picture), used);
    }

    void anEmbeddedThumbnailIsTurnedUprightWithThePicture()
    {
        // Stored sideways (orientation 6: turn a quarter clockwise to show): a 640 × 480 stored
        // picture shows 480 × 640, and its 160 × 120 thumbnail stands for it once turned too.
        QImage stored(160, 120, QImage::Format_RGB32);
        stored.fill(Yellow);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 40; ++x)
                stored.setPixel(x, y, qRgb(0, 0, 255)); // blue along the stored left edge
        const QByteArray main = PictureSamples::jpeg(
            PictureSamples::quadrants(QSize(640, 480)), JpegKind::Baseline, 95);
        const QByteArray file = PictureSamples::withExif(
            main, 6, PictureSamples::jpeg(stored, JpegKind::Baseline, 95));
        const QImage t = Thumbnail::fromBytes(file);
        // The stored left edge is the upright top.
        QVERIFY(near(t.pixel(29, 3), qRgb(0, 0, 255)));
        QVERIFY(near(t.pixel(29, 54), Yellow));
    }

    void aDamagedEmbeddedThumbnailFallsBackToThePicture()
    {
        const QByteArray main = PictureSamples::jpeg(
            PictureSamples::quadrants(QSize(640, 480)), JpegKind::Baseline, 95);
        QByteArray broken
            = PictureSamples::jpeg(solid(QSize(160, 120), Yellow), JpegKind::Baseline);
        broken.truncate(broken.size() / 2);
        const QImage t = Thumbnail::fromBytes(PictureSamples::withExif(main, 1, broken));
        QVERIFY(near(t.pixel(10, 10), Red));
    }

    void aStoredValueIsAlwaysThumbnailedFromItsPicture()
    {
        const QByteArray main = PictureSamples::jpeg(
            PictureSamples::quadrants(QSize(640, 480)), JpegKind::Baseline, 95);
        const QByteArray file = PictureSamples::withExif(
            main, 1, PictureSamples::jpeg(solid(QSize(160, 120), Yellow), JpegKind::Baseline));
        QVERIFY(near(Thumbnail::fromStoredValue(file).pixel(10, 10), Red));
        QByteArray cut = file;
        cut.truncate(file.size() - 400); // the picture's data is damaged, its thumbnail is not
        QVERIFY_THROWS_EXCEPTION(PictureError, Thumbnail::fromStoredValue(cut));
    }

    void aStoredValueIsPackedAsItselfOnlyWhenThatIsSmaller_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<bool>("kept");
        QTest::newRow("an icon is kept as it is") << QSize(16, 16) << true;
        QTest::newRow("a photo is packed as a JPEG thumbnail") << QSize(200, 150) << false;
    }

    void aStoredValueIsPackedAsItselfOnlyWhenThatIsSmaller()
    {
        QFETCH(QSize, pictureSize);
        QFETCH(bool, kept);
        const QByteArray value = StoredPicture::encode(PictureSamples::quadrants(pictureSize), 17);
        const QImage thumbnail = Thumbnail::fromStoredValue(value);
        const QByteArray packed = Thumbnail::packStoredValue(value, thumbnail);
        QCOMPARE(packed.startsWith("\xFF\xD8"), !kept); // else a JPEG
        QCOMPARE(packed.contains(value), kept);
        const QImage unpacked = Thumbnail::unpack(packed);
        QCOMPARE(unpacked.size(), Thumbnail::StripSize);
        for (const QPoint at : {QPoint(10, 10), QPoint(48, 10), QPoint(10, 48), QPoint(48, 48)})
            QVERIFY(near(unpacked.pixel(at), thumbnail.pixel(at), 12));
        QCOMPARE(unpacked == thumbnail, kept); // a kept value gives back the very same pixels
    }

    void transparentPartsBecomeWhite()
    {
        QImage clear(10, 10, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        const QImage t = Thumbnail::fromImage(clear);
        QCOMPARE(t.pixel(5, 5), qRgb(255, 255, 255));
    }
};

TABVALE_TEST_MAIN(ThumbnailTest, QCoreApplication)

#include "ThumbnailTest.moc"
