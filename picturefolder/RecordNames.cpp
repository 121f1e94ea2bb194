#include "picturefolder/RecordNames.h"

#include "engine/Database.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "picturefolder/FileNameRule.h"
#include "picturefolder/PictureColumns.h"

#include <sqlite3.h>

namespace RecordNames {

QString nameAt(const Statement &row, int column, int namingCode)
{
    switch (row.columnType(column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_TEXT:
    case SQLITE_BLOB:
        if (namingCode == ftString || namingCode == ftMemo)
            return FileNameRule::fromBytes(row.columnBlob(column));
        break;
    default:
        break;
    }
    bool readable = true;
    const QVariant value = FieldValue::fromStorage(row, column, namingCode, &readable);
    if (!readable)
        return FileNameRule::fromBytes(row.columnBlob(column));
    return FieldValue::displayText(value, namingCode);
}

QList<Named> read(const PictureColumns &columns)
{
    // length() is answered from the record header: no picture is read.
    Statement s = columns.db->prepare(
        QStringLiteral("SELECT %1, %2, length(%3) > 0 FROM %4 ORDER BY %1")
            .arg(columns.rowid, Database::quote(columns.namingField),
                Database::quote(columns.pictureField), Database::quote(columns.table)));
    QList<Named> names;
    while (s.step()) {
        Named n;
        n.rowid = s.columnInt64(0);
        n.name = nameAt(s, 1, columns.namingCode);
        n.hasPicture = s.columnInt64(2) != 0;
        names << n;
    }
    return names;
}

} // namespace RecordNames
