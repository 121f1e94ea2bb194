#include "datawindow/exchange/ReleaseSequence.h"

#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Worksheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

void waitProcessingEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() <= ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool attempt(SpreadsheetApplication &app)
{
    try {
        app.setVisible(true);
        app.sendKeys(QStringLiteral("{TAB}"));
        app.sendKeys(QStringLiteral("{ESC}"));
        waitProcessingEvents(ReleaseSequence::WaitMs);
        app.activeSheet()->activateCell(1, 1);
        return true;
    } catch (const SpreadsheetError &e) {
        if (e.kind() == SpreadsheetError::Kind::Gone
            || e.kind() == SpreadsheetError::Kind::Unavailable)
            throw;
        return false;
    }
}

} // namespace

namespace ReleaseSequence {

void run(SpreadsheetApplication &app, int &retryFlag, int boundMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (!attempt(app))
            retryFlag = 1;
        if (retryFlag != 1)
            break;
        retryFlag = 0;
        if (timer.elapsed() >= boundMs)
            throw SpreadsheetError(QCoreApplication::translate("ReleaseSequence", "the spreadsheet application does not answer"),
                SpreadsheetError::Kind::NotAnswering);
    }
    app.setVisible(false);
}

} // namespace ReleaseSequence
