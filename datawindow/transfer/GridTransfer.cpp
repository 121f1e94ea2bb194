#include "datawindow/transfer/GridTransfer.h"

#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TField.h"

#include <optional>

namespace GridTransfer {

namespace {

int tagOf(const TForm1 *form)
{
    return form ? form->Tag : 0;
}

int nudge(int mouse, int previous)
{
    return previous < 0 || mouse < previous ? -3 : 3;
}

} // namespace

DragCells current()
{
    DragCells d;
    d.state = DragState;
    d.col = DragCol;
    d.row = DragRow;
    d.startCol = DragStartCol;
    d.startRow = DragStartRow;
    d.overTag = tagOf(DragOverForm);
    d.sourceTag = tagOf(DragSourceForm);
    d.highlight = DragHighlight;
    return d;
}

bool isDataCell(int col, int row)
{
    return col > 0 && row > 0;
}

bool isStartCell(const DragCells &d)
{
    return d.col == d.startCol && d.row == d.startRow && d.overTag == d.sourceTag;
}

bool paintsDropTarget(const DragCells &d, const QRect &cellRect, QPoint dragPoint)
{
    return cellRect.contains(dragPoint) && d.highlight && d.state == 2 && !isStartCell(d);
}

bool isValidDrop(const DragCells &d)
{
    return d.state == 2 && d.overTag != 0 && isDataCell(d.col, d.row) && !isStartCell(d);
}

void followCell(int mouseCol, int mouseRow, int &col, int &row, QPoint &point, bool &changed)
{
    if (mouseRow != row) {
        point.ry() += nudge(mouseRow, row);
        row = mouseRow;
        changed = true;
    }
    if (mouseCol != col) {
        point.rx() += nudge(mouseCol, col);
        col = mouseCol;
        changed = true;
    }
}

bool sameClass(int sourceType, int targetType)
{
    return fieldClassOf(sourceType) == fieldClassOf(targetType);
}

RightDrop rightDropAction(Qt::KeyboardModifiers keys)
{
    if (keys.testFlag(Qt::ControlModifier))
        return keys.testFlag(Qt::AltModifier) ? RightDrop::Swap : RightDrop::Copy;
    if (keys.testFlag(Qt::ShiftModifier))
        return RightDrop::Replace;
    return RightDrop::Nothing;
}

bool writeOrdinary(TField &target, const QVariant &value)
{
    // A stored value the field itself cannot take cannot be kept; the field then stays as the
    // refused write left it, which is unchanged.
    std::optional<QVariant> kept;
    try {
        kept = target.value();
    } catch (const EngineError &) { }
    try {
        target.setValue(value);
        return true;
    } catch (const EngineError &) {
        if (kept) {
            try {
                target.setValue(*kept);
            } catch (const EngineError &) { }
        }
        return false;
    }
}

} // namespace GridTransfer
