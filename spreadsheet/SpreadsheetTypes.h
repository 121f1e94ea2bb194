#pragma once

#include <functional>
#include <memory>

// Handles of the spreadsheet object model. Every object is shared: a handle stays valid (but its
// calls raise SpreadsheetError) after the object behind it is gone from the spreadsheet.
class Workbooks;
class Workbook;
class Sheets;
class Worksheet;
class Cells;
class SheetShape;

using WorkbooksPtr = std::shared_ptr<Workbooks>;
using WorkbookPtr = std::shared_ptr<Workbook>;
using SheetsPtr = std::shared_ptr<Sheets>;
using WorksheetPtr = std::shared_ptr<Worksheet>;
using CellsPtr = std::shared_ptr<Cells>;
using SheetShapePtr = std::shared_ptr<SheetShape>;

// Asked before a workbook closes, on whatever thread the spreadsheet reports it; true keeps it
// open.
using BeforeCloseHandler = std::function<bool(const WorkbookPtr &workbook)>;
