// Table maintenance commands of the main window's menu: compact, empty and restore, clear errors,
// delete. The work is the engine's (TableMaintenance, each command all or nothing); these handlers
// ask (also, before emptying or deleting, about other tables' records that refer to the table),
// close the windows each command closes, and show the progress.
#include "datawindow/TForm1.h"

#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/ComboLists.h"
#include "controls/DBImage.h"
#include "datawindow/maintenance/MaintenanceProgress.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <climits>

namespace {

const QString AuthorisationPassword = QStringLiteral("QXZ");

bool confirmed(QWidget *parent, const QString &text, const QString &caption)
{
    return Prompts::message(
               parent, text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        == QMessageBox::Yes;
}

// A plain message with OK, as the application shows it.
void tell(QWidget *parent, const QString &text)
{
    Prompts::message(parent, text, QApplication::applicationName());
}

QStringList fieldsOf(const TTable *table)
{
    QStringList fields;
    for (int i = 0; table->active() && i < table->fieldCount(); ++i)
        fields << table->field(i)->fieldName() + u':'
                + QString::number(table->field(i)->dataType());
    return fields;
}

// The find-data window goes first, with its table, so that it does not look at a table being
// rebuilt.
void closeFindDataWindow()
{
    if (!LookDataForm)
        return;
    LookDataForm->Table1->close();
    Form1->closeLookData();
}

// Before emptying or deleting a table whose records other tables' records refer to: names those
// tables and how many of their records do, and lets the user stop. Those records stay as they
// are either way. True when nothing refers to the table or the user goes on.
bool relatedRecordsMayStay(TForm1 *form, bool deleting)
{
    const QList<RelatedRecords::Referrer> referrers
        = TableMaintenance::recordsReferringTo(*form->Table1);
    if (referrers.isEmpty())
        return true;
    QStringList lines;
    for (const RelatedRecords::Referrer &r : referrers)
        lines << TForm1::tr(
            "“%1”: %n record(s)", nullptr, int(std::min<qint64>(r.records, INT_MAX)))
                     .arg(r.table);
    const QString what = deleting
        ? TForm1::tr("They are kept as they are, and will refer to records that are no longer "
                     "there. Delete the table?")
        : TForm1::tr("They are kept as they are, and until the table is restored they refer to "
                     "records that are not there. Empty the table?");
    const QString text
        = TForm1::tr("Records of other tables refer to the records of “%1”:\n\n%2\n\n%3")
              .arg(form->Table1->tableName(), lines.join(u'\n'), what);
    return Prompts::message(form, text, TForm1::tr("Related records"),
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning)
        == QMessageBox::Ok;
}

// The looking pass, the question, and the clearing pass on the window's open table.
void findAndClearErrors(TForm1 *form)
{
    TableMaintenance::Look look;
    {
        MaintenanceProgress progress(form, QStringLiteral("清除错误"), true);
        look = TableMaintenance::lookForUnreadable(*form->Table1, progress.callback());
    }
    if (look == TableMaintenance::Look::Clean) {
        tell(form, QStringLiteral("当前数据库数据表无错误！"));
        return;
    }
    if (look == TableMaintenance::Look::Stopped)
        return;
    if (!confirmed(form, QStringLiteral("当前数据库数据表有错误！是否清除错误？"),
            QStringLiteral("数据错误")))
        return;
    MaintenanceProgress progress(form, QStringLiteral("清除错误"), true);
    TableMaintenance::clearUnreadable(*form->Table1, progress.callback());
}

} // namespace

void TForm1::Compact1Click()
{
    closeFindDataWindow();
    MaintenanceProgress progress(this, QStringLiteral("紧缩数据表"));
    TableMaintenance::compact(*Table1, progress.callback());
}

void TForm1::EmptyDBase1Click()
{
    if (!confirmed(this, QStringLiteral("真的要清空数据库吗？"), QStringLiteral("清空数据库")))
        return;
    if (!relatedRecordsMayStay(this, false))
        return;
    closeFindDataWindow();
    MaintenanceProgress progress(this, QStringLiteral("清空数据表"));
    TableMaintenance::emptyWithBackup(*Table1, progress.callback());
}

void TForm1::RestoreEnd1Click()
{
    if (!confirmed(this, QStringLiteral("真的要恢复到最近一次清空数据库之前的数据库吗？"),
            QStringLiteral("恢复数据库")))
        return;
    closeFindDataWindow();
    const QStringList fieldsBefore = fieldsOf(Table1);
    {
        MaintenanceProgress progress(this, QStringLiteral("恢复数据表"));
        // Without a backup nothing changes and nothing is said.
        TableMaintenance::restoreFromBackup(*Table1, progress.callback());
    }
    // The backup of a table of other fields: the field panel must show the new ones.
    if (fieldsOf(Table1) != fieldsBefore)
        OpenTable();
}

void TForm1::DealError1Click()
{
    DealError1->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { DealError1->setEnabled(true); });
    if (LookData1->isChecked())
        closeLookData();
    if (InputPicture1->isChecked())
        closeInputPicture();
    try {
        releaseSpreadsheetEditing();
    } catch (const std::exception &) {
        // The spreadsheet is only asked to leave a cell; one that is gone cannot be in one.
    }
    releaseSpreadsheet();

    // The open-table procedure's teardown: the field panel is made again at the end.
    if (!closeTableAndPanel())
        return;
    try {
        Table1->open();
        findAndClearErrors(this);
    } catch (...) {
        // Whatever failed changed nothing: the table is shown again.
        try {
            OpenTable();
        } catch (const std::exception &) {
            // The first error is the one to show.
        }
        throw;
    }
    DealError1->setEnabled(true);
    OpenTable();
}

void TForm1::KillDataTable1Click()
{
    const QString typed = Prompts::input(
        this, QStringLiteral("删除数据表"), QStringLiteral("请输入授权密码(PassWord)"), QString());
    if (typed.isEmpty())
        return;
    if (typed != AuthorisationPassword) {
        tell(this, QStringLiteral("密码错！"));
        return;
    }
    if (!relatedRecordsMayStay(this, true))
        return;
    const QString deleted = Table1->tableName();
    TableMaintenance::deleteTable(*Table1);
    {
        const QSignalBlocker quiet(CBTable);
        CBTable->removeItem(CBTable->findText(deleted, Qt::MatchExactly | Qt::MatchCaseSensitive));
    }
    ComboLists::selectFirst(CBTable);
    OpenTable();
}
