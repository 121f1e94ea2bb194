#include "DBInputPic/RunCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace RunCursor {

void begin(bool &held)
{
    if (held)
        return;
    held = true;
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    QCursor::setPos(QCursor::pos() + QPoint(1, 0));
}

void end(bool &held)
{
    if (!held)
        return;
    held = false;
    QGuiApplication::restoreOverrideCursor();
    QCursor::setPos(QCursor::pos() - QPoint(1, 0));
}

} // namespace RunCursor
