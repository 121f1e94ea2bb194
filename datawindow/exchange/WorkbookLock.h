#pragma once

#include <QCoreApplication>
#include <QString>

class SpreadsheetApplication;

// The office's "in use" mark beside a workbook of the exports, checked before the export opens or
// stores the workbook.
class WorkbookLock
{
    Q_DECLARE_TR_FUNCTIONS(WorkbookLock)

public:
    // A mark left by an office that has ended is removed, and so is one of the export's own office
    // (see SpreadsheetOptions) when the workbook is not open in app. A workbook open in app needs
    // nothing. Raises ExchangeError, saying whose it is, when another office that still runs (or
    // one on another machine) has the workbook open, or when the mark cannot be removed.
    static void clearStale(SpreadsheetApplication &app, const QString &path);
};
