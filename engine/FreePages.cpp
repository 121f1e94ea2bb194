#include "FreePages.h"

#include "Database.h"
#include "EngineError.h"

#include <chrono>
#include <future>

namespace {

enum AutoVacuum { None = 0, Full = 1, Incremental = 2 };

int autoVacuum(Database &db)
{
    Statement s = db.prepare(QStringLiteral("PRAGMA auto_vacuum"));
    return s.step() ? int(s.columnInt64(0)) : None;
}

void vacuum(const QString &path)
{
    const auto db = Database::open(path); // this thread's own connection, gone with the thread
    db->exec(QStringLiteral("VACUUM"));
    try {
        // A WAL file grown by the rebuild would keep the space until the next checkpoint.
        db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    } catch (const EngineError &) {
        // Another reader holds the log: it shrinks at a later checkpoint.
    }
}

} // namespace

namespace FreePages {

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
    std::future<void> done = std::async(std::launch::async, vacuum, db.path());
    while (done.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready) {
        if (waiting)
            waiting();
    }
    done.get(); // raises what the vacuum raised
}

} // namespace FreePages
