#include "engine/FreePages.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/SqliteFailure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <chrono>
#include <future>
#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#endif

namespace {

enum AutoVacuum { None = 0, Full = 1, Incremental = 2 };

int autoVacuum(Database &db)
{
    Statement s = db.prepare(QStringLiteral("PRAGMA auto_vacuum"));
    return s.step() ? int(s.columnInt64(0)) : None;
}

// The rebuilt copy is made beside the database (where the space it needs is meant to be found)
// under the database's file name, this, and a random end.
QString copyPrefix(const QString &databasePath)
{
    return QFileInfo(databasePath).fileName() + QStringLiteral("-compacting-");
}

// A rebuild holds a lock on its copy while it runs: a copy nobody holds was left by a rebuild
// that was cut off. (Elsewhere an open file cannot be removed, which is the same guard.)
bool takeHold(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::flock(file.handle(), LOCK_EX | LOCK_NB) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// A connection of the rebuild's own, on its thread.
class Connection
{
public:
    Connection(const QString &path, const QString &doing) : m_doing(doing)
    {
        // Never SQLITE_OPEN_CREATE: a copy that went away must not come back as an empty file.
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            raise();
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }

    // Changes whenever the main database's content changes, by this or any other connection.
    unsigned dataVersion() const
    {
        unsigned version = 0;
        sqlite3_file_control(m_db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
        return version;
    }

    // Runs a statement with one optional text parameter; returns the first column of its first
    // row (0 when it has none).
    qint64 run(const char *sql, const QString &parameter = {})
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            raise();
        const QByteArray text = parameter.toUtf8();
        if (!parameter.isNull())
            sqlite3_bind_text(stmt, 1, text.constData(), int(text.size()), SQLITE_STATIC);
        qint64 value = 0;
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            raise();
        return value;
    }

    [[noreturn]] void raise() const
    {
        const int code = m_db ? sqlite3_extended_errcode(m_db) : SQLITE_NOMEM;
        qCWarning(lcSqlite) << m_doing << code << (m_db ? sqlite3_errmsg(m_db) : "");
        throw EngineError(SqliteFailure::message(m_doing, code));
    }

private:
    sqlite3 *m_db = nullptr;
    QString m_doing;
};

// Copies the packed copy's pages over the database's in one write transaction of the database:
// SQLite's journal makes it all or nothing, and every other connection sees the change as it
// sees any commit. Finishing before the copy is done rolls the transaction back.
class PageCopy
{
public:
    PageCopy(Connection &target, Connection &source) : m_target(target)
    {
        m_backup = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
        if (!m_backup)
            target.raise();
    }
    ~PageCopy()
    {
        if (m_backup)
            sqlite3_backup_finish(m_backup);
    }
    PageCopy(const PageCopy &) = delete;
    PageCopy &operator=(const PageCopy &) = delete;

    // Takes the database's write lock without copying anything yet.
    void lockTarget() { check(sqlite3_backup_step(m_backup, 0), SQLITE_OK); }
    void copyAll()
    {
        check(sqlite3_backup_step(m_backup, -1), SQLITE_DONE);
        const int rc = sqlite3_backup_finish(m_backup);
        m_backup = nullptr;
        if (rc != SQLITE_OK)
            m_target.raise();
    }

private:
    void check(int rc, int wanted)
    {
        if (rc == wanted)
            return;
        sqlite3_backup_finish(m_backup); // sets the target's error
        m_backup = nullptr;
        m_target.raise();
    }

    Connection &m_target;
    sqlite3_backup *m_backup = nullptr;
};

// VACUUM numbers the records of a table without an index (nor an INTEGER PRIMARY KEY) anew, which
// would change every bookmark and every reference another program keeps; VACUUM INTO keeps the
// rowids of every table. So the database is packed into a copy beside it, and the copy's pages
// are then put in place of the database's. The database is changed in that one step, and only
// when no connection wrote to it since the copy was read (none can once the write lock is held).
void rebuild(const QString &path)
{
    const QString doing
        = QCoreApplication::translate("FreePages", "compacting the database “%1”")
              .arg(QDir::toNativeSeparators(path));
    QTemporaryFile copyFile(
        QFileInfo(path).dir().filePath(copyPrefix(path) + QStringLiteral("XXXXXX")));
    if (!copyFile.open())
        throw EngineError(QCoreApplication::translate("FreePages", "Could not finish %1: no file can be made beside it (%2).")
                              .arg(doing, copyFile.errorString()));
    takeHold(copyFile);
    const QString copyPath = copyFile.fileName();
    struct JournalGoes
    {
        QString path;
        ~JournalGoes() { QFile::remove(path + QStringLiteral("-journal")); }
    } journalGoes {copyPath};

    // The target's pager notes every change to the file, by any connection, from the first read
    // on: the version before the copy is read must still be the version once the lock is held.
    Connection target(path, doing);
    const qint64 objects = target.run("SELECT count(*) FROM sqlite_master");
    const unsigned version = target.dataVersion();
    {
        Connection reader(path, doing);
        // The copy needs no durability: it is only read, and a cut-off run leaves it to be
        // removed.
        reader.run("PRAGMA main.synchronous = OFF");
        reader.run("VACUUM INTO ?1", copyPath);
    }
    Connection source(copyPath, doing);
    if (source.run("SELECT count(*) FROM sqlite_master") != objects)
        throw EngineError(
            QCoreApplication::translate("FreePages", "Could not finish %1: its packed copy is incomplete.").arg(doing));
    PageCopy copy(target, source);
    copy.lockTarget();
    if (target.dataVersion() != version)
        throw EngineError(QCoreApplication::translate("FreePages", "Could not finish %1: another program changed it meanwhile. "
                                         "Nothing was changed; compact it again.")
                              .arg(doing));
    copy.copyAll();
    try {
        // A WAL file grown by the copy would keep the space until the next checkpoint.
        target.run("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const EngineError &) {
        // Another reader holds the log: it shrinks at a later checkpoint.
    }
}

} // namespace

namespace FreePages {

bool rebuildsWholeFile(Database &db)
{
    return autoVacuum(db) == None;
}

void giveBack(Database &db, const std::function<void()> &waiting)
{
    switch (autoVacuum(db)) {
    case Full:
        return;
    case Incremental:
        db.exec(QStringLiteral("PRAGMA incremental_vacuum"));
        return;
    default:
        break;
    }
    if (waiting)
        waiting(); // says what is under way before the first wait
    std::future<void> done = std::async(std::launch::async, rebuild, db.path());
    while (done.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) {
        if (waiting)
            waiting();
    }
    done.get(); // raises what the rebuild raised
}

void removeLeftoverFiles(Database &db)
{
    const QFileInfo database(db.path());
    const QDir folder = database.dir();
    const QStringList copies
        = folder.entryList(QStringList {copyPrefix(db.path()) + QStringLiteral("??????")},
            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : copies) {
        QFile copy(folder.filePath(name));
        if (!copy.open(QIODevice::ReadOnly) || !takeHold(copy))
            continue; // a rebuild is making it now
        QFile::remove(copy.fileName() + QStringLiteral("-journal"));
        copy.remove();
    }
}

void dropLeftoverIndexes(Database &db)
{
    const QString prefix = QStringLiteral("$$$keep rowids ");
    Statement s = db.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND substr(name, 1, ?1) = ?2"));
    s.bind(1, qint64(prefix.size()));
    s.bind(2, prefix);
    QStringList names;
    while (s.step())
        names << s.columnText(0);
    for (const QString &name : names)
        db.exec(QStringLiteral("DROP INDEX %1").arg(Database::quote(name)));
}

} // namespace FreePages
