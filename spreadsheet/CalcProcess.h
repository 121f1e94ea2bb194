#pragma once

#include <QStringList>
#include <sys/types.h>

// An office process started by this program, in a process group of its own with its output
// discarded, so it can be ended as a whole (the launcher starts the real office as a child).
class CalcProcess
{
public:
    CalcProcess() = default;
    CalcProcess(const CalcProcess &) = delete;
    CalcProcess &operator=(const CalcProcess &) = delete;
    ~CalcProcess(); // leaves the process running: the office outlives this program

    void start(const QString &program, const QStringList &arguments);
    pid_t pid() const { return m_pid; }
    // Reaps the launcher when it has ended; true while it still runs.
    bool running();
    bool waitForExit(int timeoutMs);
    // After it has ended: whether it failed (could not be run, or ended with an error).
    bool failed() const { return m_exited && m_status != 0; }
    void kill(); // the whole group, then reaps

private:
    pid_t m_pid = 0;
    bool m_exited = false;
    int m_status = 0;
};
