#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <chrono>

struct Alias;

// How to reach a PostgreSQL server: the libpq settings (keyword and value) of a connection,
// composed from an alias. The user's own settings pass through untouched (TLS among them); Tabvale
// adds its application name and a connect timeout unless the alias gives its own, and always
// asks for UTF-8. A password never comes from here: libpq reads ~/.pgpass or the service file,
// and PgConnection asks through PgPasswords when the server wants one neither holds.
class PgConnectionInfo
{
    Q_DECLARE_TR_FUNCTIONS(PgConnectionInfo)

public:
    using Setting = QPair<QByteArray, QByteArray>;

    static constexpr int DefaultConnectTimeoutSeconds = 10;
    static constexpr std::chrono::milliseconds DefaultStatementTimeout {60000};

    // From an alias's Service= and ConnInfo= (ConnInfo's settings win over the service file's).
    // Raises EngineError when ConnInfo cannot be read, holds a password, or neither is given.
    static PgConnectionInfo fromAlias(const Alias &alias);
    // From a libpq key/value string or a postgresql:// URI; displayName names the server in
    // messages. Raises like fromAlias.
    static PgConnectionInfo fromString(const QString &connInfo, const QString &displayName);
    // Raises EngineError when the text is not a libpq connection string or URI, or holds a
    // password (which must never be written to the alias file). aliasName is for the message.
    static void checkForAlias(const QString &connInfo, const QString &aliasName);

    QString displayName() const { return m_displayName; }
    QList<Setting> settings() const { return m_settings; }
    QByteArray value(const QByteArray &keyword) const; // empty when not set
    bool has(const QByteArray &keyword) const;
    void set(const QByteArray &keyword, const QByteArray &value);

    // Seconds to wait for the server to answer a connection attempt; 0 waits for ever.
    int connectTimeoutSeconds() const;
    // The longest a command may run, unless the connection's own settings (options, the role or
    // the database) already give a statement timeout.
    std::chrono::milliseconds statementTimeout() const { return m_statementTimeout; }
    void setStatementTimeout(std::chrono::milliseconds timeout) { m_statementTimeout = timeout; }

private:
    static QList<Setting> parse(const QString &connInfo, const QString &aliasName);
    void addDefaults();

    QString m_displayName;
    QList<Setting> m_settings;
    std::chrono::milliseconds m_statementTimeout = DefaultStatementTimeout;
};
