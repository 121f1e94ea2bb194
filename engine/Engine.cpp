#include "engine/Engine.h"

#include "engine/AliasRegistry.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FieldBytesReader.h"
#include "engine/PgCatalog.h"
#include "engine/PgTableDriver.h"
#include "engine/SqliteTableDriver.h"
#include "engine/TableSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Engine {

QStringList aliasNames()
{
    QStringList names;
    for (const Alias &a : AliasRegistry::load())
        names << a.name;
    return names;
}

QStringList tableNames(const QString &alias)
{
    const Alias a = AliasRegistry::find(alias);
    if (a.isServer())
        return PgCatalog::tableNames(*PgCatalog::connection(a));
    const auto db = database(alias);
    // sqlite_master lists tables in the order they were made; maintenance rebuilds a table in
    // place, so it keeps its place. The tables named "$$$..." are maintenance's own (the backup,
    // made anew by each emptying): they come last, by name, so they never move the user's tables
    // nor become the first table. Views, virtual tables and their shadow tables, and tables
    // without a rowid (records are kept and marked by rowid) are left out: they cannot be browsed
    // and edited record by record here.
    Statement s = db->prepare(
        QStringLiteral("SELECT m.name FROM sqlite_master AS m JOIN pragma_table_list AS l "
                       "ON l.schema = 'main' AND l.name = m.name "
                       "WHERE m.type = 'table' AND l.type = 'table' AND l.wr = 0 "
                       "AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                       "ORDER BY substr(m.name, 1, 3) = '$$$', "
                       "CASE WHEN substr(m.name, 1, 3) = '$$$' THEN m.name END, m.rowid"));
    QStringList names;
    while (s.step())
        names << s.columnText(0);
    return names;
}

QStringList fieldNames(const QString &alias, const QString &table)
{
    QStringList names;
    const Alias a = AliasRegistry::find(alias);
    if (a.isServer()) {
        const auto conn = PgCatalog::connection(a);
        for (const PgCatalog::Field &f : PgCatalog::fields(*conn, PgCatalog::find(*conn, table, alias)))
            names << f.def.name;
        return names;
    }
    const auto db = database(alias);
    for (const TFieldDef &f : TableSchema::readFields(*db, table, alias))
        names << f.name;
    return names;
}

std::shared_ptr<Database> database(const QString &alias)
{
    const Alias a = AliasRegistry::find(alias);
    if (a.isServer())
        throw EngineError(QCoreApplication::translate("Engine",
            "The database “%1” is on a PostgreSQL server; this command works only on SQLite "
            "database files for now. Nothing was changed.")
                              .arg(a.name));
    if (a.driver.compare(u"SQLITE", Qt::CaseInsensitive) != 0)
        throw EngineError(
            QCoreApplication::translate("Engine", "The database “%1” uses the driver “%2”, which Tabvale does not know (it knows SQLITE and PGSQL).")
                .arg(a.name, a.driver));
    if (a.path.isEmpty())
        throw EngineError(
            QCoreApplication::translate("Engine", "The database “%1” names no database file (Path= is empty).")
                .arg(a.name));
    if (!QFileInfo::exists(a.path))
        throw EngineError(
            QCoreApplication::translate("Engine", "The database file “%2” of the database “%1” does not exist.")
                .arg(a.name, QDir::toNativeSeparators(a.path)));
    return Database::open(a.path);
}

std::unique_ptr<TableDriver> tableDriver(const QString &alias, const QString &table)
{
    const Alias a = AliasRegistry::find(alias);
    if (a.isServer())
        return std::make_unique<PgTableDriver>(PgCatalog::connection(a), table, alias);
    return std::make_unique<SqliteTableDriver>(database(alias), table, alias);
}

RecordSource recordSource(const QString &alias)
{
    RecordSource source;
    if (AliasRegistry::find(alias).isServer())
        source.serverAlias = alias;
    else
        source.databasePath = database(alias)->path();
    return source;
}

PictureForm pictureForm(const QString &alias)
{
    return AliasRegistry::pictureForm(AliasRegistry::find(alias));
}

} // namespace Engine
