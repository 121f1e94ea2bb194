#pragma once

#include "spreadsheet/SpreadsheetApplication.h"

// Stands in when the program was built without the office SDK: every call raises SpreadsheetError.
class UnavailableApplication final : public SpreadsheetApplication
{
public:
    void setVisible(bool) override { fail(); }
    bool visible() const override { fail(); }
    void sendKeys(const QString &) override { fail(); }
    void setDisplayAlerts(bool) override { fail(); }
    bool displayAlerts() const override { fail(); }
    void setEnableEvents(bool) override { fail(); }
    bool enableEvents() const override { fail(); }
    void save() override { fail(); }
    void quit() override { fail(); }
    WorkbooksPtr workbooks() override { fail(); }
    WorkbookPtr activeWorkbook() override { fail(); }
    WorksheetPtr activeSheet() override { fail(); }
    CellsPtr cells() override { fail(); }
    SheetShapePtr selection() override { fail(); }
    void setBeforeCloseHandler(BeforeCloseHandler) override { }

private:
    [[noreturn]] static void fail();
};
