#include "tests/datawindow/DragDriver.h"

#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QTest>

namespace {

QWindow *windowOf(QWidget *widget)
{
    return widget ? widget->window()->windowHandle() : nullptr;
}

} // namespace

QPoint DragDriver::cellPoint(const TForm1 *form, Cell cell)
{
    const DBGrid *grid = form->DBGrid1;
    return grid->mapToGlobal(grid->cellRect(cell.col, cell.row).center());
}

QPoint DragDriver::titlePoint(const TForm1 *form, int col)
{
    const DBGrid *grid = form->DBGrid1;
    const QRect cell = grid->cellRect(col, 1);
    return grid->mapToGlobal(QPoint(cell.center().x(), grid->horizontalHeader()->height() / 2));
}

QPoint DragDriver::indicatorPoint(const TForm1 *form, int row)
{
    const DBGrid *grid = form->DBGrid1;
    const QRect cell = grid->cellRect(1, row);
    return grid->mapToGlobal(QPoint(grid->verticalHeader()->width() / 2, cell.center().y()));
}

QWindow *DragDriver::holdingWindow() const
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        return windowOf(grabber);
    if (QGuiApplication::mouseButtons() != Qt::NoButton && m_pressWindow)
        return m_pressWindow;
    return nullptr;
}

QWindow *DragDriver::eventWindow() const
{
    // As the window system does: the window under the cursor, which hands the event on to the
    // widget holding the mouse; off every window, the holding window itself.
    if (QWidget *under = QApplication::topLevelAt(QCursor::pos()))
        return windowOf(under);
    return holdingWindow();
}

void DragDriver::moveTo(QPoint global)
{
    // The offscreen platform turns the cursor's move into a mouse move of the window under it.
    QCursor::setPos(global);
    QCoreApplication::processEvents();
    // Off every window it drops the move; a real one gives it to the window holding the mouse.
    if (!QApplication::topLevelAt(global) && QGuiApplication::mouseButtons() != Qt::NoButton) {
        if (QWindow *w = holdingWindow())
            QTest::mouseMove(w, w->mapFromGlobal(global));
    }
}

void DragDriver::press(Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    QWindow *w = eventWindow();
    Q_ASSERT(w);
    m_pressWindow = w;
    QTest::mousePress(w, button, keys, w->mapFromGlobal(QCursor::pos()));
    QCoreApplication::processEvents();
}

void DragDriver::release(Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    QWindow *w = eventWindow();
    Q_ASSERT(w);
    QTest::mouseRelease(w, button, keys, w->mapFromGlobal(QCursor::pos()));
    QCoreApplication::processEvents();
}

void DragDriver::pressAndTravel(QPoint from, QPoint to, Qt::MouseButton button)
{
    moveTo(from + QPoint(-3, 1));
    moveTo(from);
    press(button);
    constexpr int Steps = 5;
    for (int i = 1; i <= Steps; ++i)
        moveTo(from + (to - from) * i / Steps);
}

void DragDriver::drag(QPoint from, QPoint to, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    pressAndTravel(from, to, button);
    release(button, keys);
}

void DragDriver::drag(const TForm1 *from, Cell start, const TForm1 *to, Cell end,
    Qt::MouseButton button, Qt::KeyboardModifiers releaseKeys)
{
    drag(cellPoint(from, start), cellPoint(to, end), button, releaseKeys);
}
