#pragma once

#include <QList>
#include <QVariant>

class Cells;

// Blocks of cells in one call each, keeping the rules of single cells: a block the sheet refuses
// goes again cell by cell. Only an application out of reach raises from a write.
namespace CellBlocks {

// Writes rows of equal length from (row, column); cells that refuse their value are skipped.
void write(Cells &cells, int row, int column, const QList<QVariantList> &block);
// Typed values of a block (as Cells::item gives them).
QList<QVariantList> read(Cells &cells, int row, int column, int rows, int columns);

} // namespace CellBlocks
