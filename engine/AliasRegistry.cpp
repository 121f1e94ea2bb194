#include "engine/AliasRegistry.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/PgConnectionInfo.h"
#include "engine/SampleDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString SampleAlias = QStringLiteral("Samples");

// Names and paths may hold anything; the few characters a line cannot carry are escaped, and so
// are spaces at either end (lines are trimmed when read, so hand-written files may indent).
QString escaped(const QString &text)
{
    QString out;
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            out += c;
        }
    }
    qsizetype lead = 0;
    while (lead < out.size() && out.at(lead) == QLatin1Char(' '))
        ++lead;
    qsizetype trail = 0;
    while (trail < out.size() - lead && out.at(out.size() - 1 - trail) == QLatin1Char(' '))
        ++trail;
    const QString space = QStringLiteral("\\s");
    return space.repeated(lead) + out.mid(lead, out.size() - lead - trail) + space.repeated(trail);
}

QString unescaped(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text.at(++i);
        switch (n.unicode()) {
        case '\\':
            out += QLatin1Char('\\');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 's':
            out += QLatin1Char(' ');
            break;
        default: // not ours: keep it as written (Windows paths)
            out += c;
            out += n;
        }
    }
    return out;
}

QString defaultAliasFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tabvale/aliases.conf");
}

QString sampleFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tabvale");
}

// A relative path is taken from the alias file's folder.
QList<Alias> resolved(QList<Alias> aliases, const QString &file)
{
    const QDir base = QFileInfo(file).absoluteDir();
    for (Alias &a : aliases) {
        if (!a.path.isEmpty())
            a.path = QDir::cleanPath(base.absoluteFilePath(a.path));
    }
    return aliases;
}

// The checks a file the user names must pass before it becomes an alias; each failure says which.
void checkDatabaseFile(const QFileInfo &info)
{
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists())
        throw EngineError(AliasRegistry::tr("The file “%1” does not exist.").arg(shown));
    if (!info.isFile())
        throw EngineError(AliasRegistry::tr("“%1” is a folder, not a SQLite database.").arg(shown));
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(
            AliasRegistry::tr("The file “%1” cannot be read: you may not have permission to read "
                              "it.")
                .arg(shown));
    // Every SQLite database file starts with this header (an empty file holds no database).
    static const QByteArray header("SQLite format 3", 16);
    if (file.read(header.size()) != header)
        throw EngineError(
            AliasRegistry::tr("“%1” is not a SQLite database, so Tabvale cannot open it.")
                .arg(shown));
    Database::open(info.absoluteFilePath()); // a damaged database says so here
}

} // namespace

QString AliasRegistry::aliasFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("TABVALE_ALIASES");
    return fromEnvironment.isEmpty() ? defaultAliasFilePath() : fromEnvironment;
}

QList<Alias> AliasRegistry::load()
{
    const QString file = aliasFilePath();
    if (!QFileInfo::exists(file)) {
        const QString folder = sampleFolder();
        const QString database = folder + QStringLiteral("/Samples.sqlite");
        SampleDatabase::build(database);
        SampleDatabase::writePictures(folder + QStringLiteral("/Pictures"));
        Alias samples;
        samples.name = SampleAlias;
        samples.path = database;
        write(file, {samples});
    }
    return resolved(read(file), file);
}

Alias AliasRegistry::find(const QString &name)
{
    const QList<Alias> aliases = load();
    for (const Alias &a : aliases) {
        if (a.name == name)
            return a;
    }
    throw EngineError(
        QCoreApplication::translate("AliasRegistry", "There is no database alias “%1” (the aliases are kept in “%2”).")
            .arg(name, QDir::toNativeSeparators(aliasFilePath())));
}

PictureForm AliasRegistry::pictureForm(const Alias &alias)
{
    const QString form = alias.pictureForm.trimmed();
    if (form.isEmpty() || form.compare(u"bitmap", Qt::CaseInsensitive) == 0)
        return PictureForm::Bitmap;
    if (form.compare(u"file", Qt::CaseInsensitive) == 0)
        return PictureForm::File;
    throw EngineError(tr("The database alias “%1” asks for the picture form “%2”, which Tabvale does "
                         "not know: write PictureForm=bitmap or PictureForm=file in “%3”.")
                          .arg(alias.name, form, QDir::toNativeSeparators(aliasFilePath())));
}

void AliasRegistry::add(const Alias &alias)
{
    if (alias.name.trimmed().isEmpty())
        throw EngineError(QCoreApplication::translate("AliasRegistry", "An alias needs a name."));
    if (alias.isServer())
        PgConnectionInfo::fromAlias(alias); // raises for no server, bad settings or a password
    else if (alias.path.isEmpty())
        throw EngineError(QCoreApplication::translate("AliasRegistry", "The alias “%1” needs a database file.").arg(alias.name));
    load(); // a first start makes the file with its sample alias first
    const QString file = aliasFilePath();
    QList<Alias> aliases = read(file);
    for (const Alias &a : std::as_const(aliases)) {
        if (a.name == alias.name)
            throw EngineError(QCoreApplication::translate("AliasRegistry", "The alias “%1” already exists.").arg(alias.name));
    }
    aliases << alias;
    write(file, aliases);
}

void AliasRegistry::remove(const QString &name)
{
    const QString file = aliasFilePath();
    QList<Alias> aliases = QFileInfo::exists(file) ? read(file) : QList<Alias>();
    const auto it = std::find_if(
        aliases.begin(), aliases.end(), [&](const Alias &a) { return a.name == name; });
    if (it == aliases.end())
        throw EngineError(QCoreApplication::translate("AliasRegistry", "There is no database alias “%1”.").arg(name));
    aliases.erase(it);
    write(file, aliases);
}

Alias AliasRegistry::aliasForFile(const QString &path)
{
    const QFileInfo info(path);
    checkDatabaseFile(info);
    const QString canonical = info.canonicalFilePath();
    const QList<Alias> aliases = load();
    for (const Alias &a : aliases) {
        if (a.driver.compare(u"SQLITE", Qt::CaseInsensitive) == 0 && !a.path.isEmpty()
            && QFileInfo(a.path).canonicalFilePath() == canonical)
            return a;
    }
    Alias alias;
    const QString base = info.completeBaseName().trimmed();
    alias.name = freeName(base.isEmpty() ? info.fileName() : base, aliases);
    alias.path = info.absoluteFilePath();
    alias.pictureForm = QStringLiteral("file");
    add(alias);
    return alias;
}

QString AliasRegistry::freeName(const QString &base, const QList<Alias> &aliases)
{
    const auto taken = [&](const QString &name) {
        return std::any_of(
            aliases.cbegin(), aliases.cend(), [&](const Alias &a) { return a.name == name; });
    };
    QString name = base;
    for (int n = 2; taken(name); ++n)
        name = QStringLiteral("%1 (%2)").arg(base).arg(n);
    return name;
}

QList<Alias> AliasRegistry::read(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw EngineError(QCoreApplication::translate("AliasRegistry", "The alias file “%1” cannot be read: %2.")
                              .arg(QDir::toNativeSeparators(file), f.errorString()));
    QList<Alias> aliases;
    bool skipping = true; // before the first section, or in a repeated one
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))
            || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            Alias a;
            a.name = unescaped(line.mid(1, line.size() - 2).trimmed());
            skipping = std::any_of(aliases.cbegin(), aliases.cend(),
                [&](const Alias &known) { return known.name == a.name; });
            if (!skipping)
                aliases << a;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (skipping || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescaped(line.mid(eq + 1).trimmed());
        if (key.compare(u"Driver", Qt::CaseInsensitive) == 0)
            aliases.last().driver = value;
        else if (key.compare(u"Path", Qt::CaseInsensitive) == 0)
            aliases.last().path = value;
        else if (key.compare(u"Service", Qt::CaseInsensitive) == 0)
            aliases.last().service = value;
        else if (key.compare(u"ConnInfo", Qt::CaseInsensitive) == 0)
            aliases.last().connInfo = value;
        else if (key.compare(u"PictureForm", Qt::CaseInsensitive) == 0)
            aliases.last().pictureForm = value;
    }
    return aliases;
}

void AliasRegistry::write(const QString &file, const QList<Alias> &aliases)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QString text
        = QStringLiteral("# Tabvale's database aliases, in the order Tabvale lists them.\n");
    for (const Alias &a : aliases) {
        text += QStringLiteral("\n[%1]\nDriver=%2\n").arg(escaped(a.name), escaped(a.driver));
        if (!a.isServer() || !a.path.isEmpty())
            text += QStringLiteral("Path=%1\n").arg(escaped(a.path));
        if (!a.service.isEmpty())
            text += QStringLiteral("Service=%1\n").arg(escaped(a.service));
        if (!a.connInfo.isEmpty())
            text += QStringLiteral("ConnInfo=%1\n").arg(escaped(a.connInfo));
        if (!a.pictureForm.isEmpty())
            text += QStringLiteral("PictureForm=%1\n").arg(escaped(a.pictureForm));
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit())
        throw EngineError(QCoreApplication::translate("AliasRegistry", "The alias file “%1” cannot be written: %2.")
                              .arg(QDir::toNativeSeparators(file), out.errorString()));
}
