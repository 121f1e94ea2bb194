#pragma once

struct sqlite3;

// SQLite writes a database one page per system call: storing a few hundred megabytes of pictures
// is then tens of thousands of 4 KB writes, and the kernel's per-call cost outweighs the copying.
// This VFS passes everything through to the platform's own VFS, except that the main database
// file of a connection can be told to gather writes that follow one another in the file into one
// write of up to BatchBytes.
//
// Gathered bytes reach the file before anything could depend on them: before the file is synced
// (SQLite syncs it before it ends a rollback journal or records a checkpoint as done), read where
// they overlap, sized, truncated, unlocked (another program reads it only after that), asked
// about in any other way, or closed. A write error then surfaces from that call, and SQLite rolls
// the transaction back as after any failed write. Batching is only turned on for a connection
// that syncs (synchronous is not OFF): without syncs a rollback journal could be removed while
// gathered pages were still in memory. Journal, log and temporary files are the platform's own.
namespace WriteBatchingVfs {

constexpr int BatchBytes = 64 * 1024; // below the platform VFS's largest single write (128 KB)

// The VFS's name for sqlite3_open_v2; registers it on first use (any thread).
const char *name();

// Turns gathering on or off for the connection's main database file; turning it off writes what
// was gathered. Returns whether gathering is now on: false when the file was not opened through
// this VFS, when the connection does not sync, or when writing the gathered bytes failed.
bool setBatching(sqlite3 *db, bool on);

} // namespace WriteBatchingVfs
