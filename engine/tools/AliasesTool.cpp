// tabvale-aliases: lists, adds and removes the database aliases Tabvale offers.
#include "engine/AliasRegistry.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "translations/MessageLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << QCoreApplication::translate("AliasesTool",
        "Usage:\n"
        "  tabvale-aliases list                       show every alias and its database\n"
        "  tabvale-aliases add [--create] NAME PATH   add an alias for the SQLite file PATH\n"
        "                                             (--create makes an empty database there)\n"
        "  tabvale-aliases add NAME postgresql://...  add an alias for a PostgreSQL database\n"
        "  tabvale-aliases add NAME --conninfo TEXT   ... named by libpq settings instead\n"
        "  tabvale-aliases add NAME --service NAME    ... named by a pg_service.conf service\n"
        "                                             (no password: keep it in ~/.pgpass)\n"
        "  tabvale-aliases remove NAME                remove an alias (the database stays)\n"
        "The aliases are kept in %1\n")
                 .arg(QDir::toNativeSeparators(AliasRegistry::aliasFilePath()));
    err().flush();
    return 2;
}

// libpq's two spellings of a connection URI.
bool isServerAddress(const QString &text)
{
    return text.startsWith(u"postgresql://") || text.startsWith(u"postgres://");
}

// Where an alias's database is, as the list shows it.
QString location(const Alias &a)
{
    if (!a.isServer())
        return QDir::toNativeSeparators(a.path);
    QStringList parts;
    if (!a.connInfo.isEmpty())
        parts << a.connInfo;
    if (!a.service.isEmpty())
        parts << QStringLiteral("service=") + a.service;
    return parts.join(QLatin1Char(' '));
}

// The server is not asked: it may be down now, or want a password only a window can ask for.
int addServer(const QString &name, const QString &service, const QString &connInfo)
{
    Alias alias;
    alias.name = name;
    alias.driver = QStringLiteral("PGSQL");
    alias.service = service;
    alias.connInfo = connInfo;
    alias.pictureForm = QStringLiteral("file"); // as every alias this tool adds
    AliasRegistry::add(alias);
    out() << QCoreApplication::translate("AliasesTool", "Added %1 -> %2\n").arg(alias.name, location(alias));
    return 0;
}

int run(const QStringList &args)
{
    if (args.isEmpty())
        return usage();
    const QString command = args.first();
    if (command == u"list" && args.size() == 1) {
        for (const Alias &a : AliasRegistry::load())
            out() << a.name << '\t' << a.driver << '\t' << location(a) << '\n';
        return 0;
    }
    if (command == u"add") {
        QStringList rest = args.mid(1);
        if (rest.size() == 3 && rest[1] == u"--service")
            return addServer(rest[0], rest[2], {});
        if (rest.size() == 3 && rest[1] == u"--conninfo")
            return addServer(rest[0], {}, rest[2]);
        if (rest.size() == 2 && isServerAddress(rest[1]))
            return addServer(rest[0], {}, rest[1]);
        const bool create = rest.removeAll(QStringLiteral("--create")) > 0;
        if (rest.size() != 2)
            return usage();
        Alias alias;
        alias.name = rest[0];
        alias.path = QFileInfo(rest[1]).absoluteFilePath();
        alias.pictureForm = QStringLiteral("file"); // new aliases keep picture files as they are
        if (!QFileInfo::exists(alias.path)) {
            if (!create)
                throw EngineError(
                    QCoreApplication::translate("AliasesTool", "The file “%1” does not exist (add --create to make an "
                                   "empty database there).")
                        .arg(QDir::toNativeSeparators(alias.path)));
            Database::create(alias.path, Database::PictureFilesPageSize);
        } else {
            Database::open(alias.path); // refuses a file that is not a database
        }
        AliasRegistry::add(alias);
        out() << QCoreApplication::translate("AliasesTool", "Added %1 -> %2\n")
                     .arg(alias.name, QDir::toNativeSeparators(alias.path));
        return 0;
    }
    if (command == u"remove" && args.size() == 2) {
        AliasRegistry::remove(args[1]);
        out() << QCoreApplication::translate("AliasesTool", "Removed %1\n").arg(args[1]);
        return 0;
    }
    return usage();
}

} // namespace

int main(int argc, char **argv)
{
    // No GUI application: samples made from here (a first start through this tool) carry their
    // numbers but no written captions, which need fonts.
    QCoreApplication app(argc, argv);
    MessageLanguage::installForTool(app);
    try {
        const int code = run(app.arguments().mid(1));
        out().flush();
        return code;
    } catch (const EngineError &e) {
        out().flush();
        err() << "tabvale-aliases: " << e.message() << '\n';
        return 1;
    }
}
