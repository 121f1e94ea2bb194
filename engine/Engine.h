#pragma once

#include "engine/FieldBytesReader.h"
#include "picture/PictureSource.h"

#include <QStringList>
#include <memory>

class Database;
class TableDriver;

// The engine's catalogue: aliases and what they hold. Every failure raises EngineError.
namespace Engine {

// All alias names in engine (file) order. Creates the alias file with the sample alias when
// missing.
QStringList aliasNames();

// The tables of an alias in creation order, system tables left out. A name is the whole stored
// name.
QStringList tableNames(const QString &alias);

// The field names of a table in field order.
QStringList fieldNames(const QString &alias, const QString &table);

// The calling thread's connection to the alias's database (one per alias per thread). Raises for
// an unknown alias, another driver, or a missing database file.
std::shared_ptr<Database> database(const QString &alias);

// The table of an alias as a table object reads and writes it, on the calling thread's
// connection; nothing of the table is read yet. Raises for an unknown alias or a missing
// database file.
std::unique_ptr<TableDriver> tableDriver(const QString &alias, const QString &table);

// Where a worker reads the alias's records on a connection of its own (see FieldBytesReader).
RecordSource recordSource(const QString &alias);

// How the alias stores pictures (see AliasRegistry::pictureForm); raises for an unknown alias or
// form.
PictureForm pictureForm(const QString &alias);

} // namespace Engine
