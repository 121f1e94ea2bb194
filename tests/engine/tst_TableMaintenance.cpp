// Compacting, emptying with a backup, restoring, clearing unreadable values and deleting: each
// all or nothing, with the table's whole definition kept.
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"
#include "picture/StoredPicture.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>
#include <atomic>
#include <cstring>
#include <sqlite3.h>
#include <sys/file.h>

using TableMaintenance::BackupTable;

namespace {

const QString Parts = QStringLiteral("Parts list");

// A table with everything a definition can carry, a trigger log that shows whether anything
// fired, and a child table whose cascade shows whether a foreign-key action ran.
void makeParts(ScratchDatabase &db, int records = 30)
{
    db.exec(QStringLiteral("CREATE TABLE log (what TEXT)"));
    db.exec(QStringLiteral(
        "CREATE TABLE \"Parts list\" (\n  id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
        "  code VARCHAR(8) NOT NULL COLLATE NOCASE CHECK (length(code) > 0),\n"
        "  price MONEY DEFAULT 0, -- what it costs\n  note MEMO, pic GRAPHIC, UNIQUE (code))"));
    db.exec(QStringLiteral("CREATE UNIQUE INDEX \"parts by price\" ON \"Parts list\" (price DESC, "
                           "id) WHERE price > 0"));
    db.exec(QStringLiteral("CREATE INDEX parts_note ON \"Parts list\"(note COLLATE NOCASE)"));
    db.exec(QStringLiteral("CREATE TRIGGER parts_ins AFTER INSERT ON \"Parts list\" BEGIN "
                           "INSERT INTO log VALUES ('insert ' || new.id); END"));
    db.exec(QStringLiteral("CREATE TRIGGER parts_del AFTER DELETE ON \"Parts list\" BEGIN "
                           "INSERT INTO log VALUES ('delete ' || old.id); END"));
    db.exec(QStringLiteral("CREATE TABLE orders (part INTEGER REFERENCES \"Parts list\"(id) "
                           "ON DELETE CASCADE, qty INTEGER)"));
    db.exec(QStringLiteral("CREATE VIEW cheap AS SELECT code FROM \"Parts list\" WHERE price < 9"));
    if (records > 0) {
        db.exec(QStringLiteral(
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
            "INSERT INTO \"Parts list\" (code, price, note, pic) SELECT 'P' || i, i * 1.5, "
            "'note ' || i, randomblob(3000) FROM c")
                    .arg(records));
        // Holes in the keys, and a counter above the last key.
        db.exec(QStringLiteral("DELETE FROM \"Parts list\" WHERE id % 3 = 0 OR id > %1")
                    .arg(records - 2));
        db.exec(QStringLiteral("INSERT INTO orders VALUES (1, 5), (2, 7)"));
    }
    db.exec(QStringLiteral("DELETE FROM log"));
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

// Every record of a table, rowid and each value with its storage class.
QStringList records(ScratchDatabase &db, const QString &table)
{
    QStringList parts {QStringLiteral("rowid")};
    for (const QVariant &name :
        db.column(QStringLiteral("SELECT name FROM pragma_table_info('%1')")
                      .arg(QString(table).replace(u'\'', QStringLiteral("''")))))
        parts << QStringLiteral("typeof(\"%1\") || ':' || quote(\"%1\")").arg(name.toString());
    QStringList rows;
    for (const QVariant &row :
        db.column(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid")
                      .arg(parts.join(QStringLiteral(" || ' | ' || ")), table)))
        rows << row.toString();
    return rows;
}

// Every object of the database as SQLite keeps it (where it is stored left out).
QStringList schema(ScratchDatabase &db)
{
    QStringList objects;
    for (const QVariant &v : db.column(QStringLiteral(
             "SELECT type || ' ' || name || ' on ' || tbl_name || ': ' || ifnull(sql, '-') "
             "FROM sqlite_master ORDER BY type, name")))
        objects << v.toString();
    return objects;
}

// The AUTOINCREMENT counters by table.
QStringList sequences(ScratchDatabase &db)
{
    QStringList list;
    for (const QVariant &v :
        db.column(QStringLiteral("SELECT name || '=' || seq FROM sqlite_sequence ORDER BY name")))
        list << v.toString();
    return list;
}

// Everything a maintenance command could change by mistake.
struct State
{
    QStringList schema, parts, log, orders, backup, sequence;
    bool operator==(const State &) const = default;
};

State stateOf(ScratchDatabase &db)
{
    State s;
    s.schema = schema(db);
    s.parts = records(db, Parts);
    s.log = records(db, QStringLiteral("log"));
    s.orders = records(db, QStringLiteral("orders"));
    if (db.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '$$$Backup'"))
            .toInt())
        s.backup = records(db, BackupTable);
    s.sequence = sequences(db);
    return s;
}

enum class Command { Compact, Empty, Restore, ClearErrors, Delete };

void run(Command command, TTable &table)
{
    switch (command) {
    case Command::Compact:
        TableMaintenance::compact(table);
        break;
    case Command::Empty:
        TableMaintenance::emptyWithBackup(table);
        break;
    case Command::Restore:
        QVERIFY(TableMaintenance::restoreFromBackup(table));
        break;
    case Command::ClearErrors:
        QVERIFY(TableMaintenance::clearUnreadable(table));
        break;
    case Command::Delete:
        TableMaintenance::deleteTable(table);
        break;
    }
}

// Denies the k-th statement that would write anything (commit included); 0 denies none and counts.
struct WriteFault
{
    int denyAt = 0;
    int writes = 0;

    static int authorize(
        void *self, int action, const char *what, const char *, const char *, const char *)
    {
        auto *fault = static_cast<WriteFault *>(self);
        switch (action) {
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
        case SQLITE_CREATE_TABLE:
        case SQLITE_CREATE_INDEX:
        case SQLITE_CREATE_TRIGGER:
        case SQLITE_DROP_TABLE:
        case SQLITE_DROP_INDEX:
        case SQLITE_DROP_TRIGGER:
        case SQLITE_ALTER_TABLE:
            break;
        case SQLITE_SAVEPOINT:
            if (qstrcmp(what, "RELEASE") == 0)
                break;
            return SQLITE_OK;
        default:
            return SQLITE_OK;
        }
        return ++fault->writes == fault->denyAt ? SQLITE_DENY : SQLITE_OK;
    }
};

// An existing file takes another auto-vacuum mode with a VACUUM.
void useIncrementalVacuum(ScratchDatabase &db)
{
    db.exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"));
    db.exec(QStringLiteral("VACUUM"));
    QCOMPARE(db.query(QStringLiteral("PRAGMA auto_vacuum")).toInt(), 2);
}

// A database in the state a command starts from: for a restore, a backup of other records.
void prepareFor(Command command, ScratchDatabase &db, int records = 30)
{
    // Compacting rebuilds the table step by step where no VACUUM rebuilds the whole file.
    if (command == Command::Compact)
        useIncrementalVacuum(db);
    makeParts(db, records);
    if (command != Command::Restore)
        return;
    auto table = openTable(db.alias(), Parts);
    TableMaintenance::emptyWithBackup(*table);
    db.exec(QStringLiteral("INSERT INTO \"Parts list\" (code, price) VALUES ('new', 2)"));
    db.exec(QStringLiteral("DELETE FROM log"));
}

QByteArray storedBitmap(int code)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    return StoredPicture::encode(image, code);
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TableMaintenanceTest : public QObject
{
    Q_OBJECT
private slots:
    void compactKeepsRecordsKeysAndTheWholeDefinitionAndFiresNothing();
    void compactGivesTheFreePagesBack();
    void compactKeepsTheRowidsOfTablesWithoutAnyIndex();
    void compactWithAutoVacuumRebuildsTheTableAndFreesItsPages();
    void aCompactThatCannotRunLeavesEverythingAsItWas();
    void aFailureAtAnyStepLeavesEverythingAsItWas_data();
    void aFailureAtAnyStepLeavesEverythingAsItWas();
    void aFullDiskLeavesEverythingAsItWas_data();
    void aFullDiskLeavesEverythingAsItWas();
    void noCommandInventsARecordInAnEmptyTable_data();
    void noCommandInventsARecordInAnEmptyTable();
    void emptyingBacksUpEveryRecordThenDeletesThemWithNothingFired();
    void emptyThenRestoreGivesTheRecordsAndDefinitionBack();
    void restoringTwiceGivesTheSameResult();
    void restoringIntoAnotherTableGivesItTheBackupsFieldsAndRecords();
    void restoreWithoutBackupChangesNothing();
    void theLookingPassFindsEachKindOfUnreadableValue_data();
    void theLookingPassFindsEachKindOfUnreadableValue();
    void clearingSetsExactlyTheUnreadableValuesToNull();
    void stoppingAPassChangesNothing();
    void deleteRefusesWhileAnotherTableObjectHasTheTableOpen();
    void everyCommandKeepsTheOrderOfTheTables_data();
    void everyCommandKeepsTheOrderOfTheTables();
    void recordsReferringToCountsTheRecordsThatNameOne_data();
    void recordsReferringToCountsTheRecordsThatNameOne();
    void relatedRecordsStayAsTheyAreThroughEmptyRestoreAndDelete_data();
    void relatedRecordsStayAsTheyAreThroughEmptyRestoreAndDelete();
    void aCompactionRacedByAnotherProgramChangesNothing();
    void theNextCommandRemovesWhatAnEarlierCompactionLeft_data();
    void theNextCommandRemovesWhatAnEarlierCompactionLeft();
    void compactingATableNamedLikeAKeptTableKeepsThatTable_data();
    void compactingATableNamedLikeAKeptTableKeepsThatTable();
};

void TableMaintenanceTest::compactKeepsRecordsKeysAndTheWholeDefinitionAndFiresNothing()
{
    ScratchDatabase db;
    makeParts(db);
    db.exec(QStringLiteral("CREATE TABLE \"$$$Parts list\" (junk)")); // left from a crash
    const QStringList before = records(db, Parts);
    const QStringList sequence = sequences(db);
    QStringList objects = schema(db);
    objects.removeIf([](const QString &o) { return o.contains(QStringLiteral("$$$")); });
    auto table = openTable(db.alias(), Parts);
    table->moveTo(3);
    // The engine's connection follows foreign keys here: a cascade would empty "orders".
    const auto connection = Engine::database(db.alias());
    connection->exec(QStringLiteral("PRAGMA foreign_keys = ON"));

    TableMaintenance::compact(*table);

    QCOMPARE(records(db, Parts), before);
    QCOMPARE(schema(db), objects); // no "$$$" table, indexes and triggers as written
    QCOMPARE(sequences(db), sequence);
    QCOMPARE(records(db, QStringLiteral("log")), QStringList());
    QCOMPARE(records(db, QStringLiteral("orders")).size(), 2);
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM cheap")).toInt(), 4);
    QVERIFY(table->active());
    QCOMPARE(table->recordCount(), before.size());
    Statement foreignKeys = connection->prepare(QStringLiteral("PRAGMA foreign_keys"));
    QVERIFY(foreignKeys.step());
    QCOMPARE(foreignKeys.columnInt64(0), 1);
    // The next key follows the counter, not the last record.
    db.exec(QStringLiteral("INSERT INTO \"Parts list\" (code) VALUES ('next')"));
    QCOMPARE(db.query(QStringLiteral("SELECT max(id) FROM \"Parts list\"")).toInt(), 31);
}

void TableMaintenanceTest::compactKeepsTheRowidsOfTablesWithoutAnyIndex()
{
    // Giving the space back rebuilds the whole file, and a plain rebuild would number the
    // records of such tables anew, here and in every other table of the database.
    ScratchDatabase db;
    for (const QString table : {"plain", "other"}) {
        db.exec(QStringLiteral("CREATE TABLE %1 (v, w)").arg(table));
        db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < 300) INSERT INTO %1 SELECT i, randomblob(300) FROM n")
                    .arg(table));
        db.exec(QStringLiteral("DELETE FROM %1 WHERE v % 3 <> 0").arg(table));
    }
    const auto rowids = [&](const QString &table) {
        return db.column(
            QStringLiteral("SELECT rowid || ':' || v FROM %1 ORDER BY rowid").arg(table));
    };
    const QVariantList plain = rowids(QStringLiteral("plain"));
    const QVariantList other = rowids(QStringLiteral("other"));
    const QStringList objects = schema(db);
    QCOMPARE(plain.first().toString(), QStringLiteral("3:3"));
    auto table = openTable(db.alias(), QStringLiteral("plain"));
    TableMaintenance::compact(*table);
    QCOMPARE(db.query(QStringLiteral("PRAGMA freelist_count")).toLongLong(), 0);
    QCOMPARE(rowids(QStringLiteral("plain")), plain);
    QCOMPARE(rowids(QStringLiteral("other")), other);
    QCOMPARE(schema(db), objects); // nothing was made to keep them
    table->moveTo(1);
    QCOMPARE(table->fieldByName(QStringLiteral("v"))->value().toInt(), 6);
}

void TableMaintenanceTest::compactGivesTheFreePagesBack()
{
    ScratchDatabase db;
    makeParts(db, 400);
    db.exec(QStringLiteral("DELETE FROM \"Parts list\" WHERE id > 40"));
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const qint64 pages = db.query(QStringLiteral("PRAGMA page_count")).toLongLong();
    QVERIFY(db.query(QStringLiteral("PRAGMA freelist_count")).toLongLong() > pages / 2);
    auto table = openTable(db.alias(), Parts);
    QList<TableMaintenance::Step> steps;
    TableMaintenance::compact(*table, [&](TableMaintenance::Step step, qint64, qint64) {
        if (steps.isEmpty() || steps.last() != step)
            steps << step;
        return true;
    });
    QCOMPARE(db.query(QStringLiteral("PRAGMA freelist_count")).toLongLong(), 0);
    QVERIFY(db.query(QStringLiteral("PRAGMA page_count")).toLongLong() < pages / 2);
    QVERIFY(QFileInfo(db.path()).size() < pages / 2 * 4096);
    // The rebuild of the whole file is the table's rebuild: nothing is copied twice.
    QCOMPARE(steps, QList<TableMaintenance::Step> {TableMaintenance::Step::FreeingSpace});
    QCOMPARE(table->recordCount(), 27);
}

void TableMaintenanceTest::compactWithAutoVacuumRebuildsTheTableAndFreesItsPages()
{
    ScratchDatabase db;
    useIncrementalVacuum(db);
    makeParts(db, 400);
    db.exec(QStringLiteral("DELETE FROM \"Parts list\" WHERE id > 40"));
    const QStringList before = records(db, Parts);
    const QStringList objects = schema(db);
    const QStringList log = records(db, QStringLiteral("log"));
    auto table = openTable(db.alias(), Parts);
    QList<TableMaintenance::Step> steps;
    TableMaintenance::compact(*table, [&](TableMaintenance::Step step, qint64, qint64) {
        if (steps.isEmpty() || steps.last() != step)
            steps << step;
        return true;
    });
    QCOMPARE(steps,
        QList<TableMaintenance::Step>(
            {TableMaintenance::Step::CopyingOut, TableMaintenance::Step::CopyingBack}));
    QCOMPARE(db.query(QStringLiteral("PRAGMA freelist_count")).toLongLong(), 0);
    QCOMPARE(records(db, Parts), before);
    QCOMPARE(schema(db), objects);
    QCOMPARE(records(db, QStringLiteral("log")), log); // nothing fired
}

void TableMaintenanceTest::aCompactThatCannotRunLeavesEverythingAsItWas()
{
    // Another program holds the database for writing: the rebuild of the file cannot start.
    ScratchDatabase db;
    makeParts(db);
    const State before = stateOf(db);
    auto table = openTable(db.alias(), Parts);
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    QVERIFY_THROWS_EXCEPTION(EngineError, TableMaintenance::compact(*table));
    db.exec(QStringLiteral("ROLLBACK"));
    QVERIFY(stateOf(db) == before);
    QVERIFY(table->active());
    QCOMPARE(table->recordCount(), before.parts.size());
}

void TableMaintenanceTest::aFailureAtAnyStepLeavesEverythingAsItWas_data()
{
    QTest::addColumn<Command>("command");
    QTest::newRow("compact") << Command::Compact;
    QTest::newRow("empty with backup") << Command::Empty;
    QTest::newRow("restore") << Command::Restore;
}

void TableMaintenanceTest::aFailureAtAnyStepLeavesEverythingAsItWas()
{
    QFETCH(Command, command);
    // How many writes the command makes when nothing fails.
    int writes = 0;
    {
        ScratchDatabase db;
        prepareFor(command, db);
        auto table = openTable(db.alias(), Parts);
        WriteFault count;
        sqlite3_set_authorizer(
            Engine::database(db.alias())->handle(), WriteFault::authorize, &count);
        run(command, *table);
        sqlite3_set_authorizer(Engine::database(db.alias())->handle(), nullptr, nullptr);
        writes = count.writes;
    }
    QVERIFY(writes > 10);
    qInfo("a failure at each of the command's %d writes", writes);
    for (int k = 1; k <= writes; ++k) {
        ScratchDatabase db;
        prepareFor(command, db);
        const State before = stateOf(db);
        auto table = openTable(db.alias(), Parts);
        const int recordsBefore = table->recordCount();
        WriteFault fault {k};
        sqlite3 *handle = Engine::database(db.alias())->handle();
        sqlite3_set_authorizer(handle, WriteFault::authorize, &fault);
        bool failed = false;
        try {
            run(command, *table);
        } catch (const EngineError &) {
            failed = true;
        }
        sqlite3_set_authorizer(handle, nullptr, nullptr);
        const QByteArray where
            = QByteArray("write ") + QByteArray::number(k) + " of " + QByteArray::number(writes);
        QVERIFY2(failed, where);
        QVERIFY2(stateOf(db) == before, where);
        QVERIFY2(table->active(), where);
        QVERIFY2(table->recordCount() == recordsBefore, where);
        QVERIFY2(table->fieldByName(QStringLiteral("code"))->value()
                == (command == Command::Restore ? QVariant(QStringLiteral("new"))
                                                : QVariant(QStringLiteral("P1"))),
            where);
    }
}

void TableMaintenanceTest::aFullDiskLeavesEverythingAsItWas_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("freePages");
    for (int pages : {2, 40, 120}) {
        QTest::addRow("compact, %d pages free", pages) << Command::Compact << pages;
        QTest::addRow("empty, %d pages free", pages) << Command::Empty << pages;
        QTest::addRow("restore, %d pages free", pages) << Command::Restore << pages;
    }
}

void TableMaintenanceTest::aFullDiskLeavesEverythingAsItWas()
{
    QFETCH(Command, command);
    QFETCH(int, freePages);
    ScratchDatabase db;
    prepareFor(command, db, 300);
    db.exec(QStringLiteral("VACUUM")); // no free pages to reuse: every page written is a new one
    const State before = stateOf(db);
    auto table = openTable(db.alias(), Parts);
    const auto connection = Engine::database(db.alias());
    const qint64 pages = db.query(QStringLiteral("PRAGMA page_count")).toLongLong();
    if (command == Command::Compact) {
        // The table is rebuilt in the pages it frees; its records are held meanwhile in the
        // temporary folder, and that disk is the one that fills.
        connection->exec(QStringLiteral("PRAGMA temp.max_page_count = %1").arg(freePages));
    } else {
        connection->exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + freePages));
    }
    QVERIFY_THROWS_EXCEPTION(EngineError, run(command, *table));
    QVERIFY(stateOf(db) == before);
    QVERIFY(table->active());
    QCOMPARE(table->recordCount(), before.parts.size());
}

void TableMaintenanceTest::noCommandInventsARecordInAnEmptyTable_data()
{
    aFailureAtAnyStepLeavesEverythingAsItWas_data();
}

void TableMaintenanceTest::noCommandInventsARecordInAnEmptyTable()
{
    QFETCH(Command, command);
    ScratchDatabase db;
    makeParts(db, 0);
    auto table = openTable(db.alias(), Parts);
    if (command == Command::Restore)
        TableMaintenance::emptyWithBackup(*table);
    table->edit(); // an insert, as on every table without records
    run(command, *table);
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM \"Parts list\"")).toInt(), 0);
    if (command != Command::Compact)
        QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM \"$$$Backup\"")).toInt(), 0);
    QVERIFY(table->active());
    QCOMPARE(table->recordCount(), 0);
}

void TableMaintenanceTest::emptyingBacksUpEveryRecordThenDeletesThemWithNothingFired()
{
    ScratchDatabase db;
    makeParts(db);
    db.exec(QStringLiteral("CREATE TABLE \"$$$Backup\" (older)"));
    db.exec(QStringLiteral("INSERT INTO \"$$$Backup\" VALUES ('an earlier backup')"));
    const QStringList before = records(db, Parts);
    auto table = openTable(db.alias(), Parts);
    table->edit();
    table->fieldByName(QStringLiteral("note"))->setValue(QStringLiteral("typed, not posted"));
    // Were the connection's cascade to act, "orders" would lose its records.
    Engine::database(db.alias())->exec(QStringLiteral("PRAGMA foreign_keys = ON"));

    TableMaintenance::emptyWithBackup(*table);

    QCOMPARE(table->recordCount(), 0);
    QVERIFY(table->active());
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM \"Parts list\"")).toInt(), 0);
    const QStringList backup = records(db, BackupTable);
    QCOMPARE(backup.size(), before.size());
    QVERIFY(backup.first().contains(QStringLiteral("'typed, not posted'")));
    QCOMPARE(backup.mid(1), before.mid(1));
    // No delete trigger fired, no cascade emptied "orders"; the backup's definition is the table's.
    QCOMPARE(records(db, QStringLiteral("log")), QStringList());
    QCOMPARE(records(db, QStringLiteral("orders")).size(), 2);
    QCOMPARE(db.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = '$$$Backup'"))
                 .toString(),
        db.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Parts list'"))
            .toString()
            .replace(QStringLiteral("\"Parts list\""), QStringLiteral("\"$$$Backup\"")));
    QCOMPARE(db.column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                                      "tbl_name = '$$$Backup' AND sql IS NOT NULL ORDER BY name")),
        QVariantList(
            {QStringLiteral("$$$Backup parts by price"), QStringLiteral("$$$Backup parts_note")}));
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' "
                                     "AND tbl_name = '$$$Backup'"))
                 .toInt(),
        0);
}

void TableMaintenanceTest::emptyThenRestoreGivesTheRecordsAndDefinitionBack()
{
    ScratchDatabase db;
    makeParts(db);
    const QStringList before = records(db, Parts);
    const QStringList objects = schema(db);
    const QStringList sequence = sequences(db);
    auto table = openTable(db.alias(), Parts);
    TableMaintenance::emptyWithBackup(*table);
    db.exec(QStringLiteral("DELETE FROM log"));
    QVERIFY(TableMaintenance::restoreFromBackup(*table));
    QCOMPARE(records(db, Parts), before);
    QStringList withBackup = schema(db);
    withBackup.removeIf([](const QString &o) { return o.contains(QStringLiteral("$$$Backup")); });
    QCOMPARE(withBackup, objects);
    QVERIFY(sequences(db).contains(sequence.first()));
    QCOMPARE(records(db, QStringLiteral("log")), QStringList()); // the records came back as stored
    QCOMPARE(table->recordCount(), before.size());
}

void TableMaintenanceTest::restoringTwiceGivesTheSameResult()
{
    ScratchDatabase db;
    makeParts(db);
    auto table = openTable(db.alias(), Parts);
    TableMaintenance::emptyWithBackup(*table);
    QVERIFY(TableMaintenance::restoreFromBackup(*table));
    db.exec(QStringLiteral("DELETE FROM log")); // what the emptying's delete triggers wrote
    const State once = stateOf(db);
    db.exec(QStringLiteral("DELETE FROM \"Parts list\" WHERE id < 10"));
    db.exec(QStringLiteral("DELETE FROM log"));
    QVERIFY(TableMaintenance::restoreFromBackup(*table));
    QVERIFY(stateOf(db) == once);
}

void TableMaintenanceTest::restoringIntoAnotherTableGivesItTheBackupsFieldsAndRecords()
{
    ScratchDatabase db;
    makeParts(db);
    db.exec(QStringLiteral("CREATE TABLE b (name TEXT UNIQUE, born DATE)"));
    db.exec(QStringLiteral("CREATE INDEX b_born ON b (born)"));
    db.exec(QStringLiteral("INSERT INTO b VALUES ('x', '2001-02-03'), ('y', NULL)"));
    const QStringList bRecords = records(db, QStringLiteral("b"));
    auto a = openTable(db.alias(), Parts);
    TableMaintenance::emptyWithBackup(*a);
    auto b = openTable(db.alias(), QStringLiteral("b"));
    TableMaintenance::emptyWithBackup(*b);
    QVERIFY(TableMaintenance::restoreFromBackup(*a));
    QCOMPARE(records(db, Parts), bRecords);
    QCOMPARE(a->fieldCount(), 2);
    QCOMPARE(a->field(1)->fieldName(), QStringLiteral("born"));
    QCOMPARE(db.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Parts list'"))
                 .toString(),
        QStringLiteral("CREATE TABLE \"Parts list\" (name TEXT UNIQUE, born DATE)"));
    QCOMPARE(
        db.query(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'b_born'")).toString(),
        QStringLiteral("CREATE INDEX b_born ON b (born)")); // b's own, where it was
    QCOMPARE(db.column(QStringLiteral("SELECT name FROM sqlite_master WHERE tbl_name = "
                                      "'Parts list' AND sql IS NOT NULL ORDER BY name")),
        QVariantList({QStringLiteral("Parts list"), QStringLiteral("Parts list b_born")}));
    // A table cannot take another definition in place: made anew, it follows the older tables.
    QCOMPARE(Engine::tableNames(db.alias()),
        QStringList({QStringLiteral("log"), QStringLiteral("orders"), QStringLiteral("b"), Parts,
            BackupTable}));
}

void TableMaintenanceTest::restoreWithoutBackupChangesNothing()
{
    ScratchDatabase db;
    makeParts(db);
    const State before = stateOf(db);
    auto table = openTable(db.alias(), Parts);
    table->moveTo(2);
    QVERIFY(!TableMaintenance::restoreFromBackup(*table));
    QVERIFY(stateOf(db) == before);
    QVERIFY(table->active());
    QCOMPARE(table->recNo(), 2);
}

void TableMaintenanceTest::theLookingPassFindsEachKindOfUnreadableValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value"); // an SQL expression
    QTest::addColumn<bool>("readable");
    const QString jpeg = QString::fromLatin1(PictureSamples::jpeg(
        PictureSamples::quadrants({16, 16}), PictureSamples::JpegKind::Baseline)
                                                 .toHex());
    QTest::newRow("a whole number") << "n"
                                    << "42" << true;
    QTest::newRow("text in a whole-number field") << "n"
                                                  << "'forty'" << false;
    QTest::newRow("a small integer out of range") << "s"
                                                  << "40000" << false;
    QTest::newRow("a date") << "d"
                            << "'2020-02-29'" << true;
    QTest::newRow("an impossible date") << "d"
                                        << "'2021-02-30'" << false;
    QTest::newRow("a string of its size") << "code"
                                          << "'abc'" << true;
    QTest::newRow("a string over its size") << "code"
                                            << "'abcd'" << false;
    QTest::newRow("a memo of text") << "note"
                                    << "'备注 text'" << true;
    QTest::newRow("a memo blob of UTF-8") << "note"
                                          << "CAST('备注' AS BLOB)" << true;
    QTest::newRow("memo bytes that are no text") << "note"
                                                 << "x'FF00FE'" << false;
    QTest::newRow("memo text that is no UTF-8") << "note"
                                                << "CAST(x'C328' AS TEXT)" << false;
    QTest::newRow("a stored bitmap with header")
        << "pic" << QStringLiteral("x'%1'").arg(QString::fromLatin1(storedBitmap(17).toHex()))
        << true;
    QTest::newRow("a bitmap in a BLOB field")
        << "raw" << QStringLiteral("x'%1'").arg(QString::fromLatin1(storedBitmap(15).toHex()))
        << true;
    QTest::newRow("a JPEG in a BLOB field") << "raw" << QStringLiteral("x'%1'").arg(jpeg) << true;
    QTest::newRow("bytes no decoder reads") << "raw"
                                            << "x'00112233445566'" << false;
    QTest::newRow("a cut-off bitmap")
        << "pic"
        << QStringLiteral("x'%1'").arg(QString::fromLatin1(storedBitmap(17).left(40).toHex()))
        << false;
}

namespace {

void makeValues(ScratchDatabase &db)
{
    db.exec(QStringLiteral("CREATE TABLE v (n INTEGER, s SMALLINT, d DATE, code VARCHAR(3), "
                           "note MEMO, pic GRAPHIC, raw BLOB, keep INTEGER NOT NULL)"));
    db.exec(QStringLiteral(
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 200) "
        "INSERT INTO v SELECT i, i, '2000-01-02', 'c' || (i % 10), 'note', NULL, NULL, i FROM c"));
}

} // namespace

void TableMaintenanceTest::theLookingPassFindsEachKindOfUnreadableValue()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, readable);
    ScratchDatabase db;
    makeValues(db);
    auto table = openTable(db.alias(), QStringLiteral("v"));
    QCOMPARE(TableMaintenance::lookForUnreadable(*table), TableMaintenance::Look::Clean);
    db.exec(QStringLiteral("UPDATE v SET \"%1\" = %2 WHERE rowid = 150").arg(field, value));
    const QStringList before = records(db, QStringLiteral("v"));
    QCOMPARE(TableMaintenance::lookForUnreadable(*table),
        readable ? TableMaintenance::Look::Clean : TableMaintenance::Look::Unreadable);
    QCOMPARE(records(db, QStringLiteral("v")), before);
    QCOMPARE(TableMaintenance::clearUnreadable(*table), std::optional<int>(readable ? 0 : 1));
    QCOMPARE(db.query(QStringLiteral("SELECT \"%1\" IS NULL FROM v WHERE rowid = 150").arg(field))
                 .toInt(),
        readable ? 0 : 1);
}

void TableMaintenanceTest::clearingSetsExactlyTheUnreadableValuesToNull()
{
    ScratchDatabase db;
    makeValues(db);
    db.exec(QStringLiteral("UPDATE v SET n = 'x' WHERE rowid IN (1, 100, 200)"));
    db.exec(QStringLiteral("UPDATE v SET raw = x'0102', pic = x'424D' WHERE rowid = 100"));
    db.exec(QStringLiteral("UPDATE v SET keep = 'no number' WHERE rowid = 50"));
    db.exec(QStringLiteral("CREATE TABLE edits (what)"));
    db.exec(QStringLiteral("CREATE TRIGGER v_upd AFTER UPDATE ON v BEGIN "
                           "INSERT INTO edits VALUES (old.rowid); END"));
    QStringList expected = records(db, QStringLiteral("v"));
    for (int row : {0, 99, 199})
        expected[row].replace(QStringLiteral("text:'x'"), QStringLiteral("null:NULL"));
    expected[99].replace(QStringLiteral("blob:X'0102'"), QStringLiteral("null:NULL"));
    expected[99].replace(QStringLiteral("blob:X'424D'"), QStringLiteral("null:NULL"));
    auto table = openTable(db.alias(), QStringLiteral("v"));
    table->moveTo(120);

    QCOMPARE(TableMaintenance::clearUnreadable(*table), std::optional<int>(5));

    QCOMPARE(records(db, QStringLiteral("v")), expected); // the NOT NULL field kept its value
    QCOMPARE(db.column(QStringLiteral("SELECT what FROM edits")),
        QVariantList({1, 100, 100, 100, 200})); // one write a cleared value
    QVERIFY(table->active());
    QCOMPARE(table->recordCount(), 200);
}

void TableMaintenanceTest::stoppingAPassChangesNothing()
{
    ScratchDatabase db;
    makeValues(db);
    db.exec(QStringLiteral("UPDATE v SET n = 'x' WHERE rowid = 190"));
    const QStringList before = records(db, QStringLiteral("v"));
    auto table = openTable(db.alias(), QStringLiteral("v"));
    qint64 seen = 0;
    const auto stopEarly = [&](TableMaintenance::Step, qint64 done, qint64 total) {
        seen = done;
        return total == 200 && done < 64;
    };
    QCOMPARE(
        TableMaintenance::lookForUnreadable(*table, stopEarly), TableMaintenance::Look::Stopped);
    QCOMPARE(seen, 64);
    QCOMPARE(TableMaintenance::clearUnreadable(*table, stopEarly), std::nullopt);
    QCOMPARE(records(db, QStringLiteral("v")), before);
    QVERIFY(table->active());
}

void TableMaintenanceTest::deleteRefusesWhileAnotherTableObjectHasTheTableOpen()
{
    ScratchDatabase db;
    makeParts(db);
    auto table = openTable(db.alias(), Parts);
    auto elsewhere = openTable(db.alias(), Parts);
    try {
        TableMaintenance::deleteTable(*table);
        QFAIL("deleted a table another window shows");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("another window")), qPrintable(e.message()));
    }
    QVERIFY(table->active());
    elsewhere->close();
    TableMaintenance::deleteTable(*table);
    QVERIFY(!table->active());
    QVERIFY(!Engine::tableNames(db.alias()).contains(Parts));
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE tbl_name = "
                                     "'Parts list'"))
                 .toInt(),
        0);
}

void TableMaintenanceTest::everyCommandKeepsTheOrderOfTheTables_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("autoVacuum");
    QTest::newRow("compact, the whole file rebuilt") << Command::Compact << false;
    QTest::newRow("compact with auto-vacuum") << Command::Compact << true;
    QTest::newRow("empty, replacing another table's backup") << Command::Empty << false;
    QTest::newRow("restore") << Command::Restore << false;
    QTest::newRow("clear errors") << Command::ClearErrors << false;
    QTest::newRow("delete") << Command::Delete << false;
}

void TableMaintenanceTest::everyCommandKeepsTheOrderOfTheTables()
{
    QFETCH(Command, command);
    QFETCH(bool, autoVacuum);
    ScratchDatabase db;
    if (autoVacuum)
        useIncrementalVacuum(db);
    db.exec(QStringLiteral("CREATE TABLE first (v)")); // no index: VACUUM would renumber it
    db.exec(QStringLiteral("INSERT INTO first VALUES (1), (2), (3)"));
    makeParts(db);
    db.exec(QStringLiteral("UPDATE \"Parts list\" SET price = 'free' WHERE id = 4"));
    {
        // The backup of another table, made before the last table was.
        auto log
            = openTable(db.alias(), command == Command::Restore ? Parts : QStringLiteral("log"));
        TableMaintenance::emptyWithBackup(*log);
    }
    db.exec(QStringLiteral("CREATE TABLE later (x)"));
    QStringList expected = Engine::tableNames(db.alias());
    QCOMPARE(expected,
        QStringList({QStringLiteral("first"), QStringLiteral("log"), Parts,
            QStringLiteral("orders"), QStringLiteral("later"), BackupTable}));
    auto table = openTable(db.alias(), Parts);
    run(command, *table);
    if (command == Command::Delete)
        expected.removeOne(Parts);
    QCOMPARE(Engine::tableNames(db.alias()), expected);
}

void TableMaintenanceTest::recordsReferringToCountsTheRecordsThatNameOne_data()
{
    QTest::addColumn<QString>("children"); // statements run after the table "parent" is made
    QTest::addColumn<QStringList>("expected"); // "table: records"
    QTest::newRow("a key naming the primary key; null and missing records do not count")
        << "CREATE TABLE c (p REFERENCES parent); INSERT INTO c VALUES (1), (1), (2), (9), (NULL)"
        << QStringList {"c: 3"};
    QTest::newRow("a key naming a unique column compares by its collation")
        << "CREATE TABLE c (code REFERENCES parent (code)); "
           "INSERT INTO c VALUES ('a'), ('B'), ('z')"
        << QStringList {"c: 2"};
    QTest::newRow("a key of two columns")
        << "CREATE TABLE c (x, y, FOREIGN KEY (x, y) REFERENCES parent (a, b)); "
           "INSERT INTO c VALUES (1, 1), (1, 2), (3, 3)"
        << QStringList {"c: 2"};
    QTest::newRow("a record with two keys counts once")
        << "CREATE TABLE c (p REFERENCES parent, q REFERENCES parent); "
           "INSERT INTO c VALUES (1, 2), (1, NULL), (9, 9)"
        << QStringList {"c: 2"};
    QTest::newRow("the table named in other letters")
        << "CREATE TABLE c (p REFERENCES PARENT); INSERT INTO c VALUES (3)" << QStringList {"c: 1"};
    QTest::newRow("tables in the order they were made")
        << "CREATE TABLE z (p REFERENCES parent); CREATE TABLE a (p REFERENCES parent); "
           "CREATE TABLE other (p); INSERT INTO z VALUES (1); INSERT INTO a VALUES (1), (2); "
           "INSERT INTO other VALUES (1)"
        << QStringList {"z: 1", "a: 2"};
    QTest::newRow("no record names one") << "CREATE TABLE c (p REFERENCES parent); "
                                            "INSERT INTO c VALUES (7)"
                                         << QStringList {};
    QTest::newRow("a key to columns the table does not have")
        << "CREATE TABLE c (p REFERENCES parent (missing)); INSERT INTO c VALUES (1)"
        << QStringList {};
    QTest::newRow("the backup's copies")
        << "CREATE TABLE \"$$$Backup\" (p REFERENCES parent); INSERT INTO \"$$$Backup\" VALUES (1)"
        << QStringList {};
}

void TableMaintenanceTest::recordsReferringToCountsTheRecordsThatNameOne()
{
    QFETCH(QString, children);
    QFETCH(QStringList, expected);
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE parent (id INTEGER PRIMARY KEY, code TEXT UNIQUE "
                           "COLLATE NOCASE, a, b, UNIQUE (a, b))"));
    db.exec(QStringLiteral("INSERT INTO parent VALUES (1, 'A', 1, 1), (2, 'B', 2, 2), "
                           "(3, 'C', 3, 3)"));
    db.exec(children);
    auto table = openTable(db.alias(), QStringLiteral("parent"));
    QStringList found;
    for (const RelatedRecords::Referrer &r : TableMaintenance::recordsReferringTo(*table))
        found << QStringLiteral("%1: %2").arg(r.table).arg(r.records);
    QCOMPARE(found, expected);
}

void TableMaintenanceTest::relatedRecordsStayAsTheyAreThroughEmptyRestoreAndDelete_data()
{
    QTest::addColumn<bool>("foreignKeys"); // whether the engine's connection enforces them
    QTest::addColumn<Command>("command");
    for (const bool on : {false, true}) {
        const char *keys = on ? "foreign keys enforced" : "foreign keys not enforced";
        QTest::addRow("empty and restore, %s", keys) << on << Command::Restore;
        QTest::addRow("delete, %s", keys) << on << Command::Delete;
    }
}

void TableMaintenanceTest::relatedRecordsStayAsTheyAreThroughEmptyRestoreAndDelete()
{
    QFETCH(bool, foreignKeys);
    QFETCH(Command, command);
    ScratchDatabase db;
    makeParts(db); // "orders" cascades deletes
    db.exec(QStringLiteral("CREATE TABLE notes (part INTEGER REFERENCES \"Parts list\" "
                           "ON DELETE SET NULL ON UPDATE CASCADE, what TEXT)"));
    db.exec(QStringLiteral("INSERT INTO notes VALUES (1, 'one'), (4, 'four'), (NULL, 'none')"));
    const QStringList orders = records(db, QStringLiteral("orders"));
    const QStringList notes = records(db, QStringLiteral("notes"));
    auto table = openTable(db.alias(), Parts);
    Engine::database(db.alias())
        ->exec(QStringLiteral("PRAGMA foreign_keys = %1").arg(foreignKeys ? 1 : 0));
    QStringList referrers;
    for (const RelatedRecords::Referrer &r : TableMaintenance::recordsReferringTo(*table))
        referrers << QStringLiteral("%1: %2").arg(r.table).arg(r.records);
    QCOMPARE(referrers, QStringList({"orders: 2", "notes: 2"}));

    if (command == Command::Restore) {
        TableMaintenance::emptyWithBackup(*table);
        QCOMPARE(records(db, QStringLiteral("orders")), orders);
        QCOMPARE(records(db, QStringLiteral("notes")), notes);
        QVERIFY(TableMaintenance::recordsReferringTo(*table).isEmpty());
        QVERIFY(TableMaintenance::restoreFromBackup(*table));
        // Every reference finds its record again.
        QCOMPARE(db.column(QStringLiteral("SELECT \"table\" FROM pragma_foreign_key_check")),
            QVariantList());
    } else {
        TableMaintenance::deleteTable(*table);
        QVERIFY(!Engine::tableNames(db.alias()).contains(Parts));
    }
    QCOMPARE(records(db, QStringLiteral("orders")), orders);
    QCOMPARE(records(db, QStringLiteral("notes")), notes);
}

namespace {

// Another program writes to the database once, the moment a compaction has made its packed copy.
struct Racer
{
    static inline QByteArray database;
    static inline std::atomic<bool> done {false};

    static int onStatement(unsigned, void *, void *statement, void *)
    {
        const char *file = sqlite3_db_filename(
            sqlite3_db_handle(static_cast<sqlite3_stmt *>(statement)), "main");
        if (!file || !std::strstr(file, "-compacting-") || done.exchange(true))
            return 0;
        sqlite3 *other = nullptr;
        sqlite3_open_v2(database.constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(other, 5000);
        sqlite3_exec(other, "INSERT INTO log VALUES ('meanwhile')", nullptr, nullptr, nullptr);
        sqlite3_close_v2(other);
        return 0;
    }
    static int watch(sqlite3 *db, char **, const sqlite3_api_routines *)
    {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, nullptr);
        return SQLITE_OK;
    }
};

} // namespace

void TableMaintenanceTest::aCompactionRacedByAnotherProgramChangesNothing()
{
    ScratchDatabase db;
    makeParts(db);
    db.exec(QStringLiteral("DELETE FROM \"Parts list\" WHERE id > 20"));
    db.exec(QStringLiteral("DELETE FROM log"));
    State expected = stateOf(db);
    expected.log << QStringLiteral("1 | text:'meanwhile'");
    const qint64 pages = db.query(QStringLiteral("PRAGMA page_count")).toLongLong();
    auto table = openTable(db.alias(), Parts);
    Racer::database = QFile::encodeName(db.path());
    Racer::done = false;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(Racer::watch));
    const auto stopWatching = qScopeGuard(
        [] { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(Racer::watch)); });
    try {
        TableMaintenance::compact(*table);
        QFAIL("the copy made before the other program's change was put in place");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("another program changed it")),
            qPrintable(e.message()));
    }
    QVERIFY(Racer::done);
    QVERIFY(stateOf(db) == expected);
    QCOMPARE(db.query(QStringLiteral("PRAGMA page_count")).toLongLong(), pages);
    QVERIFY(table->active());
    TableMaintenance::compact(*table); // once nobody writes meanwhile
    QVERIFY(stateOf(db) == expected);
    QVERIFY(db.query(QStringLiteral("PRAGMA page_count")).toLongLong() < pages);
}

void TableMaintenanceTest::theNextCommandRemovesWhatAnEarlierCompactionLeft_data()
{
    QTest::addColumn<Command>("command");
    QTest::newRow("compact") << Command::Compact;
    QTest::newRow("empty") << Command::Empty;
    QTest::newRow("clear errors") << Command::ClearErrors;
    QTest::newRow("delete") << Command::Delete;
}

void TableMaintenanceTest::theNextCommandRemovesWhatAnEarlierCompactionLeft()
{
    QFETCH(Command, command);
    ScratchDatabase db;
    makeParts(db);
    // What a compaction killed while copying left: its copy, and, from earlier versions, the
    // empty index that kept a table's rowids. Another compaction still making its copy holds it.
    const QString name = QFileInfo(db.path()).fileName();
    const QString left = db.path() + QStringLiteral("-compacting-AbC123");
    for (const QString &path : {left, left + QStringLiteral("-journal")}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a copy cut off");
    }
    QTemporaryFile running(db.folder() + u'/' + name + QStringLiteral("-compacting-XXXXXX"));
    QVERIFY(running.open());
    QCOMPARE(::flock(running.handle(), LOCK_EX | LOCK_NB), 0);
    db.exec(QStringLiteral("CREATE INDEX \"$$$keep rowids log\" ON log (what) WHERE 0"));
    auto table = openTable(db.alias(), Parts);
    const QStringList before = QDir(db.folder()).entryList(QDir::Files);

    run(command, *table);

    QVERIFY(!QFileInfo::exists(left));
    QVERIFY(!QFileInfo::exists(left + QStringLiteral("-journal")));
    QVERIFY(QFileInfo::exists(running.fileName()));
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE "
                                     "'$$$keep%'"))
                 .toInt(),
        0);
    QVERIFY(before.contains(QFileInfo(left).fileName()));
}

void TableMaintenanceTest::compactingATableNamedLikeAKeptTableKeepsThatTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("autoVacuum");
    for (const QString &name : {QStringLiteral("Backup"), QStringLiteral("PictureLoad")}) {
        QTest::addRow("%s, whole file rebuilt", qPrintable(name)) << name << false;
        QTest::addRow("%s, rebuilt in place", qPrintable(name)) << name << true;
    }
}

// "$$$" + a table's name is also the name of what emptying and a picture load keep: a table named
// "Backup" is no reason to drop the backup of another table.
void TableMaintenanceTest::compactingATableNamedLikeAKeptTableKeepsThatTable()
{
    QFETCH(QString, name);
    QFETCH(bool, autoVacuum);
    ScratchDatabase db;
    if (autoVacuum)
        useIncrementalVacuum(db);
    makeParts(db);
    db.exec(QStringLiteral("CREATE TABLE \"%1\" (x)").arg(name));
    db.exec(QStringLiteral("INSERT INTO \"%1\" VALUES (1), (2)").arg(name));
    db.exec(QStringLiteral("CREATE TABLE \"$$$%1\" (kept)").arg(name));
    db.exec(QStringLiteral("INSERT INTO \"$$$%1\" VALUES ('what a command keeps')").arg(name));
    const QStringList kept = records(db, QStringLiteral("$$$") + name);
    const QStringList own = records(db, name);

    auto table = openTable(db.alias(), name);
    TableMaintenance::compact(*table);

    QCOMPARE(records(db, QStringLiteral("$$$") + name), kept);
    QCOMPARE(records(db, name), own);
    QCOMPARE(db.query(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

TABVALE_TEST_MAIN(TableMaintenanceTest, QCoreApplication)
#include "tst_TableMaintenance.moc"
