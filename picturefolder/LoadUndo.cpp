#include "picturefolder/LoadUndo.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/LargeWrite.h"
#include "engine/TableSchema.h"
#include "engine/Transaction.h"
#include "picturefolder/PictureColumns.h"

#include <sqlite3.h>
#include <utility>
#include <zlib.h>

namespace LoadUndo {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("LoadUndo", text);
}

QString undoTable()
{
    return Database::quote(Table);
}

// Table names are matched as SQLite matches them.
const QString SameTable = QStringLiteral("TableName = ?1 COLLATE NOCASE");

std::optional<Load> read(Database &db, const QString &table)
{
    if (!db.tableExists(Table))
        return std::nullopt;
    Statement s = db.prepare(
        QStringLiteral("SELECT rowid, TableName, FieldName, Folder, LoadedAt, RecordId, RecordName "
                       "FROM %1 WHERE %2 ORDER BY rowid")
            .arg(undoTable(), SameTable));
    s.bind(1, table);
    std::optional<Load> load;
    while (s.step()) {
        if (!load) {
            load.emplace();
            load->table = s.columnText(1);
            load->field = s.columnText(2);
            load->folder = s.columnText(3);
            load->loadedAt = QDateTime::fromString(s.columnText(4), Qt::ISODate);
        }
        load->unchanged << Entry {s.columnInt64(0), s.columnInt64(5), s.columnText(6)};
    }
    return load;
}

void checkFieldExists(Database &db, const Load &load)
{
    for (const TFieldDef &f : TableSchema::readFields(db, load.table, db.path())) {
        if (f.name.compare(load.field, Qt::CaseInsensitive) == 0)
            return;
    }
    throw EngineError(tr("The field “%1” that the last picture load filled is no longer in the "
                         "table “%2”, so the load cannot be undone.")
                          .arg(load.field, load.table));
}

} // namespace

qint64 crcOf(const QByteArray &value)
{
    uLong crc = crc32(0, nullptr, 0);
    const auto *p = reinterpret_cast<const Bytef *>(value.constData());
    for (qsizetype left = value.size(); left > 0;) {
        const uInt piece = uInt(std::min<qsizetype>(left, 1 << 30));
        crc = crc32(crc, p, piece);
        p += piece;
        left -= piece;
    }
    return qint64(crc);
}

void begin(Database &db, const QString &table)
{
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (TableName TEXT NOT NULL, FieldName TEXT "
                           "NOT NULL, Folder TEXT NOT NULL, LoadedAt TEXT NOT NULL, RecordId "
                           "INTEGER NOT NULL, RecordName TEXT, OldValue, NewLength INTEGER NOT "
                           "NULL, NewCrc INTEGER NOT NULL)")
                .arg(undoTable()));
    Statement forget = db.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2").arg(undoTable(), SameTable));
    forget.bind(1, table);
    forget.step();
    db.tableChanged(Table);
}

std::optional<qint64> keep(Database &db, const PictureColumns &columns, const QString &folder,
    const QString &loadedAt, qint64 rowid, const QString &name, qint64 newLength)
{
    // The old value is copied by SQLite itself, its storage class and bytes as they are.
    Statement s = db.prepare(
        QStringLiteral("INSERT INTO %1 SELECT ?1, ?2, ?3, ?4, %2, ?5, %3, ?6, ?7 FROM %4 WHERE %2 = ?8")
            .arg(undoTable(), columns.rowid, Database::quote(columns.pictureField),
                Database::quote(columns.table)));
    s.bind(1, columns.table);
    s.bind(2, columns.pictureField);
    s.bind(3, folder);
    s.bind(4, loadedAt);
    s.bind(5, name);
    s.bindInt64(6, newLength);
    s.bindInt64(7, 0); // see setNewCrc
    s.bindInt64(8, rowid);
    s.step();
    if (s.changes() == 0)
        return std::nullopt;
    return db.lastInsertRowid();
}

void setNewCrc(Database &db, qint64 undoRow, qint64 crc)
{
    Statement s = db.prepare(QStringLiteral("UPDATE %1 SET NewCrc = ?1 WHERE rowid = ?2").arg(undoTable()));
    s.bindInt64(1, crc);
    s.bindInt64(2, undoRow);
    s.step();
}

std::optional<Load> summary(Database &db, const QString &table)
{
    return read(db, table);
}

std::optional<Load> check(Database &db, const QString &table)
{
    std::optional<Load> load = read(db, table);
    if (!load)
        return load;
    checkFieldExists(db, *load);
    const QList<TFieldDef> fields = TableSchema::readFields(db, load->table, db.path());
    const QString rowid = TableSchema::rowidColumn(db, fields, load->table);
    // length() is answered from the record header; the picture is read only when it may match.
    Statement current = db.prepare(
        QStringLiteral("SELECT length(%1), typeof(%1) = 'blob' FROM %2 WHERE %3 = ?1")
            .arg(Database::quote(load->field), Database::quote(load->table), rowid));
    Statement bytes = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1")
                                     .arg(Database::quote(load->field),
                                         Database::quote(load->table), rowid));
    Statement written = db.prepare(
        QStringLiteral("SELECT NewLength, NewCrc FROM %1 WHERE rowid = ?1").arg(undoTable()));
    const QList<Entry> entries = std::exchange(load->unchanged, {});
    for (const Entry &e : entries) {
        written.bindInt64(1, e.undoRow);
        written.step();
        const qint64 length = written.columnInt64(0);
        const qint64 crc = written.columnInt64(1);
        written.reset();
        current.bindInt64(1, e.rowid);
        if (!current.step()) {
            current.reset();
            load->gone << e;
            continue;
        }
        bool same = current.columnInt64(1) != 0 && current.columnInt64(0) == length;
        current.reset();
        if (same) {
            bytes.bindInt64(1, e.rowid);
            bytes.step();
            same = crcOf(bytes.columnBlob(0)) == crc;
            bytes.reset();
        }
        (same ? load->unchanged : load->changed) << e;
    }
    return load;
}

std::optional<Result> undo(Database &db, const QString &table, bool keepChanged)
{
    db.checkWritable(tr("undoing the last picture load into “%1”").arg(table));
    const LargeWrite large(db); // as many pictures back as the load stored
    Transaction transaction(db);
    const std::optional<Load> load = check(db, table);
    if (!load)
        return std::nullopt;
    if (!keepChanged && (!load->changed.isEmpty() || !load->gone.isEmpty()))
        throw EngineError(tr("Since the last picture load into “%1”, %2 of the %3 records it "
                             "filled have been changed and %4 deleted, so nothing was undone. "
                             "Undoing it while keeping those records as they are now restores "
                             "the others.")
                              .arg(load->table)
                              .arg(load->changed.size())
                              .arg(load->records())
                              .arg(load->gone.size()));
    const QList<TFieldDef> fields = TableSchema::readFields(db, load->table, db.path());
    Statement restore = db.prepare(
        QStringLiteral("UPDATE %1 SET %2 = (SELECT OldValue FROM %3 WHERE rowid = ?1) WHERE %4 = ?2")
            .arg(Database::quote(load->table), Database::quote(load->field), undoTable(),
                TableSchema::rowidColumn(db, fields, load->table)));
    for (const Entry &e : load->unchanged) {
        restore.bindInt64(1, e.undoRow);
        restore.bindInt64(2, e.rowid);
        restore.step();
        restore.reset();
    }
    Statement forget = db.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2").arg(undoTable(), SameTable));
    forget.bind(1, table);
    forget.step();
    Statement left = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(undoTable()));
    const bool empty = left.step() && left.columnInt64(0) == 0;
    left.reset();
    if (empty)
        db.exec(QStringLiteral("DROP TABLE %1").arg(undoTable()));
    transaction.commit();
    db.tableChanged(Table);
    db.tableChanged(load->table);
    return Result {int(load->unchanged.size()), int(load->changed.size()), int(load->gone.size())};
}

} // namespace LoadUndo
