#pragma once

#include "engine/PgConnection.h"

#include <QStringList>
#include <memory>

// A database of its own on the shared test server, dropped at the end with the roles made for
// it, so PGSQL tests can run at the same time. admin() is the superuser's connection to it.
class PgScratchDatabase
{
public:
    PgScratchDatabase();
    ~PgScratchDatabase();
    PgScratchDatabase(const PgScratchDatabase &) = delete;
    PgScratchDatabase &operator=(const PgScratchDatabase &) = delete;

    QString host() const { return m_host; }
    QString name() const { return m_name; }
    QString connInfo() const; // as the superuser "tabvale"
    PgConnection &admin() { return *m_admin; }

    // A login role that the server asks for its password (scram-sha-256); returns its name, which
    // is unique on the server and starts with the given prefix.
    QString makePasswordRole(const QString &prefix, const QString &password);
    void setPassword(const QString &role, const QString &password);

private:
    QString m_host;
    QString m_name;
    std::unique_ptr<PgConnection> m_server; // to the "postgres" database: makes and drops
    std::unique_ptr<PgConnection> m_admin;
    QStringList m_roles;
};
