#include "picture/PictureFile.h"
#include "picture/BmpCodec.h"
#include "picture/PictureError.h"
#include "picture/Thumbnail.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using PictureSamples::JpegKind;

namespace {

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class PictureFileTest : public QObject
{
    Q_OBJECT

private slots:
    void theExtensionChoosesTheDecoder_data();
    void theExtensionChoosesTheDecoder();
    void filesThatCannotBeLoadedGiveAClearError_data();
    void filesThatCannotBeLoadedGiveAClearError();
    void bytesAreDecodedByTheirSignature();
    void thumbnailsStretchTheWholePictureOverTheStripSize_data();
    void thumbnailsStretchTheWholePictureOverTheStripSize();
    void aDamagedFileGivesNoThumbnail();

private:
    QTemporaryDir m_dir;
};

void PictureFileTest::theExtensionChoosesTheDecoder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QImage picture = PictureSamples::quadrants(QSize(40, 30));
    const QByteArray jpeg = PictureSamples::jpeg(picture, JpegKind::Baseline);
    const QByteArray bmp = BmpCodec::encode(picture);
    QTest::newRow(".bmp") << "a.bmp" << bmp;
    QTest::newRow(".BMP") << "b.BMP" << bmp;
    QTest::newRow(".jpg") << "c.jpg" << jpeg;
    QTest::newRow(".JPEG") << "d.JPEG" << jpeg;
    QTest::newRow(".Jpeg") << "e.Jpeg" << jpeg;
}

void PictureFileTest::theExtensionChoosesTheDecoder()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QVERIFY(PictureFile::isPictureFileName(name));
    const QImage image = PictureFile::load(write(m_dir, name, bytes));
    QCOMPARE(image.size(), QSize(40, 30));
    QVERIFY(near(image.pixel(30, 22), qRgb(255, 255, 255), 8));
}

void PictureFileTest::filesThatCannotBeLoadedGiveAClearError_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("complaint");
    const QImage picture = PictureSamples::quadrants(QSize(16, 16));
    QTest::newRow("a bitmap named .jpg")
        << "bitmap.jpg" << BmpCodec::encode(picture) << "it is not a JPEG file";
    QTest::newRow("a JPEG named .bmp")
        << "photo.bmp" << PictureSamples::jpeg(picture, JpegKind::Baseline) << "\"BM\"";
    QTest::newRow("a PNG") << "picture.png" << QByteArray("\x89PNG") << "not a JPEG or bitmap file";
    QTest::newRow("an empty .jpeg") << "empty.jpeg" << QByteArray() << "empty";
    QTest::newRow("missing") << "" << QByteArray() << "Cannot open";
}

void PictureFileTest::filesThatCannotBeLoadedGiveAClearError()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, complaint);
    const QString path = name.isEmpty() ? m_dir.filePath("missing.bmp") : write(m_dir, name, bytes);
    try {
        PictureFile::load(path);
        QFAIL("the file loaded");
    } catch (const PictureError &e) {
        QVERIFY2(e.message().contains(complaint), qPrintable(e.message()));
    }
}

void PictureFileTest::bytesAreDecodedByTheirSignature()
{
    const QImage picture = PictureSamples::quadrants(QSize(40, 30));
    QCOMPARE(PictureFile::decode(BmpCodec::encode(picture)), picture);
    QCOMPARE(PictureFile::decode(PictureSamples::jpeg(picture, JpegKind::Baseline)).size(),
        picture.size());
    QVERIFY_THROWS_EXCEPTION(PictureError, PictureFile::decode(QByteArray("GIF89a")));
}

void PictureFileTest::thumbnailsStretchTheWholePictureOverTheStripSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    // Wide and tall pictures both fill the square: the aspect ratio is not kept.
    const QImage wide = PictureSamples::quadrants(QSize(800, 300));
    const QImage tall = PictureSamples::quadrants(QSize(120, 500));
    QTest::newRow("wide JPEG") << "wide.jpg" << PictureSamples::jpeg(wide, JpegKind::Baseline);
    QTest::newRow("tall progressive JPEG")
        << "tall.jpg" << PictureSamples::jpeg(tall, JpegKind::Progressive);
    QTest::newRow("wide bitmap") << "wide.bmp" << BmpCodec::encode(wide);
    QTest::newRow("tiny bitmap, enlarged")
        << "tiny.bmp" << BmpCodec::encode(PictureSamples::quadrants(QSize(4, 4)));
}

void PictureFileTest::thumbnailsStretchTheWholePictureOverTheStripSize()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QList<QRgb> colours = PictureSamples::quadrantColours();
    const QPoint centres[4] = {{14, 14}, {43, 14}, {14, 43}, {43, 43}};
    const QImage fromFile = Thumbnail::fromFile(write(m_dir, name, bytes));
    const QImage fromBytes = Thumbnail::fromBytes(bytes);
    for (const QImage &thumb : {fromFile, fromBytes}) {
        QCOMPARE(thumb.size(), QSize(58, 58));
        for (int i = 0; i < 4; ++i)
            QVERIFY2(near(thumb.pixel(centres[i]), colours[i], 24), qPrintable(QString::number(i)));
    }
}

void PictureFileTest::aDamagedFileGivesNoThumbnail()
{
    const QByteArray jpeg
        = PictureSamples::jpeg(PictureSamples::quadrants(QSize(400, 300)), JpegKind::Baseline);
    const QString path = write(m_dir, "cut.jpg", jpeg.left(jpeg.size() / 2));
    QVERIFY_THROWS_EXCEPTION(PictureError, Thumbnail::fromFile(path));
}

TABVALE_TEST_MAIN(PictureFileTest, QCoreApplication)
#include "PictureFileTest.moc"
