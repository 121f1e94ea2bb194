#pragma once

#include "engine/Statement.h"

#include <QHash>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

// A connection to one SQLite database file. There is one connection per file per thread: open()
// hands every caller of a thread the same connection while someone still holds it, so the tables
// of a thread see one another's changes at once and share the change generations below.
// Same thread only; every failure raises EngineError with a message meant for the user.
class Database
{
public:
    // The calling thread's connection to the file; raises when the file does not exist or is not
    // a database. Opening never writes to the file. A file that cannot be written (see
    // isReadOnly) is opened read-only.
    static std::shared_ptr<Database> open(const QString &path);
    // Makes an empty database file in WAL mode; raises when the file exists or cannot be made.
    // pageSize (bytes, a power of two from 512 to 65536; 0 for SQLite's own) is fixed for the
    // file's life.
    static void create(const QString &path, int pageSize = 0);
    // The page size of a database made to keep picture files: a camera photo is then tens of
    // pages rather than hundreds, each one step of SQLite's and one write of the system's, and
    // storing a folder of photos costs about what copying them does. A record's first part still
    // lives in its table's page, so listing such a table reads more than with small pages.
    static constexpr int PictureFilesPageSize = 65536;

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return m_db; }
    QString path() const { return m_path; }
    // Read-only when the file, its folder or its disk cannot be written, or another program held
    // it for writing when it was opened.
    bool isReadOnly() const { return m_readOnly; }
    QString readOnlyReason() const { return m_readOnlyReason; } // "the file is read-only", ...
    QString readOnlyMessage() const; // a sentence for the user; empty when writable
    // Raises "The database … is read-only (why)" naming what could not be done.
    void checkWritable(const QString &what) const;

    Statement prepare(const QString &sql) { return Statement(*this, sql); }
    void exec(const QString &sql);
    bool tableExists(const QString &table);
    qint64 lastInsertRowid() const;
    bool inWalMode(); // the file's journal is a write-ahead log

    // "name" with embedded quotes doubled: any table or field name can be used in SQL.
    static QString quote(const QString &identifier);

    // Change tracking for cheap re-reads. A table's generation goes up whenever records of it are
    // inserted or deleted, or it is created, emptied or dropped through this connection; other
    // connections' commits show up in dataVersion(), schema changes in schemaVersion().
    // recordInserted and recordDeleted also say which record, so that another table object of
    // this connection can apply the change to its record list instead of reading the list again;
    // tableChanged says that anything may have changed.
    struct RecordSetChange
    {
        bool inserted = false; // else deleted
        qint64 key = 0;
    };
    quint64 tableGeneration(const QString &table) const;
    void tableChanged(const QString &table);
    void recordInserted(const QString &table, qint64 key);
    void recordDeleted(const QString &table, qint64 key);
    // The table's changes after generation since, oldest first; nullopt when they are not all
    // known (anything changed, or more changes than are kept).
    std::optional<std::vector<RecordSetChange>> changesSince(
        const QString &table, quint64 since) const;
    static constexpr int KeptChanges = 256; // per table
    qint64 dataVersion();
    qint64 schemaVersion();

    // Pages this connection has read from the file (not from its own cache). Lets tests prove that
    // an operation did not touch pages it has no business reading.
    qint64 pagesRead() const;
    // Sees the text of every statement this connection runs (tests watch what an operation asks
    // SQLite to do). An empty function stops watching.
    void setStatementObserver(std::function<void(const QString &sql)> observer);
    // Asked every few hundred SQLite steps while a statement runs, and while it waits for another
    // connection's lock; returning true interrupts the statement, which then raises. Lets a
    // worker's stop break a long read on the worker's own thread. An empty function stops asking.
    void setInterruptCheck(std::function<bool()> check);

    // SQLite's own text for the last error of this connection: for the log, never for a message.
    QString lastError() const;
    // Raises the message for the last SQLite error: it names the command of the current
    // CommandScope, else `doing` (a gerund clause, "reading the database “…”").
    [[noreturn]] void raise(const QString &doing) const;
    // The file as the user writes it, for messages.
    QString displayPath() const;
    // The command failures are reported against; returns the one it replaces (see CommandScope).
    QString setCommand(const QString &command);

private:
    Database(sqlite3 *db, const QString &path, bool readOnly);
    static sqlite3 *openHandle(const QString &path, bool readOnly, bool immutable);

    sqlite3 *m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    QString m_readOnlyReason;
    QString m_command;
    struct TableChanges
    {
        quint64 generation = 0;
        quint64 knownSince = 0; // changes after this generation are all in the log
        std::deque<std::pair<quint64, RecordSetChange>> log;
    };
    void recordChanged(const QString &table, RecordSetChange change);

    quint64 m_generationCounter = 0;
    QHash<QString, TableChanges> m_changes;
    std::function<void(const QString &)> m_observer;
    std::function<bool()> m_interruptCheck;
};
