#pragma once

#include <QList>
#include <QString>

struct Alias
{
    QString name;
    QString driver = QStringLiteral("SQLITE"); // or PGSQL
    QString path; // the SQLite database file
    // PGSQL: the server, by a libpq service name (pg_service.conf), a libpq connection string or
    // postgresql:// URI, or both (the string's settings win). Never a password.
    QString service;
    QString connInfo;

    bool isServer() const { return driver.compare(u"PGSQL", Qt::CaseInsensitive) == 0; }
};

// The alias file: an INI file, one section per alias, kept in file order.
// Location: $TABVALE_ALIASES, else <XDG config home>/Tabvale/aliases.conf.
class AliasRegistry
{
public:
    static QString aliasFilePath();

    // Reads the file; when it does not exist, creates it with the alias "Samples" and builds the
    // sample database and picture folder first.
    static QList<Alias> load();
    static Alias find(const QString &name); // raises EngineError when unknown

    // Administration (the tabvale-aliases tool): names are unique, compared exactly.
    static void add(const Alias &alias);
    static void remove(const QString &name);

private:
    static QList<Alias> read(const QString &file);
    static void write(const QString &file, const QList<Alias> &aliases);
};
