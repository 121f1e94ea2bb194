#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>

class SpreadsheetApplication;

// Which workbook and sheet an export fills.
namespace ExportTarget {

// The database's workbook at path, made active. A stale office mark beside it is cleared first
// (see WorkbookLock). A file that does not exist yet is created as a new workbook saved there at
// once (its directory must exist); when that fails the new workbook is closed again. While no
// export is on screen (exportState 0) the file is opened; after one (1) the open workbooks are
// searched for its name, without regard to case, and the file opened when none has it. exportState
// becomes 0 whenever the workbook had to be opened or created.
WorkbookPtr workbook(SpreadsheetApplication &app, const QString &path, int &exportState);

// The first sheet named after the table, without regard to case; nullptr when there is none.
WorksheetPtr findSheet(Workbook &book, const QString &table);
// A sheet with a default name ("Sheet1", then "Sheet2" ...) renamed after the table and made
// active, or, when there is none, a sheet added for it.
WorksheetPtr takeOverSheet(Workbook &book, const QString &table);

// The question asked before an export replaces a sheet still on screen.
QString replaceQuestion(const QString &database, const QString &table);

} // namespace ExportTarget
