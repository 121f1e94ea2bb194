#include "picture/StoredPicture.h"
#include "picture/BmpCodec.h"
#include "picture/Exif.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
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
    void theFileFormKeepsThePicturesOwnBytes_data();
    void theFileFormKeepsThePicturesOwnBytes();
    void theBitmapFormConvertsFilesAndKeepsBitmapValues_data();
    void theBitmapFormConvertsFilesAndKeepsBitmapValues();
    void aFileFormJpegKeepsItsExifAndIsReadUpright();
    void aSourceThatIsNoPictureIsRefusedInBothForms_data();
    void aSourceThatIsNoPictureIsRefusedInBothForms();
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

void StoredPictureTest::theFileFormKeepsThePicturesOwnBytes_data()
{
    QTest::addColumn<PictureSource>("source");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stored");
    const QImage picture = PictureSamples::quadrants(SampleSize);
    for (const auto &[format, file] : pictureFiles()) {
        QTest::addRow("%s file into a graphic field", format)
            << PictureSource::file(file, picture) << 17 << file;
        QTest::addRow("%s file into a BLOB", format) << PictureSource::file(file) << 15 << file;
    }
    // A value carried from another field goes in as it was, so a restore is exact.
    const QByteArray withHeader = StoredPicture::encode(picture, 17);
    QTest::newRow("bitmap value with its header into a BLOB")
        << PictureSource::value(withHeader) << 15 << withHeader;
}

void StoredPictureTest::theFileFormKeepsThePicturesOwnBytes()
{
    QFETCH(PictureSource, source);
    QFETCH(int, code);
    QFETCH(QByteArray, stored);
    QCOMPARE(StoredPicture::valueFor(PictureForm::File, code, source), stored);
}

void StoredPictureTest::theBitmapFormConvertsFilesAndKeepsBitmapValues_data()
{
    QTest::addColumn<PictureSource>("source");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("stored");
    const QImage picture = PictureSamples::quadrants(SampleSize);
    const QByteArray jpeg = PictureSamples::jpeg(picture, PictureSamples::JpegKind::Baseline, 95);
    // An 8-bit bitmap file is a bitmap, but the form is the 24-bit one the windows write.
    const QImage stripes = PictureSamples::stripes(QSize(9, 5), 8);
    const QByteArray indexed = PictureSamples::bmp(stripes, PictureSamples::BmpKind::Indexed8);
    QTest::newRow("a gesture's picture is what is stored")
        << PictureSource::file(jpeg, picture) << 17 << StoredPicture::encode(picture, 17);
    QTest::newRow("a JPEG file is decoded")
        << PictureSource::file(jpeg) << 15 << BmpCodec::encode(PictureFile::decode(jpeg));
    QTest::newRow("a bitmap file is written anew")
        << PictureSource::file(indexed) << 21 << StoredPicture::encode(stripes, 21);
    QTest::newRow("a bitmap value keeps its bytes, the header follows the field")
        << PictureSource::value(indexed) << 17
        << header(1, 0x0100, quint32(indexed.size())) + indexed;
    QTest::newRow("a bitmap value with a header loses it in a BLOB")
        << PictureSource::value(header(1, 0x0100, quint32(indexed.size())) + indexed) << 15
        << indexed;
    // A picture with transparency is drawn onto white, as the windows draw a file.
    QImage clear(4, 4, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    QTest::newRow("a transparent PNG value becomes white")
        << PictureSource::value(PictureSamples::png(clear)) << 15 << BmpCodec::encode(white);
}

void StoredPictureTest::theBitmapFormConvertsFilesAndKeepsBitmapValues()
{
    QFETCH(PictureSource, source);
    QFETCH(int, code);
    QFETCH(QByteArray, stored);
    QCOMPARE(StoredPicture::valueFor(PictureForm::Bitmap, code, source), stored);
}

void StoredPictureTest::aFileFormJpegKeepsItsExifAndIsReadUpright()
{
    // Taken with the camera turned: stored 40 × 30, shown 30 × 40.
    const QByteArray photo = PictureSamples::withExif(
        PictureSamples::jpeg(PictureSamples::quadrants(QSize(40, 30)),
            PictureSamples::JpegKind::Baseline),
        6);
    const QByteArray stored
        = StoredPicture::valueFor(PictureForm::File, 17, PictureSource::file(photo));
    QCOMPARE(stored, photo);
    QCOMPARE(Exif::read(stored).orientation, 6);
    QCOMPARE(StoredPicture::decode(stored).size(), QSize(30, 40));
    // The bitmap form keeps what is seen, upright.
    QCOMPARE(StoredPicture::decode(StoredPicture::valueFor(
                                       PictureForm::Bitmap, 17, PictureSource::file(photo)))
                 .size(),
        QSize(30, 40));
}

void StoredPictureTest::aSourceThatIsNoPictureIsRefusedInBothForms_data()
{
    QTest::addColumn<PictureForm>("form");
    QTest::newRow("file") << PictureForm::File;
    QTest::newRow("bitmap") << PictureForm::Bitmap;
}

void StoredPictureTest::aSourceThatIsNoPictureIsRefusedInBothForms()
{
    QFETCH(PictureForm, form);
    QVERIFY_THROWS_EXCEPTION(PictureError,
        StoredPicture::valueFor(form, 15, PictureSource::file(QByteArray("no picture at all"))));
    QVERIFY(StoredPicture::valueFor(form, 15, PictureSource()).isEmpty());
    // A picture without bytes of its own: a PNG file, or a bitmap.
    const QImage picture = PictureSamples::quadrants(SampleSize);
    const QByteArray stored = StoredPicture::valueFor(form, 15, PictureSource::picture(picture));
    QCOMPARE(PictureFile::formatOf(stored),
        form == PictureForm::File ? PictureFile::Format::Png : PictureFile::Format::Bitmap);
    QCOMPARE(StoredPicture::decode(stored), picture.convertToFormat(QImage::Format_RGB32));
}

TABVALE_TEST_MAIN(StoredPictureTest, QCoreApplication)
#include "StoredPictureTest.moc"
