#include "engine/RelatedRecords.h"

#include "engine/Database.h"

#include <QMap>

namespace {

// The parent columns of a foreign key that names none: the table's primary key, in key order.
QStringList primaryKey(Database &db, const QString &table)
{
    Statement s = db.prepare(
        QStringLiteral("SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk"));
    s.bind(1, table);
    QStringList columns;
    while (s.step())
        columns << s.columnText(0);
    return columns;
}

QStringList columnsOf(Database &db, const QString &table)
{
    Statement s = db.prepare(QStringLiteral("SELECT lower(name) FROM pragma_table_info(?1)"));
    s.bind(1, table);
    QStringList columns;
    while (s.step())
        columns << s.columnText(0);
    return columns;
}

struct ForeignKey
{
    QStringList from; // the child's columns
    QStringList to; // the parent's, empty for its primary key
};

// The keys of `child` that name `parent`, by key id.
QList<ForeignKey> keysNaming(Database &db, const QString &child, const QString &parent)
{
    Statement s
        = db.prepare(QStringLiteral("SELECT id, \"from\", \"to\" FROM pragma_foreign_key_list(?1) "
                                    "WHERE \"table\" = ?2 COLLATE NOCASE ORDER BY id, seq"));
    s.bind(1, child);
    s.bind(2, parent);
    QMap<qint64, ForeignKey> keys;
    while (s.step()) {
        ForeignKey &key = keys[s.columnInt64(0)];
        key.from << s.columnText(1);
        if (!s.isNull(2))
            key.to << s.columnText(2);
    }
    return keys.values();
}

// "EXISTS (the parent record the child's key names)"; empty when the key cannot be followed.
// The parent's column comes first, so its collation decides, as in SQLite's own key checks.
QString refersCondition(Database &db, const ForeignKey &key, const QString &parent)
{
    const QStringList to = key.to.isEmpty() ? primaryKey(db, parent) : key.to;
    const QStringList parentColumns = columnsOf(db, parent);
    if (to.size() != key.from.size())
        return {};
    QStringList equal;
    for (qsizetype i = 0; i < to.size(); ++i) {
        if (!parentColumns.contains(to[i].toLower()))
            return {};
        equal << QStringLiteral("p.%1 = c.%2")
                     .arg(Database::quote(to[i]), Database::quote(key.from[i]));
    }
    return QStringLiteral("EXISTS (SELECT 1 FROM %1 AS p WHERE %2)")
        .arg(Database::quote(parent), equal.join(QStringLiteral(" AND ")));
}

} // namespace

namespace RelatedRecords {

QList<Referrer> referringTo(Database &db, const QString &table)
{
    Statement tables = db.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> ?1 COLLATE NOCASE "
        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
        "AND sql LIKE '%REFERENCES%' ORDER BY rowid"));
    tables.bind(1, table);
    QStringList children;
    while (tables.step())
        children << tables.columnText(0);

    QList<Referrer> referrers;
    for (const QString &child : std::as_const(children)) {
        QStringList conditions;
        for (const ForeignKey &key : keysNaming(db, child, table)) {
            const QString condition = refersCondition(db, key, table);
            if (!condition.isEmpty())
                conditions << condition;
        }
        if (conditions.isEmpty())
            continue;
        Statement count
            = db.prepare(QStringLiteral("SELECT count(*) FROM %1 AS c WHERE %2")
                             .arg(Database::quote(child), conditions.join(QStringLiteral(" OR "))));
        const qint64 records = count.step() ? count.columnInt64(0) : 0;
        if (records > 0)
            referrers.append({child, records});
    }
    return referrers;
}

} // namespace RelatedRecords
