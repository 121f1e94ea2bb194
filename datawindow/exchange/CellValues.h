#pragma once

#include <QString>
#include <QVariant>

// How an ordinary field's value goes into a sheet cell and comes back. Values are those TField
// documents (null is an invalid QVariant); cell values those Cells documents.
namespace CellValues {

// Leading and trailing blanks and control characters, line breaks included, removed.
QString trimmed(const QString &text);
// A cell whose text, trimmed, is empty. Numbers, dates and yes/no values are never blank.
bool isBlank(const QVariant &cell);

// A typed cell value for the field's value: numbers, dates, times, yes/no and sums of money stay
// what they are, text stays text (even when it looks like a number). Whole numbers a cell cannot
// hold exactly go as text.
QVariant toCell(const QVariant &value, int fieldType);
// What the field is given for the cell's value; the field may still refuse it.
QVariant toField(const QVariant &cell, int fieldType);

} // namespace CellValues
