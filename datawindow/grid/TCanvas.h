#pragma once

#include <QColor>
#include <QFont>

class QPainter;

// What a cell painter draws with: the painter plus the current brush and font colour, which a
// painter may change before the cell's text is drawn.
struct TCanvas
{
    QPainter *painter = nullptr;
    QColor brush;
    QColor fontColor;
    QFont font;
};
