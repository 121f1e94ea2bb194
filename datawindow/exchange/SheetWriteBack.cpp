#include "datawindow/exchange/SheetWriteBack.h"

#include "datawindow/exchange/CellValues.h"
#include "datawindow/exchange/ExportRecord.h"
#include "datawindow/exchange/ShapeLookup.h"
#include "datawindow/exchange/SheetLayout.h"
#include "datawindow/exchange/SheetRows.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"

namespace {

// A value the field refuses leaves it as it was.
template<class F>
void tryChange(F &&change)
{
    try {
        change();
    } catch (const EngineError &) { }
}

} // namespace

SheetWriteBack::SheetWriteBack(
    TTable &table, Worksheet &sheet, const ExportRecord *record, const QString &sheetKey)
    : m_table(table), m_sheet(sheet), m_record(record), m_key(sheetKey)
{ }

bool SheetWriteBack::leaveAsShown(const QString &object, const QByteArray &shown) const
{
    return m_record && m_record->untouched(m_key, object, shown);
}

bool SheetWriteBack::exportedUnreadable(const QString &object) const
{
    return m_record && m_record->unreadable(m_key, object);
}

void SheetWriteBack::run()
{
    QList<int> types;
    for (int i = 0; i < m_table.fieldCount(); ++i)
        types << m_table.field(i)->dataType();
    const QList<int> columns = SheetLayout::writeBackColumns(types);
    int ordinaryCount = 0;
    for (int i = 0; i < m_table.fieldCount(); ++i) {
        m_table.field(i)->Tag = columns[i];
        ordinaryCount = std::max(ordinaryCount, columns[i]);
    }
    auto cells = m_sheet.cells();
    SheetRows rows(*cells, ordinaryCount);

    m_row = 1;
    for (;;) {
        m_table.edit();
        ++m_row;
        const QVariantList values = rows.row(m_row);
        for (int i = 0; i < m_table.fieldCount(); ++i) {
            TField &field = *m_table.field(i);
            m_table.edit();
            switch (fieldClassOf(field.dataType())) {
            case FieldClass::Ordinary:
                writeOrdinary(field, values.value(columns[i] - 1));
                break;
            case FieldClass::Memo:
                writeMemo(field);
                break;
            case FieldClass::PictureLike:
                writePicture(field);
                break;
            }
            m_table.post();
        }
        m_table.edit();
        m_table.post();
        if (!rows.hasText(m_row + 1))
            break;
        m_table.next();
        if (m_table.eof())
            m_table.append();
    }
}

void SheetWriteBack::writeOrdinary(TField &field, const QVariant &cell)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    if (exportedUnreadable(object) && cell.typeId() == QMetaType::QString
        && leaveAsShown(object, ExportRecord::digest(cell.toString())))
        return;
    if (CellValues::isBlank(cell))
        tryChange([&] { field.clear(); });
    else
        tryChange([&] { field.setValue(CellValues::toField(cell, field.dataType())); });
}

void SheetWriteBack::writeMemo(TField &field)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    auto box = ShapeLookup::findOrNothing([&] { return m_sheet.textBox(object); });
    if (!box) {
        if (!exportedUnreadable(object))
            tryChange([&] { field.clear(); });
        return;
    }
    const QString text = box->text();
    if (leaveAsShown(object, ExportRecord::digest(text)))
        return;
    const QString trimmed = CellValues::trimmed(text);
    if (trimmed.isEmpty())
        tryChange([&] { field.clear(); });
    else
        tryChange([&] { field.setValue(trimmed); });
}

void SheetWriteBack::writePicture(TField &field)
{
    const QString object = SheetLayout::objectName(m_row, field.fieldName());
    auto picture = ShapeLookup::findOrNothing([&] { return m_sheet.picture(object); });
    if (!picture) {
        if (!exportedUnreadable(object))
            tryChange([&] { field.clear(); });
        return;
    }
    QImage image;
    try {
        image = picture->picture();
    } catch (const SpreadsheetError &e) {
        if (e.applicationLost())
            throw;
        return; // a picture that cannot be read from the sheet leaves the field as it was
    }
    // An untouched picture stays as it is stored, byte for byte, not re-encoded.
    if (leaveAsShown(object, ExportRecord::digest(image)))
        return;
    // A picture changed in the sheet has no file of its own: stored in the alias's picture form.
    tryChange([&] { field.setPicture(PictureSource::picture(image)); });
}
