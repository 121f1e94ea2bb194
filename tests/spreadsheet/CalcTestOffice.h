#pragma once

#include "spreadsheet/CalcProcess.h"
#include "spreadsheet/SpreadsheetOptions.h"

#include <QString>

// A headless office of a test's own: private profile and pipe under the given directory, started
// and ended by the test (the whole process group, so nothing is left running).
class CalcTestOffice
{
public:
    explicit CalcTestOffice(const QString &directory);
    ~CalcTestOffice();

    // Starts the office and waits until it listens; also points new connections at it.
    void start();
    void kill();
    void pause(); // stops it as if hung
    void resume();
    pid_t pid() const { return m_process.pid(); }
    bool running() { return m_process.running(); }
    SpreadsheetOptions options() const { return m_options; }

private:
    CalcProcess m_process;
    SpreadsheetOptions m_options;
    bool m_started = false;
};
