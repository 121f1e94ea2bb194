#pragma once

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcSqlite)

// Says in words why SQLite refused a command. The result code alone decides the words: SQLite's
// own text (and the statement) goes to the log (tabvale.engine.sqlite), never into a message.
class SqliteFailure
{
    Q_DECLARE_TR_FUNCTIONS(SqliteFailure)

public:
    // The reason for a primary or extended result code, as a clause ("the disk is full").
    static QString reason(int resultCode);
    // The message for a command that failed with the code. `command` names what the user asked
    // for as a gerund clause ("emptying the table “Items”").
    static QString message(const QString &command, int resultCode);
};
