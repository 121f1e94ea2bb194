#include "datawindow/exchange/ExportTarget.h"

#include "datawindow/exchange/WorkbookLock.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"

#include <QFileInfo>

namespace ExportTarget {

WorkbookPtr workbook(SpreadsheetApplication &app, const QString &path, int &exportState)
{
    WorkbookLock::clearStale(app, path);
    auto books = app.workbooks();
    if (!QFileInfo::exists(path)) {
        auto book = books->add();
        try {
            book->saveAs(path);
        } catch (const SpreadsheetError &) {
            // An empty new workbook is not left on screen behind the message.
            try {
                book->close();
            } catch (const SpreadsheetError &) {
                // the first failure is the one to report
            }
            throw;
        }
        exportState = 0;
        return book;
    }
    if (exportState == 1) {
        const QString name = QFileInfo(path).fileName();
        const int count = books->count();
        for (int i = 1; i <= count; ++i) {
            auto book = books->item(i);
            if (book->name().compare(name, Qt::CaseInsensitive) == 0) {
                book->activate();
                return book;
            }
        }
        exportState = 0;
    }
    return books->open(path);
}

WorksheetPtr findSheet(Workbook &book, const QString &table)
{
    auto sheets = book.sheets();
    const int count = sheets->count();
    for (int i = 1; i <= count; ++i) {
        auto sheet = sheets->item(i);
        if (sheet->name().compare(table, Qt::CaseInsensitive) == 0) {
            sheet->activate();
            return sheet;
        }
    }
    return nullptr;
}

WorksheetPtr takeOverSheet(Workbook &book, const QString &table)
{
    auto sheets = book.sheets();
    const int count = sheets->count();
    QList<WorksheetPtr> all;
    QStringList names;
    for (int i = 1; i <= count; ++i) {
        all << sheets->item(i);
        names << all.last()->name();
    }
    WorksheetPtr target;
    for (int n = 1; n <= count && !target; ++n) {
        const QString wanted = QStringLiteral("Sheet%1").arg(n);
        for (int i = 0; i < count && !target; ++i) {
            if (names[i].compare(wanted, Qt::CaseInsensitive) == 0)
                target = all[i];
        }
    }
    // Searching again after adding could look for names the spreadsheet never gives: the added
    // sheet is taken as it is.
    if (!target)
        target = sheets->add();
    target->setName(table);
    target->activate();
    return target;
}

QString replaceQuestion(const QString &database, const QString &table)
{
    return QStringLiteral("Excel中") + database + QStringLiteral("工作簿中") + table
        + QStringLiteral("工作表中") + QLatin1Char('\n') + QStringLiteral("的数据将会被当前数据表(")
        + table + QStringLiteral("表)中的数据替换,") + QLatin1Char('\n')
        + QStringLiteral("是否调入？");
}

} // namespace ExportTarget
