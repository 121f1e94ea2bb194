#pragma once

#include <QString>
#include <functional>

class TTable;

// The maintenance commands as the tests and the child process name them: compact, empty,
// restore, clear, delete. Returns what restoring answers (whether it found a backup), true for
// the others; raises EngineError for a name it does not know.
bool runMaintenanceCommand(const QString &command, TTable &table);

// The message an action raised for the user; empty when it raised nothing.
QString engineMessageOf(const std::function<void()> &action);
