// Structure and maintenance: create, empty, delete, batch move, and names SQL would trip over.
#include "Database.h"
#include "Engine.h"
#include "EngineError.h"
#include "ScratchDatabase.h"
#include "TTable.h"
#include "common/TestEnvironment.h"

#include <QTest>

namespace {

std::unique_ptr<TTable> tableOf(const QString &alias, const QString &name)
{
    auto table = std::make_unique<TTable>();
    table->setDatabaseName(alias);
    table->setTableName(name);
    return table;
}

QStringList indexNames(ScratchDatabase &db, const QString &table)
{
    QStringList names;
    for (const QVariant &v :
        db.column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' "
                                 "AND tbl_name = '%1'")
                      .arg(QString(table).replace(QLatin1Char('\''), QLatin1String("''")))))
        names << v.toString();
    return names;
}

// Records whose rowid order differs from their id order, so a copy must follow rowids.
void makeShuffled(ScratchDatabase &db)
{
    db.exec(QStringLiteral("CREATE TABLE src (id INTEGER, name VARCHAR(10), pic GRAPHIC)"));
    db.exec(QStringLiteral("INSERT INTO src (rowid, id, name, pic) VALUES "
                           "(30, 1, 'c', x'424D03'), (10, 2, 'a', NULL), (20, 3, 'b', x'424D02')"));
    db.exec(QStringLiteral("CREATE INDEX src_by_name ON src (name)"));
}

} // namespace

class TTableMaintenanceTest : public QObject
{
    Q_OBJECT
private slots:
    void createTableReplacesATableOfTheSameName();
    void createdIndexesGetNamesOfTheirOwnWhenTaken();
    void structureChangesNeedAClosedTable();
    void batchMoveCopiesEveryRecordInRowidOrderWithoutIndexes_data();
    void batchMoveCopiesEveryRecordInRowidOrderWithoutIndexes();
    void batchMoveCopiesAcrossDatabasesValueForValue();
    void aFailedBatchMoveLeavesTheDestinationAsItWas_data();
    void aFailedBatchMoveLeavesTheDestinationAsItWas();
    void emptyTableKeepsTheStructure();
    void deleteTableRemovesOnlyThatTable();
    void oddNamesWorkInEveryOperation_data();
    void oddNamesWorkInEveryOperation();
    void compactionLeavesTheRecordsAndNoTemporaryTable();
    void tablesAreListedInCreationOrderWithoutSystemTables();
};

void TTableMaintenanceTest::createTableReplacesATableOfTheSameName()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    auto t = tableOf(db.alias(), QStringLiteral("t"));
    t->fieldDefs = {{QStringLiteral("title"), QStringLiteral("VARCHAR(30)")},
        {QStringLiteral("cover"), QStringLiteral("GRAPHIC")},
        {QStringLiteral("key"), QStringLiteral("INTEGER"), true, QString(), 1}};
    t->indexDefs = {{QStringLiteral("by title"), {QStringLiteral("title")}, true}};
    t->createTable();
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
    QCOMPARE(Engine::fieldNames(db.alias(), QStringLiteral("t")),
        QStringList({QStringLiteral("title"), QStringLiteral("cover"), QStringLiteral("key")}));
    QCOMPARE(indexNames(db, QStringLiteral("t")), QStringList(QStringLiteral("by title")));
    t->open();
    QCOMPARE(t->fieldDefs[0].declaredType, QStringLiteral("VARCHAR(30)"));
    QVERIFY(t->fieldDefs[2].required);
    QCOMPARE(t->fieldDefs[2].primaryKey, 1);
    QCOMPARE(t->indexDefs.size(), 1);
    QVERIFY(t->indexDefs[0].unique);
    QCOMPARE(t->indexDefs[0].fields, QStringList(QStringLiteral("title")));
    QCOMPARE(t->field(1)->dataType(), int(17));
}

void TTableMaintenanceTest::createdIndexesGetNamesOfTheirOwnWhenTaken()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (a TEXT, b TEXT)"));
    db.exec(QStringLiteral("CREATE INDEX ix ON t (a, b)"));
    auto t = tableOf(db.alias(), QStringLiteral("t"));
    t->open();
    t->close();
    // What compaction does: a temporary table with the table's definitions, indexes included.
    auto temp = tableOf(db.alias(), QStringLiteral("$$$t"));
    temp->fieldDefs = t->fieldDefs;
    temp->indexDefs = t->indexDefs;
    temp->createTable();
    const QStringList made = indexNames(db, QStringLiteral("$$$t"));
    QCOMPARE(made.size(), 1);
    QVERIFY(made[0] != QStringLiteral("ix"));
    QCOMPARE(indexNames(db, QStringLiteral("t")), QStringList(QStringLiteral("ix")));
    temp->createTable(); // again: replaces, the name is free once more after the drop
    QCOMPARE(indexNames(db, QStringLiteral("$$$t")), made);
}

void TTableMaintenanceTest::structureChangesNeedAClosedTable()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    auto t = tableOf(db.alias(), QStringLiteral("t"));
    t->open();
    QVERIFY_THROWS_EXCEPTION(EngineError, t->createTable());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->deleteTable());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setTableName(QStringLiteral("other")));
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 2);
}

void TTableMaintenanceTest::batchMoveCopiesEveryRecordInRowidOrderWithoutIndexes_data()
{
    QTest::addColumn<bool>("sourceOpen");
    QTest::addColumn<bool>("destinationOpen");
    QTest::addColumn<bool>("destinationExists");
    QTest::newRow("both closed, new destination") << false << false << false;
    QTest::newRow("source open, destination closed") << true << false << true;
    QTest::newRow("source closed, destination open") << false << true << true;
    QTest::newRow("both open") << true << true << true;
}

void TTableMaintenanceTest::batchMoveCopiesEveryRecordInRowidOrderWithoutIndexes()
{
    QFETCH(bool, sourceOpen);
    QFETCH(bool, destinationOpen);
    QFETCH(bool, destinationExists);
    ScratchDatabase db;
    makeShuffled(db);
    if (destinationExists) {
        db.exec(QStringLiteral("CREATE TABLE dst (other INTEGER)"));
        db.exec(QStringLiteral("CREATE INDEX dst_other ON dst (other)"));
        db.exec(QStringLiteral("INSERT INTO dst VALUES (1), (2), (3), (4), (5)"));
    }
    auto source = tableOf(db.alias(), QStringLiteral("src"));
    auto destination = tableOf(db.alias(), QStringLiteral("dst"));
    if (sourceOpen) {
        source->open();
        source->last();
    }
    if (destinationOpen)
        destination->open();
    QCOMPARE(destination->batchMoveFrom(*source), 3);
    QCOMPARE(source->active(), sourceOpen);
    QCOMPARE(destination->active(), destinationOpen);
    if (sourceOpen)
        QCOMPARE(
            source->fieldByName(QStringLiteral("name"))->value().toString(), QStringLiteral("c"));
    QCOMPARE(db.column(QStringLiteral("SELECT name FROM dst ORDER BY rowid")),
        QVariantList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(db.column(QStringLiteral("SELECT hex(pic) FROM dst ORDER BY rowid")),
        QVariantList({QString(), QStringLiteral("424D02"), QStringLiteral("424D03")}));
    QCOMPARE(indexNames(db, QStringLiteral("dst")), QStringList());
    QCOMPARE(Engine::fieldNames(db.alias(), QStringLiteral("dst")),
        QStringList({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("pic")}));
    QCOMPARE(destination->fieldDefs.size(), 3);
    QVERIFY(destination->indexDefs.isEmpty());
    if (destinationOpen) {
        QCOMPARE(destination->recordCount(), 3);
        QCOMPARE(destination->field(2)->dataType(), 17);
    }
}

void TTableMaintenanceTest::batchMoveCopiesAcrossDatabasesValueForValue()
{
    ScratchDatabase from;
    ScratchDatabase to;
    makeShuffled(from);
    from.exec(QStringLiteral("CREATE TABLE mixed (v)"));
    from.exec(QStringLiteral("INSERT INTO mixed VALUES (1), (2.5), ('text'), (x'00FF'), (NULL)"));
    auto source = tableOf(from.alias(), QStringLiteral("mixed"));
    auto destination = tableOf(to.alias(), QStringLiteral("copy of mixed"));
    QCOMPARE(destination->batchMoveFrom(*source), 5);
    QCOMPARE(to.column(QStringLiteral(
                 "SELECT typeof(v) || ':' || quote(v) FROM \"copy of mixed\" ORDER BY rowid")),
        QVariantList(
            {QStringLiteral("integer:1"), QStringLiteral("real:2.5"), QStringLiteral("text:'text'"),
                QStringLiteral("blob:X'00FF'"), QStringLiteral("null:NULL")}));
    auto pictures = tableOf(to.alias(), QStringLiteral("pictures"));
    auto shuffled = tableOf(from.alias(), QStringLiteral("src"));
    QCOMPARE(pictures->batchMoveFrom(*shuffled), 3);
    QCOMPARE(to.column(QStringLiteral("SELECT name FROM pictures ORDER BY rowid")),
        QVariantList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

void TTableMaintenanceTest::aFailedBatchMoveLeavesTheDestinationAsItWas_data()
{
    QTest::addColumn<bool>("sameDatabase");
    QTest::newRow("within one database") << true;
    QTest::newRow("from another database") << false;
}

void TTableMaintenanceTest::aFailedBatchMoveLeavesTheDestinationAsItWas()
{
    QFETCH(bool, sameDatabase);
    ScratchDatabase target;
    ScratchDatabase other;
    ScratchDatabase &from = sameDatabase ? target : other;
    from.exec(QStringLiteral("CREATE TABLE big (pic BLOB)"));
    from.exec(QStringLiteral(
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 300) "
        "INSERT INTO big SELECT randomblob(3000) FROM c"));
    target.exec(QStringLiteral("CREATE TABLE dst (keep TEXT)"));
    target.exec(QStringLiteral("CREATE INDEX dst_keep ON dst (keep)"));
    target.exec(QStringLiteral("INSERT INTO dst VALUES ('one'), ('two')"));
    target.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));

    auto destination = tableOf(target.alias(), QStringLiteral("dst"));
    destination->open();
    // The disk "fills up" half-way through the copy.
    const auto connection = Database::open(target.path());
    const qint64 pages = target.query(QStringLiteral("PRAGMA page_count")).toLongLong();
    connection->exec(
        QStringLiteral("PRAGMA max_page_count = %1").arg(sameDatabase ? pages + 60 : 60));
    auto source = tableOf(from.alias(), QStringLiteral("big"));
    QVERIFY_THROWS_EXCEPTION(EngineError, destination->batchMoveFrom(*source));

    QVERIFY(destination->active());
    QCOMPARE(destination->recordCount(), 2);
    QCOMPARE(destination->fieldByName(QStringLiteral("keep"))->value().toString(),
        QStringLiteral("one"));
    QCOMPARE(target.column(QStringLiteral("SELECT keep FROM dst ORDER BY rowid")),
        QVariantList({QStringLiteral("one"), QStringLiteral("two")}));
    QCOMPARE(indexNames(target, QStringLiteral("dst")), QStringList(QStringLiteral("dst_keep")));
    QVERIFY(!source->active());
}

void TTableMaintenanceTest::emptyTableKeepsTheStructure()
{
    ScratchDatabase db;
    db.makeNumbers(4);
    db.exec(QStringLiteral("CREATE INDEX t_n ON t (n)"));
    auto closed = tableOf(db.alias(), QStringLiteral("t"));
    closed->emptyTable();
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
    QCOMPARE(indexNames(db, QStringLiteral("t")), QStringList(QStringLiteral("t_n")));

    db.exec(QStringLiteral("INSERT INTO t VALUES (1, 'x', 1, NULL), (2, 'y', 2, NULL)"));
    auto open = tableOf(db.alias(), QStringLiteral("t"));
    open->open();
    TField *name = open->fieldByName(QStringLiteral("name"));
    open->next();
    open->emptyTable();
    QVERIFY(open->active());
    QCOMPARE(open->recordCount(), 0);
    QVERIFY(open->bof() && open->eof());
    QCOMPARE(open->fieldByName(QStringLiteral("name")), name); // same fields
    QCOMPARE(Engine::fieldNames(db.alias(), QStringLiteral("t")).size(), 4);
}

void TTableMaintenanceTest::deleteTableRemovesOnlyThatTable()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    db.exec(QStringLiteral("CREATE TABLE keep (a)"));
    auto t = tableOf(db.alias(), QStringLiteral("t"));
    QVERIFY(t->exists());
    t->deleteTable();
    QVERIFY(!t->exists());
    QCOMPARE(Engine::tableNames(db.alias()), QStringList(QStringLiteral("keep")));
    try {
        t->deleteTable();
        QFAIL("deleted a table that is not there");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("does not exist")), qPrintable(e.message()));
    }
}

void TTableMaintenanceTest::oddNamesWorkInEveryOperation_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::newRow("spaces") << "Price list"
                            << "unit price";
    QTest::newRow("quotes") << "O'Brien's \"best\""
                            << "say \"hi\"";
    QTest::newRow("dollars") << "$$$Backup"
                             << "cost$";
    QTest::newRow("Chinese") << "价格表"
                             << "名称";
    QTest::newRow("brackets and dots") << "a]b.c[d"
                                       << "x.y";
}

void TTableMaintenanceTest::oddNamesWorkInEveryOperation()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    ScratchDatabase db;
    auto t = tableOf(db.alias(), table);
    t->fieldDefs = {
        {field, QStringLiteral("VARCHAR(20)")}, {QStringLiteral("pic"), QStringLiteral("GRAPHIC")}};
    t->indexDefs = {{field + QStringLiteral(" index"), {field}, false}};
    t->createTable();
    QCOMPARE(Engine::tableNames(db.alias()), QStringList(table));
    QCOMPARE(Engine::fieldNames(db.alias(), table), QStringList({field, QStringLiteral("pic")}));
    t->open();
    t->append();
    t->fieldByName(field)->setValue(QStringLiteral("值 value"));
    t->fieldByName(QStringLiteral("pic"))->setBytes("BMxx");
    t->post();
    t->refresh();
    QCOMPARE(t->fieldByName(field)->value().toString(), QStringLiteral("值 value"));
    QCOMPARE(t->displayTextAt(0, 0), QStringLiteral("值 value"));
    QCOMPARE(t->fieldByName(QStringLiteral("pic"))->asBytes(), QByteArray("BMxx"));
    t->edit();
    t->fieldByName(field)->setValue(QStringLiteral("changed"));
    t->post();
    const TBookmark mark = t->bookmark();
    t->gotoBookmark(mark);

    auto copy = tableOf(db.alias(), QStringLiteral("$$$") + table);
    QCOMPARE(copy->batchMoveFrom(*t), 1);
    t->emptyTable();
    QCOMPARE(t->recordCount(), 0);
    QCOMPARE(t->batchMoveFrom(*copy), 1);
    QCOMPARE(t->fieldByName(field)->value().toString(), QStringLiteral("changed"));
    t->deleteRecord();
    t->close();
    copy->deleteTable();
    t->deleteTable();
    QVERIFY(Engine::tableNames(db.alias()).isEmpty());
}

void TTableMaintenanceTest::compactionLeavesTheRecordsAndNoTemporaryTable()
{
    ScratchDatabase db;
    db.makeNumbers(50);
    db.exec(QStringLiteral("DELETE FROM t WHERE id % 3 = 0"));
    db.exec(QStringLiteral("CREATE TABLE \"$$$t\" (junk)")); // left over from an earlier failure
    const QVariantList before = db.column(QStringLiteral("SELECT name FROM t ORDER BY rowid"));
    auto t = tableOf(db.alias(), QStringLiteral("t"));
    t->open();
    t->edit();
    t->post();
    auto temp = std::make_unique<TTable>();
    t->close();
    temp->setDatabaseName(t->databaseName());
    temp->setTableName(QStringLiteral("$$$") + t->tableName());
    temp->fieldDefs = t->fieldDefs;
    temp->indexDefs = t->indexDefs;
    temp->createTable();
    QCOMPARE(temp->batchMoveFrom(*t), before.size());
    t->emptyTable();
    QCOMPARE(t->batchMoveFrom(*temp), before.size());
    temp->deleteTable();
    t->open();
    QCOMPARE(t->recordCount(), before.size());
    QCOMPARE(db.column(QStringLiteral("SELECT name FROM t ORDER BY rowid")), before);
    QCOMPARE(db.column(QStringLiteral("SELECT rowid FROM t ORDER BY rowid")).last().toInt(),
        before.size());
    QCOMPARE(Engine::tableNames(db.alias()), QStringList(QStringLiteral("t")));
}

void TTableMaintenanceTest::tablesAreListedInCreationOrderWithoutSystemTables()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE zebra (a)"));
    db.exec(QStringLiteral(
        "CREATE TABLE apple (a INTEGER PRIMARY KEY AUTOINCREMENT)")); // makes sqlite_sequence
    db.exec(QStringLiteral("CREATE TABLE mango (a)"));
    db.exec(QStringLiteral("CREATE INDEX mango_a ON mango (a)"));
    db.exec(QStringLiteral("ANALYZE")); // makes sqlite_stat1
    db.exec(QStringLiteral("CREATE VIEW v AS SELECT * FROM zebra"));
    QCOMPARE(Engine::tableNames(db.alias()),
        QStringList({QStringLiteral("zebra"), QStringLiteral("apple"), QStringLiteral("mango")}));
    db.exec(QStringLiteral("DROP TABLE zebra"));
    db.exec(QStringLiteral("CREATE TABLE zebra (b)"));
    QCOMPARE(Engine::tableNames(db.alias()),
        QStringList({QStringLiteral("apple"), QStringLiteral("mango"), QStringLiteral("zebra")}));
}

TABVALE_TEST_MAIN(TTableMaintenanceTest, QCoreApplication)
#include "tst_TTableMaintenance.moc"
