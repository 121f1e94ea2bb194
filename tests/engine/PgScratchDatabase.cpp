#include "tests/engine/PgScratchDatabase.h"

#include "tests/engine/PgTestServer.h"

#include <QRandomGenerator>
#include <libpq-fe.h>
#include <stdexcept>

namespace {

QString uniqueName(const QString &prefix)
{
    return prefix
        + QStringLiteral("_%1").arg(
            QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

} // namespace

PgScratchDatabase::PgScratchDatabase()
    : m_host(PgTestServer::sharedHost()), m_name(uniqueName(QStringLiteral("tst")))
{
    m_server = std::make_unique<PgConnection>(PgConnectionInfo::fromString(
        PgTestServer::connInfo(m_host, QStringLiteral("postgres")), QStringLiteral("test server")));
    m_server->exec(QStringLiteral("CREATE DATABASE ") + m_server->quoteIdentifier(m_name));
    m_admin = std::make_unique<PgConnection>(
        PgConnectionInfo::fromString(connInfo(), QStringLiteral("test database")));
}

PgScratchDatabase::~PgScratchDatabase()
{
    m_admin.reset();
    try {
        m_server->ensureConnected();
        m_server->exec(QStringLiteral("DROP DATABASE ") + m_server->quoteIdentifier(m_name)
            + QStringLiteral(" WITH (FORCE)"));
        for (const QString &role : std::as_const(m_roles))
            m_server->exec(QStringLiteral("DROP ROLE ") + m_server->quoteIdentifier(role));
    } catch (const std::exception &e) {
        qWarning("could not drop the scratch database %s: %s", qPrintable(m_name), e.what());
    }
}

QString PgScratchDatabase::connInfo() const
{
    return PgTestServer::connInfo(m_host, m_name);
}

QString PgScratchDatabase::makePasswordRole(const QString &prefix, const QString &password)
{
    const QString role = uniqueName(prefix);
    m_server->exec(QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE tabvale_password_users")
                       .arg(m_server->quoteIdentifier(role)));
    m_roles << role;
    setPassword(role, password);
    m_admin->exec(
        QStringLiteral("GRANT ALL ON SCHEMA public TO ") + m_admin->quoteIdentifier(role));
    return role;
}

void PgScratchDatabase::setPassword(const QString &role, const QString &password)
{
    // ALTER ROLE takes no parameters: the password goes in as the verifier libpq computes (as
    // psql's \password does), quoted as a literal by libpq.
    const QByteArray user = role.toUtf8();
    char *verifier = PQencryptPasswordConn(
        m_server->handle(), password.toUtf8().constData(), user.constData(), "scram-sha-256");
    if (!verifier)
        throw std::runtime_error("PQencryptPasswordConn failed");
    char *literal = PQescapeLiteral(m_server->handle(), verifier, qstrlen(verifier));
    PQfreemem(verifier);
    const QString quotedVerifier = QString::fromUtf8(literal);
    PQfreemem(literal);
    m_server->exec(QStringLiteral("ALTER ROLE %1 PASSWORD %2")
                       .arg(m_server->quoteIdentifier(role), quotedVerifier));
}
