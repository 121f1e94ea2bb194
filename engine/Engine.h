#pragma once

#include <QStringList>

// The engine's catalogue: aliases and what they hold. Every failure raises EngineError.
namespace Engine {

// All alias names in engine (file) order. Creates the alias file with the sample alias when missing.
QStringList aliasNames();

// The tables of an alias in creation order, system tables left out. A name is the whole stored name.
QStringList tableNames(const QString &alias);

// The field names of a table in field order.
QStringList fieldNames(const QString &alias, const QString &table);

} // namespace Engine
