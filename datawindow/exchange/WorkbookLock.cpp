#include "datawindow/exchange/WorkbookLock.h"

#include "datawindow/exchange/ExchangeError.h"
#include "spreadsheet/OfficeLockFile.h"
#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/SpreadsheetOptions.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The profile of the office the exports drive: a mark made with it can only be that office's.
QString exportOfficeProfile()
{
    const QString profile = SpreadsheetOptions::fromEnvironment().profileDirectory;
    return profile.isEmpty() ? OfficeLockFile::defaultProfile() : profile;
}

bool openIn(SpreadsheetApplication &app, const QString &path)
{
    const QString wanted = QFileInfo(path).canonicalFilePath();
    auto books = app.workbooks();
    const int count = books->count();
    for (int i = 1; i <= count; ++i) {
        if (QFileInfo(books->item(i)->fullName()).canonicalFilePath() == wanted)
            return true;
    }
    return false;
}

} // namespace

void WorkbookLock::clearStale(SpreadsheetApplication &app, const QString &path)
{
    const QString markPath = OfficeLockFile::pathFor(path);
    if (!QFileInfo::exists(markPath))
        return;
    const auto mark = OfficeLockFile::read(path);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo::exists(path) && openIn(app, path))
        return; // the mark is that application's own
    // The export's own office does not have it open, so a mark of its profile is a stale one.
    if (mark && !mark->madeWith(exportOfficeProfile()) && mark->ownerRunning()) {
        throw ExchangeError(tr("The workbook “%1” is open in the spreadsheet application of %2 "
                               "on %3 (since %4). Close it there, then put the table into the "
                               "spreadsheet again.")
                                .arg(name, mark->owner(), mark->host(), mark->since()));
    }
    // An unreadable mark helps nobody either: no office can tell whose it is.
    if (!QFile::remove(markPath))
        throw ExchangeError(tr("The workbook “%1” is still marked as in use by a spreadsheet "
                               "application that has ended, and Tabvale may not remove the mark. "
                               "Delete the file “%2”, then put the table into the spreadsheet "
                               "again.")
                                .arg(name, QDir::toNativeSeparators(markPath)));
}
