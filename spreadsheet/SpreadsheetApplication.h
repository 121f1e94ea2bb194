#pragma once

#include "spreadsheet/SpreadsheetOptions.h"
#include "spreadsheet/SpreadsheetTypes.h"

#include <QString>

// The spreadsheet application as the data windows drive it. All calls are made from the GUI thread;
// every refused or failed call raises SpreadsheetError.
class SpreadsheetApplication
{
public:
    virtual ~SpreadsheetApplication() = default;

    // Calc when the build found it, otherwise an application whose every call reports that the
    // spreadsheet application is not installed. Connects on the first call, not here.
    static std::shared_ptr<SpreadsheetApplication> create(const SpreadsheetOptions &options);
    // Whether create() gives an application that can be started (false without Calc).
    static bool installed(const SpreadsheetOptions &options);

    // Shows or hides the application's windows; without a display it only records the state.
    virtual void setVisible(bool visible) = 0;
    virtual bool visible() const = 0;
    // "{TAB}" and "{ESC}": leave the cell the user is editing. Other keys are refused.
    virtual void sendKeys(const QString &keys) = 0;
    virtual void setDisplayAlerts(bool on) = 0;
    virtual bool displayAlerts() const = 0;
    // Off: the before-close handler is not asked, so workbooks close freely.
    virtual void setEnableEvents(bool on) = 0;
    virtual bool enableEvents() const = 0;
    // Stores every open workbook that has a file; the others are left alone.
    virtual void save() = 0;
    // Ends the application when this program started it, otherwise closes only the workbooks this
    // program opened or added. The object stays usable: the next call connects again.
    virtual void quit() = 0;

    virtual WorkbooksPtr workbooks() = 0;
    virtual WorkbookPtr activeWorkbook() = 0;
    virtual WorksheetPtr activeSheet() = 0;
    virtual CellsPtr cells() = 0; // of the active sheet
    // The object of the last paste (a picture); raises when nothing was pasted yet.
    virtual SheetShapePtr selection() = 0;

    // Asked on the spreadsheet's own thread (or inside the call that closes); may be left empty.
    virtual void setBeforeCloseHandler(BeforeCloseHandler handler) = 0;
};
