#include "datawindow/exchange/CellBlocks.h"

#include "spreadsheet/Cells.h"
#include "spreadsheet/SpreadsheetError.h"

namespace CellBlocks {

void write(Cells &cells, int row, int column, const QList<QVariantList> &block)
{
    if (block.isEmpty())
        return;
    try {
        cells.setDataArray(row, column, block);
        return;
    } catch (const SpreadsheetError &e) {
        if (e.applicationLost())
            throw;
    }
    for (qsizetype r = 0; r < block.size(); ++r) {
        for (qsizetype c = 0; c < block[r].size(); ++c) {
            try {
                cells.setItem(row + int(r), column + int(c), block[r][c]);
            } catch (const SpreadsheetError &e) {
                if (e.applicationLost())
                    throw;
            }
        }
    }
}

QList<QVariantList> read(Cells &cells, int row, int column, int rows, int columns)
{
    try {
        return cells.typedDataArray(row, column, rows, columns);
    } catch (const SpreadsheetError &e) {
        if (e.applicationLost())
            throw;
    }
    QList<QVariantList> block;
    for (int r = 0; r < rows; ++r) {
        QVariantList line;
        for (int c = 0; c < columns; ++c)
            line << cells.item(row + r, column + c);
        block << line;
    }
    return block;
}

} // namespace CellBlocks
