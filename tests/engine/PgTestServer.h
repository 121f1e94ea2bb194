#pragma once

#include <QString>
#include <QTemporaryDir>

// PostgreSQL servers for tests, run by tests/support/pg-server.sh. The PGSQL tests share the one
// server the CTest fixture starts (sharedHost); a test that must stop a server starts one of its
// own (an object of this class) in a folder inside the shared server's, so the fixture's cleanup
// stops it even when the test was killed.
class PgTestServer
{
public:
    PgTestServer(); // not started yet; raises without the fixture
    ~PgTestServer();
    PgTestServer(const PgTestServer &) = delete;
    PgTestServer &operator=(const PgTestServer &) = delete;

    void start(); // a few seconds the first time; raises when the server does not come up
    void stop(); // keeps the data: start() brings the server back as it was
    QString host() const { return m_dir.path(); }

    // The folder (host=) of the fixture's server; raises when the test runs without the fixture.
    static QString sharedHost();
    // libpq settings for the superuser "tabvale" on a server's socket folder.
    static QString connInfo(const QString &host, const QString &database);
    // Clears the PG* variables, so the settings of whoever runs the tests never reach libpq.
    static void isolateFromUserSettings();

private:
    static void run(const QString &command, const QString &folder);
    QTemporaryDir m_dir;
};
