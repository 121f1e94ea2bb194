#pragma once

#include <QList>
#include <QString>

class Database;

// A column as the table declares it.
struct TFieldDef
{
    QString name;
    QString declaredType; // as the column was declared, e.g. "VARCHAR(40)", "GRAPHIC"
    int primaryKey = 0; // position in the primary key, from 1; 0 = not part of it
};

// Reading a table's structure: its columns, their field-type codes, the name of its rowid.
namespace TableSchema {

// The table's columns in order (generated and hidden columns left out); raises when the table
// does not exist.
QList<TFieldDef> readFields(Database &db, const QString &table, const QString &alias);

// The field-type code of a column. An empty declared type is decided by the column's content:
// BLOB when its first non-null value is a blob (found without reading any content).
int fieldCode(Database &db, const QString &table, const TFieldDef &def, int *size);

// The name under which the table's rowid can be selected: "rowid", or an alias of it when a
// column already carries that name. Raises for a table without rowid.
QString rowidColumn(Database &db, const QList<TFieldDef> &fields, const QString &table);

} // namespace TableSchema
