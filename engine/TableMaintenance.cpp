#include "engine/TableMaintenance.h"

#include "engine/CheckpointDeferred.h"
#include "engine/CommandScope.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/PgMaintenance.h"
#include "engine/FieldType.h"
#include "engine/FreePages.h"
#include "engine/RelatedRecords.h"
#include "engine/SchemaText.h"
#include "engine/TTable.h"
#include "engine/TableDefinition.h"
#include "engine/TableSchema.h"
#include "engine/Transaction.h"
#include "engine/UnreadableValues.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <limits>
#include <sqlite3.h>

namespace TableMaintenance {

namespace {

// Tells the progress of a step that cannot stop: what the callback answers does not matter.
class Reporter
{
public:
    explicit Reporter(const Progress &progress) : m_progress(progress) { }
    void operator()(Step step, qint64 done, qint64 total) const
    {
        if (m_progress)
            m_progress(step, done, total);
    }

private:
    const Progress &m_progress;
};

// What the commands need to know of the table, read before anything changes.
struct Subject
{
    std::shared_ptr<Database> db;
    QString table;
    QString alias;
    QString command; // the user's command in words, for the messages of failures
};

// `doing` names the change for the message of a read-only database; empty for reading only.
Subject subjectOf(TTable &table, const QString &doing = {})
{
    Subject s;
    s.alias = table.databaseName();
    s.table = table.tableName();
    s.command = doing.arg(s.table);
    if (s.table.isEmpty())
        throw EngineError(QCoreApplication::translate("TableMaintenance", "No table is open."));
    s.db = Engine::database(s.alias);
    if (!doing.isEmpty())
        s.db->checkWritable(s.command);
    if (!s.db->tableExists(s.table))
        throw EngineError(QCoreApplication::translate("TableMaintenance", "The table “%1” does not exist in the database “%2”.")
                              .arg(s.table, s.alias));
    if (!doing.isEmpty())
        FreePages::removeLeftoverFiles(*s.db);
    return s;
}

// Runs work with the table object closed and opens it again afterwards, also after a failure
// (by then the transaction has been rolled back, so the records it reads are the real ones).
template<typename Work>
auto withTableClosed(TTable &table, Work work)
{
    const bool wasOpen = table.active();
    table.close();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            if (wasOpen)
                table.open();
        } else {
            auto result = work();
            if (wasOpen)
                table.open();
            return result;
        }
    } catch (...) {
        if (wasOpen && !table.active()) {
            try {
                table.open();
            } catch (const EngineError &) {
                // The first error is the one to show.
            }
        }
        throw;
    }
}

// While records are moved or a table goes, foreign-key actions would delete or change records of
// other tables, and its checks would refuse a table emptied for later restoring. The setting is
// the connection's own and can only change outside a transaction.
class ForeignKeysOff
{
public:
    explicit ForeignKeysOff(Database &db) : m_db(db)
    {
        Statement s = db.prepare(QStringLiteral("PRAGMA foreign_keys"));
        m_wasOn = s.step() && s.columnInt64(0) != 0;
        if (!m_wasOn)
            return;
        if (!sqlite3_get_autocommit(db.handle()))
            throw EngineError(QCoreApplication::translate("TableMaintenance", 
                "A transaction is open in the database: the table cannot be changed now."));
        db.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    }
    ~ForeignKeysOff()
    {
        if (m_wasOn)
            sqlite3_exec(m_db.handle(), "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    }
    ForeignKeysOff(const ForeignKeysOff &) = delete;
    ForeignKeysOff &operator=(const ForeignKeysOff &) = delete;

private:
    Database &m_db;
    bool m_wasOn = false;
};

// A maintenance command moves records that are already stored: nothing the database's triggers
// do for a new or a deleted record is meant to happen again (a log entry, a counter, a delete in
// another table), and restoring could not undo it. The setting is the connection's own.
class TriggersOff
{
public:
    explicit TriggersOff(Database &db) : m_db(db)
    {
        sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_ENABLE_TRIGGER, -1, &m_wasOn);
        if (m_wasOn)
            sqlite3_db_config(db.handle(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    }
    ~TriggersOff()
    {
        if (m_wasOn)
            sqlite3_db_config(m_db.handle(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 1, nullptr);
    }
    TriggersOff(const TriggersOff &) = delete;
    TriggersOff &operator=(const TriggersOff &) = delete;

private:
    Database &m_db;
    int m_wasOn = 0;
};

qint64 recordCount(Database &db, const QString &table)
{
    Statement s = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(Database::quote(table)));
    return s.step() ? s.columnInt64(0) : 0;
}

QString columnList(const QList<TFieldDef> &fields)
{
    QStringList columns;
    for (const TFieldDef &f : fields)
        columns << Database::quote(f.name);
    return columns.join(u", ");
}

// Pieces of work are sized so that each takes about this long: the screen stays alive and the
// statements stay few.
class Pacer
{
public:
    qint64 size() const { return m_size; }
    void start() { m_timer.start(); }
    void done()
    {
        const qint64 ms = m_timer.elapsed();
        if (ms < 40)
            m_size = std::min<qint64>(m_size * 2, 1 << 16);
        else if (ms > 160)
            m_size = std::max<qint64>(m_size / 2, 1);
    }

private:
    qint64 m_size = 16;
    QElapsedTimer m_timer;
};

// Copies every record of `from` into `to` (which has the same fields), rowids included, in rowid
// order.
void copyRecords(Database &db, const QString &from, const QString &to,
    const QList<TFieldDef> &fields, Step step, const Reporter &report)
{
    const QString fromRowid = TableSchema::rowidColumn(db, fields, from);
    const QString toRowid = TableSchema::rowidColumn(db, fields, to);
    const QString columns = columnList(fields);
    const qint64 total = recordCount(db, from);
    const QString copy
        = QStringLiteral("INSERT INTO %1 (%2, %3) SELECT %4, %3 FROM %5 WHERE %4 %6 "
                         "?1 ORDER BY %4 LIMIT ?2")
              .arg(Database::quote(to), toRowid, columns, fromRowid, Database::quote(from));
    // The first piece includes the smallest rowid there can be.
    Statement first = db.prepare(copy.arg(QStringLiteral(">=")));
    Statement next = db.prepare(copy.arg(QStringLiteral(">")));
    qint64 after = std::numeric_limits<qint64>::min();
    qint64 done = 0;
    Pacer pacer;
    report(step, 0, total);
    for (Statement *s = &first;; s = &next) {
        pacer.start();
        s->bindInt64(1, after);
        s->bindInt64(2, pacer.size());
        s->step();
        const qint64 copied = s->changes();
        s->reset();
        if (copied == 0)
            break;
        after = db.lastInsertRowid(); // the destination has no triggers while records come in
        done += copied;
        report(step, done, total);
        if (copied < pacer.size())
            break;
        pacer.done();
    }
}

// Deletes every record at once (SQLite clears the table's pages when nothing fires).
void deleteRecords(Database &db, const QString &table, const Reporter &report)
{
    const qint64 total = recordCount(db, table);
    report(Step::Emptying, 0, total);
    db.exec(QStringLiteral("DELETE FROM %1").arg(Database::quote(table)));
    report(Step::Emptying, total, total);
}

void dropIfThere(Database &db, const QString &table)
{
    if (db.tableExists(table))
        db.exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(table)));
}

// Gives the table the records of `source` (same fields) in place of its own, keeping its place
// among the tables, its definition and triggers. Its indexes are made again after the records
// are in, so they come out packed.
void refill(Database &db, const TableDefinition &definition, const QString &source,
    const QList<TFieldDef> &fields, Step step, const Reporter &report)
{
    definition.dropIndexes(db);
    db.exec(QStringLiteral("DELETE FROM %1").arg(Database::quote(definition.table)));
    copyRecords(db, source, definition.table, fields, step, report);
    definition.createIndexes(db);
    definition.keepCounter(db);
}

// A table of the fields' names and no types, so the values keep their storage classes exactly. It
// is made in the connection's temporary database (SQLite's temporary folder), so its pages never
// go through the database's journal or log, which halves the writing, and no kill can leave it
// behind in the database.
void createHolder(Database &db, const QString &name, const QList<TFieldDef> &fields)
{
    db.exec(
        QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(Database::quote(name), columnList(fields)));
}

QList<UnreadableValues::Field> valueFields(const Subject &s)
{
    QList<UnreadableValues::Field> fields;
    for (const TFieldDef &def : TableSchema::readFields(*s.db, s.table, s.alias)) {
        UnreadableValues::Field f;
        f.name = def.name;
        f.code = TableSchema::fieldCode(*s.db, s.table, def, &f.size);
        fields << f;
    }
    return fields;
}

QString rowidOf(const Subject &s)
{
    return TableSchema::rowidColumn(
        *s.db, TableSchema::readFields(*s.db, s.table, s.alias), s.table);
}

} // namespace

bool isKeptTable(const QString &name)
{
    return name.compare(BackupTable, Qt::CaseInsensitive) == 0
        || name.compare(PictureLoadUndoTable, Qt::CaseInsensitive) == 0;
}

void compact(TTable &table, const Progress &progress)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::compact(table);
    table.storePendingEdit();
    const Subject s = subjectOf(table, QCoreApplication::translate("TableMaintenance", "compacting the table “%1”"));
    const CommandScope command(*s.db, s.command);
    const Reporter report(progress);
    withTableClosed(table, [&] {
        Database &db = *s.db;
        const QString temporary = QStringLiteral("$$$") + s.table;
        // An old Tabvale's leftover of this table, unless the name is one a command keeps.
        const bool leftoverMayBeThere = !isKeptTable(temporary);
        if (FreePages::rebuildsWholeFile(db)) {
            // Giving the space back rebuilds every table from its records anyway, packed and
            // with nothing fired; rebuilding this one first would only do the work twice. What
            // is dropped here is left over from elsewhere: the records stay as they are.
            {
                Transaction transaction(db);
                FreePages::dropLeftoverIndexes(db);
                if (leftoverMayBeThere)
                    dropIfThere(db, temporary);
                transaction.commit();
            }
            db.tableChanged(temporary);
            FreePages::giveBack(db, [&] { report(Step::FreeingSpace, 0, 0); });
            db.tableChanged(s.table);
            return;
        }
        // The commit would copy every page of the rebuilt table into the file, which the VACUUM
        // after it rewrites anyway: the log is checkpointed once, by the VACUUM.
        const CheckpointDeferred oneCheckpoint(db);
        {
            const ForeignKeysOff noActions(db);
            const TriggersOff nothingFires(db);
            Transaction transaction(db);
            FreePages::dropLeftoverIndexes(db);
            const TableDefinition definition = TableDefinition::read(db, s.table);
            const QList<TFieldDef> fields = TableSchema::readFields(db, s.table, s.alias);
            if (leftoverMayBeThere)
                dropIfThere(db, temporary);
            // The holder's name must be no table's of the file: its bare name is read everywhere.
            QString holder = temporary;
            while (db.tableExists(holder))
                holder += u'~';
            // The table is rebuilt in place (not dropped and made again), so it keeps its place in
            // the list of tables.
            createHolder(db, holder, fields);
            copyRecords(db, s.table, holder, fields, Step::CopyingOut, report);
            refill(db, definition, holder, fields, Step::CopyingBack, report);
            db.exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(holder)));
            transaction.commit();
        }
        db.tableChanged(s.table);
        db.tableChanged(temporary);
        FreePages::giveBack(db, [&] { report(Step::FreeingSpace, 0, 0); });
    });
}

void emptyWithBackup(TTable &table, const Progress &progress)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::emptyWithBackup(table);
    table.storePendingEdit();
    const Subject s = subjectOf(table, QCoreApplication::translate("TableMaintenance", "emptying the table “%1”"));
    const CommandScope command(*s.db, s.command);
    if (s.table.compare(BackupTable, Qt::CaseInsensitive) == 0)
        throw EngineError(
            QCoreApplication::translate("TableMaintenance", "The backup table “%1” cannot be emptied into itself.").arg(s.table));
    const Reporter report(progress);
    withTableClosed(table, [&] {
        Database &db = *s.db;
        const ForeignKeysOff noActions(db);
        const TriggersOff nothingFires(db);
        Transaction transaction(db);
        FreePages::dropLeftoverIndexes(db);
        const TableDefinition definition = TableDefinition::read(db, s.table);
        const TableDefinition backup = definition.copiedAs(
            BackupTable, [](const QString &index) { return BackupTable + u' ' + index; });
        const QList<TFieldDef> fields = TableSchema::readFields(db, s.table, s.alias);
        dropIfThere(db, BackupTable);
        backup.createTable(db);
        copyRecords(db, s.table, BackupTable, fields, Step::CopyingOut, report);
        backup.completeTable(db);
        deleteRecords(db, s.table, report);
        transaction.commit();
        db.tableChanged(s.table);
        db.tableChanged(BackupTable);
    });
}

bool restoreFromBackup(TTable &table, const Progress &progress)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::restoreFromBackup(table);
    table.storePendingEdit();
    const Subject s = subjectOf(table, QCoreApplication::translate("TableMaintenance", "restoring the table “%1”"));
    const CommandScope command(*s.db, s.command);
    if (!s.db->tableExists(BackupTable))
        return false;
    if (s.table.compare(BackupTable, Qt::CaseInsensitive) == 0)
        throw EngineError(
            QCoreApplication::translate("TableMaintenance", "The backup table “%1” cannot be restored onto itself.").arg(s.table));
    const Reporter report(progress);
    withTableClosed(table, [&] {
        Database &db = *s.db;
        const ForeignKeysOff noActions(db);
        const TriggersOff nothingFires(db);
        Transaction transaction(db);
        FreePages::dropLeftoverIndexes(db);
        TableDefinition own = TableDefinition::read(db, s.table);
        const TableDefinition backup = TableDefinition::read(db, BackupTable);
        if (backup.sequence)
            own.sequence = std::max(own.sequence.value_or(0), *backup.sequence);
        const QList<TFieldDef> fields = TableSchema::readFields(db, BackupTable, s.alias);
        if (SchemaText::tableBody(own.createSql) == SchemaText::tableBody(backup.createSql)) {
            refill(db, own, BackupTable, fields, Step::Restoring, report);
        } else {
            // The backup of another table: this one is made anew with its fields and indexes
            // (a table cannot change its definition in place).
            const QString prefix = BackupTable + u' ';
            TableDefinition target = backup.copiedAs(s.table, [&](const QString &index) {
                return index.startsWith(prefix) ? index.mid(prefix.size()) : index;
            });
            target.sequence = own.sequence;
            db.exec(QStringLiteral("DROP TABLE %1").arg(Database::quote(s.table)));
            target.createTable(db);
            copyRecords(db, BackupTable, s.table, fields, Step::Restoring, report);
            target.completeTable(db);
        }
        transaction.commit();
        db.tableChanged(s.table);
    });
    return true;
}

QList<RelatedRecords::Referrer> recordsReferringTo(TTable &table)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::recordsReferringTo(table);
    const Subject s = subjectOf(table);
    QList<RelatedRecords::Referrer> referrers = RelatedRecords::referringTo(*s.db, s.table);
    // The backup's records are copies of another table's; they relate to nothing the user keeps.
    referrers.removeIf([](const RelatedRecords::Referrer &r) {
        return r.table.compare(BackupTable, Qt::CaseInsensitive) == 0;
    });
    return referrers;
}

Look lookForUnreadable(TTable &table, const Progress &progress)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::lookForUnreadable(table, progress);
    table.storePendingEdit();
    const Subject s = subjectOf(table);
    // The open table knows its count; counting a big table would read all of it.
    const qint64 total = table.active() ? table.recordCount() : recordCount(*s.db, s.table);
    bool found = false;
    const bool complete = UnreadableValues::scan(
        *s.db, s.table, rowidOf(s), valueFields(s),
        [&](const UnreadableValues::Cell &) {
            found = true;
            return false;
        },
        [&](qint64 records) { return !progress || progress(Step::Looking, records, total); });
    if (found)
        return Look::Unreadable;
    return complete ? Look::Clean : Look::Stopped;
}

std::optional<int> clearUnreadable(TTable &table, const Progress &progress)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::clearUnreadable(table, progress);
    table.storePendingEdit();
    const Subject s = subjectOf(table, QCoreApplication::translate("TableMaintenance", "clearing the unreadable values of “%1”"));
    const CommandScope command(*s.db, s.command);
    const qint64 total = table.active() ? table.recordCount() : recordCount(*s.db, s.table);
    return withTableClosed(table, [&]() -> std::optional<int> {
        Database &db = *s.db;
        const QList<UnreadableValues::Field> fields = valueFields(s);
        const QString rowid = rowidOf(s);
        Transaction transaction(db);
        FreePages::dropLeftoverIndexes(db);
        QList<UnreadableValues::Cell> cells;
        const bool complete = UnreadableValues::scan(
            db, s.table, rowid, fields,
            [&](const UnreadableValues::Cell &cell) {
                cells << cell;
                return true;
            },
            [&](qint64 records) { return !progress || progress(Step::Clearing, records, total); });
        if (!complete)
            return std::nullopt;
        int cleared = 0;
        for (const UnreadableValues::Cell &cell : std::as_const(cells)) {
            const UnreadableValues::Field &field = fields[cell.field];
            Statement clear = db.prepare(
                QStringLiteral("UPDATE %1 SET %2 = NULL WHERE %3 = ?")
                    .arg(Database::quote(s.table), Database::quote(field.name), rowid));
            clear.bindInt64(1, cell.rowid);
            try {
                clear.step();
                ++cleared;
            } catch (const EngineError &) {
                // An ordinary field that refuses null keeps its value; a memo or picture that
                // cannot be cleared ends the command.
                if (fieldClassOf(field.code) != FieldClass::Ordinary)
                    throw;
            }
        }
        transaction.commit();
        db.tableChanged(s.table);
        return cleared;
    });
}

void deleteTable(TTable &table)
{
    if (PgMaintenance::isServerTable(table))
        return PgMaintenance::deleteTable(table);
    if (table.openElsewhere() > 0)
        throw EngineError(QCoreApplication::translate("TableMaintenance", "The table “%1” is open in another window: close it "
                                         "there before deleting the table.")
                              .arg(table.tableName()));
    const Subject s = subjectOf(table, QCoreApplication::translate("TableMaintenance", "deleting the table “%1”"));
    const CommandScope command(*s.db, s.command);
    const bool wasOpen = table.active();
    table.close();
    try {
        const ForeignKeysOff noActions(*s.db);
        Transaction transaction(*s.db);
        FreePages::dropLeftoverIndexes(*s.db);
        table.deleteTable();
        transaction.commit();
    } catch (const EngineError &) {
        if (wasOpen)
            table.open(); // the table is still there
        throw;
    }
}

} // namespace TableMaintenance
