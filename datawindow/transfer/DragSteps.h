#pragma once

class QWidget;
class TForm1;

// Steps the drag handlers of both windows share.
namespace DragSteps {

// The data window whose DBGrid1 is widget or holds it (its viewport, a header, a scroll bar):
// the main window, the find-data window, or nullptr.
TForm1 *windowOfGrid(QWidget *widget);
// What the cursor is over, as one native window would be: the grid for any of its parts.
QWidget *windowAt(QWidget *widget);
// The other data window, when both exist.
TForm1 *otherWindow(const TForm1 *form);
// Drops a half-done drop's edit of the window's table; never raises.
void cancelEdit(TForm1 *form);
void repaintGrid(const TForm1 *form);

} // namespace DragSteps
