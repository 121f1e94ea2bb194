#pragma once

#include <QString>

// Who logs in where, as a password prompt shows it and as passwords are remembered for the run.
struct PgLogin
{
    QString serverName; // the alias's name, as the user knows the server
    QString host; // a host name, an address, or a Unix socket folder
    QString port;
    QString database;
    QString user;
    bool retry = false; // the password given before for this login was refused

    // The one same login, whatever the alias it came through.
    bool sameAs(const PgLogin &other) const
    {
        return host == other.host && port == other.port && database == other.database
            && user == other.user;
    }
};
