#include "engine/PgConnectionInfo.h"

#include "engine/AliasRegistry.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <libpq-fe.h>

QList<PgConnectionInfo::Setting> PgConnectionInfo::parse(
    const QString &connInfo, const QString &aliasName)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(connInfo.toUtf8().constData(), &error);
    if (!options) {
        // libpq's reason names the keyword or the place where reading stopped.
        const QString reason = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        throw EngineError(tr("The connection settings of “%1” cannot be read (%2). Write them as "
                             "key=value pairs or as a postgresql:// address.")
                              .arg(aliasName, reason));
    }
    QList<Setting> settings;
    bool password = false;
    for (const PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        if (qstrcmp(o->keyword, "password") == 0)
            password = true;
        else
            settings.append({QByteArray(o->keyword), QByteArray(o->val)});
    }
    PQconninfoFree(options);
    if (password)
        throw EngineError(
            tr("The connection settings of “%1” hold a password. Tabvale does not keep "
               "passwords in its alias file: put it in ~/.pgpass or in the service "
               "file, or leave it out and Tabvale asks for it.")
                .arg(aliasName));
    return settings;
}

void PgConnectionInfo::checkForAlias(const QString &connInfo, const QString &aliasName)
{
    parse(connInfo, aliasName);
}

PgConnectionInfo PgConnectionInfo::fromAlias(const Alias &alias)
{
    if (alias.service.isEmpty() && alias.connInfo.isEmpty())
        throw EngineError(tr("The database “%1” names no server: its alias needs Service= (a name "
                             "from the PostgreSQL service file) or ConnInfo=.")
                              .arg(alias.name));
    PgConnectionInfo info;
    info.m_displayName = alias.name;
    if (!alias.connInfo.isEmpty())
        info.m_settings = parse(alias.connInfo, alias.name);
    if (!alias.service.isEmpty())
        info.set("service", alias.service.toUtf8());
    info.addDefaults();
    return info;
}

PgConnectionInfo PgConnectionInfo::fromString(const QString &connInfo, const QString &displayName)
{
    PgConnectionInfo info;
    info.m_displayName = displayName;
    info.m_settings = parse(connInfo, displayName);
    info.addDefaults();
    return info;
}

void PgConnectionInfo::addDefaults()
{
    if (!has("application_name"))
        set("application_name", "Tabvale");
    if (!has("connect_timeout"))
        set("connect_timeout", QByteArray::number(DefaultConnectTimeoutSeconds));
    // Every text crosses the wire as UTF-8, whatever the server or the environment would pick.
    set("client_encoding", "UTF8");
}

QByteArray PgConnectionInfo::value(const QByteArray &keyword) const
{
    for (const Setting &s : m_settings) {
        if (s.first == keyword)
            return s.second;
    }
    return {};
}

bool PgConnectionInfo::has(const QByteArray &keyword) const
{
    return std::any_of(m_settings.cbegin(), m_settings.cend(),
        [&](const Setting &s) { return s.first == keyword; });
}

void PgConnectionInfo::set(const QByteArray &keyword, const QByteArray &value)
{
    for (Setting &s : m_settings) {
        if (s.first == keyword) {
            s.second = value;
            return;
        }
    }
    m_settings.append({keyword, value});
}

int PgConnectionInfo::connectTimeoutSeconds() const
{
    // As libpq reads it: none or not above zero waits for ever, and 1 second is taken as 2.
    bool ok = false;
    const int seconds = value("connect_timeout").trimmed().toInt(&ok);
    if (!ok || seconds <= 0)
        return 0;
    return std::max(seconds, 2);
}
