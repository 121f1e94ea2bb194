#include "engine/PgCatalog.h"

#include "engine/AliasRegistry.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/PgConnection.h"

#include <QHash>
#include <QThread>

namespace {

thread_local QHash<QString, std::weak_ptr<PgConnection>> connections;

// The name a user sees: the bare name when the search path finds the table by it.
const char *const ShownName = "CASE WHEN pg_table_is_visible(c.oid) THEN c.relname::text "
                              "ELSE n.nspname || '.' || c.relname END";

const char *const BrowsableTables = "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                                    "WHERE c.relkind IN ('r', 'p') AND NOT c.relispartition "
                                    "AND n.nspname = ANY (current_schemas(false))";

// The field-type code of a base type; asText for the types the engine keeps as their text.
int codeOf(const QString &type, bool autoIncrement, int typmod, int *size, bool *asText)
{
    *size = 0;
    *asText = false;
    if (type == u"int2")
        return autoIncrement ? ftAutoInc : ftSmallint;
    if (type == u"int4" || type == u"int8")
        return autoIncrement ? ftAutoInc : ftInteger;
    if (type == u"bool")
        return ftBoolean;
    if (type == u"float4" || type == u"float8")
        return ftFloat;
    if (type == u"numeric")
        return ftBCD;
    if (type == u"money")
        return ftCurrency;
    if (type == u"date")
        return ftDate;
    if (type == u"time")
        return ftTime;
    if (type == u"timestamp" || type == u"timestamptz")
        return ftDateTime;
    if (type == u"bytea")
        return ftBlob;
    if (type == u"varchar" || type == u"bpchar") {
        *size = typmod > 4 ? typmod - 4 : 0;
        return ftString;
    }
    *asText = type != u"text";
    return ftString;
}

} // namespace

std::shared_ptr<PgConnection> PgCatalog::connection(const Alias &alias)
{
    if (auto held = connections.value(alias.name).lock())
        return held;
    auto conn = std::make_shared<PgConnection>(PgConnectionInfo::fromAlias(alias));
    connections.insert(alias.name, conn);
    return conn;
}

QStringList PgCatalog::tableNames(PgConnection &conn)
{
    // Maintenance's own "$$$" tables come last, as on SQLite, so they never become the first table.
    const PgResult r = conn.exec(QStringLiteral("SELECT %1 %2 "
                                                "ORDER BY left(c.relname, 3) = '$$$', "
                                                "array_position(current_schemas(false), "
                                                "n.nspname), c.relname")
                                     .arg(QLatin1String(ShownName), QLatin1String(BrowsableTables)));
    QStringList names;
    for (int row = 0; row < r.rowCount(); ++row)
        names << r.text(row, 0);
    return names;
}

PgCatalog::Table PgCatalog::find(PgConnection &conn, const QString &name, const QString &alias)
{
    const PgResult r = conn.exec(
        QStringLiteral("SELECT c.oid, format('%I.%I', n.nspname, c.relname) %1 AND %2 = $1")
            .arg(QLatin1String(BrowsableTables), QLatin1String(ShownName)),
        {name});
    if (r.rowCount() == 0)
        throw EngineError(tr("The table “%1” does not exist in the database “%2”.").arg(name, alias));
    return {r.text(0, 0), r.text(0, 1)};
}

QList<PgCatalog::Field> PgCatalog::fields(PgConnection &conn, const Table &table)
{
    const PgResult r = conn.exec(
        QStringLiteral(
            "SELECT a.attname, format_type(a.atttypid, a.atttypmod), "
            "CASE WHEN t.typtype = 'd' THEN bt.typname ELSE t.typname END, "
            "CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END, "
            "coalesce((SELECT k.place FROM unnest(i.indkey) WITH ORDINALITY AS k(attnum, place) "
            "WHERE k.attnum = a.attnum), 0), "
            "a.attidentity <> '' OR coalesce(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false) "
            "FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid "
            "LEFT JOIN pg_type bt ON t.typtype = 'd' AND bt.oid = t.typbasetype "
            "LEFT JOIN pg_index i ON i.indrelid = a.attrelid AND i.indisprimary "
            "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped "
            "AND a.attgenerated = '' ORDER BY a.attnum"),
        {table.oid});
    QList<Field> fields;
    for (int row = 0; row < r.rowCount(); ++row) {
        Field f;
        f.def.name = r.text(row, 0);
        f.def.declaredType = r.text(row, 1);
        f.typeName = r.text(row, 2);
        f.def.primaryKey = int(r.int64(row, 4));
        const bool autoIncrement = r.text(row, 5) == u"t";
        f.code = codeOf(f.typeName, autoIncrement, int(r.int64(row, 3)), &f.size, &f.asText);
        fields << f;
    }
    return fields;
}
