#include "engine/FreePages.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Transaction.h"

#include <QScopeGuard>

#include <chrono>
#include <future>

namespace {

enum AutoVacuum { None = 0, Full = 1, Incremental = 2 };

int autoVacuum(Database &db)
{
    Statement s = db.prepare(QStringLiteral("PRAGMA auto_vacuum"));
    return s.step() ? int(s.columnInt64(0)) : None;
}

QString keepPrefix()
{
    return QStringLiteral("$$$keep rowids ");
}

// VACUUM numbers the records of a table anew when the table has no index (nor an INTEGER PRIMARY
// KEY): records would silently change their rowids, and with them every bookmark and every
// reference another program keeps. An empty partial index on each such table makes VACUUM copy
// the records as they are; the indexes go again afterwards (and a run that was cut off leaves
// only empty indexes, which the next one removes).
QStringList tablesRenumberedByVacuum(Database &db)
{
    Statement s = db.prepare(QStringLiteral(
        "SELECT l.name FROM pragma_table_list AS l WHERE l.schema = 'main' AND l.type = 'table' "
        "AND l.wr = 0 AND l.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "AND NOT EXISTS (SELECT 1 FROM pragma_index_list(l.name))"));
    QStringList names;
    while (s.step())
        names << s.columnText(0);
    return names;
}

void dropKeepIndexes(Database &db)
{
    Statement s = db.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND substr(name, 1, ?1) = ?2"));
    s.bind(1, qint64(keepPrefix().size()));
    s.bind(2, keepPrefix());
    QStringList names;
    while (s.step())
        names << s.columnText(0);
    for (const QString &name : names)
        db.exec(QStringLiteral("DROP INDEX %1").arg(Database::quote(name)));
}

void keepRowids(Database &db)
{
    Transaction transaction(db);
    dropKeepIndexes(db);
    for (const QString &table : tablesRenumberedByVacuum(db)) {
        Statement column = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
        column.bind(1, table);
        if (!column.step())
            continue;
        db.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3) WHERE 0")
                    .arg(Database::quote(keepPrefix() + table), Database::quote(table),
                        Database::quote(column.columnText(0))));
    }
    transaction.commit();
}

void vacuum(const QString &path)
{
    const auto db = Database::open(path); // this thread's own connection, gone with the thread
    keepRowids(*db);
    const auto indexesGo = qScopeGuard([&] {
        try {
            Transaction transaction(*db);
            dropKeepIndexes(*db);
            transaction.commit();
        } catch (const EngineError &) {
            // Empty indexes change nothing; the next compaction removes them.
        }
    });
    db->exec(QStringLiteral("VACUUM"));
    try {
        // A WAL file grown by the rebuild would keep the space until the next checkpoint.
        db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    } catch (const EngineError &) {
        // Another reader holds the log: it shrinks at a later checkpoint.
    }
}

} // namespace

namespace FreePages {

bool rebuildsWholeFile(Database &db)
{
    return autoVacuum(db) == None;
}

void giveBack(Database &db, const std::function<void()> &waiting)
{
    switch (autoVacuum(db)) {
    case Full:
        return;
    case Incremental:
        db.exec(QStringLiteral("PRAGMA incremental_vacuum"));
        return;
    default:
        break;
    }
    if (waiting)
        waiting(); // says what is under way before the first wait
    std::future<void> done = std::async(std::launch::async, vacuum, db.path());
    while (done.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) {
        if (waiting)
            waiting();
    }
    done.get(); // raises what the vacuum raised
}

} // namespace FreePages
