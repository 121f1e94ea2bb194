#pragma once

#include <functional>

class Database;

// Gives a database's free pages back to the file system, so the file shrinks after records or
// tables went away.
namespace FreePages {

// By the file's auto_vacuum setting: NONE rebuilds the whole file (its time and its disk space
// grow with the whole database, not with what is free); INCREMENTAL runs an incremental vacuum;
// FULL has nothing left to do. Needs no transaction open on `db`. The whole-file rebuild runs on
// connections of its own on another thread while this thread calls `waiting` every few tens of
// milliseconds (to keep the screen painted; it must not use the database). It changes the
// database in one transaction, so a failure or a kill at any moment leaves the file as it was or
// rebuilt; a kill can leave only the copy it was making, a file beside the database that
// removeLeftovers() removes. Raises EngineError.
void giveBack(Database &db, const std::function<void()> &waiting);

// Whether giveBack rebuilds the whole file: every table is then made anew from its records,
// packed, with its rowids, its place among the tables and its whole definition kept.
bool rebuildsWholeFile(Database &db);

// Removes what an earlier rebuild cut off by a kill or a power loss left behind: copies beside the
// database that no running rebuild is still making, and the empty "$$$keep rowids ..." indexes of
// earlier Tabvale versions (the index part needs a transaction open on `db`: it changes the
// schema).
void removeLeftoverFiles(Database &db);
void dropLeftoverIndexes(Database &db);

} // namespace FreePages
