#include "picture/StoredPicture.h"
#include "picture/BmpCodec.h"
#include "picture/PictureError.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QtEndian>

namespace {

QByteArray header(quint16 count, quint16 type, quint32 size)
{
    QByteArray h(8, '\0');
    auto *p = reinterpret_cast<uchar *>(h.data());
    qToLittleEndian(count, p);
    qToLittleEndian(type, p + 2);
    qToLittleEndian(size, p + 4);
    return h;
}

QByteArray smallBitmap()
{
    return BmpCodec::encode(PictureSamples::stripes(QSize(5, 3), 8));
}

} // namespace

class StoredPictureTest : public QObject
{
    Q_OBJECT

private slots:
    void headerIsSkippedOnlyWhenAllThreeValuesMatch_data();
    void headerIsSkippedOnlyWhenAllThreeValuesMatch();
    void valuesShorterThanTheHeaderAreReadAsTheyAre_data();
    void valuesShorterThanTheHeaderAreReadAsTheyAre();
    void graphicAndTypedBinaryFieldsGetTheHeaderAndBlobsDoNot_data();
    void graphicAndTypedBinaryFieldsGetTheHeaderAndBlobsDoNot();
    void aMismatchedHeaderIsReadAsTheStartOfTheBitmap();
    void emptyValuesAndNullPicturesMapToEachOther();
    void unreadableValuesRaiseThePictureError();
    void pictureFilesOfEveryCommonFormatAreRead_data();
    void pictureFilesOfEveryCommonFormatAreRead();
    void aCutOffPictureFileIsUnreadable_data();
    void aCutOffPictureFileIsUnreadable();
};

void StoredPictureTest::headerIsSkippedOnlyWhenAllThreeValuesMatch_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("skipped");
    const QByteArray bitmap = smallBitmap();
    const quint32 size = quint32(bitmap.size());
    QTest::newRow("count 1, type 0x0100, exact size") << header(1, 0x0100, size) + bitmap << true;
    QTest::newRow("count 0") << header(0, 0x0100, size) + bitmap << false;
    QTest::newRow("count 2") << header(2, 0x0100, size) + bitmap << false;
    QTest::newRow("type byte-swapped") << header(1, 0x0001, size) + bitmap << false;
    QTest::newRow("type 0x0200") << header(1, 0x0200, size) + bitmap << false;
    QTest::newRow("size one short") << header(1, 0x0100, size - 1) + bitmap << false;
    QTest::newRow("size one over") << header(1, 0x0100, size + 1) + bitmap << false;
    QTest::newRow("size of the whole value") << header(1, 0x0100, size + 8) + bitmap << false;
    QTest::newRow("header alone, size 0") << header(1, 0x0100, 0) << true;
}

void StoredPictureTest::headerIsSkippedOnlyWhenAllThreeValuesMatch()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, skipped);
    QCOMPARE(StoredPicture::hasGraphicHeader(value), skipped);
    QCOMPARE(StoredPicture::bitmapPart(value), skipped ? value.mid(8) : value);
}

void StoredPictureTest::valuesShorterThanTheHeaderAreReadAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("value");
    const QByteArray full = header(1, 0x0100, 0);
    for (int length = 0; length < 8; ++length)
        QTest::addRow("%d bytes of a header", length) << full.left(length);
}

void StoredPictureTest::valuesShorterThanTheHeaderAreReadAsTheyAre()
{
    QFETCH(QByteArray, value);
    QVERIFY(!StoredPicture::hasGraphicHeader(value));
    QCOMPARE(StoredPicture::bitmapPart(value), value);
}

void StoredPictureTest::graphicAndTypedBinaryFieldsGetTheHeaderAndBlobsDoNot_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("withHeader");
    QTest::newRow("15 BLOB") << 15 << false;
    QTest::newRow("17 graphic") << 17 << true;
    QTest::newRow("21 typed binary") << 21 << true;
}

void StoredPictureTest::graphicAndTypedBinaryFieldsGetTheHeaderAndBlobsDoNot()
{
    QFETCH(int, code);
    QFETCH(bool, withHeader);
    const QImage picture = PictureSamples::stripes(QSize(9, 5), 8);
    const QByteArray bitmap = BmpCodec::encode(picture);
    const QByteArray value = StoredPicture::encode(picture, code);

    if (withHeader) {
        QCOMPARE(value.size(), bitmap.size() + 8);
        QCOMPARE(value.left(8), header(1, 0x0100, quint32(bitmap.size())));
        QCOMPARE(value.mid(8), bitmap);
    } else {
        QCOMPARE(value, bitmap);
    }
    QCOMPARE(StoredPicture::decode(value), picture);
}

void StoredPictureTest::aMismatchedHeaderIsReadAsTheStartOfTheBitmap()
{
    // With the size off by one the eight bytes are not a header, so the value is read from its
    // first byte, which is no picture signature.
    const QByteArray bitmap = smallBitmap();
    const QByteArray value = header(1, 0x0100, quint32(bitmap.size()) + 1) + bitmap;
    try {
        StoredPicture::decode(value);
        QFAIL("a value whose header does not match decoded anyway");
    } catch (const PictureError &e) {
        QVERIFY2(e.message().contains(u"not a picture"), qPrintable(e.message()));
    }
}

void StoredPictureTest::emptyValuesAndNullPicturesMapToEachOther()
{
    QVERIFY(StoredPicture::decode(QByteArray()).isNull());
    QVERIFY(StoredPicture::encode(QImage(), 17).isEmpty());
    QVERIFY(StoredPicture::encode(QImage(), 15).isEmpty());
}

void StoredPictureTest::unreadableValuesRaiseThePictureError()
{
    QVERIFY_THROWS_EXCEPTION(PictureError, StoredPicture::decode(QByteArray("not a picture")));
    QVERIFY_THROWS_EXCEPTION(PictureError, StoredPicture::decode(header(1, 0x0100, 0)));
}

namespace {

const QSize SampleSize(32, 16);

QList<QPair<const char *, QByteArray>> pictureFiles()
{
    const QImage picture = PictureSamples::quadrants(SampleSize);
    return {
        {"JPEG", PictureSamples::jpeg(picture, PictureSamples::JpegKind::Baseline, 95)},
        {"progressive JPEG", PictureSamples::jpeg(picture, PictureSamples::JpegKind::Progressive)},
        {"PNG", PictureSamples::png(picture)},
        {"GIF", PictureSamples::gif(picture)},
        {"bitmap", BmpCodec::encode(picture)},
    };
}

} // namespace

void StoredPictureTest::pictureFilesOfEveryCommonFormatAreRead_data()
{
    QTest::addColumn<QByteArray>("value");
    for (const auto &[format, file] : pictureFiles()) {
        // Other programs store the file itself; some put the graphic header before it.
        QTest::addRow("%s", format) << file;
        QTest::addRow("%s after the graphic header", format)
            << header(1, 0x0100, quint32(file.size())) + file;
    }
}

void StoredPictureTest::pictureFilesOfEveryCommonFormatAreRead()
{
    QFETCH(QByteArray, value);
    const QImage image = StoredPicture::decode(value);
    QCOMPARE(image.size(), SampleSize);
    const QList<QRgb> colours = PictureSamples::quadrantColours();
    const QPoint centres[4] = {{8, 4}, {24, 4}, {8, 12}, {24, 12}};
    for (int i = 0; i < 4; ++i) {
        const QRgb actual = image.pixel(centres[i]);
        QVERIFY2(qAbs(qRed(actual) - qRed(colours[i])) <= 24
                && qAbs(qGreen(actual) - qGreen(colours[i])) <= 24
                && qAbs(qBlue(actual) - qBlue(colours[i])) <= 24,
            qPrintable(QStringLiteral("quadrant %1 is %2").arg(i).arg(actual, 8, 16)));
    }
}

void StoredPictureTest::aCutOffPictureFileIsUnreadable_data()
{
    QTest::addColumn<QByteArray>("value");
    for (const auto &[format, file] : pictureFiles())
        QTest::addRow("%s cut in half", format) << file.left(file.size() / 2);
}

void StoredPictureTest::aCutOffPictureFileIsUnreadable()
{
    QFETCH(QByteArray, value);
    QVERIFY_THROWS_EXCEPTION(PictureError, StoredPicture::decode(value));
}

TABVALE_TEST_MAIN(StoredPictureTest, QCoreApplication)
#include "StoredPictureTest.moc"
