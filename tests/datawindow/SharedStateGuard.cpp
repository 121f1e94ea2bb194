#include "tests/datawindow/SharedStateGuard.h"

#include "common/SharedState.h"

#include <QWidget>

void SharedStateGuard::reset()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    DragState = 0;
    DragSourceForm.clear();
    DragOverForm.clear();
    DragLastOverForm.clear();
    DragWindow.clear();
    DragLastWindow.clear();
    DragCol = DragRow = 1;
    DragStartCol = DragStartRow = 0;
    DragMouseCol = DragMouseRow = 0;
    DragPoint = LastDragPoint = QPoint();
    DragBookmark = {};
    DragValue.clear();
    DragFieldType = 0;
    DragCellChanged = DragHighlight = DragOutsideCells = DragMoveBusy = DragPointResumed = false;
    DragSourceEmpty = false;
    DragSourceError.clear();
    ViewerLeft = ViewerTop = -1;
    ViewerAlpha = 255;
    ViewerClosePoint = QPoint();
}
