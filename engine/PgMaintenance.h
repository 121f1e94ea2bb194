#pragma once

#include "engine/RelatedRecords.h"
#include "engine/TableMaintenance.h"

#include <QCoreApplication>
#include <QList>

class TTable;

// The maintenance commands on a table of a PostgreSQL server, done by the server's own means so
// that everything the server keeps with the table (constraints, defaults, identity, keys, grants,
// triggers) stays as it is: a table is never made anew from its fields. Each command is one
// transaction, or one server command, so it is done entirely or not at all. The backup lives
// in the table's schema under the backup table's name. GUI thread, like TTable.
class PgMaintenance
{
    Q_DECLARE_TR_FUNCTIONS(PgMaintenance)

public:
    static bool isServerTable(const TTable &table);

    // VACUUM FULL when the user owns the table (or is a member of its owner), else VACUUM; gives
    // up after a short wait when other users hold the table, saying so.
    static void compact(TTable &table);
    // Replaces the backup with a copy of the table's records (a table made LIKE it), then
    // deletes the table's records. Refuses while other tables' records refer to them: the
    // server would change those records, or refuse.
    static void emptyWithBackup(TTable &table);
    // The backup's records replace the table's. False, with nothing changed, without a backup;
    // refuses a backup of a table with other fields (the table keeps its definition).
    static bool restoreFromBackup(TTable &table);
    // DROP TABLE without CASCADE: the server refuses while views or other tables depend on it.
    static void deleteTable(TTable &table);
    static QList<RelatedRecords::Referrer> recordsReferringTo(TTable &table);
    // Unreadable values on a server: picture-like values no picture decoder reads, and dates
    // and times the program cannot hold ("infinity", years before 1). The server's types keep
    // every other value readable.
    static TableMaintenance::Look lookForUnreadable(
        TTable &table, const TableMaintenance::Progress &progress);
    // Sets them to null in one transaction, each write an update like any other (the server's
    // triggers fire); a value of a field that refuses null is kept. Nothing when stopped.
    static std::optional<int> clearUnreadable(
        TTable &table, const TableMaintenance::Progress &progress);
};
