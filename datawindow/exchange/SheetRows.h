#pragma once

#include <QList>
#include <QVariant>

class Cells;

// The ordinary cells of a sheet's rows (columns 1 to the given count), read a block of rows at a
// time as the write-back walks down the sheet.
class SheetRows
{
public:
    SheetRows(Cells &cells, int columns, int blockRows = 256);

    QVariantList row(int row); // typed values, one per column
    bool hasText(int row); // a cell of the row is not blank

private:
    void load(int row);

    Cells &m_cells;
    int m_columns;
    int m_blockRows;
    int m_first = 0; // first row of m_block; 0 = nothing read yet
    QList<QVariantList> m_block;
};
