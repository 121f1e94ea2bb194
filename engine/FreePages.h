#pragma once

#include <functional>

class Database;

// Gives a database's free pages back to the file system, so the file shrinks after records or
// tables went away.
namespace FreePages {

// By the file's auto_vacuum setting: NONE runs VACUUM, which rewrites the whole file (its time and
// its temporary disk space grow with the whole database, not with what is free); INCREMENTAL runs
// an incremental vacuum; FULL has nothing left to do. Needs no transaction open on `db`. VACUUM
// runs on a connection of its own on another thread while this thread calls `waiting` every few
// tens of milliseconds (to keep the screen painted; it must not use the database). Raises
// EngineError.
void giveBack(Database &db, const std::function<void()> &waiting);

// Whether giveBack rebuilds the whole file (VACUUM): every table is then made anew from its
// records, packed, with its rowids and its whole definition kept.
bool rebuildsWholeFile(Database &db);

} // namespace FreePages
