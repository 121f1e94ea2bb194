// A picture field to and from a folder, from the data menu: the export, the load by name with its
// dry run, and the undo of the last load. The work is picturefolder's; these handlers ask, show
// the progress and the outcome, and show the table again.
#include "datawindow/TForm1.h"

#include "common/Prompts.h"
#include "datawindow/picturefolder/FolderProgress.h"
#include "datawindow/picturefolder/LoadPlanDialog.h"
#include "datawindow/picturefolder/PictureFolderDialog.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/TTable.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"
#include "picturefolder/PictureExport.h"
#include "picturefolder/PictureLoad.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScopeGuard>

namespace {

// The open table, its pending edit stored: the folder commands read and write the database.
TTable &openTable(TTable *table)
{
    if (!table->active())
        throw EngineError(TForm1::tr("Open a table first."));
    table->storePendingEdit();
    return *table;
}

QString listed(const QStringList &names)
{
    constexpr int Shown = 10;
    QString text = names.mid(0, Shown).join(QStringLiteral(", "));
    if (names.size() > Shown)
        text += TForm1::tr(" and %1 more").arg(names.size() - Shown);
    return text;
}

std::optional<PictureExport::Existing> askAboutExisting(QWidget *parent, const QString &fileName)
{
    const int answer = Prompts::choice(parent, TForm1::tr("Export Pictures to a Folder"),
        TForm1::tr("The folder already holds files of the names the export gives, the first "
                   "“%1”. What should happen to such files?")
            .arg(fileName),
        {TForm1::tr("Keep Them, Skip the Pictures"), TForm1::tr("Replace Them"),
            TForm1::tr("Keep Both, Number the New Ones")});
    switch (answer) {
    case 0:
        return PictureExport::Existing::Skip;
    case 1:
        return PictureExport::Existing::Replace;
    case 2:
        return PictureExport::Existing::KeepBoth;
    default:
        return std::nullopt;
    }
}

QString exportSummary(const PictureExport::Summary &s, const QString &folder)
{
    QString text = s.stopped ? TForm1::tr("The export was stopped. ") : QString();
    text += TForm1::tr("%1 pictures were written to “%2”.")
                .arg(s.written)
                .arg(QDir::toNativeSeparators(folder));
    if (s.skipped > 0)
        text += u' '
            + TForm1::tr("%1 were not, as their files existed and were kept: %2.")
                  .arg(s.skipped)
                  .arg(listed(s.skippedFiles));
    if (s.unreadable > 0)
        text += u' '
            + TForm1::tr("%1 records hold no readable picture and were left out: %2.")
                  .arg(s.unreadable)
                  .arg(listed(s.unreadableRecords));
    if (s.empty > 0)
        text += u' ' + TForm1::tr("%1 records have no picture.").arg(s.empty);
    return text;
}

QString undoQuestion(const LoadUndo::Load &load)
{
    QString text = TForm1::tr("Undo the load of %1 pictures from “%2” into the field “%3” (%4)? "
                              "The records get back the pictures they held before.")
                       .arg(load.records())
                       .arg(QDir::toNativeSeparators(load.folder), load.field,
                           QLocale().toString(load.loadedAt.toLocalTime(), QLocale::ShortFormat));
    QStringList changed;
    for (const LoadUndo::Entry &e : load.changed)
        changed << e.name;
    if (!changed.isEmpty())
        text += u' '
            + TForm1::tr("%1 of the records have been changed since and keep what they hold "
                         "now: %2.")
                  .arg(changed.size())
                  .arg(listed(changed));
    if (!load.gone.isEmpty())
        text += u' ' + TForm1::tr("%1 of the records have been deleted since.").arg(load.gone.size());
    return text;
}

} // namespace

void TForm1::ExportPictures1Click()
{
    TTable &table = openTable(Table1);
    PictureFolderDialog dialog(
        PictureFolderDialog::Purpose::Export, table.databaseName(), table.tableName(), this);
    if (Prompts::exec(dialog) != QDialog::Accepted)
        return;
    const PictureColumns columns = PictureColumns::resolve(
        table.databaseName(), table.tableName(), dialog.pictureField(), dialog.namingField());
    PictureExport::Summary summary;
    {
        FolderProgress progress(this, tr("Export Pictures to a Folder"), tr("Written: %1 of %2 records"));
        summary = PictureExport::run(
            columns, dialog.folder(),
            [this](const QString &fileName) { return askAboutExisting(this, fileName); },
            progress.callback());
    }
    Prompts::message(this, exportSummary(summary, dialog.folder()),
        tr("Export Pictures to a Folder"), QMessageBox::Ok, QMessageBox::Information);
}

void TForm1::LoadPictures1Click()
{
    TTable &table = openTable(Table1);
    PictureFolderDialog dialog(
        PictureFolderDialog::Purpose::Load, table.databaseName(), table.tableName(), this);
    if (Prompts::exec(dialog) != QDialog::Accepted)
        return;
    const PictureColumns columns = PictureColumns::resolve(
        table.databaseName(), table.tableName(), dialog.pictureField(), dialog.namingField());
    std::optional<LoadPlan> plan;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        plan = LoadPlan::make(columns, dialog.folder());
    }
    LoadPlanDialog planDialog(*plan, LoadUndo::summary(*columns.db, columns.table), this);
    if (Prompts::exec(planDialog) != QDialog::Accepted || !planDialog.canLoad())
        return;
    // The other windows that show the table's pictures would show them stale.
    if (LookData1->isChecked())
        closeLookData();
    if (InputPicture1->isChecked())
        closeInputPicture();
    std::optional<PictureLoad::Result> result;
    {
        FolderProgress progress(this, tr("Load Pictures from a Folder"), tr("Loaded: %1 of %2 pictures"));
        result = PictureLoad::apply(*plan, progress.callback());
    }
    table.refresh();
    if (!result)
        return; // stopped: nothing was loaded
    Prompts::message(this,
        tr("%1 pictures were loaded, %2 of them in place of a picture. “%3” in the data menu "
           "undoes the load.")
            .arg(result->loaded)
            .arg(result->replaced)
            .arg(UndoPictureLoad1->text().remove(u'&')),
        tr("Load Pictures from a Folder"), QMessageBox::Ok, QMessageBox::Information);
}

void TForm1::UndoPictureLoad1Click()
{
    TTable &table = openTable(Table1);
    const auto db = Engine::database(table.databaseName());
    const std::optional<LoadUndo::Load> load = LoadUndo::check(*db, table.tableName());
    if (!load) {
        Prompts::message(this,
            tr("No picture load into “%1” is left to undo.").arg(table.tableName()),
            tr("Undo the Last Picture Load"));
        return;
    }
    if (Prompts::message(this, undoQuestion(*load), tr("Undo the Last Picture Load"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    if (LookData1->isChecked())
        closeLookData();
    if (InputPicture1->isChecked())
        closeInputPicture();
    const auto restoreTable = qScopeGuard([&table] { table.refresh(); });
    LoadUndo::undo(*db, table.tableName(), true);
}
