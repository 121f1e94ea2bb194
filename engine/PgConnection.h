#pragma once

#include "engine/PgConnectionInfo.h"
#include "engine/PgParameters.h"
#include "engine/PgResult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QSet>
#include <QString>
#include <memory>

struct pg_conn;
struct PgLogin;

// A connection to a PostgreSQL server (RAII over PGconn). Values always travel apart from the
// command text, and identifiers are quoted by libpq, so nothing a user typed is ever read as SQL.
// Every failure raises EngineError with a message meant for the user (see PgFailure).
// One thread at a time; every thread (a worker too) has connections of its own.
class PgConnection
{
    Q_DECLARE_TR_FUNCTIONS(PgConnection)

public:
    // Connects. When the server wants a password that neither ~/.pgpass nor the service file
    // holds, asks PgPasswords: one typed before in this run, else its prompt.
    explicit PgConnection(PgConnectionInfo info);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    pg_conn *handle() const { return m_conn.get(); }
    const PgConnectionInfo &info() const { return m_info; }
    QString serverName() const { return m_info.displayName(); }

    // Runs one command; $1, $2, … in its text take the parameters in order.
    PgResult exec(const QString &sql, const PgParameters &parameters = {},
        PgResult::Format format = PgResult::Format::Text);
    // Prepares a named command on this connection; the server infers the parameters' types from
    // where they are used (write $1::bytea where it cannot). Prepared again after a reconnect.
    void prepare(const QByteArray &name, const QString &sql);
    bool isPrepared(const QByteArray &name) const { return m_prepared.contains(name); }
    PgResult execPrepared(const QByteArray &name, const PgParameters &parameters = {},
        PgResult::Format format = PgResult::Format::Text);

    // "name" as SQL reads it, whatever it holds (dots, quotes, spaces).
    QString quoteIdentifier(const QString &name) const;
    // "schema"."name".
    QString quoteQualified(const QString &schema, const QString &name) const;

    // True once the server went away or the connection broke; every command then raises until
    // ensureConnected() connects again. An action calls that first, so after a lost connection
    // the next action reconnects (a transaction that was open is gone: the server rolled it back).
    bool isLost() const;
    void ensureConnected();
    // Whether a transaction is open on this connection (its commands see only what the server
    // had committed when each began, and this connection's own changes).
    bool inTransaction() const;

    // The server's statement time limit on this connection, as the server shows it ("1min").
    QString statementTimeout() const { return m_statementTimeout; }
    // The SQLSTATE of the last failed command, for logs and tests; empty after success.
    QString lastSqlState() const { return m_lastSqlState; }

private:
    struct Finish
    {
        void operator()(pg_conn *conn) const;
    };
    using Handle = std::unique_ptr<pg_conn, Finish>;
    struct Attempt;

    void connect();
    Attempt attempt(const QString *password) const;
    Attempt attemptWithPassword(const PgLogin &login, const Attempt &withoutPassword) const;
    PgLogin loginOf(pg_conn *conn) const;
    [[noreturn]] void failConnecting(
        const PgLogin &login, const Attempt &attempt, bool passwordTyped) const;
    void applySessionSettings();
    PgResult checked(pg_result *result);

    PgConnectionInfo m_info;
    Handle m_conn;
    QSet<QByteArray> m_prepared;
    QString m_statementTimeout;
    QString m_lastSqlState;
};
