#include "TableSchema.h"

#include "Database.h"
#include "EngineError.h"
#include "FieldType.h"

#include <QSet>

namespace {

QString fieldList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &n : names)
        quoted << Database::quote(n);
    return quoted.join(QStringLiteral(", "));
}

bool indexNameTaken(Database &db, const QString &name)
{
    Statement s = db.prepare(QStringLiteral(
        "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ? COLLATE NOCASE"));
    s.bind(1, name);
    return s.step();
}

} // namespace

namespace TableSchema {

QList<TFieldDef> readFields(Database &db, const QString &table, const QString &alias)
{
    if (!db.tableExists(table))
        throw EngineError(QStringLiteral("The table “%1” does not exist in the database “%2”.")
                              .arg(table, alias));
    Statement s = db.prepare(QStringLiteral(
        "SELECT name, type, \"notnull\", dflt_value, pk, hidden FROM pragma_table_xinfo(?)"));
    s.bind(1, table);
    QList<TFieldDef> fields;
    while (s.step()) {
        if (s.columnInt64(5) != 0)
            continue;
        TFieldDef def;
        def.name = s.columnText(0);
        def.declaredType = s.columnText(1);
        def.required = s.columnInt64(2) != 0;
        def.defaultValue = s.isNull(3) ? QString() : s.columnText(3);
        def.primaryKey = int(s.columnInt64(4));
        fields << def;
    }
    return fields;
}

QList<TIndexDef> readIndexes(Database &db, const QString &table)
{
    Statement list = db.prepare(QStringLiteral(
        "SELECT name, \"unique\", origin FROM pragma_index_list(?) ORDER BY seq DESC"));
    list.bind(1, table);
    QList<TIndexDef> indexes;
    while (list.step()) {
        const QString origin = list.columnText(2);
        if (origin == u"pk")
            continue; // the primary key travels with the field definitions
        TIndexDef def;
        def.name = list.columnText(0);
        def.unique = list.columnInt64(1) != 0;
        Statement info
            = db.prepare(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"));
        info.bind(1, def.name);
        bool onExpression = false;
        while (info.step()) {
            if (info.isNull(0))
                onExpression = true;
            def.fields << info.columnText(0);
        }
        if (onExpression || def.fields.isEmpty())
            continue;
        // Constraint indexes carry SQLite's own names; a copy gets a name of its own.
        if (origin == u"u")
            def.name = table + QStringLiteral(" unique ") + def.fields.join(QLatin1Char(' '));
        indexes << def;
    }
    return indexes;
}

int fieldCode(Database &db, const QString &table, const TFieldDef &def, int *size)
{
    const int code = fieldTypeCodeFor(def.declaredType, size);
    if (!def.declaredType.trimmed().isEmpty())
        return code;
    // typeof() is answered from the record header, so no picture is read to find out.
    const QString col = Database::quote(def.name);
    Statement s
        = db.prepare(QStringLiteral("SELECT typeof(%1) FROM %2 WHERE typeof(%1) <> 'null' LIMIT 1")
                         .arg(col, Database::quote(table)));
    if (s.step() && s.columnText(0) == u"blob")
        return ftBlob;
    return code;
}

QString rowidColumn(Database &db, const QList<TFieldDef> &fields, const QString &table)
{
    QSet<QString> names;
    for (const TFieldDef &f : fields)
        names.insert(f.name.toLower());
    for (const char *candidate : {"rowid", "_rowid_", "oid"}) {
        if (names.contains(QLatin1String(candidate)))
            continue;
        const QString name = QLatin1String(candidate);
        try {
            db.prepare(
                QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(name, Database::quote(table)));
        } catch (const EngineError &) {
            break; // WITHOUT ROWID
        }
        return name;
    }
    throw EngineError(
        QStringLiteral("The table “%1” has no rowid (a WITHOUT ROWID table, or columns "
                       "named rowid, _rowid_ and oid); Tabvale cannot tell its records apart.")
            .arg(table));
}

void create(Database &db, const QString &table, const QList<TFieldDef> &fields,
    const QList<TIndexDef> &indexes)
{
    if (fields.isEmpty())
        throw EngineError(
            QStringLiteral("The table “%1” cannot be created without fields.").arg(table));
    QStringList columns;
    QStringList key;
    QSet<QString> seen;
    QList<TFieldDef> keyed;
    for (const TFieldDef &f : fields) {
        if (f.name.isEmpty())
            throw EngineError(QStringLiteral("A field of the table “%1” has no name.").arg(table));
        if (seen.contains(f.name.toLower()))
            throw EngineError(QStringLiteral("The table “%1” cannot have two fields named “%2”.")
                                  .arg(table, f.name));
        seen.insert(f.name.toLower());
        QString column = Database::quote(f.name);
        if (!f.declaredType.trimmed().isEmpty())
            column += QLatin1Char(' ') + f.declaredType;
        if (f.required)
            column += QStringLiteral(" NOT NULL");
        if (!f.defaultValue.isEmpty())
            column += QStringLiteral(" DEFAULT ") + f.defaultValue;
        columns << column;
        if (f.primaryKey > 0)
            keyed << f;
    }
    std::sort(keyed.begin(), keyed.end(),
        [](const TFieldDef &a, const TFieldDef &b) { return a.primaryKey < b.primaryKey; });
    for (const TFieldDef &f : std::as_const(keyed))
        key << f.name;
    if (!key.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(fieldList(key));
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                .arg(Database::quote(table), columns.join(QStringLiteral(", "))));

    for (const TIndexDef &index : indexes) {
        QString name = index.name.isEmpty() ? table + QStringLiteral(" index") : index.name;
        if (indexNameTaken(db, name))
            name = table + QLatin1Char(' ') + name;
        const QString base = name;
        for (int n = 2; indexNameTaken(db, name); ++n)
            name = base + QLatin1Char(' ') + QString::number(n);
        db.exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                    .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                        Database::quote(name), Database::quote(table), fieldList(index.fields)));
    }
}

} // namespace TableSchema
