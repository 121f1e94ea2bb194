#include "DragSteps.h"

#include "SharedState.h"
#include "TForm1.h"
#include "TTable.h"
#include "grid/DBGrid.h"

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

void storePendingEdit(TForm1 *form)
{
    TTable *t = form ? form->Table1 : nullptr;
    if (!t || !t->active())
        return;
    if (t->state() == TTable::Insert && !t->modified())
        t->cancel();
    else if (t->state() == TTable::Edit || t->state() == TTable::Insert)
        t->post();
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
