#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>

class Workbook
{
public:
    virtual ~Workbook() = default;

    // The file name with its extension; "Book" and a number while it has no file.
    virtual QString name() = 0;
    virtual QString fullName() = 0; // the full path, or name() while it has no file
    virtual void activate() = 0;
    virtual WorksheetPtr activeSheet() = 0;
    // The format follows the extension: .xls, .xlsx or .ods.
    virtual void saveAs(const QString &path) = 0;
    virtual void save() = 0;
    // Asks the before-close handler first (while events are on); raises when it keeps the workbook.
    virtual void close() = 0;
    virtual SheetsPtr sheets() = 0;
    virtual SheetsPtr worksheets() = 0; // the same sheets: a workbook holds only worksheets
};
