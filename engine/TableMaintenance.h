#pragma once

#include "engine/RelatedRecords.h"

#include <QString>
#include <functional>
#include <optional>

class TTable;

// The maintenance commands on one table, each changing the database in one transaction: when any
// step fails (a full disk, a locked file, a constraint) or the program is killed, the database is
// exactly as it was or exactly as the command leaves it (records, rowids, definitions, indexes,
// triggers, the order of the tables), no "$$$" table is left, the error is raised once, and a
// table object that was open is open again. What a kill can leave outside the database (the copy
// a compaction was making) the next command removes before it starts. A pending edit of the table
// is stored first; a table without records gets no blank record. Records move with nothing fired
// (no triggers, no foreign-key actions), so no command changes another table's records; only
// clearing unreadable values is an edit like any other. GUI thread, like TTable.
namespace TableMaintenance {

// The one backup table of a database, written by emptying and read by restoring.
inline const QString BackupTable = QStringLiteral("$$$Backup");
// What undoes the last picture load into each table.
inline const QString PictureLoadUndoTable = QStringLiteral("$$$PictureLoad");
// The tables commands keep under the "$$$" prefix: never taken for what a cut-off command left.
bool isKeptTable(const QString &name);

enum class Step { CopyingOut, CopyingBack, Emptying, Restoring, FreeingSpace, Looking, Clearing };

// Told how far a command has got, between pieces of work (never inside a call into SQLite):
// records done of total (total 0 = unknown). Returning false stops the looking and clearing
// passes with nothing changed; the other steps go on. While the free pages are given back the
// step is FreeingSpace and done and total are 0; it is then called every few tens of milliseconds
// and must not use the database.
using Progress = std::function<bool(Step step, qint64 done, qint64 total)>;

// Packs the table: the same definition, records and rowids (AUTOINCREMENT counters kept), indexes
// and triggers as written, in its place among the tables; a leftover "$$$" + name table goes (unless
// that name is a kept table's: compacting a table named "Backup" keeps the backup). In a
// database without auto-vacuum giving the free pages back rebuilds every table this way (see
// FreePages: it costs time and space in proportion to the whole file). With auto-vacuum the table
// is rebuilt in place in one transaction, its records held meanwhile in the temporary table
// "$$$" + name of the connection's temporary database (space in SQLite's temporary folder), and
// the free pages follow.
void compact(TTable &table, const Progress &progress = {});

// Replaces the backup table with a copy of the table (its definition and indexes, under index
// names of its own; triggers stay with the table), then deletes every record of the table. Other
// tables' records that refer to them stay as they are (see recordsReferringTo), to find their
// records again after a restore.
void emptyWithBackup(TTable &table, const Progress &progress = {});

// Puts the backup's records back into the table, in place of the table's records. When the
// backup was taken from a table of the same definition, the table keeps its own definition,
// indexes, triggers and place among the tables; otherwise it is made anew with the backup's
// definition and indexes (and so comes after the tables made before). Returns false, with nothing
// changed, when the database has no backup.
bool restoreFromBackup(TTable &table, const Progress &progress = {});

enum class Look { Clean, Unreadable, Stopped };

// Reads every value of every record (see UnreadableValues) until the first unreadable one. Opens
// the table when it is closed; changes nothing.
Look lookForUnreadable(TTable &table, const Progress &progress = {});

// Reads the whole table again and sets every unreadable value to null, each value in a write of
// its own (update triggers fire as for any edit). A value of an ordinary field that refuses null
// (NOT NULL) is left as it is; one of a memo or picture-like field raises. Returns how many values
// were cleared, or nothing when stopped (then nothing changed). The table is open again after.
std::optional<int> clearUnreadable(TTable &table, const Progress &progress = {});

// Drops the table with its indexes and triggers. Refuses while another table object has it open
// (another window shows it). The table object stays closed after success.
void deleteTable(TTable &table);

// The other tables whose records refer to the table's records through a declared foreign key,
// with how many records each (the backup table left out): what emptying or deleting the table
// would leave referring to nothing.
QList<RelatedRecords::Referrer> recordsReferringTo(TTable &table);

} // namespace TableMaintenance
