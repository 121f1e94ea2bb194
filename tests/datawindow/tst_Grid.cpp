// The grid: type-name cells, the two cell painters, deleting with confirmation, following the
// table's current record, and editing when the lock is off.
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBNavigator.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/grid/TableModel.h"
#include "engine/RecordListLoader.h"
#include "engine/TTable.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QWheelEvent>
#include <optional>

namespace {

QString pictureLiteral(int code)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return QStringLiteral("X'%1'").arg(
        QString::fromLatin1(StoredPicture::encode(image, code).toHex()));
}

bool near(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) <= 3 && qAbs(a.green() - b.green()) <= 3
        && qAbs(a.blue() - b.blue()) <= 3;
}

// Where a part of a scroll bar is drawn (an arrow, a page area, the slider), as its style lays it
// out, so that a test clicks where a user would.
QRect scrollBarPart(const QScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void mouseDrag(QWidget *widget, QPoint from, QPoint to)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(widget->mapToGlobal(to)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

} // namespace

class GridTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QList<Prompts::Request> m_asked;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;

    QImage grabCell(int col, int row)
    {
        m_main->DBGrid1->viewport()->repaint();
        const QImage shot = m_main->DBGrid1->grab().toImage();
        const QRect r = m_main->DBGrid1->cellRect(col, row);
        return shot.copy(r.adjusted(3, 3, -3, -3));
    }

    // The cell's colour where no text is drawn: its right end.
    QColor cellBackground(int col, int row)
    {
        const QImage cell = grabCell(col, row);
        return cell.pixelColor(cell.width() - 2, 1);
    }

private slots:
    void initTestCase()
    {
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            return Prompts::Answer {m_answer, {}};
        });
    }

    void init()
    {
        m_asked.clear();
        m_answer = QMessageBox::Ok;
        m_db = DataFixture::makeDatabase(QStringLiteral("Grid"),
            {QStringLiteral("CREATE TABLE Things (Name VARCHAR(20), Qty INTEGER, Notes MEMO,"
                            " Photo GRAPHIC, Raw BLOB, Typed TYPEDBINARY)"),
                QStringLiteral("INSERT INTO Things VALUES ('full', 1, 'text', %1, %2, %3)")
                    .arg(pictureLiteral(17), pictureLiteral(15), pictureLiteral(21)),
                QStringLiteral("INSERT INTO Things (Name, Qty) VALUES ('empty', 2)"),
                QStringLiteral("INSERT INTO Things (Name, Qty) VALUES ('third', 3)")});
        DataFixture::writeAliases({{QStringLiteral("Grid"), m_db}});
        m_main = std::make_unique<TForm1>(true);
        m_main->resize(900, 600);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
        DragState = 0;
        DragHighlight = false;
        DragPoint = QPoint(-100, -100);
    }

    void cleanup() { m_main.reset(); }

    void typeNameCellsShowCapitalsWhenTheFieldHoldsSomething_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("graphic with a picture") << 0 << 3 << "(GRAPHIC)";
        QTest::newRow("empty graphic") << 1 << 3 << "(Graphic)";
        QTest::newRow("memo with text") << 0 << 2 << "(MEMO)";
        QTest::newRow("empty memo") << 1 << 2 << "(Memo)";
        QTest::newRow("blob") << 0 << 4 << "(BLOB)";
        QTest::newRow("empty blob") << 1 << 4 << "(Blob)";
        QTest::newRow("typed binary") << 0 << 5 << "(TYPEDBINARY)";
        QTest::newRow("empty typed binary") << 2 << 5 << "(TypedBinary)";
        QTest::newRow("ordinary value") << 1 << 1 << "2";
    }

    void typeNameCellsShowCapitalsWhenTheFieldHoldsSomething()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(m_main->DBGrid1->model()->index(row, column).data().toString(), text);
        QCOMPARE(m_main->DBGrid1->model()->headerData(column, Qt::Horizontal).toString(),
            m_main->Table1->field(column)->fieldName());
    }

    void cellsAreYellowWithRedTextInTheMainWindow()
    {
        QVERIFY(near(cellBackground(2, 2), QColor(255, 255, 0)));
        const QImage cell = grabCell(1, 2); // "empty" in red
        bool redText = false;
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                redText = redText
                    || (cell.pixelColor(x, y).red() > 200 && cell.pixelColor(x, y).green() < 140
                        && cell.pixelColor(x, y).blue() < 60);
        QVERIFY(redText);
    }

    void theDropTargetIsGreenOnlyDuringADragAndNeverOnTheStartCell()
    {
        // A second data window (creating one resets the drag state, so first).
        TForm1 other(false);
        other.Tag = 2;
        Form1 = m_main.get();
        const QRect target = m_main->DBGrid1->cellRect(2, 2);
        DragPoint = target.center();
        DragHighlight = true;
        DragOverForm = m_main.get();
        DragSourceForm = m_main.get();
        DragCol = 2;
        DragRow = 2;
        DragStartCol = 1;
        DragStartRow = 1;

        DragState = 0; // no drag under way
        QVERIFY(near(cellBackground(2, 2), QColor(255, 255, 0)));
        DragState = 2;
        QVERIFY(near(cellBackground(2, 2), QColor(0, 128, 0)));
        QVERIFY(near(cellBackground(1, 2), QColor(255, 255, 0)));
        // The start cell itself in the window where the drag began: not a target.
        DragStartCol = 2;
        DragStartRow = 2;
        QVERIFY(near(cellBackground(2, 2), QColor(255, 255, 0)));
        // The same cell seen from the other window is a target.
        DragSourceForm = &other;
        QVERIFY(near(cellBackground(2, 2), QColor(0, 128, 0)));
        DragHighlight = false;
        QVERIFY(near(cellBackground(2, 2), QColor(255, 255, 0)));
    }

    void theRightDragPainterMarksTheCellUnderTheCursorRed()
    {
        m_main->DBGrid1->OnDrawColumnCell
            = [this](TCanvas &c, const QRect &r, int col, TField *f, QStyle::State s) {
                  m_main->DBGrid1DrawColumnCell2(c, r, col, f, s);
              };
        DragState = 0;
        DragPoint = m_main->DBGrid1->cellRect(1, 3).center();
        QVERIFY(near(cellBackground(1, 3), QColor(255, 0, 0)));
        const QImage text = grabCell(1, 3);
        bool whiteText = false;
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x)
                whiteText = whiteText || near(text.pixelColor(x, y), Qt::white);
        QVERIFY(whiteText);
        QVERIFY(near(cellBackground(2, 3), QColor(255, 255, 0)));
    }

    void ctrlDeleteAsksAndDeletesOnlyOnOk()
    {
        m_main->Table1->moveTo(1);
        m_main->DBGrid1->setFocus();
        m_answer = QMessageBox::Cancel;
        QTest::keyClick(m_main->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].text, QStringLiteral("Delete record?"));
        QCOMPARE(m_main->Table1->recordCount(), 3);
        m_answer = QMessageBox::Ok;
        QTest::keyClick(m_main->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_main->Table1->recordCount(), 2);
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT group_concat(Name) FROM Things")),
            QVariant(QStringLiteral("full,third")));
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), 2);
    }

    void theNavigatorDeleteAsksTheSameWhateverTheLock()
    {
        m_main->InputLock1Click();
        m_main->Table1->last();
        m_main->DBNavigator1->button(DBNavigator::Delete)->click();
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].text, QStringLiteral("Delete record?"));
        QCOMPARE(m_main->Table1->recordCount(), 2);
    }

    void gridAndTableFollowEachOther()
    {
        m_main->Table1->moveTo(2);
        QCOMPARE(m_main->DBGrid1->currentIndex().row(), 2);
        m_main->DBGrid1->setCurrentIndex(m_main->DBGrid1->model()->index(1, 1));
        QCOMPARE(m_main->Table1->recNo(), 1);
        m_main->DBNavigator1->click(DBNavigator::First);
        QCOMPARE(m_main->DBGrid1->currentIndex().row(), 0);
        QCOMPARE(m_main->DBGrid1->model()->headerData(0, Qt::Vertical).toString(),
            QStringLiteral("\u25B6"));
    }

    void typingWhenUnlockedEditsAndLeavingTheRowPosts()
    {
        m_main->InputLock1Click();
        DBGrid *grid = m_main->DBGrid1;
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QTest::keyClick(grid, Qt::Key_Z);
        auto *editor = grid->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("oe"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(m_main->Table1->state(), TTable::Edit);
        grid->setCurrentIndex(grid->model()->index(2, 0));
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT Name FROM Things WHERE rowid=2")),
            QVariant(QStringLiteral("zoe")));
    }

    void escapeCancelsTheEdit()
    {
        m_main->Table1->moveTo(0);
        m_main->Table1->edit();
        m_main->Table1->fieldByName(QStringLiteral("Qty"))->setValue(99);
        m_main->DBGrid1->setFocus();
        QTest::keyClick(m_main->DBGrid1, Qt::Key_Escape);
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        QCOMPARE(m_main->Table1->fieldByName(QStringLiteral("Qty"))->value().toInt(), 1);
    }

    void theNavigatorInsertsAPendingRowThatPostStoresAndCancelDrops()
    {
        DBNavigator *nav = m_main->DBNavigator1;
        nav->click(DBNavigator::Insert);
        QCOMPARE(m_main->Table1->state(), TTable::Insert);
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), 4);
        QCOMPARE(m_main->DBGrid1->currentIndex().row(), 3);
        QVERIFY(nav->button(DBNavigator::Post)->isEnabled());
        QVERIFY(!nav->button(DBNavigator::Next)->isEnabled());
        nav->click(DBNavigator::Cancel);
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), 3);
        QCOMPARE(m_main->Table1->recordCount(), 3);

        nav->click(DBNavigator::Insert);
        m_main->Table1->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("fourth"));
        QCOMPARE(m_main->DBGrid1->model()->index(3, 0).data().toString(), QStringLiteral("fourth"));
        nav->click(DBNavigator::Post);
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        QCOMPARE(m_main->Table1->recNo(), 3);
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT Name FROM Things WHERE rowid=4")),
            QVariant(QStringLiteral("fourth")));
        nav->click(DBNavigator::First);
        QCOMPARE(m_main->Table1->recNo(), 0);
        QVERIFY(!nav->button(DBNavigator::Prior)->isEnabled());
        nav->click(DBNavigator::Last);
        QCOMPARE(m_main->Table1->recNo(), 3);
    }

    void aBigTableIsBrowsedWhileItsRecordListLoads()
    {
        const QString big = DataFixture::makeDatabase(QStringLiteral("Big"),
            {QStringLiteral("CREATE TABLE Many (Name VARCHAR(10), Qty INTEGER)"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < 5000) INSERT INTO Many SELECT 'n' || i, i FROM c")});
        DataFixture::writeAliases({{QStringLiteral("Grid"), m_db}, {QStringLiteral("Big"), big}});
        m_main = std::make_unique<TForm1>(true);
        m_main->resize(900, 600);
        m_main->show();
        RecordListLoader::holdForTests(true);
        struct Release
        {
            ~Release() { RecordListLoader::holdForTests(false); }
        } release;
        m_main->CBDBase->setCurrentText(QStringLiteral("Big"));
        TTable *t = m_main->Table1;
        DBGrid *grid = m_main->DBGrid1;
        DBNavigator *nav = m_main->DBNavigator1;
        QCOMPARE(t->tableName(), QStringLiteral("Many"));
        QVERIFY(!t->recordListComplete());
        QCOMPARE(grid->model()->rowCount(), 1000);
        QCOMPARE(grid->model()->index(999, 0).data().toString(), QStringLiteral("n1000"));
        // There is more after the loaded records: the navigator lets the user go on.
        t->moveTo(999);
        QVERIFY(nav->button(DBNavigator::Next)->isEnabled());
        QVERIFY(nav->button(DBNavigator::Last)->isEnabled());
        t->moveTo(600);
        QCOMPARE(grid->currentIndex().row(), 600);
        const int scrolled = grid->verticalScrollBar()->value();
        const int scrollRange = grid->verticalScrollBar()->maximum();
        QVERIFY(scrolled > 0);

        RecordListLoader::holdForTests(false);
        QTRY_VERIFY_WITH_TIMEOUT(t->recordListComplete(), 20000);
        QTRY_COMPARE(grid->model()->rowCount(), 5000);
        QCOMPARE(grid->currentIndex().row(), 600); // the grid stayed where the user was
        QCOMPARE(grid->verticalScrollBar()->value(), scrolled);
        QVERIFY(grid->verticalScrollBar()->maximum() > scrollRange + 3000);
        nav->click(DBNavigator::Last);
        QCOMPARE(grid->currentIndex().row(), 4999);
        QVERIFY(!nav->button(DBNavigator::Next)->isEnabled());
    }

    void aTableBeyondTheModelsWindowScrollsByItsRecordBar()
    {
        const int records = TableModel::WindowRows * 2 + 50000;
        const QString big = DataFixture::makeDatabase(QStringLiteral("Big"),
            {QStringLiteral("CREATE TABLE Many (Name VARCHAR(10))"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < %1) INSERT INTO Many SELECT 'n' || i FROM c")
                    .arg(records)});
        DataFixture::writeAliases({{QStringLiteral("Grid"), m_db}, {QStringLiteral("Big"), big}});
        m_main = std::make_unique<TForm1>(true);
        m_main->resize(900, 600);
        m_main->show();
        m_main->CBDBase->setCurrentText(QStringLiteral("Big"));
        TTable *t = m_main->Table1;
        DBGrid *grid = m_main->DBGrid1;
        QTRY_VERIFY_WITH_TIMEOUT(t->recordListComplete(), 20000);
        QTRY_VERIFY(grid->recordBar()->isVisible());
        // The grid takes the loaded list's rows a step at a time, after the list is complete.
        QTRY_VERIFY_WITH_TIMEOUT(grid->recordBar()->maximum() > records - 100, 20000);
        QCOMPARE(grid->model()->rowCount(), TableModel::WindowRows);
        // The record bar lies over the view's own bar, in its place.
        QCOMPARE(grid->recordBar()->geometry(),
            QRect(grid->verticalScrollBar()->mapTo(grid, QPoint(0, 0)),
                grid->verticalScrollBar()->size()));
        QVERIFY(grid->rect().contains(grid->recordBar()->geometry()));
        auto shownAtRow = [&](int row) {
            return grid->model()->index(grid->rowAt(0) + row - 1, 0).data().toString();
        };

        // The record bar takes the grid anywhere in the table; grid rows name those records.
        grid->recordBar()->setValue(170000);
        QCOMPARE(grid->recordAtRow(1), 170000);
        QCOMPARE(shownAtRow(1), QStringLiteral("n170001"));
        QVERIFY(grid->cellRect(1, 3).isValid());
        QCOMPARE(t->recNo(), 0); // scrolling does not move the record
        // A click there moves the table to that record.
        const QRect cell = grid->cellRect(1, 3);
        QTest::mouseClick(
            grid->viewport(), Qt::LeftButton, {}, cell.center() - grid->viewport()->pos());
        QCOMPARE(t->recNo(), 170002);
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("n170003"));

        // The wheel scrolls past the window's end without stopping there.
        grid->recordBar()->setValue(grid->tableModel()->firstRecord() + TableModel::WindowRows
            - grid->rowAt(grid->viewport()->height()) - 5);
        const int before = grid->recordAtRow(1);
        for (int turn = 0; turn < 20; ++turn) {
            QWheelEvent wheel(QPointF(50, 50), grid->viewport()->mapToGlobal(QPointF(50, 50)),
                QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(grid->viewport(), &wheel);
        }
        QVERIFY2(grid->recordAtRow(1) > before + 20, qPrintable(QString::number(before)));
        QCOMPARE(shownAtRow(1), QStringLiteral("n%1").arg(grid->recordAtRow(1) + 1));
        QCOMPARE(grid->recordBar()->value(), grid->recordAtRow(1));

        // The navigator's last and first take the window along; the indicator shows.
        m_main->DBNavigator1->click(DBNavigator::Last);
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("n%1").arg(records));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        QVERIFY(grid->recordBar()->value() >= grid->recordBar()->maximum() - 1);
        m_main->DBNavigator1->click(DBNavigator::First);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->recordBar()->value(), 0);
        QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("\u25B6"));

        // Mouse on the record bar, as on any scroll bar: an arrow moves one row, the page area a
        // screen, the slider dragged to the end shows the table's last records.
        QScrollBar *bar = grid->recordBar();
        bar->setValue(120000);
        QCOMPARE(grid->recordAtRow(1), 120000);
        QTest::mouseClick(bar, Qt::LeftButton, {},
            scrollBarPart(bar, QStyle::SC_ScrollBarAddLine).center());
        QCOMPARE(grid->recordAtRow(1), 120001);
        QTest::mouseClick(bar, Qt::LeftButton, {},
            scrollBarPart(bar, QStyle::SC_ScrollBarSubLine).center());
        QCOMPARE(grid->recordAtRow(1), 120000);
        QVERIFY(bar->pageStep() > 5);
        const QRect pageDown = scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
        QTest::mouseClick(bar, Qt::LeftButton, {}, pageDown.center());
        QCOMPARE(grid->recordAtRow(1), 120000 + bar->pageStep());
        QCOMPARE(shownAtRow(1), QStringLiteral("n%1").arg(120001 + bar->pageStep()));
        const QRect slider = scrollBarPart(bar, QStyle::SC_ScrollBarSlider);
        mouseDrag(bar, slider.center(), QPoint(slider.center().x(), bar->height() - 1));
        QCOMPARE(bar->value(), bar->maximum());
        // At its end a grid shows the last row whole at the bottom, the top row maybe cut.
        QVERIFY(grid->recordAtRow(1) >= bar->maximum() - 1);
        QCOMPARE(shownAtRow(1), QStringLiteral("n%1").arg(grid->recordAtRow(1) + 1));
        QCOMPARE(grid->model()->index(grid->model()->rowCount() - 1, 0).data().toString(),
            QStringLiteral("n%1").arg(records));
        QVERIFY(grid->viewport()->rect().contains(
            grid->visualRect(grid->model()->index(grid->model()->rowCount() - 1, 0))));
        // The wheel over the record bar scrolls too.
        bar->setValue(150000);
        QWheelEvent wheel(QPointF(bar->width() / 2, bar->height() / 2),
            bar->mapToGlobal(QPointF(bar->width() / 2, bar->height() / 2)), QPoint(),
            QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &wheel);
        QVERIFY(grid->recordAtRow(1) > 150000);
        QCOMPARE(grid->recordAtRow(1), bar->value());

        // Scrolled away from the current record, a move of the table brings its row back in view.
        QCOMPARE(t->recNo(), 0);
        m_main->DBNavigator1->click(DBNavigator::Next);
        QCOMPARE(t->recNo(), 1);
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("n2"));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        QCOMPARE(bar->value(), grid->recordAtRow(1));
    }

    // Whatever fits the model's window is shown as it always was: by the view's own scroll bar
    // alone.
    void aTableThatFitsTheWindowKeepsTheViewsOwnScrollBar()
    {
        DBGrid *grid = m_main->DBGrid1;
        QCOMPARE(grid->model()->rowCount(), 3);
        QVERIFY(!grid->recordBar()->isVisible());
        QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QVERIFY(!grid->verticalScrollBar()->isVisible()); // three rows need no scroll bar

        const QString big = DataFixture::makeDatabase(QStringLiteral("Big"),
            {QStringLiteral("CREATE TABLE Many (Name VARCHAR(10))"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < %1) INSERT INTO Many SELECT 'n' || i FROM c")
                    .arg(TableModel::WindowRows)});
        DataFixture::writeAliases({{QStringLiteral("Grid"), m_db}, {QStringLiteral("Big"), big}});
        m_main = std::make_unique<TForm1>(true);
        m_main->resize(900, 600);
        m_main->show();
        m_main->CBDBase->setCurrentText(QStringLiteral("Big"));
        grid = m_main->DBGrid1;
        QTRY_VERIFY_WITH_TIMEOUT(m_main->Table1->recordListComplete(), 20000);
        QTRY_COMPARE(grid->model()->rowCount(), TableModel::WindowRows);
        QVERIFY(!grid->tableModel()->windowed());
        QVERIFY(!grid->recordBar()->isVisible());
        QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QScrollBar *own = grid->verticalScrollBar();
        QVERIFY(own->isVisible());
        QCOMPARE(own->maximum() + own->pageStep(), TableModel::WindowRows);
        own->setValue(own->maximum());
        QVERIFY(grid->viewport()->rect().contains(
            grid->visualRect(grid->model()->index(TableModel::WindowRows - 1, 0))));
        m_main->DBNavigator1->click(DBNavigator::Last);
        QCOMPARE(grid->currentIndex().row(), TableModel::WindowRows - 1);
        QVERIFY(!grid->recordBar()->isVisible());
    }

    void lastOnATableStillLoadingWaitsWithTheWaitCursor()
    {
        const QString big = DataFixture::makeDatabase(QStringLiteral("Big"),
            {QStringLiteral("CREATE TABLE Many (Name VARCHAR(10))"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < 3000) INSERT INTO Many SELECT 'n' || i FROM c")});
        DataFixture::writeAliases({{QStringLiteral("Grid"), m_db}, {QStringLiteral("Big"), big}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        WindowWiring::install();
        RecordListLoader::holdForTests(true);
        std::optional<Qt::CursorShape> shapeWhileWaiting;
        // Runs on the loader's thread while the window's thread waits for it.
        RecordListLoader::setReadHookForTests([&] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            shapeWhileWaiting = cursor ? cursor->shape() : Qt::ArrowCursor;
        });
        struct Release
        {
            ~Release()
            {
                RecordListLoader::setReadHookForTests({});
                RecordListLoader::holdForTests(false);
                TTable::setWaitHook({});
            }
        } release;
        m_main->CBDBase->setCurrentText(QStringLiteral("Big"));
        m_main->DBNavigator1->click(DBNavigator::Last);
        QCOMPARE(m_main->Table1->recNo(), 2999);
        QCOMPARE(m_main->DBGrid1->currentIndex().row(), 2999);
        QVERIFY(shapeWhileWaiting.has_value());
        QCOMPARE(*shapeWhileWaiting, Qt::WaitCursor);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void aRefusedValueIsReportedAndTheOldValueStays()
    {
        m_main->InputLock1Click();
        DBGrid *grid = m_main->DBGrid1;
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClick(grid, Qt::Key_A);
        auto *editor = grid->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("bc"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(m_asked.size(), 1);
        QVERIFY2(m_asked[0].text.contains(QStringLiteral("abc")), qPrintable(m_asked[0].text));
        QCOMPARE(m_main->Table1->fieldByName(QStringLiteral("Qty"))->value().toInt(), 1);
    }
};

TABVALE_TEST_MAIN(GridTest, TabvaleApplication)
#include "tst_Grid.moc"
