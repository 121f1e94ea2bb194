#include "datawindow/exchange/SheetRows.h"

#include "datawindow/exchange/CellBlocks.h"
#include "datawindow/exchange/CellValues.h"

#include <algorithm>

namespace {
constexpr int LastRow = 1048576;
}

SheetRows::SheetRows(Cells &cells, int columns, int blockRows)
    : m_cells(cells), m_columns(columns), m_blockRows(blockRows)
{ }

void SheetRows::load(int row)
{
    const int rows = std::min(m_blockRows, LastRow - row + 1);
    m_block = CellBlocks::read(m_cells, row, 1, rows, m_columns);
    m_first = row;
}

QVariantList SheetRows::row(int row)
{
    if (m_columns <= 0 || row > LastRow)
        return QVariantList(std::max(m_columns, 0));
    if (m_first == 0 || row < m_first || row >= m_first + m_block.size())
        load(row);
    return m_block.value(row - m_first);
}

bool SheetRows::hasText(int row)
{
    const QVariantList cells = this->row(row);
    return std::any_of(
        cells.begin(), cells.end(), [](const QVariant &v) { return !CellValues::isBlank(v); });
}
