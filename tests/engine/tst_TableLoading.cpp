// A table bigger than its first keys, used while the rest of its record list is still loading:
// nothing may act on the loaded part as if it were the whole. The loaders are held back (their
// test hold), so "still loading" is certain; a table that waits for its records lets its loader go.
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/RecordListLoader.h"
#include "engine/TTable.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int Records = 5000; // several loader-free first windows
constexpr int FirstKeys = 1000; // what opening reads itself

// Loaders read nothing beyond what their table opened with, unless their table waits.
struct HeldLoaders
{
    HeldLoaders() { RecordListLoader::holdForTests(true); }
    ~HeldLoaders() { RecordListLoader::holdForTests(false); }
    void release() { RecordListLoader::holdForTests(false); }
};

// Counts the waits the table announces through its wait hook, and checks that they pair up.
struct WaitLog
{
    int begun = 0;
    int ended = 0;
    WaitLog()
    {
        TTable::setWaitHook([this](bool waiting) { (waiting ? begun : ended) += 1; });
    }
    ~WaitLog() { TTable::setWaitHook({}); }
};

std::unique_ptr<TTable> openTable(const ScratchDatabase &db, const QString &name = "t")
{
    auto table = std::make_unique<TTable>();
    table->setDatabaseName(db.alias());
    table->setTableName(name);
    table->open();
    return table;
}

QString nameAt(const TTable &t)
{
    return t.fieldByName(QStringLiteral("name"))->value().toString();
}

std::vector<RecordKey> storedKeys(ScratchDatabase &db, const QString &table = "t")
{
    std::vector<RecordKey> keys;
    for (const QVariant &v :
        db.column(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(table)))
        keys.push_back(v.toLongLong());
    return keys;
}

void waitUntilComplete(TTable &t)
{
    QTRY_VERIFY_WITH_TIMEOUT(t.recordListComplete(), 20000);
}

} // namespace

class TableLoadingTest : public QObject
{
    Q_OBJECT
private slots:
    void openingReadsTheFirstRecordsAndTheRestArrivesAfterwards();
    void whatNeedsRecordsNotLoadedWaitsForThem_data();
    void whatNeedsRecordsNotLoadedWaitsForThem();
    void movingWithinTheLoadedRecordsDoesNotWait();
    void changesDuringTheLoadLeaveTheListAsStored_data();
    void changesDuringTheLoadLeaveTheListAsStored();
    void aNewRecordWaitsForTheWholeListAndGoesAfterTheLast();
    void theOtherTableOfTheConnectionAppliesAPostWithoutReadingItsListAgain();
    void changesAfterAPartWasReadAreAppliedToIt();
    void switchingTablesDuringTheLoadDropsTheOldLoadersNotice();
    void aListThatCannotBeReadToItsEndRaisesInsteadOfEndingEarly();
    void aSmallTableIsCompleteAtOnce();
};

void TableLoadingTest::openingReadsTheFirstRecordsAndTheRestArrivesAfterwards()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    auto t = openTable(db);
    QCOMPARE(t->loadedRecordCount(), FirstKeys);
    QVERIFY(!t->recordListComplete());
    QCOMPARE(t->recNo(), 0);
    QVERIFY(t->bof());
    QVERIFY(!t->eof());
    QCOMPARE(nameAt(*t), QStringLiteral("r1"));
    QCOMPARE(t->displayTextAt(FirstKeys - 1, 1), QStringLiteral("r1000"));
    QVERIFY(!t->valueAt(FirstKeys, 1).isValid()); // not loaded: the grid has no such row yet

    QSignalSpy grew(t.get(), &TTable::recordListGrew);
    held.release();
    waitUntilComplete(*t);
    QVERIFY(grew.count() >= 1);
    QCOMPARE(t->loadedRecordCount(), Records);
    QCOMPARE(t->bookmarks().toVector(), storedKeys(db));
    QCOMPARE(t->recNo(), 0); // the current record stayed where it was
    QCOMPARE(t->displayTextAt(Records - 1, 1), QStringLiteral("r5000"));
}

void TableLoadingTest::whatNeedsRecordsNotLoadedWaitsForThem_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("eof");
    QTest::newRow("the last record") << "last" << Records - 1 << true;
    QTest::newRow("the record count") << "count" << 0 << false;
    QTest::newRow("a move to a record not loaded") << "moveTo 3000" << 3000 << false;
    QTest::newRow("a move by past the loaded ones") << "moveBy 2500" << 2500 << false;
    QTest::newRow("next on the last loaded record") << "next" << FirstKeys << false;
    QTest::newRow("a move by more than there is") << "moveBy 99999" << Records - 1 << true;
    QTest::newRow("a bookmark of a record not loaded") << "bookmark 4321" << 4320 << false;
    QTest::newRow("all the bookmarks") << "bookmarks" << 0 << false;
}

void TableLoadingTest::whatNeedsRecordsNotLoadedWaitsForThem()
{
    QFETCH(QString, operation);
    QFETCH(int, recNo);
    QFETCH(bool, eof);
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    WaitLog waits;
    auto t = openTable(db);
    QCOMPARE(waits.begun, 0);
    const QStringList words = operation.split(u' ');
    const int n = words.value(1).toInt();
    if (words[0] == u"last") {
        t->last();
    } else if (words[0] == u"count") {
        QCOMPARE(t->recordCount(), Records);
    } else if (words[0] == u"moveTo") {
        t->moveTo(n);
    } else if (words[0] == u"moveBy") {
        QCOMPARE(t->moveBy(n), std::min(n, Records - 1));
    } else if (words[0] == u"next") {
        t->moveTo(FirstKeys - 1);
        QCOMPARE(waits.begun, 0);
        t->next();
    } else if (words[0] == u"bookmark") {
        t->gotoBookmark({n, true});
    } else if (words[0] == u"bookmarks") {
        QCOMPARE(t->bookmarks().toVector(), storedKeys(db));
    }
    QCOMPARE(waits.begun, 1);
    QCOMPARE(waits.ended, 1);
    QCOMPARE(t->recNo(), recNo);
    QCOMPARE(t->eof(), eof);
    QCOMPARE(nameAt(*t), QStringLiteral("r%1").arg(recNo + 1));
    QVERIFY(t->loadedRecordCount() > recNo);
    // Whatever the wait brought is kept; the rest keeps coming.
    held.release();
    waitUntilComplete(*t);
    QCOMPARE(t->bookmarks().toVector(), storedKeys(db));
    QCOMPARE(t->recNo(), recNo);
}

void TableLoadingTest::movingWithinTheLoadedRecordsDoesNotWait()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    WaitLog waits;
    auto t = openTable(db);
    t->moveTo(500);
    t->next();
    t->prior();
    t->moveBy(-20);
    const TBookmark mark = t->bookmark();
    t->first();
    t->gotoBookmark(mark);
    QCOMPARE(t->recNo(), 480);
    QCOMPARE(nameAt(*t), QStringLiteral("r481"));
    t->first();
    t->prior();
    QVERIFY(t->bof());
    QCOMPARE(waits.begun, 0);
    QVERIFY(!t->recordListComplete());
}

void TableLoadingTest::changesDuringTheLoadLeaveTheListAsStored_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("records");
    QTest::newRow("a changed value posted") << "edit" << Records;
    QTest::newRow("a record deleted") << "delete" << Records - 1;
    QTest::newRow("the last loaded record deleted") << "delete last loaded" << Records - 1;
    QTest::newRow("a key moved beyond the loaded records") << "move key" << Records;
    QTest::newRow("a refresh after another program's change") << "refresh elsewhere" << Records - 2;
}

void TableLoadingTest::changesDuringTheLoadLeaveTheListAsStored()
{
    QFETCH(QString, change);
    QFETCH(int, records);
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE k (id INTEGER PRIMARY KEY, name TEXT)"));
    db.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                           "WHERE i < %1) INSERT INTO k SELECT i, 'r' || i FROM c")
                .arg(Records));
    HeldLoaders held;
    auto t = openTable(db, QStringLiteral("k"));
    QString expectedName;
    if (change == u"edit") {
        t->moveTo(10);
        t->edit();
        t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("changed"));
        t->post();
        expectedName = QStringLiteral("changed");
    } else if (change == u"delete") {
        t->moveTo(10);
        t->deleteRecord();
        expectedName = QStringLiteral("r12"); // the next record takes its place
    } else if (change == u"delete last loaded") {
        t->moveTo(FirstKeys - 1);
        t->deleteRecord(); // the next record is not loaded yet: it is waited for
        QCOMPARE(t->recNo(), FirstKeys - 1);
        expectedName = QStringLiteral("r1001");
    } else if (change == u"move key") {
        // The record's key is its id: it moves to the end, far beyond the loaded records.
        t->moveTo(10);
        t->edit();
        t->fieldByName(QStringLiteral("id"))->setValue(Records + 100);
        t->post();
        QCOMPARE(t->bookmark().rowid, qint64(Records + 100));
        expectedName = QStringLiteral("r11");
    } else if (change == u"refresh elsewhere") {
        t->moveTo(10);
        db.exec(QStringLiteral("DELETE FROM k WHERE id IN (3, 4000)"));
        t->refresh(); // another program: the list is read again, and still arrives in parts
        QCOMPARE(t->recNo(), 9);
        expectedName = QStringLiteral("r11");
    }
    QCOMPARE(nameAt(*t), expectedName);
    held.release();
    waitUntilComplete(*t);
    QCOMPARE(t->recordCount(), records);
    QCOMPARE(t->bookmarks().toVector(), storedKeys(db, QStringLiteral("k")));
    QCOMPARE(nameAt(*t), expectedName);
}

void TableLoadingTest::aNewRecordWaitsForTheWholeListAndGoesAfterTheLast()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    WaitLog waits;
    auto t = openTable(db);
    t->moveTo(5);
    t->insert();
    QCOMPARE(waits.begun, 1);
    QVERIFY(t->recordListComplete());
    QCOMPARE(t->recNo(), Records);
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("new"));
    t->post();
    QCOMPARE(t->recordCount(), Records + 1);
    QCOMPARE(t->recNo(), Records);
    QCOMPARE(nameAt(*t), QStringLiteral("new"));
    QCOMPARE(t->bookmarks().toVector(), storedKeys(db));
}

void TableLoadingTest::theOtherTableOfTheConnectionAppliesAPostWithoutReadingItsListAgain()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    auto loading = openTable(db); // the other window, still loading
    auto posting = openTable(db);
    posting->moveTo(4);
    const auto connection = Database::open(db.path());
    QStringList statements;
    connection->setStatementObserver([&](const QString &sql) { statements << sql; });

    // A record the loading table has, one it has not loaded yet, and a new one at the end.
    posting->deleteRecord(); // id 5
    posting->moveTo(3999);
    posting->deleteRecord(); // id 4001
    posting->append();
    posting->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("appended"));
    posting->post();
    loading->refresh(); // what every post does to both windows
    connection->setStatementObserver({});
    QVERIFY(!loading->recordListComplete());
    QCOMPARE(loading->loadedRecordCount(), FirstKeys - 1);
    for (const QString &sql : std::as_const(statements))
        QVERIFY2(!sql.startsWith(QStringLiteral("SELECT rowid FROM \"t\"")), qPrintable(sql));

    held.release();
    waitUntilComplete(*loading);
    QCOMPARE(loading->bookmarks().toVector(), storedKeys(db));
    loading->last();
    QCOMPARE(nameAt(*loading), QStringLiteral("appended"));
}

void TableLoadingTest::changesAfterAPartWasReadAreAppliedToIt()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    auto loading = openTable(db);
    auto posting = openTable(db);
    posting->waitForRecordList();
    QSemaphore partRead;
    RecordListLoader::setReadHookForTests([&] { partRead.release(); });
    struct Unhook
    {
        ~Unhook() { RecordListLoader::setReadHookForTests({}); }
    } unhook;
    held.release();
    QVERIFY(partRead.tryAcquire(1, 20000)); // the rest of the list is read, not yet handed over

    posting->moveTo(4000);
    posting->deleteRecord(); // id 4001, in the part on its way
    posting->append();
    posting->post(); // id 5001, not in it
    loading->refresh();
    waitUntilComplete(*loading);
    QCOMPARE(loading->bookmarks().toVector(), storedKeys(db));
}

void TableLoadingTest::switchingTablesDuringTheLoadDropsTheOldLoadersNotice()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    db.exec(QStringLiteral("CREATE TABLE other (name TEXT)"));
    db.exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                           "WHERE i < 3000) INSERT INTO other SELECT 'o' || i FROM c"));
    HeldLoaders held;
    auto t = openTable(db);
    t->moveTo(2500); // the wait lets the loader go: its notice is on its way
    t->close();
    t->setTableName(QStringLiteral("other"));
    t->open();
    QSignalSpy grew(t.get(), &TTable::recordListGrew);
    QCoreApplication::processEvents(); // the old loader's notice arrives, and is dropped
    QCOMPARE(grew.count(), 0);
    QCOMPARE(t->loadedRecordCount(), FirstKeys);
    QCOMPARE(nameAt(*t), QStringLiteral("o1"));
    held.release();
    waitUntilComplete(*t);
    QCOMPARE(t->recordCount(), 3000);
    QCOMPARE(t->bookmarks().toVector(), storedKeys(db, QStringLiteral("other")));

    // Closing a table whose loader is at work stops it there.
    auto big = openTable(db);
    big->close();
    QCOMPARE(big->recordCount(), 0);
}

void TableLoadingTest::aListThatCannotBeReadToItsEndRaisesInsteadOfEndingEarly()
{
    ScratchDatabase db;
    db.makeNumbers(Records);
    HeldLoaders held;
    auto t = openTable(db);
    db.exec(QStringLiteral("DROP TABLE t")); // another program, before the loader reads on
    try {
        t->last();
        QFAIL("the last loaded record was taken for the last one");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("Only the first 1000 records")),
            qPrintable(e.message()));
    }
    QVERIFY(!t->recordListComplete());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->recordCount());
    QCOMPARE(t->recNo(), 0);
}

void TableLoadingTest::aSmallTableIsCompleteAtOnce()
{
    ScratchDatabase db;
    db.makeNumbers(FirstKeys - 1);
    HeldLoaders held;
    WaitLog waits;
    auto t = openTable(db);
    QVERIFY(t->recordListComplete());
    t->last();
    QCOMPARE(t->recNo(), FirstKeys - 2);
    QCOMPARE(waits.begun, 0);
}

TABVALE_TEST_MAIN(TableLoadingTest, QCoreApplication)
#include "tst_TableLoading.moc"
