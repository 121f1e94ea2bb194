#pragma once

#include <QString>
#include <QVariant>

class Statement;

// Conversions between the program's values, the stored form and the text the grid shows, by
// field-type code. Values are those TField documents: QString, qlonglong, bool, double, QDate,
// QTime, QDateTime, QByteArray; null is an invalid QVariant.
namespace FieldValue {

// Converts what the program offers to the field's kind. Raises EngineError naming the value and
// the field when the field cannot take it. An empty string gives null.
QVariant fromInput(const QVariant &value, int code, int size, const QString &fieldName);

// Reads column `column` of the current row as a value of an ordinary field. When the stored value
// is not of the field's kind, *readable is set false and the stored value comes back as text.
QVariant fromStorage(const Statement &row, int column, int code, bool *readable);

// The form bound into SQL: dates and times as ISO-8601 text, booleans as 0/1.
QVariant toStorage(const QVariant &value);

// An ordinary value as the grid shows it; null gives "".
QString displayText(const QVariant &value, int code);

// How a field's kind is named in messages ("a whole number", "a date", ...).
QString kindDescription(int code);

} // namespace FieldValue
