#pragma once

#include "engine/TableDriver.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

struct Alias;
class PgConnection;

// What a PostgreSQL server holds, as the engine shows it: the tables a user can browse and their
// fields. Every failure raises EngineError.
class PgCatalog
{
    Q_DECLARE_TR_FUNCTIONS(PgCatalog)

public:
    // The calling thread's connection to the alias's server (one per alias per thread while
    // someone holds it, like the SQLite files' connections).
    static std::shared_ptr<PgConnection> connection(const Alias &alias);

    // The base and partitioned tables (not partitions, not views) of the schemas on the search
    // path: first schema first, each by name. A table is named by its name alone when that
    // name finds it on the search path, else as schema.name.
    static QStringList tableNames(PgConnection &conn);

    // A table found by the name tableNames gives it.
    struct Table
    {
        QString oid;
        QString sql; // "schema"."name", quoted for SQL text
    };
    // Raises when no such table is on the search path.
    static Table find(PgConnection &conn, const QString &name, const QString &alias);

    // The table's fields in order, generated columns left out. keyColumns receives the primary
    // key's fields, in key order.
    struct Field
    {
        TFieldDef def;
        QString typeName; // the base type's name, e.g. "int4", "varchar", "bytea"
        int code = 0;
        int size = 0;
        bool asText = false; // a type the engine does not know: read and written as its text
    };
    static QList<Field> fields(PgConnection &conn, const Table &table);
};
