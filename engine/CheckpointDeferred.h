#pragma once

#include <QString>

class Database;

// While alive, commits on the connection leave a WAL database's log as it is instead of copying it
// into the database file once it is long (SQLite's automatic checkpoint, which runs inside the
// commit that fills the log). Committed work is durable and seen by every connection either way:
// the log is part of the database. Does nothing to a database with a rollback journal.
//
// Afterwards::OnWorker: when it ends, the log is copied into the file on a worker thread with a
// connection of its own, so whoever wrote a few hundred megabytes does not also wait for them to be
// written a second time. Afterwards::Nothing: the connection's next long-enough commit, or the
// caller (a VACUUM does it), checkpoints.
class CheckpointDeferred
{
public:
    enum class Afterwards { Nothing, OnWorker };

    explicit CheckpointDeferred(Database &db, Afterwards afterwards = Afterwards::Nothing);
    ~CheckpointDeferred();
    CheckpointDeferred(const CheckpointDeferred &) = delete;
    CheckpointDeferred &operator=(const CheckpointDeferred &) = delete;

    // Waits until every checkpoint handed to a worker so far has ended (tests, benches, and
    // before a file is removed).
    static void waitForWorkers();

private:
    Database &m_db;
    Afterwards m_afterwards;
    int m_pages = 0; // the connection's own automatic checkpoint threshold, given back at the end
};
