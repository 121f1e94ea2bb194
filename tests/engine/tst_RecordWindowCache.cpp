// The record-window cache: values a window of records at a time, by rowid, a few windows kept.
#include "engine/Database.h"
#include "engine/FieldType.h"
#include "engine/RecordWindowCache.h"
#include "engine/SqliteTableDriver.h"
#include "engine/TField.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

namespace {

// The fields of "CREATE TABLE t (<columns>)" as the table object would make them.
std::vector<std::unique_ptr<TField>> fieldsOf(const QList<QPair<QString, int>> &columns)
{
    std::vector<std::unique_ptr<TField>> fields;
    for (const auto &[name, code] : columns)
        fields.push_back(
            std::make_unique<TField>(nullptr, int(fields.size()), name, code, 0, QString()));
    return fields;
}

RecordList rowidsOf(ScratchDatabase &db)
{
    RecordList rowids;
    for (const QVariant &v : db.column(QStringLiteral("SELECT rowid FROM t ORDER BY rowid")))
        rowids.append(v.toLongLong());
    return rowids;
}

} // namespace

class RecordWindowCacheTest : public QObject
{
    Q_OBJECT
private slots:
    void aWindowHoldsTheValuesOfItsRecords();
    void memoAndPictureCellsSayOnlyWhetherTheyAreEmpty();
    void recordsGoneOrAddedElsewhereDoNotShiftTheRows();
    void onlyTheWindowsUsedLastAreKept();
    void aWindowReadWhileTheListWasShorterIsReadAgain();
    void aMemoBeforeAnOrdinaryFieldMakesWindowsShort_data();
    void aMemoBeforeAnOrdinaryFieldMakesWindowsShort();
};

void RecordWindowCacheTest::aWindowHoldsTheValuesOfItsRecords()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (name TEXT, n INTEGER)"));
    db.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                           "WHERE i < 450) INSERT INTO t SELECT 'r' || i, i FROM c"));
    db.exec(QStringLiteral("UPDATE t SET n = 'seven' WHERE rowid = 7")); // not an integer
    db.exec(QStringLiteral("UPDATE t SET name = NULL WHERE rowid = 9"));
    const auto fields
        = fieldsOf({{QStringLiteral("name"), ftString}, {QStringLiteral("n"), ftInteger}});
    const RecordList rowids = rowidsOf(db);
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fields);

    const RecordWindowCache::Window &last = cache.window(449, rowids);
    QCOMPARE(last.first, 400);
    QCOMPARE(last.count, 50); // the last window ends with the table
    QCOMPARE(last.values[last.cell(449, 0, 2)].toString(), QStringLiteral("r450"));
    QCOMPARE(last.values[last.cell(449, 1, 2)].toLongLong(), 450);

    const RecordWindowCache::Window &w = cache.window(8, rowids);
    QCOMPARE(w.first, 0);
    QCOMPARE(w.count, RecordWindowCache::WindowRows);
    QCOMPARE(w.values[w.cell(0, 0, 2)].toString(), QStringLiteral("r1"));
    QVERIFY(w.flags[w.cell(6, 1, 2)] & RecordWindowCache::CellUnreadable);
    QCOMPARE(w.values[w.cell(6, 1, 2)].toString(), QStringLiteral("seven"));
    QCOMPARE(w.flags[w.cell(8, 0, 2)], quint8(RecordWindowCache::CellNull));
    QCOMPARE(w.flags[w.cell(8, 1, 2)], quint8(0));
}

void RecordWindowCacheTest::memoAndPictureCellsSayOnlyWhetherTheyAreEmpty()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (note MEMO, pic GRAPHIC)"));
    db.exec(QStringLiteral("INSERT INTO t VALUES ('text', zeroblob(200000)), (NULL, NULL)"));
    const auto fields
        = fieldsOf({{QStringLiteral("note"), ftMemo}, {QStringLiteral("pic"), ftGraphic}});
    const RecordList rowids = rowidsOf(db);
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fields);
    const qint64 before = driver.database().pagesRead();
    const RecordWindowCache::Window &w = cache.window(0, rowids);
    // The picture's 200 KB lie in overflow pages that the window never reads.
    QVERIFY2(driver.database().pagesRead() - before < 10,
        qPrintable(QString::number(driver.database().pagesRead() - before)));
    QCOMPARE(w.flags[w.cell(0, 0, 2)], quint8(0));
    QCOMPARE(w.flags[w.cell(0, 1, 2)], quint8(0));
    QVERIFY(!w.values[w.cell(0, 0, 2)].isValid());
    QVERIFY(!w.values[w.cell(0, 1, 2)].isValid());
    QCOMPARE(w.flags[w.cell(1, 0, 2)], quint8(RecordWindowCache::CellNull));
    QCOMPARE(w.flags[w.cell(1, 1, 2)], quint8(RecordWindowCache::CellNull));
}

void RecordWindowCacheTest::recordsGoneOrAddedElsewhereDoNotShiftTheRows()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (n INTEGER)"));
    db.exec(QStringLiteral("INSERT INTO t (rowid, n) VALUES (10, 1), (20, 2), (30, 3)"));
    const auto fields = fieldsOf({{QStringLiteral("n"), ftInteger}});
    const RecordList rowids = rowidsOf(db); // 10, 20, 30 as the table object read them
    db.exec(QStringLiteral("DELETE FROM t WHERE rowid = 20"));
    db.exec(QStringLiteral("INSERT INTO t (rowid, n) VALUES (15, 99), (25, 98)"));
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fields);
    const RecordWindowCache::Window &w = cache.window(0, rowids);
    QCOMPARE(w.count, 3);
    QCOMPARE(w.values[w.cell(0, 0, 1)].toLongLong(), 1);
    QCOMPARE(w.flags[w.cell(1, 0, 1)], quint8(RecordWindowCache::CellNull)); // gone: empty
    QCOMPARE(w.values[w.cell(2, 0, 1)].toLongLong(), 3);
}

void RecordWindowCacheTest::onlyTheWindowsUsedLastAreKept()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (n INTEGER)"));
    db.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                           "WHERE i < 2000) INSERT INTO t SELECT i FROM c"));
    const auto fields = fieldsOf({{QStringLiteral("n"), ftInteger}});
    const RecordList rowids = rowidsOf(db);
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fields);
    int queries = 0;
    driver.database().setStatementObserver([&](const QString &) { ++queries; });
    const int rows = RecordWindowCache::WindowRows;
    for (int window = 0; window < RecordWindowCache::MaxWindows; ++window)
        cache.window(window * rows, rowids);
    QCOMPARE(queries, RecordWindowCache::MaxWindows);
    cache.window(0, rowids); // kept; now the newest
    cache.window(rows + 1, rowids); // kept
    QCOMPARE(queries, RecordWindowCache::MaxWindows);
    cache.window(RecordWindowCache::MaxWindows * rows, rowids); // one more: the oldest goes
    QCOMPARE(queries, RecordWindowCache::MaxWindows + 1);
    cache.window(0, rowids);
    cache.window(rows, rowids);
    QCOMPARE(queries, RecordWindowCache::MaxWindows + 1);
    cache.window(2 * rows, rowids); // the one that went
    QCOMPARE(queries, RecordWindowCache::MaxWindows + 2);
    cache.clear();
    QCOMPARE(cache.window(0, rowids).values[0].toLongLong(), 1);
    QCOMPARE(queries, RecordWindowCache::MaxWindows + 3);
    driver.database().setStatementObserver({});
}

void RecordWindowCacheTest::aWindowReadWhileTheListWasShorterIsReadAgain()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE t (n INTEGER)"));
    db.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                           "WHERE i < 300) INSERT INTO t SELECT i FROM c"));
    const auto fields = fieldsOf({{QStringLiteral("n"), ftInteger}});
    const RecordList all = rowidsOf(db);
    RecordList loading; // the first 120 records of a list still loading
    for (int i = 0; i < 120; ++i)
        loading.append(all.keyAt(i));
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fields);
    QCOMPARE(cache.window(100, loading).count, 120);
    for (int i = 120; i < 300; ++i)
        loading.append(all.keyAt(i));
    const RecordWindowCache::Window &w = cache.window(150, loading);
    QCOMPARE(w.count, RecordWindowCache::WindowRows);
    QCOMPARE(w.values[w.cell(150, 0, 1)].toLongLong(), 151);
}

void RecordWindowCacheTest::aMemoBeforeAnOrdinaryFieldMakesWindowsShort_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<int>("rows");
    QTest::newRow("ordinary fields only")
        << QList<int> {ftString, ftInteger} << int(RecordWindowCache::WindowRows);
    QTest::newRow("picture last") << QList<int> {ftString, ftGraphic}
                                  << int(RecordWindowCache::WindowRows);
    QTest::newRow("memo before an ordinary field")
        << QList<int> {ftMemo, ftInteger} << int(RecordWindowCache::ShortWindowRows);
    QTest::newRow("picture before an ordinary field")
        << QList<int> {ftString, ftBlob, ftInteger} << int(RecordWindowCache::ShortWindowRows);
}

void RecordWindowCacheTest::aMemoBeforeAnOrdinaryFieldMakesWindowsShort()
{
    QFETCH(QList<int>, codes);
    QFETCH(int, rows);
    ScratchDatabase db;
    QList<QPair<QString, int>> columns;
    QStringList declared;
    for (int code : codes) {
        columns.append({QStringLiteral("f%1").arg(columns.size()), code});
        declared << QStringLiteral("f%1").arg(declared.size());
    }
    db.exec(QStringLiteral("CREATE TABLE t (%1)").arg(declared.join(u", ")));
    RecordWindowCache cache;
    SqliteTableDriver driver(Database::open(db.path()), QStringLiteral("t"), db.alias());
    cache.prepare(driver, fieldsOf(columns));
    QCOMPARE(cache.windowRows(), rows);
}

TABVALE_TEST_MAIN(RecordWindowCacheTest, QCoreApplication)
#include "tst_RecordWindowCache.moc"
