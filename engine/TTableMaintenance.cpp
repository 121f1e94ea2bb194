// The table's structure and maintenance operations: create, empty, delete, batch move.
#include "TTable.h"

#include "Engine.h"
#include "EngineError.h"
#include "TTablePrivate.h"
#include "TableSchema.h"
#include "Transaction.h"

bool TTable::exists() const
{
    return connection()->tableExists(m_tableName);
}

void TTable::createTable()
{
    if (active())
        throw EngineError(
            QStringLiteral("The table “%1” is open: close it before creating it anew.")
                .arg(m_tableName));
    const auto db = connection();
    db->checkWritable(QStringLiteral("creating the table “%1”").arg(m_tableName));
    Transaction transaction(*db);
    if (db->tableExists(m_tableName))
        db->exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(m_tableName)));
    TableSchema::create(*db, m_tableName, fieldDefs, indexDefs);
    transaction.commit();
    db->tableChanged(m_tableName);
}

void TTable::emptyTable()
{
    const auto db = connection();
    db->checkWritable(QStringLiteral("emptying the table “%1”").arg(m_tableName));
    if (!db->tableExists(m_tableName))
        throw EngineError(QStringLiteral("The table “%1” does not exist in the database “%2”.")
                              .arg(m_tableName, m_databaseName));
    cancel(); // the record being edited goes with the others
    Transaction transaction(*db);
    db->exec(QStringLiteral("DELETE FROM %1").arg(Database::quote(m_tableName)));
    transaction.commit();
    db->tableChanged(m_tableName);
    if (active())
        refresh();
}

void TTable::deleteTable()
{
    if (active())
        throw EngineError(QStringLiteral("The table “%1” is open: close it before deleting it.")
                              .arg(m_tableName));
    const auto db = connection();
    db->checkWritable(QStringLiteral("deleting the table “%1”").arg(m_tableName));
    if (!db->tableExists(m_tableName))
        throw EngineError(QStringLiteral("The table “%1” does not exist in the database “%2”.")
                              .arg(m_tableName, m_databaseName));
    db->exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(m_tableName)));
    db->tableChanged(m_tableName);
}

int TTable::batchMoveFrom(TTable &source)
{
    if (&source == this)
        throw EngineError(
            QStringLiteral("The table “%1” cannot be copied onto itself.").arg(m_tableName));
    const bool sourceWasOpen = source.active();
    const bool wasOpen = active();
    if (sourceWasOpen)
        source.checkBrowseMode();
    const auto sourceDb = source.connection();
    const auto db = connection();
    if (sourceDb == db && source.m_tableName.compare(m_tableName, Qt::CaseInsensitive) == 0)
        throw EngineError(
            QStringLiteral("The table “%1” cannot be copied onto itself.").arg(m_tableName));
    db->checkWritable(QStringLiteral("copying records into the table “%1”").arg(m_tableName));
    const QList<TFieldDef> defs
        = TableSchema::readFields(*sourceDb, source.m_tableName, source.m_databaseName);
    const QString rowid = TableSchema::rowidColumn(*sourceDb, defs, source.m_tableName);
    QStringList columns;
    for (const TFieldDef &f : defs)
        columns << Database::quote(f.name);
    const QString columnList = columns.join(u", ");

    close();
    int count = 0;
    try {
        Transaction transaction(*db);
        if (db->tableExists(m_tableName))
            db->exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(m_tableName)));
        TableSchema::create(*db, m_tableName, defs, {});
        const QString read = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                 .arg(columnList, Database::quote(source.m_tableName), rowid);
        if (sourceDb == db) {
            Statement copy = db->prepare(QStringLiteral("INSERT INTO %1 (%2) %3")
                                             .arg(Database::quote(m_tableName), columnList, read));
            copy.step();
            count = copy.changes();
        } else {
            // Another file: values go across one by one, each in SQLite's own form.
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            Statement insert = db->prepare(
                QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(Database::quote(m_tableName), columnList, marks.join(u", ")));
            Statement rows = sourceDb->prepare(read);
            while (rows.step()) {
                for (int i = 0; i < columns.size(); ++i)
                    insert.bindValue(i + 1, rows.columnValue(i));
                insert.step();
                insert.reset();
                ++count;
            }
        }
        transaction.commit();
    } catch (...) {
        // Nothing was changed: give both tables back as they were.
        if (wasOpen)
            open();
        throw;
    }
    db->tableChanged(m_tableName);
    fieldDefs = defs;
    indexDefs.clear();
    if (wasOpen)
        open();
    if (sourceWasOpen)
        source.refresh();
    return count;
}
