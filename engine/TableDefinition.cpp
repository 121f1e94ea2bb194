#include "engine/TableDefinition.h"

#include <QCoreApplication>

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/SchemaText.h"

namespace {

QList<TableDefinition::Entry> entries(Database &db, const QString &type, const QString &table)
{
    // sql is null for the indexes SQLite makes for UNIQUE and PRIMARY KEY constraints.
    Statement s = db.prepare(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = ? "
                                            "AND tbl_name = ? AND sql IS NOT NULL ORDER BY rowid"));
    s.bind(1, type);
    s.bind(2, table);
    QList<TableDefinition::Entry> list;
    while (s.step())
        list.append({s.columnText(0), s.columnText(1)});
    return list;
}

bool indexNameTaken(Database &db, const QString &name)
{
    Statement s
        = db.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
    s.bind(1, name);
    return s.step();
}

QString freeIndexName(Database &db, const QString &wanted, const QString &table)
{
    if (!indexNameTaken(db, wanted))
        return wanted;
    const QString base = table + QLatin1Char(' ') + wanted;
    QString name = base;
    for (int n = 2; indexNameTaken(db, name); ++n)
        name = base + QLatin1Char(' ') + QString::number(n);
    return name;
}

} // namespace

TableDefinition TableDefinition::read(Database &db, const QString &table)
{
    Statement s = db.prepare(
        QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"));
    s.bind(1, table);
    if (!s.step())
        throw EngineError(QCoreApplication::translate("TableDefinition", "The table “%1” does not exist.").arg(table));
    TableDefinition def;
    def.table = table;
    def.createSql = s.columnText(0);
    if (!def.createSql.startsWith(QStringLiteral("CREATE TABLE"), Qt::CaseInsensitive))
        throw EngineError(QCoreApplication::translate("TableDefinition", 
            "The table “%1” is not an ordinary table (%2); Tabvale cannot rebuild it.")
                              .arg(table, def.createSql.section(QLatin1Char('('), 0, 0).trimmed()));
    def.indexes = entries(db, QStringLiteral("index"), table);
    def.triggers = entries(db, QStringLiteral("trigger"), table);
    if (db.tableExists(QStringLiteral("sqlite_sequence"))) {
        Statement seq
            = db.prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"));
        seq.bind(1, table);
        if (seq.step())
            def.sequence = seq.columnInt64(0);
    }
    return def;
}

TableDefinition TableDefinition::copiedAs(
    const QString &newTable, const std::function<QString(const QString &)> &indexName) const
{
    TableDefinition copy;
    copy.table = newTable;
    copy.createSql = SchemaText::renameTable(createSql, newTable);
    for (const Entry &index : indexes) {
        const QString name = indexName(index.name);
        copy.indexes.append({name, SchemaText::renameIndex(index.sql, name, newTable)});
    }
    copy.sequence = sequence;
    return copy;
}

void TableDefinition::createTable(Database &db) const
{
    db.exec(createSql);
}

void TableDefinition::completeTable(Database &db) const
{
    createIndexes(db);
    for (const Entry &trigger : triggers)
        db.exec(trigger.sql);
    keepCounter(db);
}

void TableDefinition::createIndexes(Database &db) const
{
    for (const Entry &index : indexes) {
        const QString name = freeIndexName(db, index.name, table);
        db.exec(name == index.name ? index.sql : SchemaText::renameIndex(index.sql, name, table));
    }
}

void TableDefinition::dropIndexes(Database &db) const
{
    for (const Entry &index : indexes)
        db.exec(QStringLiteral("DROP INDEX %1").arg(Database::quote(index.name)));
}

void TableDefinition::keepCounter(Database &db) const
{
    if (!sequence || !SchemaText::hasAutoincrement(createSql))
        return;
    // Keys handed out before stay used: the counter never goes back.
    Statement update = db.prepare(
        QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2"));
    update.bindInt64(1, *sequence);
    update.bind(2, table);
    update.step();
    if (update.changes() == 0) {
        Statement insert
            = db.prepare(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)"));
        insert.bind(1, table);
        insert.bindInt64(2, *sequence);
        insert.step();
    }
}
