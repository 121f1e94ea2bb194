// A folder loaded into records by name: the dry run's lists, the bytes each form stores, one
// transaction that a failure leaves untouched, and the undo of the last load.
#include "engine/CheckpointDeferred.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Statement.h"
#include "picture/BmpCodec.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/PictureLoad.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/picturefolder/FolderFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

using FolderFixture::dump;
using FolderFixture::literal;

namespace {

QByteArray jpeg(int seed, int width = 16)
{
    return PictureSamples::jpeg(PictureSamples::stripes(QSize(width + seed, 8), 8),
        PictureSamples::JpegKind::Baseline);
}

// "Staff": Name and Photo, with the names given (SQL expressions) and no pictures.
void makeStaff(ScratchDatabase &db, const QStringList &names,
    const QString &photoColumn = QStringLiteral("Photo BLOB"))
{
    db.exec(QStringLiteral("CREATE TABLE Staff (Name TEXT, %1, Note TEXT)").arg(photoColumn));
    for (const QString &name : names)
        db.exec(QStringLiteral("INSERT INTO Staff (Name) VALUES (%1)").arg(name));
}

PictureColumns staff(ScratchDatabase &db, const QString &table = QStringLiteral("Staff"))
{
    return PictureColumns::resolve(
        db.alias(), table, QStringLiteral("Photo"), QStringLiteral("Name"));
}

template<typename T, typename F>
QStringList names(const QList<T> &items, F name)
{
    QStringList out;
    for (const T &item : items)
        out << name(item);
    return out;
}

QStringList fileNames(const QList<FolderListing::File> &files)
{
    return names(files, [](const FolderListing::File &f) { return f.name; });
}

bool hasUndoTable(ScratchDatabase &db)
{
    return db.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = "
                                   "'$$$PictureLoad'"))
               .toInt()
        == 1;
}

} // namespace

class PictureLoadTest : public QObject
{
    Q_OBJECT

private slots:
    void theDryRunSortsFilesAndRecordsIntoItsLists()
    {
        ScratchDatabase db;
        makeStaff(db,
            {"'Davolio'", "'Fuller'", "'King'", "'King'", "'Smith'", "'Bad'", "'Leverling'",
                "NULL", "CAST(X'636166E9' AS TEXT)", "'A:B'"});
        db.exec(QStringLiteral("UPDATE Staff SET Photo = %1 WHERE Name = 'Fuller'")
                    .arg(literal(jpeg(9))));
        QTemporaryDir folder;
        for (const char *name : {"Davolio.jpg", "Fuller.PNG", "Nobody.jpg", "King.jpg",
                 "Smith.jpg", "Smith.gif", "caf\xe9.jpg", "A_B.jpeg"})
            FolderFixture::writeFile(folder.path(), name, jpeg(1));
        FolderFixture::writeFile(folder.path(), "Bad.jpg", "no picture inside");
        FolderFixture::writeFile(folder.path(), "notes.txt", "not looked at");
        FolderFixture::writeFile(folder.path(), ".Davolio.jpg", jpeg(1)); // hidden
        const LoadPlan plan = LoadPlan::make(staff(db), folder.path());

        QCOMPARE(names(plan.matched,
                     [](const LoadPlan::Match &m) {
                         return QStringLiteral("%1>%2:%3")
                             .arg(m.file.name, m.record.name)
                             .arg(m.record.hasPicture);
                     }),
            QStringList({"Davolio.jpg>Davolio:0", "Fuller.PNG>Fuller:1", "caf_.jpg>caf_:0",
                "A_B.jpeg>A:B:0"}));
        QCOMPARE(plan.replacing(), 1);
        QCOMPARE(fileNames(plan.filesWithoutRecord), QStringList {"Nobody.jpg"});
        QCOMPARE(names(plan.recordsWithoutFile,
                     [](const RecordNames::Named &r) {
                         return QStringLiteral("%1:%2").arg(r.name).arg(r.rowid);
                     }),
            QStringList({"Leverling:7", ":8"}));
        QCOMPARE(names(plan.ambiguous,
                     [](const LoadPlan::Ambiguous &a) {
                         return QStringLiteral("%1:%2:%3")
                             .arg(a.name)
                             .arg(a.records.size())
                             .arg(fileNames(a.files).join(u','));
                     }),
            QStringList({"King:2:King.jpg", "Smith:1:Smith.gif,Smith.jpg"}));
        QCOMPARE(fileNames(plan.notPictures), QStringList {"Bad.jpg"});
        // Looking changes nothing.
        QVERIFY(!hasUndoTable(db));
        FolderFixture::removeFile(folder.path(), "caf\xe9.jpg"); // Qt cannot see it to remove it
    }

    void eachFormStoresTheFileAsItSays_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("column");
        QTest::newRow("file form, BLOB") << "file" << "Photo BLOB";
        QTest::newRow("file form, graphic") << "file" << "Photo GRAPHIC";
        QTest::newRow("bitmap form, BLOB") << "bitmap" << "Photo BLOB";
        QTest::newRow("bitmap form, graphic") << "bitmap" << "Photo GRAPHIC";
    }

    void eachFormStoresTheFileAsItSays()
    {
        QFETCH(QString, form);
        QFETCH(QString, column);
        ScratchDatabase db(QStringLiteral("Load"), {}, form);
        makeStaff(db, {"'photo'", "'bitmap'", "'png'"}, column);
        const QImage picture = PictureSamples::quadrants(QSize(12, 8));
        const QByteArray photo = PictureSamples::withExif(jpeg(2), 6);
        const QByteArray bitmap = PictureSamples::bmp(
            PictureSamples::stripes(QSize(9, 5), 8), PictureSamples::BmpKind::Indexed8);
        const QByteArray png = PictureSamples::png(picture);
        QTemporaryDir folder;
        FolderFixture::writeFile(folder.path(), "photo.jpg", photo);
        FolderFixture::writeFile(folder.path(), "bitmap.bmp", bitmap);
        FolderFixture::writeFile(folder.path(), "png.png", png);
        const auto result = PictureLoad::apply(LoadPlan::make(staff(db), folder.path()));
        QCOMPARE(result->loaded, 3);
        const QVariantList stored = db.column(QStringLiteral("SELECT Photo FROM Staff ORDER BY rowid"));
        const int code = column.endsWith(u"GRAPHIC") ? 17 : 15;
        int i = 0;
        for (const QByteArray &file : {photo, bitmap, png}) {
            const QByteArray expected = form == u"file"
                ? file
                : StoredPicture::encode(PictureFile::decode(file), code);
            QCOMPARE(stored[i++].toByteArray(), expected);
        }
        // Either way the photo is shown upright.
        QCOMPARE(StoredPicture::decode(stored[0].toByteArray()).size(), QSize(8, 18));
    }

    void eachFileIsStoredAsItIsWhenLoaded_data()
    {
        QTest::addColumn<int>("width"); // of the picture that replaces "b.jpg" after the dry run
        QTest::newRow("unchanged") << 0;
        QTest::newRow("replaced by a larger one") << 300;
        QTest::newRow("replaced by a smaller one") << 2;
    }

    // One buffer serves every file: a small file after a large one, and a file changed since the
    // dry run, are stored with exactly their bytes.
    void eachFileIsStoredAsItIsWhenLoaded()
    {
        QFETCH(int, width);
        ScratchDatabase db(QStringLiteral("Load"), {}, QStringLiteral("file"));
        makeStaff(db, {"'a'", "'b'", "'c'"});
        QTemporaryDir folder;
        QList<QByteArray> files = {jpeg(1, 200), jpeg(2, 40), jpeg(3, 120)};
        for (int i = 0; i < files.size(); ++i)
            FolderFixture::writeFile(folder.path(), QByteArray(1, char('a' + i)) + ".jpg", files[i]);
        const LoadPlan plan = LoadPlan::make(staff(db), folder.path());
        if (width > 0) {
            files[1] = PictureSamples::withExif(jpeg(4, width), 3);
            FolderFixture::writeFile(folder.path(), "b.jpg", files[1]);
        }
        QCOMPARE(PictureLoad::apply(plan)->loaded, 3);
        const QVariantList stored = db.column(QStringLiteral("SELECT Photo FROM Staff ORDER BY rowid"));
        QCOMPARE(stored.size(), 3);
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(stored[i].toByteArray(), files[i]);
    }

    // The load borrows a larger page cache and leaves copying the log into the database file to a
    // worker: afterwards its connection is as it was, and once the worker ends the file holds the
    // pictures.
    void aLoadGivesItsConnectionBackAsItWasAndItsLogToAWorker()
    {
        ScratchDatabase db(QStringLiteral("Load"), {}, QStringLiteral("file"));
        makeStaff(db, {"'a'", "'b'"});
        QTemporaryDir folder;
        const QList<QByteArray> files = {jpeg(1, 600), jpeg(2, 500)};
        FolderFixture::writeFile(folder.path(), "a.jpg", files[0]);
        FolderFixture::writeFile(folder.path(), "b.jpg", files[1]);
        const LoadPlan plan = LoadPlan::make(staff(db), folder.path());
        Database &connection = *plan.columns.db;
        const auto settings = [&connection] {
            QList<qint64> values;
            for (const char *pragma : {"cache_size", "wal_autocheckpoint", "journal_size_limit"}) {
                Statement s = connection.prepare(QStringLiteral("PRAGMA main.%1").arg(QLatin1String(pragma)));
                values << (s.step() ? s.columnInt64(0) : -1);
            }
            return values;
        };
        const QList<qint64> before = settings();
        const qint64 sizeBefore = QFileInfo(db.path()).size();
        QCOMPARE(PictureLoad::apply(plan)->loaded, 2);
        QCOMPARE(settings(), before);
        CheckpointDeferred::waitForWorkers();
        QVERIFY(QFileInfo(db.path()).size() >= sizeBefore + files[0].size() + files[1].size());
    }

    void anUndoneLoadLeavesTheTableByteForByteAsBefore()
    {
        ScratchDatabase db;
        makeStaff(db, {"'a'", "'b'", "'c'", "'d'"});
        db.exec(QStringLiteral("UPDATE Staff SET Photo = %1 WHERE Name = 'a'").arg(literal(jpeg(5))));
        db.exec(QStringLiteral("UPDATE Staff SET Photo = 'text, not a picture' WHERE Name = 'b'"));
        db.exec(QStringLiteral("UPDATE Staff SET Photo = 12 WHERE Name = 'c'"));
        const QStringList before = dump(db, QStringLiteral("Staff"));
        QTemporaryDir folder;
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            FolderFixture::writeFile(folder.path(), name, jpeg(1));
        const auto result = PictureLoad::apply(LoadPlan::make(staff(db), folder.path()));
        QCOMPARE(result->loaded, 4);
        QCOMPARE(result->replaced, 3);
        QVERIFY(dump(db, QStringLiteral("Staff")) != before);

        const auto undone = LoadUndo::undo(*staff(db).db, QStringLiteral("staff"), false);
        QVERIFY(undone);
        QCOMPARE(undone->restored, 4);
        QCOMPARE(dump(db, QStringLiteral("Staff")), before);
        QVERIFY(!hasUndoTable(db));
        QVERIFY(!LoadUndo::undo(*staff(db).db, QStringLiteral("Staff"), false));
    }

    void aLoadThatFailsHalfwayChangesNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("why");
        QTest::newRow("a full disk") << "full" << "the disk is full";
        QTest::newRow("a value the field refuses") << "refused" << "a value breaks a rule of the table";
        QTest::newRow("a trigger that refuses") << "raised" << "the database refuses the change: “no photo for c”";
        QTest::newRow("a damaged file") << "damaged" << "cannot be read as JPEG";
        QTest::newRow("a record deleted since the dry run") << "deleted" << "has been deleted";
        QTest::newRow("a file removed since the dry run") << "removed" << "cannot be opened";
    }

    void aLoadThatFailsHalfwayChangesNothing()
    {
        QFETCH(QString, failure);
        QFETCH(QString, why);
        ScratchDatabase db(QStringLiteral("Fail"), {}, QStringLiteral("file"));
        makeStaff(db, {"'a'", "'b'", "'c'", "'d'"},
            failure == u"refused" ? QStringLiteral("Photo BLOB CHECK (length(Photo) < 3000)")
                                  : QStringLiteral("Photo BLOB"));
        if (failure == u"raised")
            db.exec(QStringLiteral("CREATE TRIGGER NoC BEFORE UPDATE ON Staff WHEN new.Name = 'c' "
                                   "BEGIN SELECT RAISE(ABORT, 'no photo for c'); END"));
        QTemporaryDir folder;
        // An earlier load whose undo must survive the failed one.
        FolderFixture::writeFile(folder.path(), "d.jpg", jpeg(0));
        PictureLoad::apply(LoadPlan::make(staff(db), folder.path()));
        const QStringList before = dump(db, QStringLiteral("Staff"));
        const QStringList undoBefore = dump(db, QStringLiteral("$$$PictureLoad"));
        FolderFixture::writeFile(folder.path(), "a.jpg", jpeg(1));
        FolderFixture::writeFile(folder.path(), "b.jpg", jpeg(2));
        FolderFixture::writeFile(folder.path(), "c.jpg",
            failure == u"refused" || failure == u"full"
                ? jpeg(3, 6000) // bigger than the check allows, or than the room left
                : failure == u"damaged" ? QByteArray("\xff\xd8\xff garbage after a JPEG start")
                                        : jpeg(3));
        const PictureColumns columns = staff(db);
        const LoadPlan plan = LoadPlan::make(columns, folder.path());
        QCOMPARE(plan.matched.size(), 4);
        if (failure == u"full") {
            // Room for the first pictures only.
            const qint64 pages = db.query(QStringLiteral("PRAGMA page_count")).toLongLong();
            columns.db->exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 3));
        } else if (failure == u"deleted") {
            db.exec(QStringLiteral("DELETE FROM Staff WHERE Name = 'c'"));
        } else if (failure == u"removed") {
            QFile::remove(folder.filePath(QStringLiteral("c.jpg")));
        }
        const QStringList expected = dump(db, QStringLiteral("Staff"));
        try {
            PictureLoad::apply(plan);
            QFAIL("the load went through");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(u"c.jpg") && e.message().contains(why)
                    && e.message().contains(u"Nothing was loaded"),
                qPrintable(e.message()));
        }
        QCOMPARE(dump(db, QStringLiteral("Staff")), expected);
        if (failure != u"deleted")
            QCOMPARE(expected, before);
        QCOMPARE(dump(db, QStringLiteral("$$$PictureLoad")), undoBefore);
        columns.db->exec(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    }

    void aStoppedLoadChangesNothing()
    {
        ScratchDatabase db;
        makeStaff(db, {"'a'", "'b'"});
        QTemporaryDir folder;
        FolderFixture::writeFile(folder.path(), "a.jpg", jpeg(1));
        FolderFixture::writeFile(folder.path(), "b.jpg", jpeg(2));
        const QStringList before = dump(db, QStringLiteral("Staff"));
        int told = 0;
        const auto result = PictureLoad::apply(
            LoadPlan::make(staff(db), folder.path()), [&](qint64, qint64) { return ++told < 2; });
        QVERIFY(!result);
        QCOMPARE(told, 2);
        QCOMPARE(dump(db, QStringLiteral("Staff")), before);
        QVERIFY(!hasUndoTable(db));
    }

    void recordsChangedSinceTheLoadKeepTheirValueOnlyWhenAsked()
    {
        ScratchDatabase db;
        makeStaff(db, {"'a'", "'b'", "'c'"});
        QTemporaryDir folder;
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            FolderFixture::writeFile(folder.path(), name, jpeg(1));
        PictureLoad::apply(LoadPlan::make(staff(db), folder.path()));
        // Same length, other bytes: only the CRC tells.
        QByteArray other = jpeg(1);
        other[other.size() - 3] = char(other[other.size() - 3] ^ 0x55);
        db.exec(QStringLiteral("UPDATE Staff SET Photo = %1 WHERE Name = 'a'").arg(literal(other)));
        db.exec(QStringLiteral("DELETE FROM Staff WHERE Name = 'b'"));
        const QStringList changed = dump(db, QStringLiteral("Staff"));
        const auto connection = staff(db).db;
        Database &engine = *connection;

        const auto check = LoadUndo::check(engine, QStringLiteral("Staff"));
        QCOMPARE(check->unchanged.size(), 1);
        QCOMPARE(check->changed.size(), 1);
        QCOMPARE(check->changed[0].name, QStringLiteral("a"));
        QCOMPARE(check->gone.size(), 1);
        QVERIFY_THROWS_EXCEPTION(EngineError, LoadUndo::undo(engine, QStringLiteral("Staff"), false));
        QCOMPARE(dump(db, QStringLiteral("Staff")), changed);

        const auto result = LoadUndo::undo(engine, QStringLiteral("Staff"), true);
        QCOMPARE(result->restored, 1);
        QCOMPARE(result->keptChanged, 1);
        QCOMPARE(result->gone, 1);
        QCOMPARE(db.column(QStringLiteral("SELECT Photo FROM Staff ORDER BY rowid")),
            QVariantList({other, QVariant()}));
    }

    void eachTableKeepsTheUndoOfItsLastLoadOnly()
    {
        ScratchDatabase db;
        makeStaff(db, {"'a'"});
        db.exec(QStringLiteral("CREATE TABLE Other (Name TEXT, Photo BLOB)"));
        db.exec(QStringLiteral("INSERT INTO Other VALUES ('a', NULL)"));
        QTemporaryDir first, second;
        FolderFixture::writeFile(first.path(), "a.jpg", jpeg(1));
        FolderFixture::writeFile(second.path(), "a.jpg", jpeg(2));
        PictureLoad::apply(LoadPlan::make(staff(db), first.path()));
        const QStringList afterFirst = dump(db, QStringLiteral("Staff"));
        PictureLoad::apply(LoadPlan::make(staff(db, QStringLiteral("Other")), first.path()));
        PictureLoad::apply(LoadPlan::make(staff(db), second.path()));
        const auto connection = staff(db).db;
        Database &engine = *connection;
        QCOMPARE(LoadUndo::summary(engine, QStringLiteral("Staff"))->folder, second.path());
        // Undoing the second load brings back the first one's pictures, not the ones before.
        LoadUndo::undo(engine, QStringLiteral("Staff"), false);
        QCOMPARE(dump(db, QStringLiteral("Staff")), afterFirst);
        QVERIFY(!LoadUndo::summary(engine, QStringLiteral("Staff")));
        QVERIFY(LoadUndo::undo(engine, QStringLiteral("Other"), false));
        QVERIFY(db.query(QStringLiteral("SELECT Photo FROM Other")).isNull());
        QVERIFY(!hasUndoTable(db));
    }
};

TABVALE_TEST_MAIN(PictureLoadTest, QGuiApplication)
#include "tst_PictureLoad.moc"
