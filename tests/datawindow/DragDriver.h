#pragma once

#include <QPoint>
#include <QPointer>
#include <QWindow>
#include <Qt>

class TForm1;

// Drives the grids the way a hand on the mouse does, with real events through the window
// system: the cursor is put at each point first (the drags read it), buttonless moves come before
// a press, and each event goes to the window under the cursor, which hands it to the widget
// holding the mouse (the grab, else the widget the button went down on); off every window, it
// goes to the holding widget's window, as a real window system does. Usage:
//   DragDriver().drag(main, {2, 3}, find, {1, 1});
class DragDriver
{
public:
    struct Cell
    {
        int col;
        int row;
    };

    // Screen points: the middle of a data cell (grid coordinates), a title cell, an indicator
    // cell.
    static QPoint cellPoint(const TForm1 *form, Cell cell);
    static QPoint titlePoint(const TForm1 *form, int col);
    static QPoint indicatorPoint(const TForm1 *form, int row);

    void moveTo(QPoint global); // with whatever buttons are held
    void press(Qt::MouseButton button, Qt::KeyboardModifiers keys = {});
    void release(Qt::MouseButton button, Qt::KeyboardModifiers keys = {});

    // Hover, press at from, travel in a few steps to to; the button stays down.
    void pressAndTravel(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
    // The whole gesture, released at to with releaseKeys held.
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton,
        Qt::KeyboardModifiers releaseKeys = {});
    void drag(const TForm1 *from, Cell start, const TForm1 *to, Cell end,
        Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers releaseKeys = {});

private:
    QWindow *holdingWindow() const;
    QWindow *eventWindow() const;

    QPointer<QWindow> m_pressWindow;
};
