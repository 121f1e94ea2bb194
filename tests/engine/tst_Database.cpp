// The connection layer: read-only files, what opening reads, one connection per thread.
#include "engine/CheckpointDeferred.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "engine/Statement.h"
#include "engine/TableMaintenance.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <thread>

namespace {

constexpr int PictureBytes = 200 * 1024;
constexpr int PictureRecords = 12;

} // namespace

class DatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void aReadOnlyDatabaseOpensButRefusesEveryWrite_data();
    void aReadOnlyDatabaseOpensButRefusesEveryWrite();
    void aWritableDatabaseSaysNothingAboutReadOnly();
    void openingBrowsingAndClosingLeavesTheFileAsItWas_data();
    void openingBrowsingAndClosingLeavesTheFileAsItWas();
    void viewsVirtualTablesAndTablesWithoutRowidAreNotListed();
    void aTableKeyedByTextIsBrowsedInRowidOrder();
    void openingAndShowingRowsReadsNoPictureBytes_data();
    void openingAndShowingRowsReadsNoPictureBytes();
    void eachThreadHasItsOwnConnection();
    void aFileThatIsNotADatabaseIsRefusedClearly();
    void aTableWithoutRowidsIsRefusedClearly();
    void aDeferredCheckpointLeavesTheLogUntilItEnds_data();
    void aDeferredCheckpointLeavesTheLogUntilItEnds();
};

void DatabaseTest::aReadOnlyDatabaseOpensButRefusesEveryWrite_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file without write permission") << "file"
                                                   << "the file is read-only";
    QTest::newRow("folder that cannot be written") << "folder"
                                                   << "its folder cannot be written to";
    QTest::newRow("held by another program") << "lock"
                                             << "another program is using it";
}

void DatabaseTest::aReadOnlyDatabaseOpensButRefusesEveryWrite()
{
    QFETCH(QString, cause);
    QFETCH(QString, reason);
    ScratchDatabase db;
    db.makeNumbers(3);
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto folderPermissions = QFile::permissions(db.folder());
    if (cause == u"file")
        QFile::setPermissions(db.path(), readOnly);
    else if (cause == u"folder")
        QFile::setPermissions(db.folder(), readOnly | QFileDevice::ExeOwner);
    else
        db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(db.folder(), folderPermissions);
        if (cause == u"lock")
            db.exec(QStringLiteral("ROLLBACK"));
    });
    const QByteArray before = [&] {
        QFile f(db.path());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    auto t = openTable(db.alias(), QStringLiteral("t"));
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->fieldByName(QStringLiteral("name"))->value().toString(), QStringLiteral("r1"));
    const QList<std::function<void()>> writes = {
        [&] { t->edit(); },
        [&] { t->append(); },
        [&] { t->deleteRecord(); },
        [&] { TableMaintenance::compact(*t); },
        [&] { TableMaintenance::emptyWithBackup(*t); },
        [&] { TableMaintenance::restoreFromBackup(*t); },
        [&] { TableMaintenance::clearUnreadable(*t); },
        [&] {
            auto other = std::make_unique<TTable>();
            other->setDatabaseName(db.alias());
            other->setTableName(QStringLiteral("t"));
            other->deleteTable();
        },
    };
    for (const auto &write : writes) {
        try {
            write();
            QFAIL("a read-only database took a change");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("is read-only")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
            QVERIFY2(e.message().contains(db.path()), qPrintable(e.message()));
        }
    }
    QVERIFY(t->readOnly());
    QVERIFY2(t->readOnlyMessage().contains(reason), qPrintable(t->readOnlyMessage()));
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(t->recordCount(), 3);
    t->close();
    QFile f(db.path());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void DatabaseTest::openingAndShowingRowsReadsNoPictureBytes_data()
{
    QTest::addColumn<bool>("pictureFirst");
    QTest::newRow("picture column last") << false;
    QTest::newRow("picture column first") << true;
}

void DatabaseTest::openingAndShowingRowsReadsNoPictureBytes()
{
    QFETCH(bool, pictureFirst);
    ScratchDatabase db;
    db.exec(pictureFirst
            ? QStringLiteral("CREATE TABLE p (pic GRAPHIC, name VARCHAR(10), note MEMO)")
            : QStringLiteral("CREATE TABLE p (name VARCHAR(10), note MEMO, pic GRAPHIC)"));
    db.exec(QStringLiteral(
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
        "INSERT INTO p (name, note, pic) SELECT 'n' || i, 'note', randomblob(%2) FROM c")
                .arg(PictureRecords)
                .arg(PictureBytes));
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const qint64 picturePages = qint64(PictureRecords) * PictureBytes / 4096;

    auto t = openTable(db.alias(), QStringLiteral("p")); // a fresh connection: nothing cached yet
    const auto connection = Database::open(db.path());
    const qint64 afterOpening = connection->pagesRead();
    QVERIFY2(afterOpening < picturePages / 20,
        qPrintable(QStringLiteral("%1 pages read of %2").arg(afterOpening).arg(picturePages)));

    const int pic = t->fieldByName(QStringLiteral("pic"))->index();
    const int name = t->fieldByName(QStringLiteral("name"))->index();
    for (int row = 0; row < t->recordCount(); ++row) {
        for (int f = 0; f < t->fieldCount(); ++f)
            t->displayTextAt(row, f);
        QVERIFY(!t->isNullAt(row, pic));
    }
    QCOMPARE(t->displayTextAt(PictureRecords - 1, name), QStringLiteral("n%1").arg(PictureRecords));
    QCOMPARE(t->displayTextAt(0, pic), QStringLiteral("(GRAPHIC)"));
    const qint64 afterShowing = connection->pagesRead();
    // A field stored behind a picture is reached through the picture's chain of overflow pages:
    // SQLite reads each of them once for the next page's number. Without that, nothing of it.
    const qint64 allowed = pictureFirst ? picturePages + picturePages / 10 : picturePages / 20;
    QVERIFY2(afterShowing < allowed,
        qPrintable(QStringLiteral("%1 pages read of %2").arg(afterShowing).arg(picturePages)));

    const QByteArray bytes = t->fieldByName(QStringLiteral("pic"))->asBytes();
    QCOMPARE(bytes.size(), PictureBytes);
    if (!pictureFirst)
        QVERIFY(connection->pagesRead() - afterShowing >= PictureBytes / 4096 - 1);
}

void DatabaseTest::eachThreadHasItsOwnConnection()
{
    ScratchDatabase db;
    db.makeNumbers(300);
    const auto here = Engine::database(db.alias());
    QCOMPARE(Engine::database(db.alias()).get(), here.get());
    auto t = openTable(db.alias(), QStringLiteral("t"));
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(-5);
    t->post();

    Database *there = nullptr;
    qlonglong sum = 0;
    QString failure;
    // What the picture input window's worker does: walk a table on its own thread.
    std::thread worker([&] {
        try {
            there = Engine::database(db.alias()).get();
            auto w = openTable(db.alias(), QStringLiteral("t"));
            for (w->first(); !w->eof(); w->next())
                sum += w->fieldByName(QStringLiteral("n"))->value().toLongLong();
        } catch (const EngineError &e) {
            failure = e.message();
        }
    });
    worker.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(there != here.get());
    QCOMPARE(sum, 300LL * 301 / 2 * 10 - 10 - 5);
}

void DatabaseTest::aFileThatIsNotADatabaseIsRefusedClearly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        Database::open(path);
        QFAIL("opened a text file");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("not a database")), qPrintable(e.message()));
    }
}

void DatabaseTest::aTableWithoutRowidsIsRefusedClearly()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE w (k TEXT PRIMARY KEY, v) WITHOUT ROWID"));
    db.exec(QStringLiteral("CREATE TABLE r (rowid, _rowid_, oid, v)"));
    for (const QString &name : {QStringLiteral("w"), QStringLiteral("r")}) {
        try {
            openTable(db.alias(), name);
            QFAIL("opened a table without rowids");
        } catch (const EngineError &e) {
            QVERIFY2(
                e.message().contains(QStringLiteral("“%1”").arg(name)), qPrintable(e.message()));
        }
    }
}

void DatabaseTest::aWritableDatabaseSaysNothingAboutReadOnly()
{
    ScratchDatabase db;
    db.makeNumbers(1);
    auto t = openTable(db.alias(), QStringLiteral("t"));
    QVERIFY(!t->readOnly());
    QVERIFY(t->readOnlyMessage().isEmpty());
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(7);
    t->post();
    QCOMPARE(db.query(QStringLiteral("SELECT n FROM t")).toInt(), 7);
}

void DatabaseTest::openingBrowsingAndClosingLeavesTheFileAsItWas_data()
{
    QTest::addColumn<QString>("journalMode");
    QTest::newRow("rollback journal (delete)") << "delete";
    QTest::newRow("rollback journal (truncate)") << "truncate";
    QTest::newRow("rollback journal (persist)") << "persist";
    QTest::newRow("write-ahead log") << "wal";
}

void DatabaseTest::openingBrowsingAndClosingLeavesTheFileAsItWas()
{
    QFETCH(QString, journalMode);
    ScratchDatabase db(QStringLiteral("Foreign"), journalMode);
    // As most programs make them: strings declared TEXT, photos as JPEG files in BLOBs.
    db.exec(QStringLiteral("CREATE TABLE staff (id INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                           "photo BLOB, notes TEXT, hired DATE)"));
    db.exec(QStringLiteral("CREATE INDEX staff_name ON staff (name)"));
    db.exec(QStringLiteral("CREATE VIEW names AS SELECT name FROM staff"));
    for (int i = 1; i <= 30; ++i)
        db.exec(QStringLiteral("INSERT INTO staff (name, photo, notes, hired) VALUES "
                               "('Name %1', x'ffd8ffe000104a464946', 'line one\r\nline two', "
                               "'2020-01-%2')")
                    .arg(i)
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
    db.disconnect();
    const auto before = db.folderContents();
    QVERIFY(before.contains(QStringLiteral("scratch.sqlite")));

    {
        QCOMPARE(Engine::tableNames(db.alias()), QStringList {QStringLiteral("staff")});
        auto t = openTable(db.alias(), QStringLiteral("staff"));
        QCOMPARE(t->fieldByName(QStringLiteral("name"))->dataType(), int(ftString));
        QCOMPARE(t->fieldByName(QStringLiteral("notes"))->dataType(), int(ftString));
        for (t->first(); !t->eof(); t->next()) {
            for (int f = 0; f < t->fieldCount(); ++f) {
                t->field(f)->asString();
                t->displayTextAt(t->recNo(), f);
            }
            t->fieldByName(QStringLiteral("photo"))->asBytes();
        }
        t->refresh();
        const TBookmark mark = t->bookmark();
        t->first();
        t->gotoBookmark(mark);
        t->edit(); // what activating a window does: edit and post with nothing changed
        t->post();
        t->close();
        t->open();
    }
    QCOMPARE(db.folderContents(), before);
}

void DatabaseTest::viewsVirtualTablesAndTablesWithoutRowidAreNotListed()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE first (a)"));
    db.exec(QStringLiteral("CREATE VIEW a_view AS SELECT a FROM first"));
    db.exec(QStringLiteral("CREATE VIRTUAL TABLE search USING fts5(body)"));
    db.exec(QStringLiteral("CREATE TABLE keyed (k TEXT PRIMARY KEY, v) WITHOUT ROWID"));
    db.exec(QStringLiteral("CREATE TABLE \"last one\" (b)"));
    QCOMPARE(Engine::tableNames(db.alias()),
        (QStringList {QStringLiteral("first"), QStringLiteral("last one")}));
}

void DatabaseTest::aTableKeyedByTextIsBrowsedInRowidOrder()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE codes (code TEXT PRIMARY KEY, label TEXT)"));
    db.exec(QStringLiteral("INSERT INTO codes VALUES ('zz', 'first'), ('aa', 'second'), "
                           "('mm', 'third')"));
    QVERIFY(Engine::tableNames(db.alias()).contains(QStringLiteral("codes")));
    auto t = openTable(db.alias(), QStringLiteral("codes"));
    QStringList labels;
    for (t->first(); !t->eof(); t->next())
        labels << t->fieldByName(QStringLiteral("label"))->asString();
    QCOMPARE(labels, (QStringList {"first", "second", "third"}));
    t->moveTo(1);
    const TBookmark second = t->bookmark();
    t->edit();
    t->fieldByName(QStringLiteral("code"))->setValue(QStringLiteral("ab"));
    t->post();
    t->first();
    t->gotoBookmark(second);
    QCOMPARE(t->fieldByName(QStringLiteral("label"))->asString(), QStringLiteral("second"));
    QCOMPARE(db.query(QStringLiteral("SELECT label FROM codes WHERE code = 'ab'")).toString(),
        QStringLiteral("second"));
}

namespace {

qint64 pragma(Database &db, const char *name)
{
    Statement s = db.prepare(QStringLiteral("PRAGMA main.%1").arg(QLatin1String(name)));
    return s.step() ? s.columnInt64(0) : -1;
}

} // namespace

void DatabaseTest::aDeferredCheckpointLeavesTheLogUntilItEnds_data()
{
    QTest::addColumn<QString>("journal"); // empty: as Tabvale makes one (WAL)
    QTest::addColumn<bool>("onWorker");
    QTest::newRow("WAL, then a worker") << QString() << true;
    QTest::newRow("WAL, then the next commit") << QString() << false;
    QTest::newRow("a rollback journal: nothing to defer") << QStringLiteral("delete") << true;
}

// A commit far above the automatic checkpoint's threshold stays in the log while the deferral
// lasts; what was written is there for every connection all the same. When it ends, the
// connection's threshold is back, and the worker (if asked) copies the log into the file.
void DatabaseTest::aDeferredCheckpointLeavesTheLogUntilItEnds()
{
    QFETCH(QString, journal);
    QFETCH(bool, onWorker);
    ScratchDatabase scratch(QStringLiteral("Checkpoint"), journal);
    scratch.exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, b BLOB)"));
    const auto db = Database::open(scratch.path());
    const qint64 threshold = pragma(*db, "wal_autocheckpoint");
    const qint64 before = QFileInfo(scratch.path()).size();
    const qint64 written = 3000 * pragma(*db, "page_size"); // three times the threshold's pages
    {
        const CheckpointDeferred deferred(*db,
            onWorker ? CheckpointDeferred::Afterwards::OnWorker
                     : CheckpointDeferred::Afterwards::Nothing);
        db->exec(QStringLiteral("INSERT INTO t (b) VALUES (randomblob(%1))").arg(written));
        QCOMPARE(scratch.query(QStringLiteral("SELECT length(b) FROM t")).toLongLong(), written);
        if (journal.isEmpty()) {
            QCOMPARE(pragma(*db, "wal_autocheckpoint"), 0);
            QCOMPARE(QFileInfo(scratch.path()).size(), before); // all of it in the log
        }
    }
    QCOMPARE(pragma(*db, "wal_autocheckpoint"), threshold);
    CheckpointDeferred::waitForWorkers();
    if (onWorker)
        QVERIFY(QFileInfo(scratch.path()).size() >= before + written);
    else {
        QCOMPARE(QFileInfo(scratch.path()).size(), before);
        db->exec(QStringLiteral("INSERT INTO t (b) VALUES (1)")); // its commit checkpoints
        QVERIFY(QFileInfo(scratch.path()).size() >= before + written);
    }
    QCOMPARE(scratch.query(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

TABVALE_TEST_MAIN(DatabaseTest, QCoreApplication)
#include "tst_Database.moc"
