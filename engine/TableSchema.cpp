#include "engine/TableSchema.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"

#include <QCoreApplication>
#include <QSet>

namespace TableSchema {

QList<TFieldDef> readFields(Database &db, const QString &table, const QString &alias)
{
    if (!db.tableExists(table))
        throw EngineError(QCoreApplication::translate("TableSchema", "The table “%1” does not exist in the database “%2”.")
                              .arg(table, alias));
    Statement s
        = db.prepare(QStringLiteral("SELECT name, type, pk, hidden FROM pragma_table_xinfo(?)"));
    s.bind(1, table);
    QList<TFieldDef> fields;
    while (s.step()) {
        if (s.columnInt64(3) != 0)
            continue;
        TFieldDef def;
        def.name = s.columnText(0);
        def.declaredType = s.columnText(1);
        def.primaryKey = int(s.columnInt64(2));
        fields << def;
    }
    return fields;
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
        QCoreApplication::translate("TableSchema", "The table “%1” has no rowid (a WITHOUT ROWID table, or columns "
                       "named rowid, _rowid_ and oid); Tabvale cannot tell its records apart.")
            .arg(table));
}

} // namespace TableSchema
