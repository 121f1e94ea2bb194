// Left-button drags between grid cells, driven with real mouse events through the grids' own
// handlers: where a drag starts and lands, what it paints, and what each kind of field takes.
#include "app/TabvaleApplication.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/TPanel.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/grid/TableModel.h"
#include "engine/TTable.h"
#include "tests/datawindow/DragDriver.h"
#include "tests/datawindow/DragTables.h"
#include "tests/datawindow/DragWindows.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>

using Cell = DragDriver::Cell;

namespace {

const QColor Green(0, 128, 0);

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3
        && qAbs(a.blue() - b.blue()) <= 3;
}

QPoint centreOf(const QWidget *w)
{
    return w->mapToGlobal(w->rect().center());
}

} // namespace

class LeftDragTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragTables> m_tables;
    std::unique_ptr<DragWindows> m_windows;
    DragDriver m_mouse;
    QStringList m_messages;

    TForm1 *main() const { return m_windows->main(); }
    TForm1 *find() const { return m_windows->find(); }

    // After every drop, whatever happened: no drag is left behind.
    void verifyNoDragLeft()
    {
        QCOMPARE(DragState, std::uint8_t(0));
        QCOMPARE(DragCol, -1);
        QVERIFY(!DragBookmark.valid);
        QVERIFY(!QWidget::mouseGrabber());
        QCOMPARE(main()->Table1->state(), TTable::Browse);
        QCOMPARE(find()->Table1->state(), TTable::Browse);
    }

private slots:
    void initTestCase()
    {
        Prompts::setScript([this](const Prompts::Request &r) {
            m_messages << r.text;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }

    void init()
    {
        m_messages.clear();
        m_tables = std::make_unique<DragTables>();
        m_windows = std::make_unique<DragWindows>();
        QVERIFY(m_windows->openFind());
        DragWindows::showTable(find(), QStringLiteral("Drag"), QStringLiteral("Others"));
        QCOMPARE(main()->Table1->tableName(), QStringLiteral("Things"));
    }

    void cleanup()
    {
        m_windows.reset();
        m_tables.reset();
        QVERIFY2(
            m_messages.isEmpty() || QTest::currentTestFailed(), qPrintable(m_messages.join('\n')));
    }

    void withTheLockOffNothingIsDraggedOrPainted()
    {
        main()->InputLock1->trigger();
        m_mouse.pressAndTravel(
            DragDriver::cellPoint(main(), {2, 1}), DragDriver::cellPoint(find(), {2, 2}));
        QCOMPARE(DragState, std::uint8_t(0));
        QVERIFY(!near(DragTables::cellBackground(find(), 2, 2), Green));
        m_mouse.release(Qt::LeftButton);
        QVERIFY(m_tables->updates().isEmpty());
        QCOMPARE(m_tables->value("Others", 2, "Qty"), QVariant(222LL));
    }

    void whereTheButtonIsReleasedDecidesWhatIsWritten_data()
    {
        QTest::addColumn<int>("where");
        QTest::addColumn<QStringList>("updates");
        QTest::newRow("the start cell") << 0 << QStringList();
        QTest::newRow("the same cell in the other window") << 1 << QStringList {"Others 1"};
        QTest::newRow("another cell of the same window") << 2 << QStringList {"Things 2"};
        QTest::newRow("a title cell") << 3 << QStringList();
        QTest::newRow("the indicator column") << 4 << QStringList();
        QTest::newRow("below the last row") << 5 << QStringList();
        QTest::newRow("the field panel beside the grid") << 6 << QStringList();
        QTest::newRow("outside every window") << 7 << QStringList();
    }

    void whereTheButtonIsReleasedDecidesWhatIsWritten()
    {
        QFETCH(int, where);
        QFETCH(QStringList, updates);
        const QRect lastRow = find()->DBGrid1->cellRect(2, 3);
        const QPoint targets[] = {DragDriver::cellPoint(main(), {2, 1}),
            DragDriver::cellPoint(find(), {2, 1}), DragDriver::cellPoint(main(), {2, 2}),
            DragDriver::titlePoint(find(), 2), DragDriver::indicatorPoint(find(), 1),
            find()->DBGrid1->mapToGlobal(lastRow.center() + QPoint(0, 60)),
            centreOf(find()->Panel3), QPoint(1595, 995)};
        // By way of the next cell, so the drag is under way wherever it ends.
        m_mouse.pressAndTravel(
            DragDriver::cellPoint(main(), {2, 1}), DragDriver::cellPoint(main(), {3, 1}));
        QCOMPARE(DragState, std::uint8_t(2));
        m_mouse.moveTo(targets[where]);
        m_mouse.release(Qt::LeftButton);
        QCOMPARE(m_tables->updates(), updates);
        if (where == 1)
            QCOMPARE(m_tables->value("Others", 1, "Qty"), QVariant(10LL));
        if (where == 2)
            QCOMPARE(m_tables->value("Things", 2, "Qty"), QVariant(10LL));
        verifyNoDragLeft();
    }

    void aPressOutsideTheCellsStartsNoDragAndItsReleaseGoesToTheTableList_data()
    {
        QTest::addColumn<bool>("onTitle");
        QTest::newRow("title row") << true;
        QTest::newRow("indicator column") << false;
    }

    void aPressOutsideTheCellsStartsNoDragAndItsReleaseGoesToTheTableList()
    {
        QFETCH(bool, onTitle);
        const QPoint press
            = onTitle ? DragDriver::titlePoint(main(), 2) : DragDriver::indicatorPoint(main(), 2);
        m_mouse.pressAndTravel(press, DragDriver::cellPoint(main(), {2, 3}));
        QCOMPARE(DragState, std::uint8_t(1));
        QVERIFY(!near(DragTables::cellBackground(main(), 2, 3), Green));
        m_mouse.release(Qt::LeftButton);
        QCOMPARE(main()->focusWidget(), main()->CBTable);
        QVERIFY(m_tables->updates().isEmpty());
        verifyNoDragLeft();
    }

    void theGreenCellFollowsTheCursorAndSurvivesLeavingTheGrids()
    {
        m_mouse.pressAndTravel(
            DragDriver::cellPoint(main(), {2, 1}), DragDriver::cellPoint(find(), {2, 1}));
        QCOMPARE(DragState, std::uint8_t(2));
        QVERIFY(near(DragTables::cellBackground(find(), 2, 1), Green));
        QVERIFY(!near(DragTables::cellBackground(find(), 2, 2), Green));
        // Back over the start cell: never a target there, but the cell beside it is.
        m_mouse.moveTo(DragDriver::cellPoint(main(), {2, 1}));
        QVERIFY(!near(DragTables::cellBackground(main(), 2, 1), Green));
        m_mouse.moveTo(DragDriver::cellPoint(main(), {3, 1}));
        QVERIFY(near(DragTables::cellBackground(main(), 3, 1), Green));
        QVERIFY(!near(DragTables::cellBackground(find(), 2, 1), Green));
        // Off the grids and back: the drag goes on.
        m_mouse.moveTo(centreOf(main()->Panel3));
        QCOMPARE(DragState, std::uint8_t(2));
        QVERIFY(DragOverForm.isNull());
        QVERIFY(!near(DragTables::cellBackground(main(), 3, 1), Green));
        m_mouse.moveTo(DragDriver::cellPoint(find(), {2, 3}));
        QVERIFY(near(DragTables::cellBackground(find(), 2, 3), Green));
        m_mouse.release(Qt::LeftButton);
        QCOMPARE(m_tables->value("Others", 3, "Qty"), QVariant(10LL));
        QCOMPARE(find()->Table1->recNo(), 2); // the target window stays on the target record
        QVERIFY(!near(DragTables::cellBackground(find(), 2, 3), Green));
        verifyNoDragLeft();
    }

    void aDropInTheWindowItStartedInLeavesItOnTheSourceRecord()
    {
        m_mouse.drag(main(), {2, 1}, main(), {2, 3});
        QCOMPARE(m_tables->value("Things", 3, "Qty"), QVariant(10LL));
        QCOMPARE(main()->Table1->recNo(), 0);
        QCOMPARE(main()->DBGrid1->model()->index(2, 1).data().toString(), QStringLiteral("10"));
        verifyNoDragLeft();
    }

    void eachKindOfFieldTakesOnlyItsOwnKind_data()
    {
        QTest::addColumn<Cell>("source"); // in the main window (Things)
        QTest::addColumn<Cell>("target"); // in the find-data window (Others)
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("expected"); // Others' value; for pictures, the header bytes
        QTest::addColumn<QColor>("colour"); // of the picture that arrives
        QTest::addColumn<int>("messages");
        QTest::newRow("a memo onto an ordinary field")
            << Cell {3, 1} << Cell {1, 2} << "Name" << QVariant("Pia") << QColor() << 0;
        QTest::newRow("a number onto a picture field")
            << Cell {2, 1} << Cell {4, 1} << "Photo" << QVariant("0100") << QColor(Qt::green) << 0;
        QTest::newRow("text the number field refuses")
            << Cell {1, 1} << Cell {2, 1} << "Qty" << QVariant(111LL) << QColor() << 0;
        QTest::newRow("a number into a text field")
            << Cell {2, 1} << Cell {1, 1} << "Name" << QVariant("10") << QColor() << 0;
        QTest::newRow("a memo into a memo")
            << Cell {3, 1} << Cell {3, 2} << "Notes" << QVariant("first note") << QColor() << 0;
        QTest::newRow("a graphic into a blob, without header")
            << Cell {4, 1} << Cell {5, 1} << "Raw" << QVariant("424D") << QColor(Qt::red) << 0;
        QTest::newRow("a blob into a graphic, with header")
            << Cell {5, 1} << Cell {4, 2} << "Photo" << QVariant("0100") << QColor(Qt::blue) << 0;
        QTest::newRow("an empty picture")
            << Cell {4, 2} << Cell {4, 1} << "Photo" << QVariant() << QColor() << 0;
        QTest::newRow("an empty memo")
            << Cell {3, 2} << Cell {3, 1} << "Notes" << QVariant() << QColor() << 0;
        QTest::newRow("an unreadable picture")
            << Cell {4, 3} << Cell {4, 1} << "Photo" << QVariant("0100") << QColor(Qt::green) << 1;
    }

    void eachKindOfFieldTakesOnlyItsOwnKind()
    {
        QFETCH(Cell, source);
        QFETCH(Cell, target);
        QFETCH(QString, column);
        QFETCH(QVariant, expected);
        QFETCH(QColor, colour);
        QFETCH(int, messages);
        // What the clipboard held before must never arrive.
        auto *stale = new QMimeData;
        stale->setText(QStringLiteral("stale text"));
        QImage stalePicture(3, 3, QImage::Format_RGB32);
        stalePicture.fill(Qt::magenta);
        stale->setImageData(stalePicture);
        QGuiApplication::clipboard()->setMimeData(stale);

        m_mouse.drag(main(), source, find(), target);
        const bool picture = column == u"Photo" || column == u"Raw";
        if (picture && expected.isValid())
            QCOMPARE(QVariant(QString::fromLatin1(
                         m_tables->bytes("Others", target.row, column).left(2).toHex().toUpper())),
                expected);
        else
            QCOMPARE(m_tables->value("Others", target.row, column), expected);
        if (colour.isValid())
            QCOMPARE(m_tables->picture("Others", target.row, column).pixelColor(1, 1), colour);
        QCOMPARE(m_messages.size(), messages);
        m_messages.clear();
        // The target window went to the target record and stored it.
        QCOMPARE(find()->Table1->recNo(), target.row - 1);
        verifyNoDragLeft();
    }

    void aDropTheEngineRefusesLeavesBothRecordsAndNoDrag_data()
    {
        QTest::addColumn<bool>("fromFind");
        QTest::addColumn<Cell>("source");
        QTest::addColumn<Cell>("target");
        QTest::addColumn<bool>("frozen");
        QTest::newRow("a constraint, from the other window")
            << true << Cell {6, 1} << Cell {6, 1} << false;
        QTest::newRow("a constraint, in the same window")
            << false << Cell {2, 3} << Cell {6, 1} << false;
        QTest::newRow("a read-only file") << false << Cell {2, 1} << Cell {2, 1} << true;
    }

    void aDropTheEngineRefusesLeavesBothRecordsAndNoDrag()
    {
        QFETCH(bool, fromFind);
        QFETCH(Cell, source);
        QFETCH(Cell, target);
        QFETCH(bool, frozen);
        if (frozen) {
            DragWindows::showTable(find(), QStringLiteral("Frozen"), QStringLiteral("Others"));
            m_messages.clear(); // opening says once that the file is read-only
        }
        TForm1 *from = fromFind ? find() : main();
        TForm1 *to = frozen ? find() : main();
        m_mouse.drag(from, source, to, target);
        QCOMPARE(m_messages.size(), 1);
        m_messages.clear();
        QCOMPARE(m_tables->value("Things", 1, "Capped"), QVariant(5LL));
        QVERIFY(m_tables->updates().isEmpty());
        QCOMPARE(from->Table1->recNo(), source.row - 1);
        QCOMPARE(to->DBGrid1->model()->index(target.row - 1, target.col - 1).data(),
            frozen ? QVariant("111") : QVariant("5"));
        verifyNoDragLeft();
        // The next press starts afresh.
        m_mouse.drag(main(), {2, 2}, main(), {2, 1});
        QCOMPARE(m_tables->value("Things", 1, "Qty"), QVariant(20LL));
    }

    void twoWindowsOnOneTableShareADropAndKeepAPendingEdit()
    {
        DragWindows::showTable(find(), QStringLiteral("Drag"), QStringLiteral("Things"));
        find()->Table1->moveTo(1);
        find()->Table1->edit();
        find()->Table1->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("Pending"));
        find()->Table1->fieldByName(QStringLiteral("Qty"))->setValue(77);
        // The pending edit is stored before the drop, which then writes over its Qty.
        m_mouse.drag(main(), {2, 1}, main(), {2, 2});
        QCOMPARE(m_tables->value("Things", 2, "Qty"), QVariant(10LL));
        QCOMPARE(m_tables->value("Things", 2, "Name"), QVariant("Pending"));
        QCOMPARE(find()->DBGrid1->model()->index(1, 1).data(), QVariant("10"));
        QCOMPARE(find()->DBGrid1->model()->index(1, 0).data(), QVariant("Pending"));
        // And a drop in the other window shows here.
        m_mouse.drag(main(), {1, 1}, find(), {1, 3});
        QCOMPARE(main()->DBGrid1->model()->index(2, 0).data(), QVariant("Ann"));
        verifyNoDragLeft();
    }
};

TABVALE_TEST_MAIN(LeftDragTest, TabvaleApplication)
#include "tst_LeftDrag.moc"
