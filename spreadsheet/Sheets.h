#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>

// The sheets of one workbook in tab order; indices are 1-based.
class Sheets
{
public:
    virtual ~Sheets() = default;

    virtual int count() = 0;
    virtual WorksheetPtr item(int index) = 0;
    virtual WorksheetPtr item(const QString &name) = 0; // without regard to letter case
    // Appends a sheet named "Sheet" and the lowest number not in use, and activates it.
    virtual WorksheetPtr add() = 0;
};
