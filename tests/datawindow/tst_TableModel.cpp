// The grid's model stays a consistent item model through everything a table goes through.
#include "datawindow/grid/TableModel.h"
#include "engine/RecordListLoader.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QSignalSpy>

class TableModelTest : public QObject
{
    Q_OBJECT

private slots:
    void theModelStaysConsistentThroughATablesLife()
    {
        const QString db = DataFixture::makeDatabase(QStringLiteral("Model"),
            {QStringLiteral("CREATE TABLE A (Name VARCHAR(10), Qty INTEGER, Notes MEMO)"),
                QStringLiteral("INSERT INTO A VALUES ('a', 1, 'x'), ('b', 2, NULL)"),
                QStringLiteral("CREATE TABLE B (Only INTEGER)")});
        DataFixture::writeAliases({{QStringLiteral("Model"), db}});
        TTable table;
        TDataSource source;
        source.setDataSet(&table);
        TableModel model(&source);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        table.setDatabaseName(QStringLiteral("Model"));
        table.setTableName(QStringLiteral("A"));
        table.open();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 3);
        table.insert();
        QCOMPARE(model.rowCount(), 3);
        table.fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("c"));
        table.post();
        QCOMPARE(model.rowCount(), 3);
        table.moveTo(0);
        table.edit();
        table.fieldByName(QStringLiteral("Qty"))->setValue(5);
        table.cancel();
        table.insert();
        table.cancel();
        QCOMPARE(model.rowCount(), 3);
        table.deleteRecord();
        QCOMPARE(model.rowCount(), 2);
        DataFixture::exec(db, QStringLiteral("INSERT INTO A VALUES ('d', 4, NULL)"));
        table.refresh();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("d"));
        table.close();
        QCOMPARE(model.rowCount(), 0);
        table.setTableName(QStringLiteral("B"));
        table.open();
        QCOMPARE(model.columnCount(), 1);
        QCOMPARE(model.rowCount(), 0);
    }

    void rowsAreAddedAtTheEndAsTheRecordListLoads()
    {
        const QString db = DataFixture::makeDatabase(QStringLiteral("Loading"),
            {QStringLiteral("CREATE TABLE Big (Name VARCHAR(10), Qty INTEGER)"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < 4000) INSERT INTO Big SELECT 'n' || i, i FROM c")});
        DataFixture::writeAliases({{QStringLiteral("Loading"), db}});
        RecordListLoader::holdForTests(true);
        struct Release
        {
            ~Release() { RecordListLoader::holdForTests(false); }
        } release;
        TTable table;
        TDataSource source;
        source.setDataSet(&table);
        TableModel model(&source);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.setDatabaseName(QStringLiteral("Loading"));
        table.setTableName(QStringLiteral("Big"));
        table.open();
        QCOMPARE(model.rowCount(), 1000);
        table.moveTo(600);
        const QPersistentModelIndex current = model.index(600, 0);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        // A jump past the loaded rows waits for them: they are added before the move shows.
        table.moveTo(2500);
        QVERIFY(model.rowCount() > 2500);
        QCOMPARE(model.index(2500, 0).data().toString(), QStringLiteral("n2501"));
        QCOMPARE(model.headerData(2500, Qt::Vertical, Qt::DisplayRole).toString(),
            QStringLiteral("\u25B6"));
        table.moveTo(600);
        RecordListLoader::holdForTests(false);
        QTRY_VERIFY_WITH_TIMEOUT(table.recordListComplete(), 20000);
        QCOMPARE(model.rowCount(), 4000);
        QVERIFY(inserted.count() >= 1);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(current.row(), 600); // the rows already there keep their records
        QCOMPARE(current.data().toString(), QStringLiteral("n601"));
        QCOMPARE(model.index(3999, 1).data().toString(), QStringLiteral("4000"));
    }

    void aBigTableIsShownThroughAWindowThatKeepsTheCurrentRecord()
    {
        const int records = 2 * TableModel::WindowRows + 50000;
        const QString db = DataFixture::makeDatabase(QStringLiteral("Window"),
            {QStringLiteral("CREATE TABLE Big (Name VARCHAR(10))"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < %1) INSERT INTO Big SELECT 'n' || i FROM c")
                    .arg(records)});
        DataFixture::writeAliases({{QStringLiteral("Window"), db}});
        TTable table;
        TDataSource source;
        source.setDataSet(&table);
        TableModel model(&source);
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy recordRows(&model, &TableModel::recordRowsChanged);
        table.setDatabaseName(QStringLiteral("Window"));
        table.setTableName(QStringLiteral("Big"));
        table.open();
        QTRY_VERIFY_WITH_TIMEOUT(table.recordListComplete(), 20000);
        QTRY_COMPARE(model.recordRows(), records);
        QCOMPARE(model.rowCount(), TableModel::WindowRows); // the rest has no rows yet
        QVERIFY(model.windowed());
        QVERIFY(recordRows.count() >= 1);

        // The current record always has a row: a jump moves the window to it.
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        table.moveTo(records - 10);
        QCOMPARE(reset.count(), 1);
        const int row = model.rowOf(records - 10);
        QVERIFY(row >= 0);
        QCOMPARE(model.firstRecord() + model.rowCount(), records);
        QCOMPARE(model.index(row, 0).data().toString(), QStringLiteral("n%1").arg(records - 9));
        QCOMPARE(model.headerData(row, Qt::Vertical, Qt::DisplayRole).toString(),
            QStringLiteral("\u25B6"));
        // The grid may move the window away from the current record (the user scrolls).
        model.moveWindow(1000);
        QCOMPARE(model.firstRecord(), 1000);
        QCOMPARE(model.rowOf(records - 10), -1);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("n1001"));
        QCOMPARE(model.recordOf(5), 1005);
        table.first();
        QCOMPARE(model.firstRecord(), 0);
        // A new record's row comes after the last one, in the window.
        table.insert();
        QCOMPARE(model.rowOf(records), model.rowCount() - 1);
        QCOMPARE(model.headerData(model.rowCount() - 1, Qt::Vertical, Qt::DisplayRole).toString(),
            QStringLiteral("*"));
        table.fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("new"));
        table.post();
        QCOMPARE(model.recordRows(), records + 1);
        QCOMPARE(model.index(model.rowOf(records), 0).data().toString(), QStringLiteral("new"));
    }
};

TABVALE_TEST_MAIN(TableModelTest, QGuiApplication)
#include "tst_TableModel.moc"
