#pragma once

#include <QPoint>
#include <QRect>
#include <QVariant>
#include <Qt>

class TField;

// The decisions of the drags between the grids, and the write of an ordinary value. No widgets:
// the window handlers gather the state and act on the answers.
namespace GridTransfer {

// What the drop-target painter and the drop test read of the shared drag state. A window tag of
// 0 means no window.
struct DragCells
{
    int state = 0;
    int col = -1;
    int row = -1;
    int startCol = 0;
    int startRow = 0;
    int overTag = 0;
    int sourceTag = 0;
    bool highlight = false;
};

DragCells current(); // from the shared drag state

bool isDataCell(int col, int row); // not the title row, the indicator column or outside
// The hovered cell is the drag's start cell: same column and row of the same window.
bool isStartCell(const DragCells &d);
// A data cell drawn at cellRect is painted as the drop target.
bool paintsDropTarget(const DragCells &d, const QRect &cellRect, QPoint dragPoint);
// Releasing now drops the value into the hovered cell.
bool isValidDrop(const DragCells &d);

// The hovered cell follows the cursor onto data cell (mouseCol, mouseRow). A changed row or
// column moves point 3 pixels on in the direction of travel (up or left when coming from no
// cell), so the painters mark the cell being entered rather than the one being left.
void followCell(int mouseCol, int mouseRow, int &col, int &row, QPoint &point, bool &changed);

// Values go only into fields of their own class: picture-like, memo or ordinary.
bool sameClass(int sourceType, int targetType);

// What a right-button drop does, by the keys held at the release (Ctrl before Shift).
enum class RightDrop { Nothing, Copy, Replace, Swap };
RightDrop rightDropAction(Qt::KeyboardModifiers keys);

// The field's record must be being edited. A value the field refuses leaves the old one (put
// back as it was kept) and gives false; nothing is reported.
bool writeOrdinary(TField &target, const QVariant &value);

} // namespace GridTransfer
