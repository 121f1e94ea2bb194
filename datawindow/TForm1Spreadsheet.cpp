// The data window's connection to the spreadsheet application: bringing it out of a cell being
// edited, and shutting it down.
#include "TForm1.h"

#include "TExcelApplication.h"

void TForm1::releaseSpreadsheetEditing()
{
    if (!ExcelApplication1)
        return;
    SpreadsheetApplication &app = ExcelApplication1->Application();
    app.setVisible(true);
    app.sendKeys(QStringLiteral("{TAB}"));
    app.sendKeys(QStringLiteral("{ESC}"));
}

void TForm1::releaseSpreadsheet()
{
    if (!ExcelApplication1)
        return;
    try {
        SpreadsheetApplication &app = ExcelApplication1->Application();
        app.setEnableEvents(false);
        app.setDisplayAlerts(false);
        app.quit();
    } catch (const std::exception &) {
        // Shutting down: a spreadsheet that is gone or refuses is left as it is.
    }
    delete ExcelApplication1;
    ExcelApplication1 = nullptr;
}

void TForm1::IntoExcel1Click() { }

void TForm1::SaveAndClose1Click() { }
