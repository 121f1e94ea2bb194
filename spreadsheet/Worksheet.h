#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

// One worksheet. Rows and columns are 1-based; geometry is in points from the sheet's top left.
class Worksheet
{
public:
    virtual ~Worksheet() = default;

    virtual QString name() = 0;
    virtual void setName(const QString &name) = 0;
    virtual void activate() = 0;
    virtual CellsPtr cells() = 0;
    virtual QRectF cellGeometry(int row, int column) = 0;
    // Makes the cell the current one (and activates the sheet).
    virtual void activateCell(int row, int column) = 0;

    // Pastes the clipboard's picture at the current cell; it becomes the application's selection.
    virtual SheetShapePtr paste() = 0;
    virtual SheetShapePtr pastePicture(const QImage &picture) = 0;

    // Look-ups by name raise SpreadsheetError when there is no such object of that kind.
    virtual SheetShapePtr picture(const QString &name) = 0;
    virtual SheetShapePtr textBox(const QString &name) = 0;
    virtual SheetShapePtr shape(const QString &name) = 0;
    virtual QStringList shapeNames() = 0;
    // orientation 1 is horizontal text, the only one offered.
    virtual SheetShapePtr addTextbox(
        int orientation, double left, double top, double width, double height)
        = 0;
};
