#pragma once

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcSqlite)

struct sqlite3;

// Says in words why SQLite refused a command. The result code alone decides the words: SQLite's
// own text (and the statement) goes to the log (tabvale.engine.sqlite), never into a message.
class SqliteFailure
{
    Q_DECLARE_TR_FUNCTIONS(SqliteFailure)

public:
    // The reason for a primary or extended result code, as a clause ("the disk is full").
    // `raised`: the text a trigger of the database gave with RAISE, written by the database's
    // author for its users, so it is shown.
    static QString reason(int resultCode, const QString &raised = {});
    // The message for a command that failed with the code. `command` names what the user asked
    // for as a gerund clause ("emptying the table “Items”").
    static QString message(const QString &command, int resultCode, const QString &raised = {});
    // What a trigger's RAISE said, when that is why the connection's last statement failed.
    static QString raisedText(sqlite3 *db);
};
