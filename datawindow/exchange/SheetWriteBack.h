#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>
#include <QVariant>

class ExportRecord;
class TField;
class TTable;
class Worksheet;

// Writes a worksheet back into its table, which must be open on its first record. Row 2 always
// goes into the first record (a table without records gets one); each further row whose ordinary
// cells are not all blank goes into the next record, appended past the last one. The data end at
// the first such blank row; records past the sheet's rows keep their values. Every field change is
// its own edit and post: an ordinary field takes its cell's value (refused values leave the field
// as it was), a memo the trimmed text of its text box, a picture-like field the stored form of its
// picture; without a text box or picture, or with a blank cell, the field is cleared. What the
// export showed and the sheet still shows unchanged (an untouched memo or picture, a value that
// could not be read) leaves the field as it is, so nothing is lost on the way.
class SheetWriteBack
{
public:
    // record: what the export showed (may be null: nothing is known of this sheet's export).
    SheetWriteBack(
        TTable &table, Worksheet &sheet, const ExportRecord *record, const QString &sheetKey);

    void run();
    int row() const { return m_row; } // the sheet row being written back

private:
    void writeOrdinary(TField &field, const QVariant &cell);
    void writeMemo(TField &field);
    void writePicture(TField &field);
    bool leaveAsShown(const QString &object, const QByteArray &shown) const;
    bool exportedUnreadable(const QString &object) const;

    TTable &m_table;
    Worksheet &m_sheet;
    const ExportRecord *m_record;
    QString m_key;
    int m_row = 1;
};
