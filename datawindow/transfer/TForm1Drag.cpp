// The left-button drag: a value copied from one grid cell to another, within a window or between
// the main window and the find-data window, with the hovered target cell painted green.
#include "datawindow/TForm1.h"

#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/transfer/ClipboardTransfer.h"
#include "datawindow/transfer/DragSteps.h"
#include "datawindow/transfer/GridTransfer.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QScopeGuard>

namespace {

// Leaving the cells or the grids: a press that has not started a drag will not start one now.
void leaveEnding()
{
    LastDragPoint = DragPoint;
    if (DragState == 0)
        DragState = 1;
}

} // namespace

void TForm1::useOrdinaryGridHandlers()
{
    DBGrid1->OnDrawColumnCell = [this](TCanvas &canvas, const QRect &rect, int dataCol,
                                    TField *field, QStyle::State state) {
        DBGrid1DrawColumnCell(canvas, rect, dataCol, field, state);
    };
    DBGrid1->OnMouseMove
        = [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos) {
              DBGrid1MouseMove(buttons, shift, pos);
          };
    DBGrid1->OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
        DBGrid1MouseUp(button, shift, pos);
    };
}

DBImage *TForm1::fieldImage(const TField *field) const
{
    return field && isPictureLike(field->dataType()) ? FieldImages.value(field->Tag) : nullptr;
}

DBMemo *TForm1::fieldMemo(const TField *field) const
{
    return field && isMemo(field->dataType()) ? FieldMemos.value(field->Tag) : nullptr;
}

void TForm1::DBGrid1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint)
{
    // No drags while the grids can be typed into.
    if (!Form1 || !Form1->InputLock1 || !Form1->InputLock1->isChecked())
        return;
    DragPoint = QCursor::pos();
    if (DragMoveBusy)
        return;
    DragMoveBusy = true;
    const auto notBusy = qScopeGuard([] { DragMoveBusy = false; });
    if (buttons & Qt::LeftButton) {
        leftButtonMove();
    } else if (buttons & Qt::RightButton) {
        startRightDrag();
    } else {
        DragState = 0;
        DragPointResumed = false;
        DragHighlight = false;
        DragSourceForm.clear();
        // A drag whose release went elsewhere (a dialog took it) must not keep the mouse.
        if (mouseGrabber() == DBGrid1)
            DBGrid1->releaseMouse();
        LastDragPoint = DragPoint;
    }
}

void TForm1::leftButtonMove()
{
    // The first move of a press works from where the button went down.
    if (!DragPointResumed) {
        DragPoint = LastDragPoint;
        DragPointResumed = true;
    }
    DragWindow = DragSteps::windowAt(QApplication::widgetAt(DragPoint));
    if (DragWindow != DragLastWindow) {
        DragLastWindow = DragWindow;
        DragOutsideCells = false;
        DragCol = DragRow = -1;
        DragOverForm = DragSteps::windowOfGrid(DragWindow);
        if (!DragOverForm) {
            DragHighlight = false;
            DragSteps::repaintGrid(DragLastOverForm);
            DragLastOverForm.clear();
            leaveEnding();
            return;
        }
        DragLastOverForm = DragOverForm;
    }
    if (!DragOverForm) {
        leaveEnding();
        return;
    }
    DBGrid *grid = DragOverForm->DBGrid1;
    DragPoint = grid->mapFromGlobal(DragPoint);
    const DBGrid::GridCoord cell = grid->mouseCoord(DragPoint);
    DragMouseCol = cell.x;
    DragMouseRow = cell.y;
    if (!GridTransfer::isDataCell(DragMouseCol, DragMouseRow)) {
        if (!DragOutsideCells) {
            DragCol = DragMouseCol;
            DragRow = DragMouseRow;
            DragHighlight = false;
            DragOutsideCells = true;
            DragSteps::repaintGrid(DragLastOverForm);
        }
        leaveEnding();
        return;
    }
    DragOutsideCells = false;
    GridTransfer::followCell(
        DragMouseCol, DragMouseRow, DragCol, DragRow, DragPoint, DragCellChanged);
    if (DragCellChanged) {
        DragCellChanged = false;
        DragHighlight = true;
        if (DragState == 0)
            startLeftDrag();
        DragSteps::repaintGrid(DragOverForm);
    }
    LastDragPoint = DragPoint;
}

void TForm1::startLeftDrag()
{
    // The press has made the pressed cell current; without a field there is nothing to carry.
    TField *field = DBGrid1->selectedField();
    if (!field) {
        DragState = 1;
        return;
    }
    DragState = 2;
    DBGrid1->grabMouse();
    DragStartCol = DragCol;
    DragStartRow = DragRow;
    DragSourceForm = DragOverForm;
    ClipboardTransfer::take(*field, fieldImage(field), fieldMemo(field));
    DragBookmark = Table1->bookmark();
}

void TForm1::DBGrid1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
    DBGrid1->releaseMouse();
    if (GridTransfer::isValidDrop(GridTransfer::current())) {
        dropLeftDrag();
        return;
    }
    if (DragState == 2)
        Table1->freeBookmark(DragBookmark);
    if (DragState == 1)
        CBTable->setFocus();
    DragState = 0;
    DragCol = DragRow = -1;
    DragHighlight = false;
    DragSteps::repaintGrid(Form1);
    DragSteps::repaintGrid(LookDataForm);
}

void TForm1::dropLeftDrag()
{
    const QPointer<TForm1> target = DragOverForm;
    const QPointer<TForm1> source = DragSourceForm;
    const bool inSource = source && source->Tag == target->Tag;
    DragState = 0;
    bool dropped = false;
    // Whatever happens, no drag state stays behind.
    const auto end = qScopeGuard([&] {
        DragBookmark = {};
        DragHighlight = false;
        DragSteps::repaintGrid(source);
        DragHighlight = dropped;
        DragSteps::repaintGrid(target);
        DragCol = DragRow = -1;
    });
    try {
        const int record = target->DBGrid1->recordAtRow(DragRow);
        // A pending edit in the other window is stored first, so the refresh that follows the
        // drop cannot lose or overwrite it.
        if (TForm1 *other = DragSteps::otherWindow(target))
            other->Table1->storePendingEdit();
        target->Table1->moveTo(record);
        target->Table1->edit();
        if (TField *field = target->DBGrid1->displayedField(DragCol - 1))
            ClipboardTransfer::drop(*field, target->fieldImage(field), target->fieldMemo(field));
        target->Table1->post();
    } catch (...) {
        // Refused by the engine: both records stay as they were, the source on its record.
        DragSteps::cancelEdit(target);
        if (inSource && DragBookmark.valid) {
            try {
                source->Table1->gotoBookmark(DragBookmark);
            } catch (const std::exception &) { }
        }
        throw;
    }
    dropped = true;
    if (inSource && DragBookmark.valid)
        source->Table1->gotoBookmark(DragBookmark);
}
