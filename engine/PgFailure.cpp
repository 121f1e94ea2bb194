#include "engine/PgFailure.h"

#include <QDir>
#include <QRegularExpression>

// Server notices are debug messages, off unless asked for (QT_LOGGING_RULES).
Q_LOGGING_CATEGORY(lcPgsql, "tabvale.engine.pgsql", QtInfoMsg)

namespace {

// libpq's verbose form of a server error: "SEVERITY:  SQLSTATE: message". The severity may be
// translated, the code never is. With several hosts tried the text holds one per host: the last
// one is the attempt that counted.
const QRegularExpression &serverError()
{
    static const QRegularExpression pattern(QStringLiteral(":  ([0-9A-Z]{5}): ([^\\n]*)"));
    return pattern;
}

QRegularExpressionMatch lastServerError(const QByteArray &text)
{
    QRegularExpressionMatch last;
    auto it = serverError().globalMatch(QString::fromUtf8(text));
    while (it.hasNext())
        last = it.next();
    return last;
}

QString where(const PgLogin &login)
{
    // A Unix socket folder is a path; the port is part of the socket's name there too.
    const QString host = login.host.startsWith(QLatin1Char('/'))
        ? QDir::toNativeSeparators(login.host)
        : login.host;
    return login.port.isEmpty() ? host : host + QLatin1Char(':') + login.port;
}

} // namespace

QString PgFailure::sqlStateIn(const QByteArray &libpqText)
{
    return lastServerError(libpqText).captured(1);
}

QString PgFailure::connectMessage(const PgLogin &login, const Attempt &attempt)
{
    qCWarning(lcPgsql) << "connecting to" << login.serverName << "failed:" << attempt.libpqText;
    if (attempt.timedOut)
        return tr("The database server of “%1” (%2) did not answer within %n second(s). It may be "
                  "down, or the network cannot reach it.",
            nullptr, attempt.timeoutSeconds)
            .arg(login.serverName, where(login));
    const QString state = sqlStateIn(attempt.libpqText);
    if (state.isEmpty())
        return tr("The database server of “%1” cannot be reached at %2. It may not be running, "
                  "the address in the connection settings may be wrong, or a secure connection "
                  "could not be made.")
            .arg(login.serverName, where(login));
    if (state == u"28P01")
        return attempt.passwordTyped
            ? tr("The database server of “%1” refused the password given for user “%2”.")
                  .arg(login.serverName, login.user)
            : tr("The database server of “%1” refused the password for user “%2” that ~/.pgpass "
                 "or the service file holds.")
                  .arg(login.serverName, login.user);
    if (state == u"28000")
        return tr("The database server of “%1” refused the login of user “%2”: there is no such "
                  "user, the user may not log in, or the server does not accept this connection.")
            .arg(login.serverName, login.user);
    if (state == u"3D000")
        return tr("The database “%2” does not exist on the server of “%1”.")
            .arg(login.serverName, login.database);
    if (state == u"42501")
        return tr("User “%2” may not connect to the database “%3” on the server of “%1”.")
            .arg(login.serverName, login.user, login.database);
    if (state == u"57P03")
        return tr("The database server of “%1” is starting up or shutting down. Try again in a "
                  "moment.")
            .arg(login.serverName);
    if (state == u"53300")
        return tr("The database server of “%1” takes no more connections at the moment. Try again "
                  "later.")
            .arg(login.serverName);
    return tr("Could not connect to the database server of “%1”: %2.")
        .arg(login.serverName, commandReason(state));
}

QString PgFailure::passwordUnknownMessage(const PgLogin &login)
{
    return tr("The database server of “%1” asks for the password of user “%2”, and none is known. "
              "Put it in ~/.pgpass or in the service file.")
        .arg(login.serverName, login.user);
}

QString PgFailure::passwordNotGivenMessage(const PgLogin &login)
{
    return tr("No connection to the database server of “%1”: no password was given for user “%2”.")
        .arg(login.serverName, login.user);
}

QString PgFailure::commandMessage(const QString &serverName, const QString &sqlState,
    const QString &serverMessage, const QString &statementTimeout)
{
    qCWarning(lcPgsql) << "a command on" << serverName << "failed:" << sqlState << serverMessage;
    // A query_canceled the engine did not ask for: the statement timeout struck.
    if (sqlState == u"57014")
        return tr("The database server of “%1” stopped the command because it took longer than "
                  "its time limit (%2).")
            .arg(serverName, statementTimeout);
    return tr("The database server of “%1” could not carry out the command: %2.")
        .arg(serverName, commandReason(sqlState));
}

QString PgFailure::commandReason(const QString &sqlState)
{
    static const struct
    {
        const char *state;
        const char *reason;
    } reasons[] = {
        {"23505",
            QT_TR_NOOP("another record already has the same value in a field that must be unique")},
        {"23502", QT_TR_NOOP("a field that must have a value was left empty")},
        {"23503", QT_TR_NOOP("the record is linked to records of another table")},
        {"23514", QT_TR_NOOP("a value breaks a rule of the table")},
        {"23", QT_TR_NOOP("the rules of the database refuse the change")},
        {"22", QT_TR_NOOP("a value does not suit its field")},
        {"25006", QT_TR_NOOP("the database can only be read")},
        {"40", QT_TR_NOOP("another program was changing the same records; try again")},
        {"55P03", QT_TR_NOOP("another program is using the records")},
        {"42501", QT_TR_NOOP("the user may not do this")},
        {"28", QT_TR_NOOP("the login was refused")},
        {"42",
            QT_TR_NOOP("the table or a field is not as Tabvale expects: it may have been changed "
                       "meanwhile")},
        {"53100", QT_TR_NOOP("the server's disk is full")},
        {"53200", QT_TR_NOOP("the server has not enough memory")},
        {"53", QT_TR_NOOP("the server has not enough resources")},
        {"57P", QT_TR_NOOP("the server is shutting down")},
        {"08", QT_TR_NOOP("the connection broke")},
        {"XX", QT_TR_NOOP("the server reports an internal fault")},
    };
    // Most precise first: a full code, else its class.
    for (const auto &r : reasons)
        if (sqlState.startsWith(QLatin1String(r.state)))
            return tr(r.reason);
    return tr("the server refused it");
}

QString PgFailure::connectionLostMessage(const QString &serverName)
{
    return tr("The connection to the database server of “%1” was lost. The next action connects "
              "again.")
        .arg(serverName);
}
