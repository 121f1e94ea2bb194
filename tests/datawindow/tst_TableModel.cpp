// The grid's model stays a consistent item model through everything a table goes through.
#include "datawindow/grid/TableModel.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>

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
};

TABVALE_TEST_MAIN(TableModelTest, QGuiApplication)
#include "tst_TableModel.moc"
