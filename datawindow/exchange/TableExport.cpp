#include "datawindow/exchange/TableExport.h"

#include "datawindow/exchange/CellBlocks.h"
#include "datawindow/exchange/CellValues.h"
#include "datawindow/exchange/ExportRecord.h"
#include "datawindow/exchange/ShapeLookup.h"
#include "datawindow/exchange/SheetLayout.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"

namespace {

// Pieces of at most n UTF-16 units that never split a surrogate pair.
QStringList pieces(const QString &text, int n)
{
    QStringList result;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = std::min<qsizetype>(n, text.size() - at);
        if (length > 1 && at + length < text.size() && text.at(at + length - 1).isHighSurrogate())
            --length;
        result << text.mid(at, length);
        at += length;
    }
    return result;
}

} // namespace

TableExport::TableExport(TTable &table, Worksheet &sheet, ExportRecord &record,
    const QString &sheetKey, const QImage &placeholder)
    : m_table(table), m_sheet(sheet), m_record(record), m_key(sheetKey), m_placeholder(placeholder)
{ }

void TableExport::run()
{
    m_cells = m_sheet.cells();
    m_table.first();
    QList<int> types;
    for (int i = 0; i < m_table.fieldCount(); ++i) {
        m_fields << m_table.field(i);
        types << m_fields.last()->dataType();
    }
    m_columns = SheetLayout::exportColumns(types);
    m_ordinaryCount = int(std::count_if(types.begin(), types.end(),
        [](int type) { return fieldClassOf(type) == FieldClass::Ordinary; }));
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        m_fields[i]->Tag = m_columns[i];
    writeHeader();

    m_blockFirstRow = SheetLayout::FirstDataRow;
    while (!m_table.eof()) {
        ++m_row;
        writeRecord();
        if (m_block.size() >= BlockRows)
            flushBlock();
        m_table.next();
    }
    flushBlock();
}

void TableExport::writeHeader()
{
    // A header the user changed stays: only the empty header cells get their field's name.
    const int width = int(m_fields.size());
    const QVariantList header
        = CellBlocks::read(*m_cells, SheetLayout::HeaderRow, 1, 1, width).value(0);
    QVariantList names(width);
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        names[m_columns[i] - 1] = m_fields[i]->fieldName();
    for (int first = 0; first < width;) {
        if (!CellValues::isBlank(header.value(first))) {
            ++first;
            continue;
        }
        int end = first;
        while (end < width && CellValues::isBlank(header.value(end)))
            ++end;
        CellBlocks::write(
            *m_cells, SheetLayout::HeaderRow, first + 1, {names.mid(first, end - first)});
        first = end;
    }
}

void TableExport::writeRecord()
{
    QVariantList values;
    values.reserve(m_ordinaryCount);
    for (TField *field : std::as_const(m_fields)) {
        switch (fieldClassOf(field->dataType())) {
        case FieldClass::Ordinary:
            values << ordinaryValue(*field);
            break;
        case FieldClass::Memo:
            writeMemo(*field);
            break;
        case FieldClass::PictureLike:
            writePicture(*field);
            break;
        }
    }
    if (m_ordinaryCount > 0)
        m_block << values;
}

QVariant TableExport::ordinaryValue(TField &field)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    m_record.forget(m_key, object);
    try {
        return CellValues::toCell(field.value(), field.dataType());
    } catch (const EngineError &) {
        // A stored value the field cannot take goes over as the text it is; the way back leaves
        // the field alone while the cell still shows that text.
        const QString text = m_table.valueAt(m_table.recNo(), field.index()).toString();
        m_record.rememberUnreadable(m_key, object, ExportRecord::digest(text));
        return text;
    }
}

void TableExport::writeMemo(TField &field)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    const int column = m_columns[field.index()];
    m_record.forget(m_key, object);
    QString text;
    bool readable = true;
    try {
        text = field.value().toString();
    } catch (const EngineError &) {
        readable = false;
    }

    QRectF place;
    if (auto old = ShapeLookup::findOrNothing([&] { return m_sheet.textBox(object); })) {
        place = old->geometry();
        old->remove();
    } else {
        place = m_sheet.cellGeometry(m_row, column);
    }
    if (!readable) {
        m_record.rememberUnreadable(m_key, object);
        return;
    }
    auto box = m_sheet.addTextbox(1, 1, 1, 80, 30);
    box->setName(object);
    box->setGeometry(place);
    for (const QString &piece : pieces(text, MemoPiece))
        box->insertText(box->characterCount() + 1, piece);
    if (CellValues::trimmed(text).isEmpty()) {
        box->remove();
        return;
    }
    // The text as the spreadsheet holds it (it may store line breaks its own way).
    m_record.remember(m_key, object, ExportRecord::digest(box->text()));
}

SheetShapePtr TableExport::pasteOrNothing(const QImage &picture)
{
    if (picture.isNull())
        return nullptr;
    return ShapeLookup::findOrNothing([&] { return m_sheet.pastePicture(picture); });
}

void TableExport::writePicture(TField &field)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    const int column = m_columns[field.index()];
    m_record.forget(m_key, object);
    QImage picture;
    bool unreadable = false;
    try {
        if (!field.isNull())
            picture = StoredPicture::decode(field.asBytes());
    } catch (const PictureError &) {
        unreadable = true;
    }

    auto pasted = pasteOrNothing(picture);
    const bool placeholder = !pasted;
    if (placeholder)
        pasted = pasteOrNothing(m_placeholder);
    auto old = ShapeLookup::findOrNothing([&] { return m_sheet.picture(object); });
    if (pasted) {
        if (old) {
            pasted->setGeometry(old->geometry());
        } else {
            QRectF place = pasted->geometry();
            place.moveTopLeft(m_sheet.cellGeometry(m_row, column).topLeft());
            pasted->setGeometry(place);
        }
    }
    if (old)
        old->remove();
    if (pasted)
        pasted->setName(object);
    if (!placeholder) {
        m_record.remember(m_key, object, ExportRecord::digest(picture));
        return;
    }
    // No picture in the record (or none the sheet would take): nothing is left over its cell.
    if (pasted)
        pasted->remove();
    if (unreadable)
        m_record.rememberUnreadable(m_key, object);
}

void TableExport::flushBlock()
{
    if (m_block.isEmpty())
        return;
    CellBlocks::write(*m_cells, m_blockFirstRow, 1, m_block);
    m_blockFirstRow += int(m_block.size());
    m_block.clear();
}
