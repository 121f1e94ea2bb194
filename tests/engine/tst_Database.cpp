// The connection layer: read-only files, what opening reads, one connection per thread.
#include "Database.h"
#include "Engine.h"
#include "EngineError.h"
#include "ScratchDatabase.h"
#include "TTable.h"
#include "common/TestEnvironment.h"

#include <QFile>
#include <QTest>
#include <thread>

namespace {

std::unique_ptr<TTable> openTable(const QString &alias, const QString &name)
{
    auto table = std::make_unique<TTable>();
    table->setDatabaseName(alias);
    table->setTableName(name);
    table->open();
    return table;
}

constexpr int PictureBytes = 200 * 1024;
constexpr int PictureRecords = 12;

} // namespace

class DatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void aReadOnlyDatabaseOpensButRefusesEveryWrite();
    void openingAndShowingRowsReadsNoPictureBytes_data();
    void openingAndShowingRowsReadsNoPictureBytes();
    void eachThreadHasItsOwnConnection();
    void aFileThatIsNotADatabaseIsRefusedClearly();
    void aTableWithoutRowidsIsRefusedClearly();
};

void DatabaseTest::aReadOnlyDatabaseOpensButRefusesEveryWrite()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    QFile::setPermissions(
        db.path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
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
        [&] { t->emptyTable(); },
        [&] {
            auto other = std::make_unique<TTable>();
            other->setDatabaseName(db.alias());
            other->setTableName(QStringLiteral("new"));
            other->fieldDefs = {{QStringLiteral("a"), QStringLiteral("TEXT")}};
            other->createTable();
        },
        [&] {
            auto copy = std::make_unique<TTable>();
            copy->setDatabaseName(db.alias());
            copy->setTableName(QStringLiteral("copy"));
            copy->batchMoveFrom(*t);
        },
    };
    for (const auto &write : writes) {
        try {
            write();
            QFAIL("a read-only database took a change");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("is read-only")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(db.path()), qPrintable(e.message()));
        }
    }
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

TABVALE_TEST_MAIN(DatabaseTest, QCoreApplication)
#include "tst_Database.moc"
