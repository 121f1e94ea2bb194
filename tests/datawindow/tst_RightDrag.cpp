// Right-button drags from the find-data window to the main window, driven with real mouse
// events: the keys at the release copy, replace or swap, each side judged by its own class; the
// main grid paints the cell under the cursor red meanwhile and gets its own handlers back after.
#include "app/TabvaleApplication.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/TPanel.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TTable.h"
#include "tests/datawindow/DragDriver.h"
#include "tests/datawindow/DragTables.h"
#include "tests/datawindow/DragWindows.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>

using Cell = DragDriver::Cell;

namespace {

const QColor Red(255, 0, 0);

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3
        && qAbs(a.blue() - b.blue()) <= 3;
}

} // namespace

class RightDragTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragTables> m_tables;
    std::unique_ptr<DragWindows> m_windows;
    DragDriver m_mouse;
    QStringList m_messages;

    TForm1 *main() const { return m_windows->main(); }
    TForm1 *find() const { return m_windows->find(); }

    void rightDrag(Cell from, Cell to, Qt::KeyboardModifiers keys)
    {
        m_mouse.drag(find(), from, main(), to, Qt::RightButton, keys);
    }

    // The main grid has its ordinary handlers again: a left drag in it copies.
    void verifyTheGridIsItselfAgain()
    {
        QVERIFY(!QWidget::mouseGrabber());
        QVERIFY(!DragBookmark.valid);
        QCOMPARE(main()->Table1->state(), TTable::Browse);
        QCOMPARE(find()->Table1->state(), TTable::Browse);
        m_mouse.drag(main(), {1, 3}, main(), {1, 2});
        QCOMPARE(m_tables->value("Things", 2, "Name"), QVariant("Cy"));
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
    }

    void cleanup()
    {
        m_windows.reset();
        m_tables.reset();
        QVERIFY2(
            m_messages.isEmpty() || QTest::currentTestFailed(), qPrintable(m_messages.join('\n')));
    }

    void rightDragsThatChangeNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        QTest::newRow("from the main window") << 0 << ctrl;
        QTest::newRow("without the find-data window") << 1 << ctrl;
        QTest::newRow("with Alt alone") << 2 << Qt::KeyboardModifiers(Qt::AltModifier);
        QTest::newRow("with no key") << 2 << Qt::KeyboardModifiers();
        QTest::newRow("over the title row") << 3 << ctrl;
        QTest::newRow("over the indicator column") << 4 << ctrl;
        QTest::newRow("beside the main grid") << 5 << ctrl;
    }

    void rightDragsThatChangeNothing()
    {
        QFETCH(int, how);
        QFETCH(Qt::KeyboardModifiers, keys);
        const QPoint fromFind = DragDriver::cellPoint(find(), {2, 1});
        const QPoint ends[] = {DragDriver::cellPoint(main(), {2, 2}),
            DragDriver::titlePoint(main(), 2), DragDriver::indicatorPoint(main(), 2),
            main()->Panel3->mapToGlobal(main()->Panel3->rect().center())};
        if (how == 0) {
            m_mouse.drag(main(), {2, 1}, main(), {2, 2}, Qt::RightButton, keys);
        } else if (how == 1) {
            m_windows->closeFind();
            QVERIFY(!LookDataForm);
            m_mouse.drag(main(), {2, 1}, main(), {2, 2}, Qt::RightButton, keys);
        } else {
            m_mouse.drag(fromFind, ends[how - 2], Qt::RightButton, keys);
        }
        QVERIFY(m_tables->updates().isEmpty());
        QVERIFY(!QWidget::mouseGrabber());
        if (how != 1)
            verifyTheGridIsItselfAgain();
    }

    void theKeysAtTheReleaseChooseCopyReplaceOrSwap_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<qlonglong>("mainQty"); // Things row 2, was 20
        QTest::addColumn<qlonglong>("findQty"); // Others row 1, was 111
        QTest::newRow("Ctrl copies")
            << Qt::KeyboardModifiers(Qt::ControlModifier) << 111LL << 111LL;
        QTest::newRow("Ctrl+Shift copies")
            << (Qt::ControlModifier | Qt::ShiftModifier) << 111LL << 111LL;
        QTest::newRow("Shift replaces") << Qt::KeyboardModifiers(Qt::ShiftModifier) << 20LL << 20LL;
        QTest::newRow("Alt+Shift replaces")
            << (Qt::AltModifier | Qt::ShiftModifier) << 20LL << 20LL;
        QTest::newRow("Ctrl+Alt swaps") << (Qt::ControlModifier | Qt::AltModifier) << 111LL << 20LL;
        QTest::newRow("Ctrl+Alt+Shift swaps")
            << (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << 111LL << 20LL;
    }

    void theKeysAtTheReleaseChooseCopyReplaceOrSwap()
    {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(qlonglong, mainQty);
        QFETCH(qlonglong, findQty);
        rightDrag({2, 1}, {2, 2}, keys);
        QCOMPARE(m_tables->value("Things", 2, "Qty"), QVariant(mainQty));
        QCOMPARE(m_tables->value("Others", 1, "Qty"), QVariant(findQty));
        QCOMPARE(main()->DBGrid1->model()->index(1, 1).data(), QVariant(QString::number(mainQty)));
        QCOMPARE(find()->DBGrid1->model()->index(0, 1).data(), QVariant(QString::number(findQty)));
        // The find-data window keeps its record; the main window is on the one written.
        QCOMPARE(find()->Table1->recNo(), 0);
        QCOMPARE(main()->Table1->recNo(), 1);
        verifyTheGridIsItselfAgain();
    }

    void aSwapJudgesEachSideByItsOwnClass_data()
    {
        QTest::addColumn<Cell>("findCell"); // Others row 1
        QTest::addColumn<Cell>("mainCell"); // Things row 1
        QTest::addColumn<QString>("findColumn");
        QTest::addColumn<QString>("mainColumn");
        QTest::addColumn<QVariant>("findAfter");
        QTest::addColumn<QVariant>("mainAfter");
        QTest::newRow("memo with memo")
            << Cell {3, 1} << Cell {3, 1} << "Notes"
            << "Notes" << QVariant("first note") << QVariant("other note");
        QTest::newRow("memo with a number") << Cell {3, 1} << Cell {2, 1} << "Notes"
                                            << "Qty" << QVariant("other note") << QVariant(10LL);
        QTest::newRow("text the number refuses, with a number")
            << Cell {1, 1} << Cell {2, 1} << "Name"
            << "Qty" << QVariant("10") << QVariant(10LL);
        QTest::newRow("picture with an empty picture") << Cell {4, 2} << Cell {4, 1} << "Photo"
                                                       << "Photo" << QVariant() << QVariant();
    }

    void aSwapJudgesEachSideByItsOwnClass()
    {
        QFETCH(Cell, findCell);
        QFETCH(Cell, mainCell);
        QFETCH(QString, findColumn);
        QFETCH(QString, mainColumn);
        QFETCH(QVariant, findAfter);
        QFETCH(QVariant, mainAfter);
        rightDrag(findCell, mainCell, Qt::ControlModifier | Qt::AltModifier);
        if (findColumn == u"Photo") {
            // The red graphic went to the find-data side, in its own stored form; nothing came
            // back.
            QCOMPARE(m_tables->picture("Others", findCell.row, findColumn).pixelColor(1, 1),
                QColor(Qt::red));
            QVERIFY(m_tables->bytes("Things", mainCell.row, mainColumn).isNull());
        } else {
            QCOMPARE(m_tables->value("Others", findCell.row, findColumn), findAfter);
            QCOMPARE(m_tables->value("Things", mainCell.row, mainColumn), mainAfter);
        }
    }

    void picturesTravelInTheStoredFormOfTheirTarget()
    {
        // Others' green graphic and Things' blue blob change places.
        rightDrag({4, 1}, {5, 1}, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(m_tables->bytes("Things", 1, "Raw").left(2), QByteArray("BM"));
        QCOMPARE(m_tables->picture("Things", 1, "Raw").pixelColor(1, 1), QColor(Qt::green));
        QCOMPARE(m_tables->bytes("Others", 1, "Photo").left(2), QByteArray::fromHex("0100"));
        QCOMPARE(m_tables->picture("Others", 1, "Photo").pixelColor(1, 1), QColor(Qt::blue));
    }

    void theRedCellFollowsTheCursorAndTheGridPaintsNormallyAfterwards()
    {
        m_mouse.pressAndTravel(DragDriver::cellPoint(find(), {2, 1}),
            DragDriver::cellPoint(main(), {2, 2}), Qt::RightButton);
        QVERIFY(near(DragTables::cellBackground(main(), 2, 2), Red));
        QVERIFY(!near(DragTables::cellBackground(main(), 2, 3), Red));
        QVERIFY(!near(DragTables::cellBackground(find(), 2, 1), Red));
        m_mouse.moveTo(DragDriver::cellPoint(main(), {3, 3}));
        QVERIFY(near(DragTables::cellBackground(main(), 3, 3), Red));
        QVERIFY(!near(DragTables::cellBackground(main(), 2, 2), Red));
        m_mouse.release(Qt::RightButton);
        QVERIFY(!near(DragTables::cellBackground(main(), 3, 3), Red));
        QVERIFY(m_tables->updates().isEmpty());
        verifyTheGridIsItselfAgain();
        // And the next right drag works as the first.
        rightDrag({2, 3}, {2, 1}, Qt::ControlModifier);
        QCOMPARE(m_tables->value("Things", 1, "Qty"), QVariant(333LL));
    }

    void aDropTheEngineRefusesLeavesBothCellsAsTheyWere_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<bool>("frozen");
        QTest::newRow("a copy the constraint refuses")
            << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
        QTest::newRow("a swap refused on the main side")
            << (Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("a replace into a read-only file")
            << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    }

    void aDropTheEngineRefusesLeavesBothCellsAsTheyWere()
    {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(bool, frozen);
        if (frozen) {
            DragWindows::showTable(find(), QStringLiteral("Frozen"), QStringLiteral("Others"));
            m_messages.clear(); // opening says once that the file is read-only
        }
        rightDrag({6, 1}, {6, 1}, keys); // Others' 500 does not fit Things' Capped
        QCOMPARE(m_messages.size(), 1);
        m_messages.clear();
        QCOMPARE(m_tables->value("Things", 1, "Capped"), QVariant(5LL));
        QCOMPARE(m_tables->value("Others", 1, "Capped"), QVariant(500LL));
        QCOMPARE(find()->DBGrid1->model()->index(0, 5).data(), QVariant("500"));
        QCOMPARE(main()->DBGrid1->model()->index(0, 5).data(), QVariant("5"));
        verifyTheGridIsItselfAgain();
    }
};

TABVALE_TEST_MAIN(RightDragTest, TabvaleApplication)
#include "tst_RightDrag.moc"
