#include "engine/Database.h"

#include "engine/EngineError.h"
#include "engine/SqliteFailure.h"
#include "engine/WriteBatchingVfs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <utility>
#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// One connection per file per thread, alive while some table of the thread holds it.
thread_local QHash<QString, std::weak_ptr<Database>> threadConnections;

constexpr int BusyTimeoutMs = 5000;
constexpr int LockProbeMs = 200;

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool hasWritePermissionBit(const QString &path)
{
    return QFile::permissions(path)
        & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

bool onReadOnlyDisk(const QString &path)
{
    struct statvfs disk
    {
    };
    return ::statvfs(QFile::encodeName(path).constData(), &disk) == 0 && (disk.f_flag & ST_RDONLY);
}

// Why the file cannot be written, or empty when nothing says so before trying. The permission
// bits are read as well as asked about, so a read-only file counts as one even for root. Writing
// needs the folder too: the rollback journal (or the WAL files) are made beside the database.
QString readOnlyReasonFor(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (onReadOnlyDisk(path))
        return QCoreApplication::translate("Database", "it is on a read-only disk");
    if (!hasWritePermissionBit(path) || ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return QCoreApplication::translate("Database", "the file is read-only");
    if (!hasWritePermissionBit(folder)
        || ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return QCoreApplication::translate("Database", "its folder cannot be written to");
    return {};
}

// Taking the write lock and giving it back at once writes nothing; it fails when another program
// holds the database for writing.
bool lockedByAnotherProgram(sqlite3 *db)
{
    sqlite3_busy_timeout(db, LockProbeMs);
    const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

} // namespace

std::shared_ptr<Database> Database::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw EngineError(
            QCoreApplication::translate("Database", "The database file “%1” does not exist.").arg(nativePath(path)));
    if (!info.isFile())
        throw EngineError(QCoreApplication::translate("Database", "“%1” is not a database file.").arg(nativePath(path)));
    const QString key = info.canonicalFilePath();
    if (auto existing = threadConnections.value(key).lock())
        return existing;

    QString reason = readOnlyReasonFor(key);
    const bool readOnly = !reason.isEmpty();
    sqlite3 *db = openHandle(key, readOnly, false);
    std::shared_ptr<Database> connection(new Database(db, key, readOnly));
    // The first read shows whether the file is a database at all. A read-only WAL database in a
    // folder we cannot write to needs the immutable mode to be read.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr)
        != SQLITE_OK) {
        if (!readOnly || sqlite3_errcode(db) == SQLITE_NOTADB)
            connection->raise(
                QCoreApplication::translate("Database", "opening the database “%1”")
                    .arg(nativePath(key)));
        connection.reset();
        db = openHandle(key, true, true);
        connection.reset(new Database(db, key, true));
        if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr)
            != SQLITE_OK)
            connection->raise(
                QCoreApplication::translate("Database", "opening the database “%1”")
                    .arg(nativePath(key)));
    }
    // The file's own journal mode is kept: switching it would rewrite the user's file for good.
    if (!readOnly && lockedByAnotherProgram(db)) {
        reason = QCoreApplication::translate("Database", "another program is using it");
        connection.reset();
        db = openHandle(key, true, false);
        connection.reset(new Database(db, key, true));
    }
    if (reason.isEmpty() && sqlite3_db_readonly(db, "main") == 1)
        reason = QCoreApplication::translate("Database", "it cannot be opened for writing");
    connection->m_readOnly = !reason.isEmpty();
    connection->m_readOnlyReason = reason;
    threadConnections.insert(key, connection);
    return connection;
}

sqlite3 *Database::openHandle(const QString &path, bool readOnly, bool immutable)
{
    sqlite3 *db = nullptr;
    int flags = SQLITE_OPEN_NOMUTEX | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    QByteArray name = QFile::encodeName(path);
    if (immutable) {
        flags |= SQLITE_OPEN_URI;
        name = "file:" + QUrl::toPercentEncoding(path, "/") + "?immutable=1";
    }
    // The platform's VFS, except that a large load can have its page writes gathered.
    const int rc = sqlite3_open_v2(name.constData(), &db, flags, WriteBatchingVfs::name());
    if (rc != SQLITE_OK) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        qCWarning(lcSqlite) << nativePath(path) << code << (db ? sqlite3_errmsg(db) : "");
        const QString reason = SqliteFailure::reason(code);
        sqlite3_close_v2(db);
        throw EngineError(QCoreApplication::translate("Database", "The database “%1” cannot be opened: %2.")
                              .arg(nativePath(path), reason));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    return db;
}

void Database::create(const QString &path, int pageSize)
{
    if (QFileInfo::exists(path))
        throw EngineError(QCoreApplication::translate("Database", "The file “%1” already exists.").arg(nativePath(path)));
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // The page size must be set before anything is written. WAL is kept in the file; writing the
    // mode also writes the file's first page.
    const QByteArray pageSizing = "PRAGMA page_size=" + QByteArray::number(pageSize);
    const bool ok = rc == SQLITE_OK
        && (pageSize == 0
            || sqlite3_exec(db, pageSizing.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        && sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK;
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    const QString reason = SqliteFailure::reason(code);
    sqlite3_close_v2(db);
    if (!ok)
        throw EngineError(QCoreApplication::translate("Database", "The database “%1” cannot be created: %2.")
                              .arg(nativePath(path), reason));
}

Database::Database(sqlite3 *db, const QString &path, bool readOnly)
    : m_db(db), m_path(path), m_readOnly(readOnly)
{ }

Database::~Database()
{
    sqlite3_close_v2(m_db);
    auto it = threadConnections.find(m_path);
    if (it != threadConnections.end() && it->expired())
        threadConnections.erase(it);
}

void Database::checkWritable(const QString &what) const
{
    if (m_readOnly)
        throw EngineError(QCoreApplication::translate("Database", "The database “%1” is read-only (%2): %3 is not possible.")
                              .arg(nativePath(m_path), m_readOnlyReason, what));
}

QString Database::readOnlyMessage() const
{
    if (!m_readOnly)
        return {};
    return QCoreApplication::translate("Database", "The database “%1” is opened read-only because %2. Its records can be "
                          "read, but no change can be stored.")
        .arg(nativePath(m_path), m_readOnlyReason);
}

void Database::exec(const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        raise(QCoreApplication::translate("Database", "changing the database “%1”")
                .arg(nativePath(m_path)));
    }
}

bool Database::tableExists(const QString &table)
{
    Statement s
        = prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    s.bind(1, table);
    return s.step();
}

bool Database::inWalMode()
{
    Statement s = prepare(QStringLiteral("PRAGMA main.journal_mode"));
    return s.step() && s.columnText(0).compare(u"wal", Qt::CaseInsensitive) == 0;
}

qint64 Database::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(m_db);
}

QString Database::quote(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

quint64 Database::tableGeneration(const QString &table) const
{
    const auto it = m_changes.constFind(table);
    return it == m_changes.constEnd() ? 0 : it->generation;
}

void Database::tableChanged(const QString &table)
{
    TableChanges &changes = m_changes[table];
    changes.generation = ++m_generationCounter;
    changes.knownSince = changes.generation;
    changes.log.clear();
}

void Database::recordChanged(const QString &table, RecordSetChange change)
{
    TableChanges &changes = m_changes[table];
    changes.generation = ++m_generationCounter;
    changes.log.emplace_back(changes.generation, change);
    if (changes.log.size() > size_t(KeptChanges)) {
        changes.knownSince = changes.log.front().first;
        changes.log.pop_front();
    }
}

void Database::recordInserted(const QString &table, qint64 key)
{
    recordChanged(table, {true, key});
}

void Database::recordDeleted(const QString &table, qint64 key)
{
    recordChanged(table, {false, key});
}

std::optional<std::vector<Database::RecordSetChange>> Database::changesSince(
    const QString &table, quint64 since) const
{
    const auto it = m_changes.constFind(table);
    if (it == m_changes.constEnd())
        return std::vector<RecordSetChange>();
    if (since < it->knownSince)
        return std::nullopt;
    std::vector<RecordSetChange> result;
    for (const auto &[generation, change] : it->log) {
        if (generation > since)
            result.push_back(change);
    }
    return result;
}

qint64 Database::dataVersion()
{
    Statement s = prepare(QStringLiteral("PRAGMA data_version"));
    return s.step() ? s.columnInt64(0) : 0;
}

qint64 Database::schemaVersion()
{
    Statement s = prepare(QStringLiteral("PRAGMA schema_version"));
    return s.step() ? s.columnInt64(0) : 0;
}

qint64 Database::pagesRead() const
{
    int current = 0;
    int highWater = 0;
    sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highWater, 0);
    return current;
}

void Database::setStatementObserver(std::function<void(const QString &)> observer)
{
    m_observer = std::move(observer);
    if (!m_observer) {
        sqlite3_trace_v2(m_db, 0, nullptr, nullptr);
        return;
    }
    sqlite3_trace_v2(
        m_db, SQLITE_TRACE_STMT,
        [](unsigned, void *context, void *, void *text) -> int {
            const auto *self = static_cast<const Database *>(context);
            const auto *sql = static_cast<const char *>(text);
            // Statements run by triggers arrive as comments ("-- ..."): the outer one is enough.
            if (self->m_observer && !(sql[0] == '-' && sql[1] == '-'))
                self->m_observer(QString::fromUtf8(sql));
            return 0;
        },
        this);
}

void Database::setInterruptCheck(std::function<bool()> check)
{
    m_interruptCheck = std::move(check);
    if (!m_interruptCheck) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        sqlite3_busy_timeout(m_db, BusyTimeoutMs);
        return;
    }
    // A wait for another connection's lock is broken too: it is not a step of the statement.
    constexpr int BusySleepMs = 10;
    sqlite3_busy_handler(
        m_db,
        [](void *context, int tries) -> int {
            const auto *self = static_cast<const Database *>(context);
            if ((self->m_interruptCheck && self->m_interruptCheck())
                || tries * BusySleepMs >= BusyTimeoutMs)
                return 0;
            sqlite3_sleep(BusySleepMs);
            return 1;
        },
        this);
    constexpr int StepsBetweenChecks = 200;
    sqlite3_progress_handler(
        m_db, StepsBetweenChecks,
        [](void *context) -> int {
            const auto *self = static_cast<const Database *>(context);
            return self->m_interruptCheck && self->m_interruptCheck() ? 1 : 0;
        },
        this);
}

QString Database::lastError() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Database::raise(const QString &doing) const
{
    const QString command = m_command.isEmpty() ? doing : m_command;
    const int code = sqlite3_extended_errcode(m_db);
    qCWarning(lcSqlite) << nativePath(m_path) << command << code << lastError();
    throw EngineError(SqliteFailure::message(command, code, SqliteFailure::raisedText(m_db)));
}

QString Database::displayPath() const
{
    return nativePath(m_path);
}

QString Database::setCommand(const QString &command)
{
    return std::exchange(m_command, command);
}
