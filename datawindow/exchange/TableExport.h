#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QVariant>

class ExportRecord;
class TField;
class TTable;
class Worksheet;

// Fills a worksheet with an open table: the field names in row 1 where the header is empty, then
// one row per record from row 2. Ordinary values go in as typed cells, a block of rows per call
// (a block the sheet refuses goes again cell by cell, skipping the refused cells); memos become
// named text boxes and pictures named pictures over their cells, one object each, taking the place
// and size of the object of the same name they replace. Each field's Tag gets its column number.
// Raises on the first failure that is not a single refused cell or picture.
class TableExport
{
public:
    // placeholder: pasted (and deleted again) for a record without a picture.
    TableExport(TTable &table, Worksheet &sheet, ExportRecord &record, const QString &sheetKey,
        const QImage &placeholder);

    void run();
    int row() const { return m_row; } // the sheet row being written; 1 while the header is

    static constexpr int MemoPiece = 100; // characters per insertion into a text box
    static constexpr int BlockRows = 100;

private:
    void writeHeader();
    void writeRecord();
    QVariant ordinaryValue(TField &field);
    void writeMemo(TField &field);
    void writePicture(TField &field);
    SheetShapePtr pasteOrNothing(const QImage &picture);
    void flushBlock();

    TTable &m_table;
    Worksheet &m_sheet;
    CellsPtr m_cells;
    ExportRecord &m_record;
    QString m_key;
    QImage m_placeholder;
    QList<TField *> m_fields;
    QList<int> m_columns; // per field
    int m_ordinaryCount = 0;
    int m_row = 1;
    int m_blockFirstRow = 0;
    QList<QVariantList> m_block;
};
