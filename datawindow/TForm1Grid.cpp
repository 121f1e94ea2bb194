// The grid's two cell painters: the drop target of a left-button drag, and the red cell of a
// right-button drag.
#include "datawindow/TForm1.h"

#include "common/SharedState.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/transfer/GridTransfer.h"

#include <QPainter>

void TForm1::DBGrid1DrawColumnCell(
    TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state)
{
    if (GridTransfer::paintsDropTarget(GridTransfer::current(), rect, DragPoint)) {
        canvas.brush = QColor(0, 128, 0);
        canvas.fontColor = Qt::white;
    }
    DBGrid1->defaultDrawColumnCell(canvas, rect, dataCol, field, state);
}

void TForm1::DBGrid1DrawColumnCell2(
    TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state)
{
    if (rect.contains(DragPoint)) {
        canvas.brush = QColor(255, 0, 0);
        canvas.fontColor = Qt::white;
    }
    DBGrid1->defaultDrawColumnCell(canvas, rect, dataCol, field, state);
}
