#pragma once

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/Worksheet.h"

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCell.hpp>

#include <memory>

class CalcWorkbook;

// A sheet of a Calc document as a worksheet and its cells.
class CalcWorksheet final : public Worksheet,
                            public Cells,
                            public CalcLinkBound,
                            public std::enable_shared_from_this<CalcWorksheet>
{
public:
    CalcWorksheet(std::shared_ptr<CalcWorkbook> book,
        const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);

    // Worksheet
    QString name() override;
    void setName(const QString &name) override;
    void activate() override;
    CellsPtr cells() override;
    QRectF cellGeometry(int row, int column) override;
    void activateCell(int row, int column) override;
    SheetShapePtr paste() override;
    SheetShapePtr pastePicture(const QImage &picture) override;
    SheetShapePtr picture(const QString &name) override;
    SheetShapePtr textBox(const QString &name) override;
    SheetShapePtr shape(const QString &name) override;
    QStringList shapeNames() override;
    SheetShapePtr addTextbox(
        int orientation, double left, double top, double width, double height) override;

    void releaseLink() override { m_sheet.clear(); }

    // Cells
    QVariant item(int row, int column) override;
    void setItem(int row, int column, const QVariant &value) override;
    QList<QVariantList> dataArray(int row, int column, int rows, int columns) override;
    QList<QVariantList> typedDataArray(int row, int column, int rows, int columns) override;
    void setDataArray(int row, int column, const QList<QVariantList> &values) override;

private:
    css::uno::Reference<css::table::XCell> cell(int row, int column);
    QRectF cellRect(const css::uno::Reference<css::table::XCell> &cell);
    SheetShapePtr findShape(const QString &name, const char *kind);

    std::shared_ptr<CalcWorkbook> m_book;
    css::uno::Reference<css::sheet::XSpreadsheet> m_sheet;
};
