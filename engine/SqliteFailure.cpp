#include "engine/SqliteFailure.h"

#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcSqlite, "tabvale.engine.sqlite")

QString SqliteFailure::reason(int resultCode, const QString &raised)
{
    if (resultCode == SQLITE_CONSTRAINT_TRIGGER && !raised.isEmpty())
        return tr("the database refuses the change: “%1”").arg(raised);
    switch (resultCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return tr("another record already has the same value in a field that must be unique");
    case SQLITE_CONSTRAINT_NOTNULL:
        return tr("a field that must have a value was left empty");
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return tr("the record is linked to records of another table");
    case SQLITE_CONSTRAINT_CHECK:
        return tr("a value breaks a rule of the table");
    default:
        break;
    }
    switch (resultCode & 0xff) {
    case SQLITE_FULL:
        return tr("the disk is full");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return tr("another program is using the database");
    case SQLITE_READONLY:
        return tr("the database can only be read");
    case SQLITE_CORRUPT:
        return tr("the database file is damaged");
    case SQLITE_NOTADB:
        return tr("the file is not a database");
    case SQLITE_IOERR:
        return tr("the disk could not be read or written");
    case SQLITE_CANTOPEN:
        return tr("the database file cannot be opened");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return tr("the database may not be used this way");
    case SQLITE_NOMEM:
        return tr("there is not enough memory");
    case SQLITE_INTERRUPT:
        return tr("it was stopped");
    case SQLITE_TOOBIG:
        return tr("a value is too large for the database");
    case SQLITE_CONSTRAINT:
        return tr("the rules of the database refuse the change");
    case SQLITE_SCHEMA:
        return tr("another program changed the tables meanwhile");
    case SQLITE_MISMATCH:
        return tr("a value does not suit its field");
    default:
        return tr("the database could not carry out the command");
    }
}

QString SqliteFailure::raisedText(sqlite3 *db)
{
    if (sqlite3_extended_errcode(db) != SQLITE_CONSTRAINT_TRIGGER)
        return {};
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString SqliteFailure::message(const QString &command, int resultCode, const QString &raised)
{
    // A refused statement leaves no change of its own, and every command of several statements
    // runs in one transaction: what changed nothing can say so.
    switch (resultCode & 0xff) {
    case SQLITE_FULL:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_CONSTRAINT:
        return tr("Could not finish %1: %2. Nothing was changed.").arg(command, reason(resultCode, raised));
    default:
        return tr("Could not finish %1: %2.").arg(command, reason(resultCode, raised));
    }
}
