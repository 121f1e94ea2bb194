// The right-button drag from the find-data window to the main window: on release Ctrl copies the
// find-data cell into the main cell, Shift replaces the find-data cell with the main cell, and
// Ctrl+Alt swaps them. The main grid runs its own handlers, and paints the cell red, meanwhile.
#include "datawindow/TForm1.h"

#include "common/SharedState.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/transfer/CarriedValue.h"
#include "datawindow/transfer/DragSteps.h"
#include "datawindow/transfer/GridTransfer.h"
#include "engine/TTable.h"

#include <QScopeGuard>

void TForm1::startRightDrag()
{
    // Only from the find-data window, and only from a table it shows.
    TForm1 *main = Form1;
    if (!main || !LookDataForm || Tag == 1 || !LookDataForm->Table1->active())
        return;
    DBGrid *grid = main->DBGrid1;
    grid->OnMouseMove = nullptr;
    try {
        DragBookmark = LookDataForm->Table1->bookmark();
        grid->grabMouse();
        grid->OnMouseUp = [main](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
            main->MsRightUp(button, shift, pos);
        };
        DragCol = DragRow = -1;
        grid->OnDrawColumnCell = [main](TCanvas &canvas, const QRect &rect, int dataCol,
                                     TField *field, QStyle::State state) {
            main->DBGrid1DrawColumnCell2(canvas, rect, dataCol, field, state);
        };
        grid->OnMouseMove
            = [main](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos) {
                  main->MsRightMove(buttons, shift, pos);
              };
    } catch (...) {
        main->endRightDrag();
        throw;
    }
}

void TForm1::endRightDrag()
{
    DBGrid1->releaseMouse();
    useOrdinaryGridHandlers();
    DragSteps::repaintGrid(this);
}

void TForm1::MsRightMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint pos)
{
    if (!(buttons & Qt::RightButton)) {
        // The release went elsewhere (a dialog took it): the drag is over, without a drop.
        endRightDrag();
        DragBookmark = {};
        return;
    }
    DragPoint = pos;
    const DBGrid::GridCoord cell = DBGrid1->mouseCoord(pos);
    DragMouseCol = cell.x;
    DragMouseRow = cell.y;
    if (GridTransfer::isDataCell(DragMouseCol, DragMouseRow)) {
        DragOutsideCells = false;
        GridTransfer::followCell(
            DragMouseCol, DragMouseRow, DragCol, DragRow, DragPoint, DragCellChanged);
        if (DragCellChanged) {
            DragCellChanged = false;
            DragSteps::repaintGrid(this);
        }
    } else if (!DragOutsideCells) {
        DragOutsideCells = true;
        DragCol = DragMouseCol;
        DragRow = DragMouseRow;
        DragHighlight = false;
        DragSteps::repaintGrid(this);
    }
}

void TForm1::MsRightUp(Qt::MouseButton, Qt::KeyboardModifiers shift, QPoint)
{
    endRightDrag();
    const auto release = qScopeGuard([] { DragBookmark = {}; });
    if (!GridTransfer::isDataCell(DragCol, DragRow) || !LookDataForm)
        return;
    switch (GridTransfer::rightDropAction(shift)) {
    case GridTransfer::RightDrop::Swap:
        rightSwap();
        break;
    case GridTransfer::RightDrop::Copy:
        rightCopy();
        break;
    case GridTransfer::RightDrop::Replace:
        MsRightReplace();
        break;
    case GridTransfer::RightDrop::Nothing:
        break;
    }
}

void TForm1::writeCell(const CarriedValue &v, int record, int col)
{
    Table1->moveTo(record);
    Table1->edit();
    try {
        if (TField *target = DBGrid1->displayedField(col - 1))
            v.putInto(*target, fieldImage(target), fieldMemo(target));
        Table1->post();
    } catch (...) {
        Table1->cancel();
        throw;
    }
}

void TForm1::rightCopy()
{
    TForm1 *find = LookDataForm;
    const int record = DBGrid1->recordAtRow(DragRow);
    find->Table1->storePendingEdit();
    TField *source = find->DBGrid1->selectedField();
    if (!source)
        return;
    DragFieldType = std::uint8_t(source->dataType());
    const CarriedValue v
        = CarriedValue::take(*source, find->fieldImage(source), find->fieldMemo(source));
    writeCell(v, record, DragCol);
}

void TForm1::MsRightReplace()
{
    const auto release = qScopeGuard([] { DragBookmark = {}; });
    TForm1 *find = LookDataForm;
    if (!find)
        return;
    Table1->moveTo(DBGrid1->recordAtRow(DragRow));
    TField *source = DBGrid1->displayedField(DragCol - 1);
    if (!source)
        return;
    DragFieldType = std::uint8_t(source->dataType());
    const CarriedValue v = CarriedValue::take(*source, fieldImage(source), fieldMemo(source));
    TTable *table = find->Table1;
    table->gotoBookmark(DragBookmark);
    table->edit();
    try {
        if (TField *target = find->DBGrid1->selectedField())
            v.putInto(*target, find->fieldImage(target), find->fieldMemo(target));
        table->post();
    } catch (...) {
        table->cancel();
        throw;
    }
}

void TForm1::rightSwap()
{
    TForm1 *find = LookDataForm;
    const int record = DBGrid1->recordAtRow(DragRow);
    find->Table1->storePendingEdit();
    TField *findField = find->DBGrid1->selectedField();
    if (!findField)
        return;
    // Each side is judged by its own class, with the find-data field's code kept here.
    const int findColumn = findField->index();
    const CarriedValue a
        = CarriedValue::take(*findField, find->fieldImage(findField), find->fieldMemo(findField));
    if (TField *mainField = DBGrid1->displayedField(DragCol - 1))
        a.refuseUnreadable(*mainField); // before either side changes
    const TBookmark findRecord = DragBookmark;
    MsRightReplace();
    try {
        writeCell(a, record, DragCol);
    } catch (...) {
        // The find-data side has changed already: put its value back, so that a refused swap
        // leaves both cells as they were.
        try {
            find->Table1->gotoBookmark(findRecord);
            find->Table1->edit();
            TField *back = find->Table1->field(findColumn);
            a.putInto(*back, find->fieldImage(back), find->fieldMemo(back));
            find->Table1->post();
        } catch (const std::exception &) {
            DragSteps::cancelEdit(find);
        }
        throw;
    }
}
