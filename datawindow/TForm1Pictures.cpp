// Picture fields of the data window: the viewer on a left click, loading a file on a right click.
#include "TForm1.h"

#include "SharedState.h"
#include "controls/DBImage.h"

void TForm1::DBImageMouseUp(DBImage *, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
    if (FileThreadBusy || FieldThreadBusy)
        return;
}

void TForm1::closeAuxiliaryWindows()
{
}
