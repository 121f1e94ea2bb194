#include "DBInputPic/TagControls.h"

#include <QMouseEvent>

LabelButton::LabelButton(QWidget *parent) : QLabel(parent)
{ }

void LabelButton::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ExitButton::ExitButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{ }

void ExitButton::focusOutEvent(QFocusEvent *event)
{
    QPushButton::focusOutEvent(event);
    emit exited();
}
