#include "engine/CheckpointDeferred.h"

#include "engine/Database.h"
#include "engine/Statement.h"
#include "engine/WriteBatchingVfs.h"

#include <QFile>
#include <QLoggingCategory>
#include <QThreadPool>
#include <sqlite3.h>

namespace {

Q_LOGGING_CATEGORY(lcCheckpoint, "tabvale.engine.checkpoint")

// One worker: checkpoints follow one another rather than contend for a file's lock. The pool's
// end (at exit) waits for a checkpoint under way.
class CheckpointPool : public QThreadPool
{
public:
    CheckpointPool() { setMaxThreadCount(1); }
};
Q_GLOBAL_STATIC(CheckpointPool, checkpointers)

// Copies what it can of the log into the file without waiting for readers or writers. A failure
// (a full disk) loses nothing: the frames stay in the log, and a later checkpoint copies them.
void checkpoint(const QString &path)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, WriteBatchingVfs::name());
    if (rc == SQLITE_OK) {
        WriteBatchingVfs::setBatching(db, true);
        rc = sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        WriteBatchingVfs::setBatching(db, false);
    }
    if (rc != SQLITE_OK && rc != SQLITE_BUSY)
        qCWarning(lcCheckpoint) << path << rc << (db ? sqlite3_errmsg(db) : "");
    sqlite3_close_v2(db);
}

} // namespace

CheckpointDeferred::CheckpointDeferred(Database &db, Afterwards afterwards)
    : m_db(db), m_afterwards(afterwards)
{
    if (!db.inWalMode()) {
        m_afterwards = Afterwards::Nothing;
        m_pages = -1;
        return;
    }
    Statement s = db.prepare(QStringLiteral("PRAGMA wal_autocheckpoint"));
    m_pages = s.step() ? int(s.columnInt64(0)) : 0;
    db.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
}

CheckpointDeferred::~CheckpointDeferred()
{
    if (m_pages < 0)
        return;
    sqlite3_wal_autocheckpoint(m_db.handle(), m_pages);
    if (m_afterwards == Afterwards::OnWorker)
        checkpointers()->start([path = m_db.path()] { checkpoint(path); });
}

void CheckpointDeferred::waitForWorkers()
{
    checkpointers()->waitForDone();
}
