#pragma once

class SpreadsheetApplication;

// Brings the spreadsheet out of a cell the user is editing and waits until it takes calls again:
// show it, send Tab and Escape, wait half a second while the program's events are processed, then
// make A1 of the active sheet the current cell. While a step fails the retry flag is set and the
// sequence runs again, for at most boundMs; after the first success the spreadsheet is hidden.
// Raises SpreadsheetError "the spreadsheet application does not answer" when the bound is
// reached, and at once when the application is gone.
namespace ReleaseSequence {

constexpr int DefaultBoundMs = 10000;
constexpr int WaitMs = 500;

void run(SpreadsheetApplication &app, int &retryFlag, int boundMs = DefaultBoundMs);

} // namespace ReleaseSequence
