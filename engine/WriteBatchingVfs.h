#pragma once

struct sqlite3;

// SQLite writes a database one page per system call: storing a few hundred megabytes of pictures
// is then tens of thousands of 4 KB writes, and the kernel's per-call cost outweighs the copying.
// This VFS passes everything through to the platform's own VFS, except that the main database
// file of a connection can be told to gather writes that follow one another in the file into one
// write of up to BatchBytes.
//
// The same for the write-ahead log of a database in WAL mode, whose frames are written as a
// 24-byte header and a page each.
//
// Gathered bytes reach the file before anything could depend on them: before the file is synced
// (SQLite syncs the database before it ends a rollback journal or records a checkpoint as done,
// and a log before its commit is recorded in the shared index when synchronous is FULL), read
// where they overlap, sized, truncated, unlocked (another program reads it only after that),
// asked about in any other way, or closed. A write error then surfaces from that call, and SQLite
// rolls the transaction back as after any failed write. So gathering is only turned on for a
// connection that syncs: for the database when synchronous is at least NORMAL (without syncs a
// rollback journal could be removed while gathered pages were still in memory), for the log when
// it is at least FULL. Rollback journals and temporary files are the platform's own.
//
// While gathering, the system is also asked every few megabytes to start writing the file to the
// disk (where it can: Linux), so that the sync at the commit finds most of it written already.
namespace WriteBatchingVfs {

constexpr int BatchBytes = 120 * 1024; // below the platform VFS's largest single write (128 KB)
// A write at least this large (a page of a database with large pages) goes to the file as it is:
// copying it would cost more than the call it saves.
constexpr int DirectBytes = 32 * 1024;

// The VFS's name for sqlite3_open_v2; registers it on first use (any thread).
const char *name();

// Turns gathering on or off for the connection's main database file and its open log (see above
// for when); turning it off writes what was gathered. Returns whether gathering is now on for the
// database file: false when the file was not opened through this VFS or the connection does not
// sync.
bool setBatching(sqlite3 *db, bool on);

// The system's descriptor of the connection's main database file as this VFS knows it (for
// starting its write-back early); -1 when it does not.
int descriptorOf(sqlite3 *db);

} // namespace WriteBatchingVfs
