#include "controls/TPanel.h"

TPanel::TPanel(QWidget *parent) : QFrame(parent)
{ }

void TPanel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    emit resized();
}
