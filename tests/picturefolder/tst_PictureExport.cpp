// A picture field written to a folder: what each file holds, how files are named, and that an
// existing file is only replaced when the caller says so.
#include "engine/EngineError.h"
#include "picture/BmpCodec.h"
#include "picture/StoredPicture.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/PictureExport.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/picturefolder/FolderFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QGuiApplication>
#include <QTemporaryDir>

using FolderFixture::literal;
using PictureExport::Existing;

namespace {

QByteArray jpeg(int seed)
{
    return PictureSamples::jpeg(PictureSamples::stripes(QSize(16 + seed, 8), 8),
        PictureSamples::JpegKind::Baseline);
}

// A table "Staff" with the given names and pictures, in that order.
void makeStaff(ScratchDatabase &db, const QList<QPair<QString, QByteArray>> &records,
    const QString &pictureType = QStringLiteral("BLOB"))
{
    db.exec(QStringLiteral("CREATE TABLE Staff (Name TEXT, Photo %1)").arg(pictureType));
    for (const auto &[name, picture] : records)
        db.exec(QStringLiteral("INSERT INTO Staff VALUES (%1, %2)").arg(name, literal(picture)));
}

PictureExport::Summary exportStaff(ScratchDatabase &db, const QString &folder,
    std::optional<Existing> policy = Existing::Skip, int *asked = nullptr)
{
    return PictureExport::run(
        PictureColumns::resolve(db.alias(), QStringLiteral("Staff"), QStringLiteral("Photo"),
            QStringLiteral("Name")),
        folder, [&](const QString &) {
            if (asked)
                ++*asked;
            return policy;
        });
}

} // namespace

class PictureExportTest : public QObject
{
    Q_OBJECT

private slots:
    void eachPictureIsWrittenAsTheFileItIs_data()
    {
        QTest::addColumn<QString>("pictureType");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        const QImage picture = PictureSamples::quadrants(QSize(12, 8));
        const QByteArray photo = PictureSamples::withExif(jpeg(1), 6);
        QTest::newRow("a JPEG with its EXIF") << "BLOB" << photo << "a.jpg" << photo;
        QTest::newRow("a PNG") << "BLOB" << PictureSamples::png(picture) << "a.png"
                               << PictureSamples::png(picture);
        QTest::newRow("a GIF") << "IMAGE" << PictureSamples::gif(picture) << "a.gif"
                               << PictureSamples::gif(picture);
        QTest::newRow("the bitmap form without its header")
            << "GRAPHIC" << StoredPicture::encode(picture, 17) << "a.bmp"
            << BmpCodec::encode(picture);
    }

    void eachPictureIsWrittenAsTheFileItIs()
    {
        QFETCH(QString, pictureType);
        QFETCH(QByteArray, value);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        ScratchDatabase db;
        makeStaff(db, {{QStringLiteral("'a'"), value}}, pictureType);
        QTemporaryDir out;
        const PictureExport::Summary s = exportStaff(db, out.path());
        QCOMPARE(s.written, 1);
        QCOMPARE(FolderFixture::fileNames(out.path()), QStringList {file});
        QCOMPARE(FolderFixture::readFile(out.filePath(file)), bytes);
    }

    void namesAreSafeNumberedOnClashesAndNeverEmpty()
    {
        ScratchDatabase db;
        const QByteArray p = jpeg(0);
        makeStaff(db,
            {{QStringLiteral("'a/b'"), p}, {QStringLiteral("'A:B'"), p},
                {QStringLiteral("NULL"), p}, {QStringLiteral("'  '"), p},
                {QStringLiteral("CAST(X'636166E9' AS TEXT)"), p}, {QStringLiteral("'con'"), p},
                {QStringLiteral("'record-3'"), p}, {QStringLiteral("'Same'"), p},
                {QStringLiteral("'same'"), PictureSamples::png(QImage(2, 2, QImage::Format_RGB32))},
                {QStringLiteral("'none'"), {}}, {QStringLiteral("'bad'"), "no picture"}});
        QTemporaryDir out;
        const PictureExport::Summary s = exportStaff(db, out.path());
        const QStringList expected {"a_b.jpg", "A_B (2).jpg", "record-3.jpg", "record-4.jpg",
            "caf_.jpg", "con_.jpg", "record-3 (2).jpg", "Same.jpg", "same (2).png"};
        QCOMPARE(s.writtenFiles, expected);
        QCOMPARE(s.written, expected.size());
        QCOMPARE(s.empty, 1);
        QCOMPARE(s.unreadable, 1);
        QCOMPARE(s.unreadableRecords, QStringList {"bad"});
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(FolderFixture::fileNames(out.path()), sorted);
    }

    void anExistingFileIsReplacedOnlyWhenTheCallerSaysSo_data()
    {
        QTest::addColumn<std::optional<Existing>>("policy");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("davolio"); // what Davolio.jpg holds after
        QTest::addColumn<int>("written");
        QTest::newRow("skip") << std::optional(Existing::Skip)
                              << QStringList {"Davolio.jpg", "Fuller.jpg", "King.jpg"}
                              << QByteArray("old") << 1;
        QTest::newRow("replace") << std::optional(Existing::Replace)
                                 << QStringList {"Davolio.jpg", "Fuller.jpg", "King.jpg"}
                                 << jpeg(1) << 3;
        QTest::newRow("keep both")
            << std::optional(Existing::KeepBoth)
            << QStringList {"Davolio (2).jpg", "Davolio.jpg", "Fuller (2).jpg", "Fuller.jpg",
                   "King.jpg"}
            << QByteArray("old") << 3;
        QTest::newRow("stop at the question")
            << std::optional<Existing>() << QStringList {"Davolio.jpg", "Fuller.jpg"}
            << QByteArray("old") << 0;
    }

    void anExistingFileIsReplacedOnlyWhenTheCallerSaysSo()
    {
        QFETCH(std::optional<Existing>, policy);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, davolio);
        QFETCH(int, written);
        ScratchDatabase db;
        makeStaff(db,
            {{QStringLiteral("'Davolio'"), jpeg(1)}, {QStringLiteral("'Fuller'"), jpeg(2)},
                {QStringLiteral("'King'"), jpeg(3)}});
        QTemporaryDir out;
        FolderFixture::writeFile(out.path(), "Davolio.jpg", "old");
        FolderFixture::writeFile(out.path(), "Fuller.jpg", "old too");
        int asked = 0;
        const PictureExport::Summary s = exportStaff(db, out.path(), policy, &asked);
        QCOMPARE(asked, 1); // once for all existing files
        QCOMPARE(FolderFixture::fileNames(out.path()), files);
        QCOMPARE(FolderFixture::readFile(out.filePath(QStringLiteral("Davolio.jpg"))), davolio);
        QCOMPARE(s.written, written);
        QCOMPARE(s.stopped, !policy.has_value());
        if (policy == Existing::KeepBoth)
            QCOMPARE(FolderFixture::readFile(out.filePath(QStringLiteral("Davolio (2).jpg"))),
                jpeg(1));
        if (policy == Existing::Skip)
            QCOMPARE(s.skippedFiles, QStringList({"Davolio.jpg", "Fuller.jpg"}));
    }

    void aFolderThatIsMissingOrAFieldOfTheWrongKindIsRefused()
    {
        ScratchDatabase db;
        makeStaff(db, {{QStringLiteral("'a'"), jpeg(0)}});
        QVERIFY_THROWS_EXCEPTION(EngineError, exportStaff(db, QStringLiteral("/no/such/folder")));
        QVERIFY_THROWS_EXCEPTION(EngineError,
            PictureColumns::resolve(db.alias(), QStringLiteral("Staff"), QStringLiteral("Name"),
                QStringLiteral("Name")));
        QVERIFY_THROWS_EXCEPTION(EngineError,
            PictureColumns::resolve(db.alias(), QStringLiteral("Staff"), QStringLiteral("Photo"),
                QStringLiteral("Photo")));
    }
};

TABVALE_TEST_MAIN(PictureExportTest, QGuiApplication)
#include "tst_PictureExport.moc"
