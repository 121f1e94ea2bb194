// The table object as the windows use it: moving, editing, posting, refreshing, signals.
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

std::unique_ptr<TTable> openTable(
    const ScratchDatabase &db, const QString &name = QStringLiteral("t"))
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

// Collects the statements the table's connection runs while it lives.
class StatementLog
{
public:
    explicit StatementLog(const QString &path) : m_db(Database::open(path))
    {
        m_db->setStatementObserver([this](const QString &sql) { statements << sql; });
    }
    ~StatementLog() { m_db->setStatementObserver({}); }
    int countContaining(const QString &text) const
    {
        return int(std::count_if(statements.begin(), statements.end(),
            [&](const QString &s) { return s.contains(text); }));
    }
    QStringList statements;

private:
    std::shared_ptr<Database> m_db;
};

} // namespace

class TTableTest : public QObject
{
    Q_OBJECT
private slots:
    void openingShowsTheFirstRecordAndTheFlags();
    void flagsFollowTheMoves_data();
    void flagsFollowTheMoves();
    void anEmptyTableHasBothFlagsAfterFirst();
    void editOnAnEmptyTableStartsAnInsert();
    void editWhileEditingChangesNothing();
    void postWritesOnlyTheChangedFieldsThenRunsAfterPost();
    void postAsksBoundControlsForTheirChangesFirst();
    void movingWhileEditingPostsAChangedRecordAndDropsAnUnchangedOne();
    void anInsertIsShownAfterTheLastRowUntilPostedOrCancelled();
    void deletingMovesToTheNextRecordOrTheNewLast();
    void refreshKeepsTheCurrentRecordOrTheNearestOne();
    void refreshAfterAnUpdateDoesNotReadTheRecordListAgain();
    void refreshSeesRecordsAddedByAnotherConnection();
    void refusedValuesLeaveTheFieldAsItWas_data();
    void refusedValuesLeaveTheFieldAsItWas();
    void acceptedValuesAreStoredInTheirStoredForm_data();
    void acceptedValuesAreStoredInTheirStoredForm();
    void aStoredValueOfTheWrongKindRaisesOnlyWhenRead();
    void bookmarksFindTheirRecordUntilItIsDeleted();
    void disabledControlsHearOnceWhenEnabledAgain();
    void valuesOfOtherRowsComeWithoutMovingTheCurrentRecord();
    void memoAndPictureCellsShowOnlyWhetherTheyAreEmpty();
    void missingAliasTableAndFileGiveClearMessages();
    void storePendingEditPostsAChangedRecordAndDropsTheRest_data();
    void storePendingEditPostsAChangedRecordAndDropsTheRest();
    void deleteTableRemovesOnlyThatTable();
    void structureChangesNeedAClosedTable();
    void oddNamesWorkInEveryOperation_data();
    void oddNamesWorkInEveryOperation();
    void tablesAreListedInCreationOrderWithoutSystemTables();
};

void TTableTest::openingShowsTheFirstRecordAndTheFlags()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    TTable t;
    QSignalSpy dataSet(&t, &TTable::dataSetChanged);
    t.setDatabaseName(db.alias());
    t.setTableName(QStringLiteral("t"));
    t.open();
    QCOMPARE(t.state(), TTable::Browse);
    QCOMPARE(t.recordCount(), 3);
    QCOMPARE(t.recNo(), 0);
    QVERIFY(t.bof());
    QVERIFY(!t.eof());
    QCOMPARE(nameAt(t), QStringLiteral("r1"));
    QCOMPARE(dataSet.count(), 1);
    QCOMPARE(t.fieldCount(), 4);
    QCOMPARE(t.field(1)->declaredType(), QStringLiteral("VARCHAR(20)"));
    QCOMPARE(t.fieldByName(QStringLiteral("name"))->size(), 20);
    t.close();
    QVERIFY(!t.active());
}

void TTableTest::flagsFollowTheMoves_data()
{
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("lastMoved");
    // 4 records. f first, l last, n next, p prior, +k / -k moveBy.
    QTest::newRow("first") << "f" << 0 << true << false << 0;
    QTest::newRow("next from the first") << "fn" << 1 << false << false << 1;
    QTest::newRow("next on the last sets eof and stays") << "ln" << 3 << false << true << 0;
    QTest::newRow("last sets eof") << "l" << 3 << false << true << 0;
    QTest::newRow("prior on the first sets bof and stays") << "fnp p" << 0 << true << false << 0;
    QTest::newRow("moving by more than there is stops at the end")
        << "f+10" << 3 << false << true << 3;
    QTest::newRow("moving back past the start stops at the first")
        << "l-9" << 0 << true << false << -3;
    QTest::newRow("a move within the records clears both") << "l-2" << 1 << false << false << -2;
}

void TTableTest::flagsFollowTheMoves()
{
    QFETCH(QString, moves);
    QFETCH(int, recNo);
    QFETCH(bool, bof);
    QFETCH(bool, eof);
    QFETCH(int, lastMoved);
    ScratchDatabase db;
    db.makeNumbers(4);
    auto t = openTable(db);
    int moved = 0;
    for (const QString &step : moves.split(QLatin1Char(' '))) {
        for (int i = 0; i < step.size(); ++i) {
            const QChar c = step[i];
            moved = 0;
            if (c == u'f')
                t->first();
            else if (c == u'l')
                t->last();
            else if (c == u'n')
                moved = t->moveBy(1);
            else if (c == u'p')
                moved = t->moveBy(-1);
            else {
                moved = t->moveBy(step.mid(i).toInt());
                break;
            }
        }
    }
    QCOMPARE(t->recNo(), recNo);
    QCOMPARE(t->bof(), bof);
    QCOMPARE(t->eof(), eof);
    QCOMPARE(moved, lastMoved);
    QCOMPARE(nameAt(*t), QStringLiteral("r%1").arg(recNo + 1));
}

void TTableTest::anEmptyTableHasBothFlagsAfterFirst()
{
    ScratchDatabase db;
    db.makeNumbers(0);
    auto t = openTable(db);
    t->first();
    QVERIFY(t->bof());
    QVERIFY(t->eof());
    QCOMPARE(t->recNo(), -1);
    t->next();
    QVERIFY(t->eof());
    QVERIFY(!t->bookmark().valid);
    QVERIFY(t->fieldByName(QStringLiteral("name"))->isNull());
}

void TTableTest::editOnAnEmptyTableStartsAnInsert()
{
    ScratchDatabase db;
    db.makeNumbers(0);
    auto t = openTable(db);
    t->edit();
    QCOMPARE(t->state(), TTable::Insert);
    QCOMPARE(t->recNo(), 0);
    t->post(); // nothing set: a blank record
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t WHERE name IS NULL")).toInt(), 1);
}

void TTableTest::editWhileEditingChangesNothing()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    auto t = openTable(db);
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("changed"));
    QSignalSpy state(t.get(), &TTable::stateChanged);
    t->edit();
    QCOMPARE(state.count(), 0);
    QVERIFY(t->modified());
    QCOMPARE(nameAt(*t), QStringLiteral("changed"));
}

void TTableTest::postWritesOnlyTheChangedFieldsThenRunsAfterPost()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    auto t = openTable(db);
    t->next();
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("second"));
    // Another program changes another field of the same record meanwhile: it must survive.
    db.exec(QStringLiteral("UPDATE t SET n = 999 WHERE id = 2"));
    int afterPostCalls = 0;
    TTable::State stateInAfterPost = TTable::Inactive;
    t->AfterPost = [&](TTable &table) {
        ++afterPostCalls;
        stateInAfterPost = table.state();
    };
    QSignalSpy state(t.get(), &TTable::stateChanged);
    t->post();
    QCOMPARE(afterPostCalls, 1);
    QCOMPARE(stateInAfterPost, TTable::Browse);
    QCOMPARE(state.count(), 1);
    QCOMPARE(db.query(QStringLiteral("SELECT name FROM t WHERE id = 2")).toString(),
        QStringLiteral("second"));
    QCOMPARE(db.query(QStringLiteral("SELECT n FROM t WHERE id = 2")).toInt(), 999);
    QCOMPARE(
        db.query(QStringLiteral("SELECT count(*) FROM t WHERE name = 'r1' OR name = 'r3'")).toInt(),
        2);

    t->edit();
    t->post(); // nothing changed: nothing written, AfterPost still runs
    QCOMPARE(afterPostCalls, 2);
    t->post(); // not editing: nothing at all
    QCOMPARE(afterPostCalls, 2);
}

void TTableTest::postAsksBoundControlsForTheirChangesFirst()
{
    ScratchDatabase db;
    db.makeNumbers(1);
    auto t = openTable(db);
    QObject control;
    connect(t.get(), &TTable::updateRecordRequested, &control, [&] {
        t->fieldByName(QStringLiteral("note"))->setValue(QStringLiteral("typed in a memo control"));
    });
    t->edit();
    t->post();
    QCOMPARE(db.query(QStringLiteral("SELECT note FROM t")).toString(),
        QStringLiteral("typed in a memo control"));
}

void TTableTest::movingWhileEditingPostsAChangedRecordAndDropsAnUnchangedOne()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    auto t = openTable(db);
    int afterPostCalls = 0;
    t->AfterPost = [&](TTable &table) {
        ++afterPostCalls;
        table.refresh(); // what the windows do: the move must still land where it should
    };
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(11);
    t->next();
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(t->recNo(), 1);
    QCOMPARE(afterPostCalls, 1);
    QCOMPARE(db.query(QStringLiteral("SELECT n FROM t WHERE id = 1")).toInt(), 11);

    QSignalSpy updateRequests(t.get(), &TTable::updateRecordRequested);
    t->edit();
    t->next();
    QCOMPARE(updateRequests.count(), 1);
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(afterPostCalls, 1);
    QCOMPARE(t->recNo(), 2);

    t->insert();
    t->first(); // an untouched new record is dropped
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(afterPostCalls, 1);
}

void TTableTest::anInsertIsShownAfterTheLastRowUntilPostedOrCancelled()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    auto t = openTable(db);
    t->next();
    const int name = t->fieldByName(QStringLiteral("name"))->index();
    t->insert();
    QCOMPARE(t->state(), TTable::Insert);
    QCOMPARE(t->recNo(), 3);
    QCOMPARE(t->recordCount(), 3);
    QVERIFY(t->isNullAt(3, name));
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("new"));
    QCOMPARE(t->valueAt(3, name).toString(), QStringLiteral("new"));
    QCOMPARE(t->valueAt(1, name).toString(), QStringLiteral("r2"));
    t->cancel();
    QCOMPARE(t->recNo(), 1); // back where it was
    QCOMPARE(t->recordCount(), 3);
    QVERIFY(!t->valueAt(3, name).isValid());

    QSignalSpy dataSet(t.get(), &TTable::dataSetChanged);
    t->append();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("appended"));
    t->post();
    QCOMPARE(dataSet.count(), 1);
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(t->recNo(), 3);
    QCOMPARE(nameAt(*t), QStringLiteral("appended"));
    QCOMPARE(t->valueAt(3, name).toString(), QStringLiteral("appended"));
    QCOMPARE(db.query(QStringLiteral("SELECT name FROM t ORDER BY rowid DESC LIMIT 1")).toString(),
        QStringLiteral("appended"));
}

void TTableTest::deletingMovesToTheNextRecordOrTheNewLast()
{
    ScratchDatabase db;
    db.makeNumbers(3);
    auto t = openTable(db);
    t->next();
    t->deleteRecord();
    QCOMPARE(t->recordCount(), 2);
    QCOMPARE(t->recNo(), 1);
    QCOMPARE(nameAt(*t), QStringLiteral("r3"));
    t->deleteRecord();
    QCOMPARE(t->recNo(), 0);
    QCOMPARE(nameAt(*t), QStringLiteral("r1"));
    t->deleteRecord();
    QCOMPARE(t->recordCount(), 0);
    QVERIFY(t->bof() && t->eof());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->deleteRecord());
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
}

void TTableTest::refreshKeepsTheCurrentRecordOrTheNearestOne()
{
    ScratchDatabase db;
    db.makeNumbers(6);
    auto t = openTable(db);
    t->moveTo(3); // r4
    db.exec(QStringLiteral("DELETE FROM t WHERE id IN (1, 2)"));
    t->refresh();
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(nameAt(*t), QStringLiteral("r4"));
    QCOMPARE(t->recNo(), 1);
    db.exec(QStringLiteral("DELETE FROM t WHERE id = 4"));
    t->refresh();
    QCOMPARE(nameAt(*t), QStringLiteral("r5")); // the record that took its place
    db.exec(QStringLiteral("DELETE FROM t WHERE id >= 5"));
    t->refresh();
    QCOMPARE(nameAt(*t), QStringLiteral("r3")); // the new last

    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(7);
    t->refresh(); // posts first
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(db.query(QStringLiteral("SELECT n FROM t WHERE id = 3")).toInt(), 7);
}

void TTableTest::refreshAfterAnUpdateDoesNotReadTheRecordListAgain()
{
    ScratchDatabase db;
    db.makeNumbers(500);
    auto main = openTable(db);
    auto other = openTable(db); // the other window, on the same table
    main->moveTo(250);
    StatementLog log(db.path());
    const QString recordList = QStringLiteral("SELECT rowid FROM \"t\"");

    main->edit();
    main->fieldByName(QStringLiteral("n"))->setValue(-1);
    main->post();
    main->refresh();
    other->refresh();
    QCOMPARE(log.countContaining(recordList), 0);
    // ...but the values are read again: the other window shows the change.
    other->moveTo(250);
    QCOMPARE(other->fieldByName(QStringLiteral("n"))->value().toInt(), -1);

    // A new record and a deleted one change the record set of both windows; the connection says
    // which records changed, so neither reads its list again.
    main->append();
    main->post();
    main->refresh();
    main->moveTo(3);
    main->deleteRecord();
    main->refresh();
    other->refresh();
    QCOMPARE(log.countContaining(recordList), 0);
    QCOMPARE(other->recordCount(), 500);
    QCOMPARE(other->bookmarks().toVector(), main->bookmarks().toVector());
    other->last();
    QCOMPARE(other->bookmark().rowid, qint64(501));
    QCOMPARE(other->recNo(), 499);

    // Another program's change is not known record by record: that one is read again.
    db.exec(QStringLiteral("DELETE FROM t WHERE id = 7"));
    other->refresh();
    QVERIFY(log.countContaining(recordList) > 0);
    QCOMPARE(other->recordCount(), 499);
}

void TTableTest::refreshSeesRecordsAddedByAnotherConnection()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    auto t = openTable(db);
    db.exec(QStringLiteral("INSERT INTO t VALUES (3, 'r3', 30, NULL)"));
    QCOMPARE(t->recordCount(), 2);
    t->refresh();
    QCOMPARE(t->recordCount(), 3);
    t->last();
    QCOMPARE(nameAt(*t), QStringLiteral("r3"));
}

void TTableTest::refusedValuesLeaveTheFieldAsItWas_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QVariant>("refused");
    QTest::addColumn<QString>("because");
    QTest::newRow("text into an integer")
        << "INTEGER" << QVariant(5) << QVariant("five") << "whole number";
    QTest::newRow("a fraction into an integer")
        << "INTEGER" << QVariant(5) << QVariant(2.5) << "whole number";
    QTest::newRow("too large for a small integer")
        << "SMALLINT" << QVariant(5) << QVariant(40000) << "-32768";
    QTest::newRow("an impossible date")
        << "DATE" << QVariant(QDate(2024, 1, 2)) << QVariant("2023-02-30") << "valid date";
    QTest::newRow("a month 13") << "DATE" << QVariant(QDate(2024, 1, 2)) << QVariant("2023-13-01")
                                << "valid date";
    QTest::newRow("an impossible time")
        << "TIME" << QVariant(QTime(8, 0)) << QVariant("25:10") << "valid time";
    QTest::newRow("an impossible date and time")
        << "DATETIME" << QVariant(QDateTime(QDate(2024, 1, 2), QTime(8, 0)))
        << QVariant("2024-02-30 10:00") << "date and time";
    QTest::newRow("a string over its size")
        << "VARCHAR(5)" << QVariant("abc") << QVariant("abcdef") << "at most 5";
    QTest::newRow("Chinese over its size")
        << "CHAR(2)" << QVariant("中") << QVariant("中文字") << "at most 2";
    QTest::newRow("a non-boolean into a boolean")
        << "BOOLEAN" << QVariant(true) << QVariant("maybe") << "yes/no";
    QTest::newRow("a number other than 0 or 1 into a boolean")
        << "LOGICAL" << QVariant(false) << QVariant(7) << "yes/no";
    QTest::newRow("text into a float")
        << "FLOAT" << QVariant(1.5) << QVariant("1.5.2") << "not a number";
    QTest::newRow("text into a currency")
        << "MONEY" << QVariant(1.5) << QVariant("much") << "not a number";
    QTest::newRow("text into a picture")
        << "GRAPHIC" << QVariant(QByteArray("BM...")) << QVariant("picture") << "only pictures";
}

void TTableTest::refusedValuesLeaveTheFieldAsItWas()
{
    QFETCH(QString, declaredType);
    QFETCH(QVariant, before);
    QFETCH(QVariant, refused);
    QFETCH(QString, because);
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE \"k\" (\"Value field\" %1)").arg(declaredType));
    auto t = openTable(db, QStringLiteral("k"));
    TField *f = t->field(0);
    t->edit();
    f->setValue(before);
    const QVariant kept = f->value();
    try {
        f->setValue(refused);
        QFAIL("the value was taken");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(because), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("Value field")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(refused.toString()), qPrintable(e.message()));
    }
    QCOMPARE(f->value(), kept);
    t->post();
    t->refresh();
    QCOMPARE(f->value(), kept);
}

void TTableTest::acceptedValuesAreStoredInTheirStoredForm_data()
{
    QTest::addColumn<QString>("declaredType");
    QTest::addColumn<QVariant>("given");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("digits into an integer")
        << "INTEGER" << QVariant(" 42 ") << QVariant(42LL) << QVariant(42LL);
    QTest::newRow("a whole double into an integer")
        << "INT" << QVariant(7.0) << QVariant(7LL) << QVariant(7LL);
    QTest::newRow("a date") << "DATE" << QVariant(QDate(2024, 2, 29))
                            << QVariant(QDate(2024, 2, 29)) << QVariant("2024-02-29");
    QTest::newRow("a date typed with slashes")
        << "DATE" << QVariant("2024/3/5") << QVariant(QDate(2024, 3, 5)) << QVariant("2024-03-05");
    QTest::newRow("a time") << "TIME" << QVariant("8:05") << QVariant(QTime(8, 5))
                            << QVariant("08:05:00");
    QTest::newRow("a date and time") << "DATETIME" << QVariant("2024-01-02 03:04:05")
                                     << QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)))
                                     << QVariant("2024-01-02T03:04:05");
    QTest::newRow("yes into a boolean")
        << "BOOLEAN" << QVariant("yes") << QVariant(true) << QVariant(1LL);
    QTest::newRow("false into a boolean")
        << "BOOL" << QVariant(false) << QVariant(false) << QVariant(0LL);
    QTest::newRow("a number typed into a currency")
        << "MONEY" << QVariant("12.50") << QVariant(12.5) << QVariant(12.5);
    QTest::newRow("an empty string into an integer")
        << "INTEGER" << QVariant("") << QVariant() << QVariant();
    QTest::newRow("an empty string into a date")
        << "DATE" << QVariant("") << QVariant() << QVariant();
    QTest::newRow("a string at its size")
        << "VARCHAR(5)" << QVariant("abcde") << QVariant("abcde") << QVariant("abcde");
    QTest::newRow("Chinese text into a memo")
        << "MEMO" << QVariant("中文备注") << QVariant("中文备注") << QVariant("中文备注");
    QTest::newRow("bytes into a blob")
        << "BLOB" << QVariant(QByteArray("BM\x01\x02", 4)) << QVariant(QByteArray("BM\x01\x02", 4))
        << QVariant(QByteArray("BM\x01\x02", 4));
}

void TTableTest::acceptedValuesAreStoredInTheirStoredForm()
{
    QFETCH(QString, declaredType);
    QFETCH(QVariant, given);
    QFETCH(QVariant, value);
    QFETCH(QVariant, stored);
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE k (v %1)").arg(declaredType));
    auto t = openTable(db, QStringLiteral("k"));
    t->edit();
    t->field(0)->setValue(given);
    t->post();
    QCOMPARE(db.query(QStringLiteral("SELECT v FROM k")), stored);
    t->refresh();
    QCOMPARE(t->field(0)->value(), value);
    QCOMPARE(t->field(0)->isNull(), !value.isValid());
}

void TTableTest::aStoredValueOfTheWrongKindRaisesOnlyWhenRead()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE k (n INTEGER, d DATE)"));
    db.exec(QStringLiteral("INSERT INTO k VALUES ('twelve', '2023-02-31')"));
    auto t = openTable(db, QStringLiteral("k"));
    QCOMPARE(t->valueAt(0, 0).toString(), QStringLiteral("twelve")); // the grid shows what is there
    QCOMPARE(t->displayTextAt(0, 1), QStringLiteral("2023-02-31"));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->field(0)->value());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->field(1)->value());
    t->edit();
    t->field(0)->clear();
    t->field(1)->clear();
    t->post();
    QVERIFY(!t->field(0)->value().isValid());
    QCOMPARE(
        db.query(QStringLiteral("SELECT count(*) FROM k WHERE n IS NULL AND d IS NULL")).toInt(),
        1);
}

void TTableTest::bookmarksFindTheirRecordUntilItIsDeleted()
{
    ScratchDatabase db;
    db.makeNumbers(5);
    auto t = openTable(db);
    t->moveTo(3);
    TBookmark mark = t->bookmark();
    QVERIFY(mark.valid);
    t->first();
    t->gotoBookmark(mark);
    QCOMPARE(nameAt(*t), QStringLiteral("r4"));
    t->first();
    t->deleteRecord(); // others move up; the bookmark still finds its record
    t->gotoBookmark(mark);
    QCOMPARE(nameAt(*t), QStringLiteral("r4"));
    t->deleteRecord();
    QVERIFY_THROWS_EXCEPTION(EngineError, t->gotoBookmark(mark));

    // A record deleted by another program is missed too, even before a refresh.
    t->first();
    TBookmark other = t->bookmark();
    t->last();
    db.exec(QStringLiteral("DELETE FROM t WHERE id = 2"));
    QVERIFY_THROWS_EXCEPTION(EngineError, t->gotoBookmark(other));
    t->freeBookmark(other);
    QVERIFY(!other.valid);
}

void TTableTest::disabledControlsHearOnceWhenEnabledAgain()
{
    ScratchDatabase db;
    db.makeNumbers(5);
    auto t = openTable(db);
    QSignalSpy record(t.get(), &TTable::recordChanged);
    QSignalSpy dataSet(t.get(), &TTable::dataSetChanged);
    t->disableControls();
    t->disableControls();
    t->next();
    t->next();
    t->refresh();
    t->enableControls();
    QCOMPARE(record.count(), 0);
    QCOMPARE(dataSet.count(), 0);
    QVERIFY(t->controlsDisabled());
    t->next();
    t->enableControls();
    QCOMPARE(record.count(), 0);
    QCOMPARE(dataSet.count(), 1);
    QVERIFY(!t->controlsDisabled());
    t->next();
    QCOMPARE(record.count(), 1);
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(1);
    QCOMPARE(record.count(), 2); // a value of the current record changed
}

void TTableTest::valuesOfOtherRowsComeWithoutMovingTheCurrentRecord()
{
    ScratchDatabase db;
    db.makeNumbers(1000);
    auto t = openTable(db);
    t->moveTo(10);
    QSignalSpy record(t.get(), &TTable::recordChanged);
    const int n = t->fieldByName(QStringLiteral("n"))->index();
    for (int row : {0, 199, 200, 999, 450, 10})
        QCOMPARE(t->valueAt(row, n).toLongLong(), (row + 1) * 10LL);
    QCOMPARE(t->displayTextAt(999, 1), QStringLiteral("r1000"));
    QCOMPARE(t->recNo(), 10);
    QCOMPARE(record.count(), 0);
    QVERIFY(!t->valueAt(1000, n).isValid());
    QVERIFY(!t->valueAt(-1, n).isValid());
    // The row being edited shows the edit.
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(5);
    QCOMPARE(t->valueAt(10, n).toLongLong(), 5LL);
    QCOMPARE(t->valueAt(11, n).toLongLong(), 120LL);
}

void TTableTest::memoAndPictureCellsShowOnlyWhetherTheyAreEmpty()
{
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE p (name TEXT, pic GRAPHIC, raw, note MEMO)"));
    db.exec(QStringLiteral("INSERT INTO p VALUES ('a', x'424D00', x'424D01', 'memo text')"));
    db.exec(QStringLiteral("INSERT INTO p VALUES ('b', NULL, NULL, NULL)"));
    auto t = openTable(db, QStringLiteral("p"));
    QCOMPARE(t->field(0)->dataType(), int(ftString)); // TEXT is a string of any length
    QCOMPARE(t->field(0)->size(), 0);
    QCOMPARE(t->displayTextAt(0, 0), QStringLiteral("a"));
    QCOMPARE(t->field(1)->dataType(), int(ftGraphic));
    QCOMPARE(t->field(2)->dataType(), int(ftBlob)); // no declared type, blob content
    QCOMPARE(t->displayTextAt(0, 1), QStringLiteral("(GRAPHIC)"));
    QCOMPARE(t->displayTextAt(1, 1), QStringLiteral("(Graphic)"));
    QCOMPARE(t->displayTextAt(0, 2), QStringLiteral("(BLOB)"));
    QCOMPARE(t->displayTextAt(0, 3), QStringLiteral("(MEMO)"));
    QCOMPARE(t->displayTextAt(1, 3), QStringLiteral("(Memo)"));
    QVERIFY(!t->valueAt(0, 1).isValid());
    QCOMPARE(t->field(1)->asBytes(), QByteArray("BM\x00", 3));
    QCOMPARE(t->field(3)->asString(), QStringLiteral("memo text"));
    t->next();
    QVERIFY(t->field(1)->isNull());
    QVERIFY(t->field(1)->asBytes().isEmpty());
    t->edit();
    t->field(1)->setBytes(QByteArray("BMnew"));
    QCOMPARE(t->displayTextAt(1, 1), QStringLiteral("(GRAPHIC)"));
    t->post();
    QCOMPARE(db.query(QStringLiteral("SELECT pic FROM p WHERE name = 'b'")).toByteArray(),
        QByteArray("BMnew"));
}

void TTableTest::missingAliasTableAndFileGiveClearMessages()
{
    ScratchDatabase db;
    db.makeNumbers(1);
    TTable t;
    t.setDatabaseName(QStringLiteral("No such alias"));
    t.setTableName(QStringLiteral("t"));
    try {
        t.open();
        QFAIL("opened");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("No such alias")), qPrintable(e.message()));
    }
    t.setDatabaseName(db.alias());
    t.setTableName(QStringLiteral("nothing here"));
    try {
        t.open();
        QFAIL("opened");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("“nothing here” does not exist")),
            qPrintable(e.message()));
    }
    QVERIFY(!t.active());
    QFile::remove(db.path());
    t.setTableName(QStringLiteral("t"));
    try {
        t.open();
        QFAIL("opened");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("does not exist")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(db.path()), qPrintable(e.message()));
    }
}

void TTableTest::storePendingEditPostsAChangedRecordAndDropsTheRest_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("start"); // "browse", "edit" or "insert"
    QTest::addColumn<bool>("typed"); // a value set through the field
    QTest::addColumn<bool>("controlTyped"); // a bound control hands a value over when asked
    QTest::addColumn<int>("recordsAfter");
    QTest::addColumn<int>("afterPosts");
    QTest::addColumn<QString>("nameAfter"); // of the current record; "" for none

    QTest::newRow("browsing: nothing happens") << 2 << "browse" << false << false << 2 << 0 << "r1";
    QTest::newRow("edit with a change is posted") << 2 << "edit" << true << false << 2 << 1 << "x";
    QTest::newRow("edit without a change is dropped")
        << 2 << "edit" << false << false << 2 << 0 << "r1";
    QTest::newRow("a control's pending change is posted")
        << 2 << "edit" << false << true << 2 << 1 << "c";
    QTest::newRow("a typed insert is posted") << 2 << "insert" << true << false << 3 << 1 << "x";
    QTest::newRow("an untouched insert is dropped")
        << 2 << "insert" << false << false << 2 << 0 << "r1";
    QTest::newRow("an untouched insert into an empty table adds no blank record")
        << 0 << "insert" << false << false << 0 << 0 << "";
    QTest::newRow("a typed first record is posted")
        << 0 << "insert" << true << false << 1 << 1 << "x";
}

void TTableTest::storePendingEditPostsAChangedRecordAndDropsTheRest()
{
    QFETCH(int, records);
    QFETCH(QString, start);
    QFETCH(bool, typed);
    QFETCH(bool, controlTyped);
    QFETCH(int, recordsAfter);
    QFETCH(int, afterPosts);
    QFETCH(QString, nameAfter);
    ScratchDatabase db;
    db.makeNumbers(records);
    auto t = openTable(db);
    int afterPostCalls = 0;
    t->AfterPost = [&](TTable &) {
        ++afterPostCalls;
    };
    TField *name = t->fieldByName(QStringLiteral("name"));
    if (controlTyped) {
        // What a bound memo or edit does: it hands over what was typed when the table asks.
        connect(t.get(), &TTable::updateRecordRequested, this,
            [name] { name->setValue(QStringLiteral("c")); });
    }
    if (start == u"edit")
        t->edit();
    else if (start == u"insert")
        t->insert();
    if (typed)
        name->setValue(QStringLiteral("x"));

    t->storePendingEdit();
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(t->recordCount(), recordsAfter);
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), recordsAfter);
    QCOMPARE(afterPostCalls, afterPosts);
    QCOMPARE(t->recordCount() ? nameAt(*t) : QString(), nameAfter);
    t->storePendingEdit(); // a second call has nothing left to store
    QCOMPARE(afterPostCalls, afterPosts);
    t->close();
    t->storePendingEdit(); // nor has a closed table
}

void TTableTest::deleteTableRemovesOnlyThatTable()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    db.exec(QStringLiteral("CREATE TABLE keep (a)"));
    auto t = openTable(db);
    t->close();
    t->deleteTable();
    QCOMPARE(Engine::tableNames(db.alias()), QStringList(QStringLiteral("keep")));
    try {
        t->deleteTable();
        QFAIL("deleted a table that is not there");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("does not exist")), qPrintable(e.message()));
    }
}

void TTableTest::structureChangesNeedAClosedTable()
{
    ScratchDatabase db;
    db.makeNumbers(2);
    auto t = openTable(db);
    QVERIFY_THROWS_EXCEPTION(EngineError, t->deleteTable());
    QVERIFY_THROWS_EXCEPTION(EngineError, t->setTableName(QStringLiteral("other")));
    QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 2);
}

void TTableTest::oddNamesWorkInEveryOperation_data()
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

void TTableTest::oddNamesWorkInEveryOperation()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    ScratchDatabase db;
    db.exec(QStringLiteral("CREATE TABLE %1 (%2 VARCHAR(20), pic GRAPHIC)")
                .arg(Database::quote(table), Database::quote(field)));
    db.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                .arg(Database::quote(field + QStringLiteral(" index")), Database::quote(table),
                    Database::quote(field)));
    QCOMPARE(Engine::tableNames(db.alias()), QStringList(table));
    QCOMPARE(Engine::fieldNames(db.alias(), table), QStringList({field, QStringLiteral("pic")}));
    auto t = openTable(db, table);
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
    QCOMPARE(t->fieldByName(field)->value().toString(), QStringLiteral("changed"));
    t->deleteRecord();
    QCOMPARE(t->recordCount(), 0);
    t->close();
    t->deleteTable();
    QVERIFY(Engine::tableNames(db.alias()).isEmpty());
}

void TTableTest::tablesAreListedInCreationOrderWithoutSystemTables()
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

TABVALE_TEST_MAIN(TTableTest, QCoreApplication)
#include "tst_TTable.moc"
