#pragma once

#include <QList>
#include <QString>
#include <functional>

class Database;
class Statement;

// The stored values a table's fields cannot take: a value of the wrong kind for an ordinary field
// (text in an integer field, an impossible date, a string over its size), memo bytes that are not
// UTF-8 text, and a picture-like value that no picture decoder reads. Empty values are readable.
namespace UnreadableValues {

struct Field
{
    QString name;
    int code = 0; // field-type code
    int size = 0; // declared string size, 0 = none
};

struct Cell
{
    qint64 rowid = 0;
    int field = 0; // index into the fields given to scan()
};

// Whether column `column` of the statement's current row is a value the field can take.
bool readable(const Statement &row, int column, const Field &field);

// Reads every value of every record once, in rowid order. `found` hears of each unreadable value
// and returns false to end the scan there; `progress` is told how many records have been read
// (every few records) and returns false to stop. Returns false when either stopped it.
bool scan(Database &db, const QString &table, const QString &rowidName, const QList<Field> &fields,
    const std::function<bool(const Cell &)> &found,
    const std::function<bool(qint64 records)> &progress);

} // namespace UnreadableValues
