#include "engine/UnreadableValues.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

#include <QStringDecoder>
#include <sqlite3.h>

namespace {

constexpr int RecordsBetweenReports = 64;

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

// The bytes a picture control would be given: a blob as it is, anything else as its text.
QByteArray pictureBytes(const Statement &row, int column)
{
    return row.columnType(column) == SQLITE_BLOB ? row.columnBlob(column)
                                                 : row.columnText(column).toUtf8();
}

bool ordinaryReadable(const Statement &row, int column, const UnreadableValues::Field &field)
{
    bool readable = true;
    const QVariant value = FieldValue::fromStorage(row, column, field.code, &readable);
    if (!readable)
        return false;
    try {
        // What the field could not take back either (a string over its size, a small integer out
        // of range) is no value of the field.
        FieldValue::fromInput(value, field.code, field.size, field.name);
    } catch (const EngineError &) {
        return false;
    }
    return true;
}

} // namespace

namespace UnreadableValues {

bool readable(const Statement &row, int column, const Field &field)
{
    if (row.isNull(column))
        return true;
    switch (fieldClassOf(field.code)) {
    case FieldClass::PictureLike:
        try {
            StoredPicture::decode(pictureBytes(row, column));
        } catch (const PictureError &) {
            return false;
        }
        return true;
    case FieldClass::Memo:
        // Numbers are text too; text and blobs must be UTF-8 (SQLite stores text unchecked).
        return row.columnType(column) == SQLITE_INTEGER || row.columnType(column) == SQLITE_FLOAT
            || isUtf8(row.columnBlob(column));
    case FieldClass::Ordinary:
        break;
    }
    return ordinaryReadable(row, column, field);
}

bool scan(Database &db, const QString &table, const QString &rowidName, const QList<Field> &fields,
    const std::function<bool(const Cell &)> &found,
    const std::function<bool(qint64 records)> &progress)
{
    QStringList columns {rowidName};
    for (const Field &f : fields)
        columns << Database::quote(f.name);
    Statement rows = db.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                    .arg(columns.join(u", "), Database::quote(table), rowidName));
    qint64 records = 0;
    while (rows.step()) {
        for (int f = 0; f < fields.size(); ++f) {
            if (!readable(rows, f + 1, fields[f]) && !found({rows.columnInt64(0), f}))
                return false;
        }
        if (++records % RecordsBetweenReports == 0 && progress && !progress(records))
            return false;
    }
    if (progress)
        progress(records);
    return true;
}

} // namespace UnreadableValues
