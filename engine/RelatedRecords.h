#pragma once

#include <QList>
#include <QString>

class Database;

// The records of other tables that refer to a table's records through a declared foreign key.
// Same thread as the connection.
namespace RelatedRecords {

struct Referrer
{
    QString table;
    qint64 records = 0; // how many of its records refer to a record that is there
};

// The tables (in creation order, other than the table itself) with at least one record whose
// foreign key names a record of `table`, whether or not the connection enforces foreign keys. A key
// of null refers to nothing; a key that names columns the table does not have is not counted
// (SQLite cannot follow it either).
QList<Referrer> referringTo(Database &db, const QString &table);

} // namespace RelatedRecords
