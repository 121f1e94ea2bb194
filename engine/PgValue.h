#pragma once

#include <QString>
#include <QVariant>

// Values of ordinary fields as a PostgreSQL server writes them in text form, read into the
// program's values by field-type code (see FieldValue for the values).
namespace PgValue {

// The server's text of a value (a timestamp without zone, a money value as numeric). A value
// the field cannot hold as its kind (a date before year 1, "infinity") comes back as its text
// with *readable set false.
QVariant fromText(const QString &text, int code, bool *readable);

// The SQL that selects a column for fromText: money as numeric, timestamps in the session's
// time zone without one, the types the engine keeps as text as their text.
QString selectExpression(const QString &quotedColumn, const QString &typeName, bool asText);

} // namespace PgValue
