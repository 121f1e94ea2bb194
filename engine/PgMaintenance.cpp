#include "engine/PgMaintenance.h"

#include "engine/AliasRegistry.h"
#include "engine/EngineError.h"
#include "engine/PgCatalog.h"
#include "engine/FieldType.h"
#include "engine/PgConnection.h"
#include "engine/PgParameters.h"
#include "engine/PgTransaction.h"
#include "engine/PgValue.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

#include <algorithm>

namespace {

struct Subject
{
    std::shared_ptr<PgConnection> conn;
    PgCatalog::Table table;
    QString schema; // quoted
    QString backup; // the backup table in the table's schema, quoted
};

Subject subjectOf(TTable &table)
{
    if (table.tableName().isEmpty())
        throw EngineError(PgMaintenance::tr("No table is open."));
    Subject s;
    s.conn = PgCatalog::connection(AliasRegistry::find(table.databaseName()));
    s.conn->ensureConnected();
    s.table = PgCatalog::find(*s.conn, table.tableName(), table.databaseName());
    const PgResult r = s.conn->exec(
        QStringLiteral("SELECT format('%I', n.nspname), format('%I.%I', n.nspname, $2::text) "
                       "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.oid = $1::oid"),
        {s.table.oid, TableMaintenance::BackupTable});
    s.schema = r.text(0, 0);
    s.backup = r.text(0, 1);
    return s;
}

bool exists(PgConnection &conn, const QString &quotedTable)
{
    return !conn.exec(QStringLiteral("SELECT to_regclass($1)"), {quotedTable}).isNull(0, 0);
}

// Runs work with the table object closed, opening it again afterwards, also after a failure.
template<typename Work>
auto withTableClosed(TTable &table, Work work)
{
    const bool wasOpen = table.active();
    table.close();
    struct Reopen
    {
        TTable &table;
        bool wasOpen;
        ~Reopen()
        {
            if (!wasOpen || table.active())
                return;
            try {
                table.open();
            } catch (const EngineError &) {
                // The command's own error, if any, is the one to show.
            }
        }
    } reopen {table, wasOpen};
    return work();
}

// The values scanned for unreadable ones, and the record key their rows are read by: the primary
// key's fields (compared as one row, so any key of any types orders and finds them), or the rows'
// places when there is none.
struct Scan
{
    QStringList keys; // the key fields, quoted; ctid for the rows' places
    QStringList casts; // "::type" of each, for the parameters naming a key
    QList<PgCatalog::Field> fields; // pictures and dates or times only

    bool byPlace() const { return keys == QStringList {QStringLiteral("ctid")}; }
    QString row(int firstParameter) const
    {
        QStringList marks;
        for (qsizetype i = 0; i < casts.size(); ++i)
            marks << QStringLiteral("$%1%2").arg(firstParameter + i).arg(casts.at(i));
        return QStringLiteral("(%1)").arg(marks.join(u", "));
    }
    QString keyRow() const { return QStringLiteral("(%1)").arg(keys.join(u", ")); }
};

Scan scanOf(PgConnection &conn, const PgCatalog::Table &table)
{
    Scan scan;
    QList<PgCatalog::Field> keyFields;
    for (const PgCatalog::Field &f : PgCatalog::fields(conn, table)) {
        if (f.def.primaryKey > 0)
            keyFields << f;
        const bool dated = f.code == ftDate || f.code == ftTime || f.code == ftDateTime;
        if (isPictureLike(f.code) || (dated && !f.asText))
            scan.fields << f;
    }
    std::sort(keyFields.begin(), keyFields.end(),
        [](const PgCatalog::Field &a, const PgCatalog::Field &b) { return a.def.primaryKey < b.def.primaryKey; });
    for (const PgCatalog::Field &f : std::as_const(keyFields)) {
        scan.keys << conn.quoteIdentifier(f.def.name);
        scan.casts << QStringLiteral("::") + f.def.declaredType;
    }
    if (scan.keys.isEmpty()) {
        scan.keys << QStringLiteral("ctid");
        scan.casts << QStringLiteral("::tid");
    }
    return scan;
}

bool readableValue(const PgResult &r, int row, int column, const PgCatalog::Field &field)
{
    if (isPictureLike(field.code)) {
        try {
            StoredPicture::decode(r.bytes(row, column));
            return true;
        } catch (const PictureError &) {
            return false;
        }
    }
    bool readable = true;
    PgValue::fromText(r.text(row, column), field.code, &readable);
    return readable;
}

constexpr int ScanRows = 64;

using KeyValues = QList<QVariant>; // a record's key, each field's text

PgParameters parametersOf(const KeyValues &key)
{
    PgParameters parameters;
    for (const QVariant &v : key)
        parameters.add(v);
    return parameters;
}

// Calls found(key, field) for each unreadable value, field by field, records in key order; false
// from found or from progress(done, total) stops it (then it returns false).
bool scanUnreadable(PgConnection &conn, const PgCatalog::Table &table, const Scan &scan,
    const std::function<bool(const KeyValues &key, const PgCatalog::Field &)> &found,
    const std::function<bool(qint64 done, qint64 total)> &progress)
{
    const qint64 records = conn.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table.sql)).int64(0, 0);
    const qint64 total = records * scan.fields.size();
    qint64 done = 0;
    const int keyCount = int(scan.keys.size());
    // The key's texts under names of their own: ORDER BY would take an output column named like
    // a key field for that field, and sort the text.
    QStringList keyTexts;
    for (int k = 0; k < keyCount; ++k)
        keyTexts << QStringLiteral("%1::text AS tabvale_key%2").arg(scan.keys.at(k)).arg(k);
    for (qsizetype f = 0; f < scan.fields.size(); ++f) {
        const PgCatalog::Field &field = scan.fields.at(f);
        const QString column = conn.quoteIdentifier(field.def.name);
        const QString value = isPictureLike(field.code) ? column : PgValue::selectExpression(column, field.typeName, false);
        const QString select = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IS NOT NULL")
                                   .arg(keyTexts.join(u", "), value, table.sql, column);
        const QString order = QStringLiteral(" ORDER BY %1 LIMIT %2").arg(scan.keys.join(u", ")).arg(ScanRows);
        const QString first = select + order;
        const QString next = select + QStringLiteral(" AND %1 > %2").arg(scan.keyRow(), scan.row(1)) + order;
        std::optional<KeyValues> after; // none: from the first record
        for (;;) {
            // Pictures in binary form (their bytes as stored), dates and times as text.
            const PgResult::Format format = isPictureLike(field.code) ? PgResult::Format::Binary : PgResult::Format::Text;
            const PgResult r = after ? conn.exec(next, parametersOf(*after), format) : conn.exec(first, {}, format);
            const auto keyOf = [&](int row) {
                KeyValues key;
                for (int k = 0; k < keyCount; ++k)
                    key << r.text(row, k);
                return key;
            };
            for (int row = 0; row < r.rowCount(); ++row) {
                if (!readableValue(r, row, keyCount, field) && !found(keyOf(row), field))
                    return false;
            }
            done += r.rowCount();
            if (progress && !progress(std::min(done, total), total))
                return false;
            if (r.rowCount() < ScanRows)
                break;
            after = keyOf(r.rowCount() - 1);
        }
        done = (f + 1) * records; // the next field's values start there
    }
    return true;
}

// How long a command waits for other users' locks on the table before giving up.
const QString LockWait = QStringLiteral("3s");

// Runs work in one transaction, committed when work returns true; waits for other users' locks
// only briefly, and says so when it gave up waiting. A connection lost on the way rolls back on the
// server.
template<typename Work>
void inOneTransaction(const TTable &table, PgConnection &conn, Work work)
{
    PgTransaction transaction(conn);
    try {
        conn.exec(QStringLiteral("SELECT set_config('lock_timeout', $1, true)"), {LockWait});
        if (work())
            transaction.commit();
    } catch (const EngineError &) {
        // Read before the rollback, which clears it.
        if (!conn.isLost() && conn.lastSqlState() == u"55P03")
            throw EngineError(PgMaintenance::tr("Other users are working with the table “%1” right "
                                                "now, so nothing was changed. Try again when they "
                                                "are done.")
                                  .arg(table.tableName()));
        throw;
    }
}

void refuseWhileReferred(TTable &table, const QString &doing)
{
    const QList<RelatedRecords::Referrer> referrers = PgMaintenance::recordsReferringTo(table);
    if (referrers.isEmpty())
        return;
    QStringList names;
    for (const RelatedRecords::Referrer &r : referrers)
        names << QStringLiteral("“%1”").arg(r.table);
    throw EngineError(PgMaintenance::tr("Records of %1 refer to records of the table “%2”; on the "
                                        "server, %3 would change those records too or be refused. "
                                        "Nothing was changed.")
                          .arg(names.join(PgMaintenance::tr(", ")), table.tableName(), doing));
}

} // namespace

bool PgMaintenance::isServerTable(const TTable &table)
{
    return !table.databaseName().isEmpty() && AliasRegistry::find(table.databaseName()).isServer();
}

void PgMaintenance::compact(TTable &table)
{
    table.storePendingEdit();
    const Subject s = subjectOf(table);
    const bool owned = s.conn->exec(QStringLiteral("SELECT pg_has_role(relowner, 'USAGE') FROM pg_class "
                                                   "WHERE oid = $1::oid"),
                                  {s.table.oid})
                           .text(0, 0)
        == u"t";
    s.conn->exec(QStringLiteral("SELECT set_config('lock_timeout', $1, false)"), {LockWait});
    try {
        // Outside a transaction: VACUUM cannot run in one; FULL rewrites the table in one step.
        s.conn->exec(QStringLiteral("VACUUM %1%2").arg(owned ? QStringLiteral("FULL ") : QString(), s.table.sql));
    } catch (const EngineError &) {
        const QString state = s.conn->lastSqlState();
        if (!s.conn->isLost())
            s.conn->exec(QStringLiteral("RESET lock_timeout"));
        if (state == u"55P03")
            throw EngineError(tr("Other users are working with the table “%1” right now, so it "
                                 "was not compacted. Try again when they are done.")
                                  .arg(table.tableName()));
        throw;
    }
    s.conn->exec(QStringLiteral("RESET lock_timeout"));
    if (table.active())
        table.refresh();
}

void PgMaintenance::emptyWithBackup(TTable &table)
{
    table.storePendingEdit();
    if (table.tableName() == TableMaintenance::BackupTable)
        throw EngineError(tr("The backup table “%1” cannot be emptied into itself.").arg(table.tableName()));
    refuseWhileReferred(table, tr("emptying it"));
    const Subject s = subjectOf(table);
    withTableClosed(table, [&] {
        inOneTransaction(table, *s.conn, [&] {
            s.conn->exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(s.backup));
            s.conn->exec(QStringLiteral("CREATE TABLE %1 (LIKE %2)").arg(s.backup, s.table.sql));
            s.conn->exec(QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(s.backup, s.table.sql));
            s.conn->exec(QStringLiteral("DELETE FROM %1").arg(s.table.sql)); // not TRUNCATE: rules and grants as for any delete
            return true;
        });
    });
}

bool PgMaintenance::restoreFromBackup(TTable &table)
{
    table.storePendingEdit();
    const Subject s = subjectOf(table);
    if (!exists(*s.conn, s.backup))
        return false;
    if (table.tableName() == TableMaintenance::BackupTable)
        throw EngineError(tr("The backup table “%1” cannot be restored onto itself.").arg(table.tableName()));
    // The same fields of the same types in the same order, or nothing.
    const QString fieldsSql = QStringLiteral(
        "SELECT string_agg(format('%I %s', attname, format_type(atttypid, atttypmod)), ', ' "
        "ORDER BY attnum) FROM pg_attribute WHERE attrelid = $1::regclass AND attnum > 0 "
        "AND NOT attisdropped AND attgenerated = ''");
    const QString own = s.conn->exec(fieldsSql, {s.table.sql}).text(0, 0);
    const QString backup = s.conn->exec(fieldsSql, {s.backup}).text(0, 0);
    if (own != backup)
        throw EngineError(tr("The backup was taken from a table with other fields than “%1”; "
                             "restoring it would change the table's definition, which Tabvale "
                             "does not do on a server. Nothing was changed.")
                              .arg(table.tableName()));
    const PgResult columns = s.conn->exec(
        QStringLiteral("SELECT string_agg(format('%I', attname), ', ' ORDER BY attnum) FROM pg_attribute "
                       "WHERE attrelid = $1::regclass AND attnum > 0 AND NOT attisdropped "
                       "AND attgenerated = ''"),
        {s.table.sql});
    const QString list = columns.text(0, 0);
    withTableClosed(table, [&] {
        inOneTransaction(table, *s.conn, [&] {
            s.conn->exec(QStringLiteral("DELETE FROM %1").arg(s.table.sql));
            s.conn->exec(QStringLiteral("INSERT INTO %1 (%2) OVERRIDING SYSTEM VALUE SELECT %2 FROM %3")
                             .arg(s.table.sql, list, s.backup));
            return true;
        });
    });
    return true;
}

void PgMaintenance::deleteTable(TTable &table)
{
    if (table.openElsewhere() > 0)
        throw EngineError(tr("The table “%1” is open in another window: close it there before "
                             "deleting the table.")
                              .arg(table.tableName()));
    refuseWhileReferred(table, tr("deleting it"));
    const Subject s = subjectOf(table);
    const bool wasOpen = table.active();
    table.close();
    try {
        // In a transaction of its own: a program killed before the commit leaves the table, even
        // when the server finishes the drop later.
        inOneTransaction(table, *s.conn, [&] {
            s.conn->exec(QStringLiteral("DROP TABLE %1").arg(s.table.sql));
            return true;
        });
    } catch (const EngineError &) {
        if (wasOpen)
            table.open(); // the table is still there
        throw;
    }
}

TableMaintenance::Look PgMaintenance::lookForUnreadable(
    TTable &table, const TableMaintenance::Progress &progress)
{
    table.storePendingEdit();
    const Subject s = subjectOf(table);
    bool found = false;
    const bool complete = scanUnreadable(
        *s.conn, s.table, scanOf(*s.conn, s.table),
        [&](const KeyValues &, const PgCatalog::Field &) {
            found = true;
            return false;
        },
        [&](qint64 done, qint64 total) {
            return !progress || progress(TableMaintenance::Step::Looking, done, total);
        });
    if (found)
        return TableMaintenance::Look::Unreadable;
    return complete ? TableMaintenance::Look::Clean : TableMaintenance::Look::Stopped;
}

std::optional<int> PgMaintenance::clearUnreadable(
    TTable &table, const TableMaintenance::Progress &progress)
{
    table.storePendingEdit();
    if (table.active() && table.readOnly())
        throw EngineError(tr("The unreadable values of “%1” cannot be cleared: %2")
                              .arg(table.tableName(), table.readOnlyMessage()));
    const Subject s = subjectOf(table);
    const Scan scan = scanOf(*s.conn, s.table);
    if (scan.byPlace())
        throw EngineError(tr("The unreadable values of “%1” cannot be cleared: the table has no "
                             "primary key to find its records by.")
                              .arg(table.tableName()));
    return withTableClosed(table, [&]() -> std::optional<int> {
        std::optional<int> result;
        inOneTransaction(table, *s.conn, [&] {
            QList<QPair<KeyValues, PgCatalog::Field>> cells;
            const bool complete = scanUnreadable(
                *s.conn, s.table, scan,
                [&](const KeyValues &key, const PgCatalog::Field &field) {
                    cells.append({key, field});
                    return true;
                },
                [&](qint64 done, qint64 total) {
                    return !progress || progress(TableMaintenance::Step::Clearing, done, total);
                });
            if (!complete)
                return false;
            int cleared = 0;
            for (const auto &[key, field] : std::as_const(cells)) {
                s.conn->exec(QStringLiteral("SAVEPOINT tabvale_clear"));
                try {
                    s.conn->exec(QStringLiteral("UPDATE %1 SET %2 = NULL WHERE %3 = %4")
                                     .arg(s.table.sql, s.conn->quoteIdentifier(field.def.name),
                                         scan.keyRow(), scan.row(1)),
                        parametersOf(key));
                    s.conn->exec(QStringLiteral("RELEASE tabvale_clear"));
                    ++cleared;
                } catch (const EngineError &) {
                    // A field that refuses null (NOT NULL, a check) keeps its value; a picture that
                    // cannot be cleared, a trigger's refusal, a lock or the time limit end the
                    // command, with nothing cleared.
                    const QString state = s.conn->lastSqlState();
                    const bool refusesNull = state == u"23502" || state == u"23514";
                    if (s.conn->isLost() || isPictureLike(field.code) || !refusesNull)
                        throw;
                    s.conn->exec(QStringLiteral("ROLLBACK TO tabvale_clear"));
                }
            }
            result = cleared;
            return true;
        });
        return result;
    });
}

QList<RelatedRecords::Referrer> PgMaintenance::recordsReferringTo(TTable &table)
{
    const Subject s = subjectOf(table);
    // Each foreign key naming this table, as the condition that finds a referring record.
    const PgResult keys = s.conn->exec(
        QStringLiteral(
            "SELECT c.conrelid::regclass::text, format('%s', c.conrelid::regclass), "
            "(SELECT string_agg(format('p.%I = r.%I', pa.attname, ra.attname), ' AND ') "
            " FROM unnest(c.confkey, c.conkey) AS k(parent, child) "
            " JOIN pg_attribute pa ON pa.attrelid = c.confrelid AND pa.attnum = k.parent "
            " JOIN pg_attribute ra ON ra.attrelid = c.conrelid AND ra.attnum = k.child) "
            "FROM pg_constraint c WHERE c.contype = 'f' AND c.confrelid = $1::oid "
            "AND c.conrelid <> c.confrelid ORDER BY c.conrelid::regclass::text"),
        {s.table.oid});
    QList<RelatedRecords::Referrer> referrers;
    for (int row = 0; row < keys.rowCount(); ++row) {
        const qint64 records = s.conn->exec(QStringLiteral("SELECT count(*) FROM %1 AS r WHERE EXISTS "
                                                           "(SELECT 1 FROM %2 AS p WHERE %3)")
                                                .arg(keys.text(row, 1), s.table.sql, keys.text(row, 2)))
                                   .int64(0, 0);
        if (records == 0)
            continue;
        if (!referrers.isEmpty() && referrers.last().table == keys.text(row, 0))
            referrers.last().records += records;
        else
            referrers << RelatedRecords::Referrer {keys.text(row, 0), records};
    }
    return referrers;
}
