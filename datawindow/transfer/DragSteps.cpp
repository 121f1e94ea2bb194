#include "datawindow/transfer/DragSteps.h"

#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TTable.h"

namespace DragSteps {

namespace {

DBGrid *gridHolding(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (auto *grid = qobject_cast<DBGrid *>(w))
            return grid;
    }
    return nullptr;
}

} // namespace

TForm1 *windowOfGrid(QWidget *widget)
{
    const DBGrid *grid = gridHolding(widget);
    if (!grid)
        return nullptr;
    if (Form1 && grid == Form1->DBGrid1)
        return Form1;
    if (LookDataForm && grid == LookDataForm->DBGrid1)
        return LookDataForm;
    return nullptr;
}

QWidget *windowAt(QWidget *widget)
{
    if (DBGrid *grid = gridHolding(widget))
        return grid;
    return widget;
}

TForm1 *otherWindow(const TForm1 *form)
{
    if (form == Form1)
        return LookDataForm;
    if (form == LookDataForm)
        return Form1;
    return nullptr;
}

void cancelEdit(TForm1 *form)
{
    if (form && form->Table1)
        form->Table1->cancel();
}

void repaintGrid(const TForm1 *form)
{
    if (form)
        form->DBGrid1->viewport()->update();
}

} // namespace DragSteps
