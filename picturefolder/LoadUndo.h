#pragma once

#include "engine/TableMaintenance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class Database;
struct PictureColumns;

// The undo of a folder load, kept in the database itself, as maintenance keeps its "$$$Backup":
// the table "$$$PictureLoad" holds, for the last load into each table, one row per record the load
// wrote: which table, field and folder, when, the record's rowid and name, the value the record
// held before (as stored, null included), and the length and CRC-32 of the value the load wrote.
//
// Which load an undo undoes: the last load into that table. A new load into a table first forgets
// that table's previous load (its old pictures would otherwise be kept for good), so there is only
// ever one; an undo removes its rows, and the table goes with the last row.
//
// Records changed since: a record whose picture no longer has the length and CRC-32 the load wrote
// was changed since (or its rowid reused), and one that is gone was deleted. The undo restores the
// others and, only when asked to, keeps those as they are now; otherwise it changes nothing.
namespace LoadUndo {

inline const QString Table = TableMaintenance::PictureLoadUndoTable;

// Inside the load's transaction: makes the table when it is missing and forgets the table's
// previous load.
void begin(Database &db, const QString &table);
// Inside the load's transaction, before the record is written: keeps what the record holds now
// and the new value's length. Returns the undo row, whose checksum of the new value setNewCrc
// gives (it is computed while SQLite writes the value); nothing when the record no longer exists.
std::optional<qint64> keep(Database &db, const PictureColumns &columns, const QString &folder,
    const QString &loadedAt, qint64 rowid, const QString &name, qint64 newLength);
void setNewCrc(Database &db, qint64 undoRow, qint64 crc);

struct Entry
{
    qint64 undoRow = 0; // the row of "$$$PictureLoad"
    qint64 rowid = 0;
    QString name;
};

struct Load
{
    QString table;
    QString field;
    QString folder;
    QDateTime loadedAt; // UTC
    QList<Entry> unchanged; // still hold what the load wrote
    QList<Entry> changed;
    QList<Entry> gone;
    int records() const { return int(unchanged.size() + changed.size() + gone.size()); }
};

// The last load into the table without looking at the records (all entries in `unchanged`);
// nothing when there is none.
std::optional<Load> summary(Database &db, const QString &table);
// The same, with every record's picture read and compared.
std::optional<Load> check(Database &db, const QString &table);

struct Result
{
    int restored = 0;
    int keptChanged = 0;
    int gone = 0;
};

// Undoes the last load into the table in one transaction: nothing when there is none. With
// records changed or deleted since, raises EngineError (changing nothing) unless keepChanged.
std::optional<Result> undo(Database &db, const QString &table, bool keepChanged);

// The CRC-32 that tells a loaded value from a changed one.
qint64 crcOf(const QByteArray &value);

} // namespace LoadUndo
