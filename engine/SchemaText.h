#pragma once

#include <QString>

// The CREATE statements SQLite keeps in sqlite_master, read and rewritten token by token: a
// table's or index's name is replaced and everything else stays exactly as written (comments,
// spacing, collations, constraints). Raises EngineError for a statement of another kind.
namespace SchemaText {

// "CREATE TABLE <name> ..." with another table name.
QString renameTable(const QString &createTable, const QString &newName);
// "CREATE [UNIQUE] INDEX <index> ON <table> ..." with another index name and table name.
QString renameIndex(const QString &createIndex, const QString &newIndex, const QString &newTable);
// What follows the table's name: two tables with the same body have the same definition.
QString tableBody(const QString &createTable);
// Whether the table's rowid is declared AUTOINCREMENT (it then has a counter in sqlite_sequence).
bool hasAutoincrement(const QString &createTable);

} // namespace SchemaText
