#pragma once

#include "picture/PictureSource.h"

#include <QCoreApplication>
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
    // How pictures are stored ("bitmap" or "file"); empty writes no key, which means bitmap.
    QString pictureForm;
};

// The alias file: an INI file, one section per alias, kept in file order.
// Location: $TABVALE_ALIASES, else <XDG config home>/Tabvale/aliases.conf.
class AliasRegistry
{
    Q_DECLARE_TR_FUNCTIONS(AliasRegistry)

public:
    static QString aliasFilePath();

    // Reads the file; when it does not exist, creates it with the alias "Samples" and builds the
    // sample database and picture folder first.
    static QList<Alias> load();
    static Alias find(const QString &name); // raises EngineError when unknown

    // The alias's PictureForm key: "bitmap" or "file" in any letter case, missing = bitmap. Any
    // other value raises EngineError naming the alias file, so no picture is stored in a form
    // nobody chose.
    static PictureForm pictureForm(const Alias &alias);

    // Administration (the tabvale-aliases tool): names are unique, compared exactly.
    static void add(const Alias &alias);
    static void remove(const QString &name);

    // The alias for a database file the user opens with the program: the alias whose file is the
    // same file (canonical paths compared) when there is one, else a new alias named after the
    // file (see freeName) that keeps picture files as they are. Raises EngineError, and adds
    // nothing, when the file is missing, unreadable or not a SQLite database.
    static Alias aliasForFile(const QString &path);
    // base when no alias has that name, else "base (2)", "base (3)", ... (names compared exactly).
    static QString freeName(const QString &base, const QList<Alias> &aliases);

private:
    static QList<Alias> read(const QString &file);
    static void write(const QString &file, const QList<Alias> &aliases);
};
