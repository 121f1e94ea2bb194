#pragma once

#include <QList>
#include <QString>
#include <functional>

struct PictureColumns;
class Statement;

// The names the naming field gives the records: its values as text, the way the grid shows them,
// except that text is taken from its stored bytes (FileNameRule::fromBytes), so a name that is no
// UTF-8 gives the same file name every time.
namespace RecordNames {

struct Named
{
    qint64 rowid = 0;
    QString name; // "" for a null value
    bool hasPicture = false; // the picture field holds a value
};

// Every record in rowid order. The picture field's bytes are not read.
QList<Named> read(const PictureColumns &columns);

// The name in column `column` of the current row of a statement over the naming field.
QString nameAt(const Statement &row, int column, int namingCode);

} // namespace RecordNames
