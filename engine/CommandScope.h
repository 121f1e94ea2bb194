#pragma once

#include <QString>

class Database;

// Names the user's command for the failures of a connection while the scope lives: a statement
// that fails meanwhile reports "Could not finish emptying the table “Items”: …" instead of a
// generic read or change. Scopes nest; the outer name comes back when an inner scope ends.
class CommandScope
{
public:
    CommandScope(Database &db, const QString &command);
    ~CommandScope();
    CommandScope(const CommandScope &) = delete;
    CommandScope &operator=(const CommandScope &) = delete;

private:
    Database &m_db;
    QString m_previous;
};
