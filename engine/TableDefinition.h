#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class Database;

// A table's whole definition as the database keeps it: its CREATE TABLE statement as written
// (keys, AUTOINCREMENT, NOT NULL, DEFAULT, CHECK, collations), the statements of its indexes and
// triggers, and its AUTOINCREMENT counter. Lets maintenance drop a table and make it again as it
// was. Same thread as the connection.
struct TableDefinition
{
    struct Entry
    {
        QString name;
        QString sql;
    };

    QString table;
    QString createSql; // the CREATE TABLE statement
    QList<Entry> indexes; // made by CREATE INDEX (constraint indexes come with the table)
    QList<Entry> triggers;
    std::optional<qint64> sequence; // sqlite_sequence's counter, when the table has one

    // Raises when the table does not exist or is not an ordinary table.
    static TableDefinition read(Database &db, const QString &table);

    // The same definition for a table of another name, without triggers (they would act on the
    // copy). Each index gets the name indexName(original name).
    TableDefinition copiedAs(
        const QString &newTable, const std::function<QString(const QString &)> &indexName) const;

    void createTable(Database &db) const; // no table of the name may exist
    // Indexes, then triggers, then the counter. After the records are in: indexes are built once,
    // packed, and nothing fires while the records are copied.
    void completeTable(Database &db) const;
    // An index name another table already uses gets a free one.
    void createIndexes(Database &db) const;
    void dropIndexes(Database &db) const;
    // The AUTOINCREMENT counter goes up to the one read, never back.
    void keepCounter(Database &db) const;
};
