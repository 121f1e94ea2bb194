#include "engine/PgConnection.h"

#include "engine/EngineError.h"
#include "engine/PgFailure.h"
#include "engine/PgLogin.h"
#include "engine/PgPasswords.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <libpq-fe.h>
#include <poll.h>
#include <vector>

namespace {

const QString WrongPassword = QStringLiteral("28P01");

QString serverText(const char *text)
{
    return QString::fromUtf8(text ? text : "").trimmed();
}

} // namespace

struct PgConnection::Attempt
{
    Handle conn;
    bool timedOut = false;

    bool ok() const { return conn && !timedOut && PQstatus(conn.get()) == CONNECTION_OK; }
    QByteArray libpqText() const
    {
        return conn ? QByteArray(PQerrorMessage(conn.get())) : QByteArray();
    }
};

void PgConnection::Finish::operator()(pg_conn *conn) const
{
    PQfinish(conn);
}

PgConnection::PgConnection(PgConnectionInfo info) : m_info(std::move(info))
{
    connect();
}

PgConnection::~PgConnection() = default;

// Tries the connection's settings as they are first: libpq takes a password from ~/.pgpass or the
// service file by itself. Only when the server still wants one does the user's come in.
void PgConnection::connect()
{
    Attempt a = attempt(nullptr);
    if (!a.ok())
        a = attemptWithPassword(loginOf(a.conn.get()), a);
    m_conn = std::move(a.conn);
    m_prepared.clear();
    applySessionSettings();
}

// The one typed before in this run first (quietly), else the prompt's answer.
PgConnection::Attempt PgConnection::attemptWithPassword(
    const PgLogin &login, const Attempt &withoutPassword) const
{
    if (withoutPassword.timedOut || !PQconnectionNeedsPassword(withoutPassword.conn.get()))
        failConnecting(login, withoutPassword, false);
    std::optional<QString> refused;
    if (const std::optional<QString> known = PgPasswords::remembered(login)) {
        Attempt a = attempt(&*known);
        if (a.ok())
            return a;
        if (PgFailure::sqlStateIn(a.libpqText()) != WrongPassword)
            failConnecting(login, a, true);
        PgPasswords::forget(login); // changed on the server since it was typed
        refused = known;
    }
    const bool canAsk = PgPasswords::hasPrompt();
    const std::optional<QString> given = PgPasswords::ask(login, refused);
    if (!given)
        throw EngineError(canAsk ? PgFailure::passwordNotGivenMessage(login)
                                 : PgFailure::passwordUnknownMessage(login));
    Attempt a = attempt(&*given);
    if (!a.ok())
        failConnecting(login, a, true);
    PgPasswords::remember(login, *given);
    return a;
}

// One connection attempt, waited for here rather than inside libpq so that the error text can
// carry the server's SQLSTATE (verbose errors must be switched on before the server answers).
PgConnection::Attempt PgConnection::attempt(const QString *password) const
{
    QList<PgConnectionInfo::Setting> settings = m_info.settings();
    if (password)
        settings.append({QByteArrayLiteral("password"), password->toUtf8()});
    std::vector<const char *> keywords;
    std::vector<const char *> values;
    for (const auto &[keyword, value] : std::as_const(settings)) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);

    Attempt a;
    a.conn.reset(PQconnectStartParams(keywords.data(), values.data(), 0));
    if (!a.conn)
        throw EngineError(tr("There is not enough memory to connect to the database server of "
                             "“%1”.")
                              .arg(serverName()));
    if (PQstatus(a.conn.get()) == CONNECTION_BAD)
        return a;
    PQsetErrorVerbosity(a.conn.get(), PQERRORS_VERBOSE);
    // The server's notices ("table … does not exist, skipping") go to the log, not to stderr.
    PQsetNoticeProcessor(
        a.conn.get(),
        [](void *, const char *message) { qCDebug(lcPgsql) << "server notice:" << message; },
        nullptr);

    // As libpq's own wait: the timeout counts for each address tried (each new socket).
    const int timeoutMs = m_info.connectTimeoutSeconds() * 1000;
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    int socket = -1;
    QDeadlineTimer deadline(QDeadlineTimer::Forever);
    while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
        const int fd = PQsocket(a.conn.get());
        if (fd != socket) {
            socket = fd;
            deadline = timeoutMs > 0 ? QDeadlineTimer(timeoutMs)
                                     : QDeadlineTimer(QDeadlineTimer::Forever);
        }
        pollfd wanted {fd, short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int ready
            = ::poll(&wanted, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            a.timedOut = true;
            return a;
        }
        state = PQconnectPoll(a.conn.get());
    }
    return a;
}

PgLogin PgConnection::loginOf(pg_conn *conn) const
{
    PgLogin login;
    login.serverName = serverName();
    login.host = serverText(PQhost(conn));
    login.port = serverText(PQport(conn));
    login.database = serverText(PQdb(conn));
    login.user = serverText(PQuser(conn));
    return login;
}

void PgConnection::failConnecting(
    const PgLogin &login, const Attempt &attempt, bool passwordTyped) const
{
    PgFailure::Attempt failure;
    failure.libpqText = attempt.libpqText();
    failure.timedOut = attempt.timedOut;
    failure.timeoutSeconds = m_info.connectTimeoutSeconds();
    failure.passwordTyped = passwordTyped;
    throw EngineError(PgFailure::connectMessage(login, failure));
}

// The statement timeout goes in after connecting, not into the connection's options: options
// given there would replace those of the user's service file, and a limit the user's settings,
// role or database already set is kept.
void PgConnection::applySessionSettings()
{
    const qint64 ms = m_info.statementTimeout().count();
    const PgResult r
        = exec(QStringLiteral("SELECT CASE WHEN current_setting('statement_timeout') = '0' "
                              "THEN set_config('statement_timeout', $1, false) "
                              "ELSE current_setting('statement_timeout') END, "
                              // Dates read back the way the engine parses them.
                              "set_config('DateStyle', 'ISO, YMD', false)"),
            {QString::number(ms)});
    m_statementTimeout = r.text(0, 0);
}

PgResult PgConnection::exec(
    const QString &sql, const PgParameters &parameters, PgResult::Format format)
{
    const QByteArray text = sql.toUtf8();
    return checked(
        PQexecParams(m_conn.get(), text.constData(), parameters.size(), parameters.types(),
            parameters.values(), parameters.lengths(), parameters.formats(), int(format)));
}

void PgConnection::prepare(const QByteArray &name, const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    checked(PQprepare(m_conn.get(), name.constData(), text.constData(), 0, nullptr));
    m_prepared.insert(name);
}

PgResult PgConnection::execPrepared(
    const QByteArray &name, const PgParameters &parameters, PgResult::Format format)
{
    return checked(PQexecPrepared(m_conn.get(), name.constData(), parameters.size(),
        parameters.values(), parameters.lengths(), parameters.formats(), int(format)));
}

PgResult PgConnection::checked(pg_result *result)
{
    PgResult owned(result);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        m_lastSqlState.clear();
        return owned;
    }
    m_lastSqlState = serverText(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    if (isLost()) {
        qCWarning(lcPgsql) << "connection to" << serverName()
                           << "lost:" << (m_conn ? PQerrorMessage(m_conn.get()) : "not connected");
        throw EngineError(PgFailure::connectionLostMessage(serverName()));
    }
    QString message = serverText(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (message.isEmpty())
        message = serverText(PQerrorMessage(m_conn.get())).section(QLatin1Char('\n'), 0, 0);
    throw EngineError(
        PgFailure::commandMessage(serverName(), m_lastSqlState, message, m_statementTimeout));
}

QString PgConnection::quoteIdentifier(const QString &name) const
{
    if (!m_conn)
        throw EngineError(PgFailure::connectionLostMessage(serverName()));
    const QByteArray utf8 = name.toUtf8();
    char *quoted = PQescapeIdentifier(m_conn.get(), utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        throw EngineError(tr("The name “%1” cannot be used on the database server of “%2”.")
                              .arg(name, serverName()));
    const QString out = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return out;
}

QString PgConnection::quoteQualified(const QString &schema, const QString &name) const
{
    return quoteIdentifier(schema) + QLatin1Char('.') + quoteIdentifier(name);
}

bool PgConnection::isLost() const
{
    return !m_conn || PQstatus(m_conn.get()) == CONNECTION_BAD;
}

bool PgConnection::inTransaction() const
{
    if (isLost())
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(m_conn.get());
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

void PgConnection::ensureConnected()
{
    // Reading what the server sent meanwhile shows a connection it closed while we were idle
    // (a restart, an administrator's kill), so the action finds out before its first command. A
    // closing server sends its farewell, then ends the stream: read while there is something to
    // read, without waiting.
    for (int round = 0; round < 4 && !isLost(); ++round) {
        pollfd readable {PQsocket(m_conn.get()), POLLIN, 0};
        if (::poll(&readable, 1, 0) <= 0 || !PQconsumeInput(m_conn.get()))
            break;
    }
    if (!isLost())
        return;
    m_conn.reset();
    connect();
}
