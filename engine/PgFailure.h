#pragma once

#include "engine/PgLogin.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcPgsql)

// Says in words what went wrong talking to a PostgreSQL server: the server down or unreachable,
// a refused login or password, a missing database, a lost connection, a command stopped by the
// statement timeout. libpq's own text and the server's SQLSTATE codes go to the log
// (tabvale.engine.pgsql), never alone into a message.
class PgFailure
{
    Q_DECLARE_TR_FUNCTIONS(PgFailure)

public:
    // A failed connection attempt.
    struct Attempt
    {
        QByteArray libpqText; // PQerrorMessage in verbose form (it carries the server's SQLSTATE)
        bool timedOut = false;
        int timeoutSeconds = 0;
        bool passwordTyped = false; // the password came from the prompt, not libpq's files
    };
    static QString connectMessage(const PgLogin &login, const Attempt &attempt);
    static QString passwordUnknownMessage(const PgLogin &login);
    static QString passwordNotGivenMessage(const PgLogin &login);

    // A failed command. statementTimeout is the connection's limit as the server shows it ("1min").
    static QString commandMessage(const QString &serverName, const QString &sqlState,
        const QString &serverMessage, const QString &statementTimeout);
    static QString connectionLostMessage(const QString &serverName);
    // The words for a server's SQLSTATE (a code, or the two-letter start of a class of codes).
    static QString commandReason(const QString &sqlState);

    // The server's SQLSTATE in a connection failure's verbose text; empty when the server never
    // answered (it is down, unreachable, or the secure connection failed first).
    static QString sqlStateIn(const QByteArray &libpqText);
};
