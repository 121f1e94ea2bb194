// The data window and the spreadsheet application: putting the open table into its sheet of the
// database's workbook, writing the sheets back, and closing the connection.
#include "datawindow/TForm1.h"

#include "common/Prompts.h"
#include "controls/ComboLists.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/TImage.h"
#include "datawindow/exchange/ExchangeError.h"
#include "datawindow/exchange/ExportRecord.h"
#include "datawindow/exchange/ExportTarget.h"
#include "datawindow/exchange/ReleaseSequence.h"
#include "datawindow/exchange/SheetWriteBack.h"
#include "datawindow/exchange/TableExport.h"
#include "datawindow/exchange/WorkbookLocation.h"
#include "engine/Engine.h"
#include "engine/TTable.h"
#include "engine/TableDriver.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"

#include <QCoreApplication>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>

namespace {

// The release sequence processes events while it waits: a second click must not start another
// exchange inside the first.
bool exchangeRunning = false;

class ExchangeGuard
{
public:
    ExchangeGuard() : m_entered(!exchangeRunning) { exchangeRunning = true; }
    ~ExchangeGuard()
    {
        if (m_entered)
            exchangeRunning = false;
    }
    ExchangeGuard(const ExchangeGuard &) = delete;
    ExchangeGuard &operator=(const ExchangeGuard &) = delete;
    bool entered() const { return m_entered; }

private:
    bool m_entered;
};

// Bound controls stay still while a table is walked; they show where it ends up once.
class ControlsStill
{
public:
    explicit ControlsStill(TTable &table) : m_table(table) { m_table.disableControls(); }
    ~ControlsStill() { m_table.enableControls(); }
    ControlsStill(const ControlsStill &) = delete;
    ControlsStill &operator=(const ControlsStill &) = delete;

private:
    TTable &m_table;
};

ExportRecord *exportRecordOf(TExcelApplication &connection, bool create)
{
    auto *record = connection.findChild<ExportRecord *>(QString(), Qt::FindDirectChildrenOnly);
    if (!record && create)
        record = new ExportRecord(&connection);
    return record;
}

// Nothing more can be done through this connection: the application ended or cannot be had.
bool spreadsheetGone(const std::exception &error)
{
    const auto kind = ExchangeError::kindOf(error);
    return kind == SpreadsheetError::Kind::Gone || kind == SpreadsheetError::Kind::Unavailable;
}

QStringList entriesOf(const QComboBox *box)
{
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

} // namespace

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
    // Nothing is left to close (clearing errors releases the connection this way too).
    if (SaveAndClose1)
        SaveAndClose1->setEnabled(false);
}

void TForm1::IntoExcel1Click()
{
    ExchangeGuard guard;
    if (!guard.entered())
        return;
    // Nothing changes when the export cannot even begin.
    if (!TExcelApplication::available())
        throw SpreadsheetError(QCoreApplication::translate("TForm1Spreadsheet", "the spreadsheet application is not installed"),
            SpreadsheetError::Kind::Unavailable);
    if (!Table1->active())
        throw ExchangeError(QCoreApplication::translate("TForm1Spreadsheet", "No table is open: choose the table to put into the "
                                           "spreadsheet first."));
    if (LookData1->isChecked())
        closeLookData();
    if (InputPicture1->isChecked())
        closeInputPicture();
    try {
        connectSpreadsheet();
        QString workbookPath;
        if (auto sheet = exportTargetSheet(workbookPath))
            exportTable(*sheet, workbookPath);
    } catch (const std::exception &error) {
        if (spreadsheetGone(error)) {
            releaseSpreadsheet();
        } else if (ExcelApplication1) {
            // The sheet the user may have edited before is not left hidden.
            try {
                ExcelApplication1->Application().setVisible(true);
            } catch (const std::exception &) {
                // the first failure is the one to report
            }
        }
        throw;
    }
}

void TForm1::connectSpreadsheet()
{
    if (ExcelApplication1)
        return;
    auto connection = std::make_unique<TExcelApplication>(this);
    connection->Application().setVisible(false); // the first call connects
    connection->Tag = 0;
    connect(connection.get(), &TExcelApplication::workbookBeforeClose, this,
        [this](Workbook &workbook, bool &cancel) {
            aTExcelApplicationWorkbookBeforeClose(workbook, cancel);
        });
    ExcelApplication1 = connection.release();
}

std::shared_ptr<Worksheet> TForm1::exportTargetSheet(QString &workbookPath)
{
    SpreadsheetApplication &app = ExcelApplication1->Application();
    int &exportState = ExcelApplication1->Tag;
    if (exportState == 1)
        ReleaseSequence::run(app, DBMemo1->Tag);
    const QString database = Table1->databaseName();
    const QString table = Table1->tableName();
    const QString directory = WorkbookLocation::directory();
    const QString path = QDir(directory).filePath(WorkbookLocation::fileNameFor(database));
    if (!QFileInfo::exists(path) && !WorkbookLocation::makeDirectory(directory)) {
        Prompts::message(
            this, QStringLiteral("程序错误！"), QApplication::applicationDisplayName());
        if (exportState == 1)
            app.setVisible(true);
        return nullptr;
    }
    auto book = ExportTarget::workbook(app, path, exportState);
    workbookPath = book->fullName();
    auto sheet = ExportTarget::findSheet(*book, table);
    if (sheet && exportState == 1
        && Prompts::message(this, ExportTarget::replaceQuestion(database, table),
               QStringLiteral("将数据调入Excel"), QMessageBox::Ok | QMessageBox::Cancel)
            != QMessageBox::Ok) {
        app.setVisible(true);
        return nullptr;
    }
    return sheet ? sheet : ExportTarget::takeOverSheet(*book, table);
}

void TForm1::exportTable(Worksheet &sheet, const QString &workbookPath)
{
    SpreadsheetApplication &app = ExcelApplication1->Application();
    const QString table = Table1->tableName();
    TableExport exporter(*Table1, sheet, *exportRecordOf(*ExcelApplication1, true),
        ExportRecord::sheetKey(workbookPath, sheet.name()), Image1->picture());
    try {
        ControlsStill still(*Table1);
        exporter.run();
    } catch (const std::exception &error) {
        // The window is put together again; the sheet keeps what was written so far.
        try {
            OpenTable();
        } catch (const std::exception &) {
            // the first failure is the one to report
        }
        throw ExchangeError(QCoreApplication::translate("TForm1Spreadsheet", "Putting the table “%1” into the spreadsheet stopped at "
                                           "row %2 of its sheet: %3")
                                .arg(table)
                                .arg(exporter.row())
                                .arg(ExchangeError::messageOf(error)),
            ExchangeError::kindOf(error));
    }
    app.setVisible(true);
    ExcelApplication1->Tag = 1;
    OpenTable();
    Table1->first();
    SaveAndClose1->setEnabled(true);
}

void TForm1::SaveAndClose1Click()
{
    ExchangeGuard guard;
    if (!guard.entered())
        return;
    if (!ExcelApplication1) {
        SaveAndClose1->setEnabled(false);
        return;
    }
    const auto answer = Prompts::message(this, QStringLiteral("是否要将数据存入数据库中？"),
        QStringLiteral("退出"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return;
    SpreadsheetApplication &app = ExcelApplication1->Application();
    try {
        try {
            app.activeSheet()->activateCell(1, 1);
        } catch (const SpreadsheetError &e) {
            if (spreadsheetGone(e))
                throw;
            ReleaseSequence::run(app, DBMemo1->Tag);
            app.setVisible(false);
        }
        if (answer == QMessageBox::Yes)
            writeBackWorkbooks();
    } catch (const std::exception &error) {
        if (!spreadsheetGone(error))
            throw;
        // With No nothing was to be kept; with Yes the sheets went with the application.
        releaseSpreadsheet();
        if (answer == QMessageBox::No) {
            finishSpreadsheet();
            return;
        }
        if (dynamic_cast<const ExchangeError *>(&error))
            throw;
        throw ExchangeError(QCoreApplication::translate("TForm1Spreadsheet", "Nothing was written back"), error);
    }
    finishSpreadsheet();
}

void TForm1::writeBackWorkbooks()
{
    SpreadsheetApplication &app = ExcelApplication1->Application();
    app.setEnableEvents(false);
    app.setDisplayAlerts(false);
    try {
        app.save(); // nothing below relies on it; a workbook that cannot be stored stays as it is
    } catch (const SpreadsheetError &e) {
        if (e.applicationLost())
            throw;
    }
    setComboHandlersAttached(false);
    DBImage1->Hint = CBDBase->currentText();
    DBImage2->Hint = CBTable->currentText();
    Table1->close();
    DBImage1->setDataField(QString());
    freeFieldPanel();
    FieldPanelHeight = 0;
    try {
        const QStringList databases = entriesOf(CBDBase);
        auto books = app.workbooks();
        const int count = books->count();
        for (int i = 1; i <= count; ++i) {
            auto book = books->item(i);
            const QString database = WorkbookLocation::databaseOf(book->name(), databases);
            if (database.isEmpty())
                continue;
            ComboLists::fill(CBTable, Engine::tableNames(database));
            const QStringList tables = entriesOf(CBTable);
            const QString path = book->fullName();
            auto sheets = book->worksheets();
            const int sheetCount = sheets->count();
            for (int s = 1; s <= sheetCount; ++s) {
                auto sheet = sheets->item(s);
                if (tables.contains(sheet->name())) // exactly, letter case included
                    writeBackSheet(database, *sheet, path);
            }
        }
    } catch (const std::exception &error) {
        try {
            restoreAfterWriteBack();
            if (!spreadsheetGone(error))
                app.setEnableEvents(true);
        } catch (const std::exception &) {
            // the first failure is the one to report
        }
        if (dynamic_cast<const ExchangeError *>(&error))
            throw;
        throw ExchangeError(QCoreApplication::translate("TForm1Spreadsheet", "Writing back stopped"), error);
    }
    restoreAfterWriteBack();
    DBMemo1->Tag = 1; // the window's table is open again already
}

void TForm1::writeBackSheet(const QString &database, Worksheet &sheet, const QString &workbookPath)
{
    const QString table = sheet.name();
    Table1->close();
    DBImage1->setDataField(QString());
    Table1->setDatabaseName(database);
    Table1->setTableName(table);
    SheetWriteBack writer(*Table1, sheet, exportRecordOf(*ExcelApplication1, false),
        ExportRecord::sheetKey(workbookPath, table));
    try {
        ControlsStill still(*Table1);
        Table1->open();
        // The write-back walks the records inside one transaction: the record list is read to
        // its end first, so that its loader does not read while the transaction holds the file.
        Table1->waitForRecordList();
        Table1->first();
        // One transaction for the sheet: fast, and a failure leaves the table as it was.
        const std::unique_ptr<TableWork> work = Table1->beginWork();
        writer.run();
        work->commit();
    } catch (const std::exception &error) {
        Table1->close(); // its records may have been rolled back under it
        throw ExchangeError(QCoreApplication::translate("TForm1Spreadsheet", "Writing back the sheet “%1” of %2 stopped at row %3: "
                                           "%4 Nothing of that sheet was stored.")
                                .arg(table, QFileInfo(workbookPath).fileName())
                                .arg(writer.row())
                                .arg(ExchangeError::messageOf(error)),
            ExchangeError::kindOf(error));
    }
}

void TForm1::restoreAfterWriteBack()
{
    struct Reattach
    {
        TForm1 *form;
        ~Reattach() { form->setComboHandlersAttached(true); }
    } reattach {this};
    ComboLists::selectEntry(CBDBase, DBImage1->Hint);
    fillTableList();
    ComboLists::selectEntry(CBTable, DBImage2->Hint);
    OpenTable();
}

void TForm1::finishSpreadsheet()
{
    if (ExcelApplication1) {
        SpreadsheetApplication &app = ExcelApplication1->Application();
        app.setEnableEvents(false);
        app.setDisplayAlerts(false);
    }
    if (DBMemo1->Tag == 1)
        DBMemo1->Tag = 0;
    else
        OpenTable();
    releaseSpreadsheet();
    if (Table1->active())
        Table1->first();
    SaveAndClose1->setEnabled(false);
    update();
}

void TForm1::aTExcelApplicationWorkbookBeforeClose(Workbook &workbook, bool &cancel)
{
    // Only the exports' workbooks are kept; the user's own documents in the same application close
    // as usual. A workbook whose file cannot be told is kept: that loses nothing.
    try {
        const QString folder = QFileInfo(WorkbookLocation::directory()).canonicalFilePath();
        const QString where = QFileInfo(workbook.fullName()).absolutePath();
        cancel = !folder.isEmpty() && QFileInfo(where).canonicalFilePath() == folder;
    } catch (const std::exception &) {
        cancel = true;
    }
}
