#pragma once

#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>

// The open workbooks, in the order they were opened; indices are 1-based.
class Workbooks
{
public:
    virtual ~Workbooks() = default;

    virtual int count() = 0;
    virtual WorkbookPtr item(int index) = 0;
    // By name, with or without its extension, without regard to letter case.
    virtual WorkbookPtr item(const QString &name) = 0;
    // A new empty workbook, which becomes the active one.
    virtual WorkbookPtr add() = 0;
    // Opens the file at the full path (or returns it when it is open already) and activates it.
    virtual WorkbookPtr open(const QString &path) = 0;
};
