#pragma once

#include <QString>

// How the spreadsheet application is reached and, when none is running, started.
struct SpreadsheetOptions
{
    // The local pipe the office listens on; owner-only, so no other user can drive it.
    QString pipeName;
    // A private office profile directory; empty uses the user's own profile (and running office).
    QString profileDirectory;
    // No display: windows are never shown and Visible only records the state.
    bool headless = false;
    QString officeProgram = QStringLiteral("soffice");
    // A call that takes longer is abandoned and reported as "does not answer".
    int callTimeoutMs = 30000;
    // How long a newly started office may take before it accepts the connection.
    int startTimeoutMs = 60000;

    // The defaults, overridden by TABVALE_CALC_PIPE, TABVALE_CALC_PROFILE, TABVALE_CALC_HEADLESS,
    // TABVALE_CALC_PROGRAM, TABVALE_CALC_TIMEOUT_MS (tests use these to point every connection at
    // their own office).
    static SpreadsheetOptions fromEnvironment();
};
