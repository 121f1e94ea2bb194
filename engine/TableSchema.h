#pragma once

#include "TTable.h"

#include <QList>
#include <QString>

class Database;

// Reading and writing a table's structure: columns, indexes, the statements that create them.
namespace TableSchema {

// The table's columns in order (generated and hidden columns left out); raises when the table
// does not exist.
QList<TFieldDef> readFields(Database &db, const QString &table, const QString &alias);
// Indexes made by CREATE INDEX or by UNIQUE constraints; those on expressions are left out.
QList<TIndexDef> readIndexes(Database &db, const QString &table);

// The field-type code of a column. An empty declared type is decided by the column's content:
// BLOB when its first non-null value is a blob (found without reading any content).
int fieldCode(Database &db, const QString &table, const TFieldDef &def, int *size);

// The name under which the table's rowid can be selected: "rowid", or an alias of it when a
// column already carries that name. Raises for a table without rowid.
QString rowidColumn(Database &db, const QList<TFieldDef> &fields, const QString &table);

// Creates the table (no existing table of the name), then its indexes. Index names are schema-wide
// in SQLite, so a name already used by another table gets the table's name in front.
void create(Database &db, const QString &table, const QList<TFieldDef> &fields,
    const QList<TIndexDef> &indexes);

} // namespace TableSchema
