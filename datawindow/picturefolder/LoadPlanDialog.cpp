#include "datawindow/picturefolder/LoadPlanDialog.h"

#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString recordText(const RecordNames::Named &r)
{
    return r.name.isEmpty() ? LoadPlanDialog::tr("(no name), record %1").arg(r.rowid)
                            : LoadPlanDialog::tr("%1 (record %2)").arg(r.name).arg(r.rowid);
}

QTreeWidget *listIn(QGroupBox *box, const QStringList &headers)
{
    auto *list = new QTreeWidget(box);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(headers);
    list->setHeaderHidden(headers.size() == 1);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(list);
    return list;
}

void add(QTreeWidget *list, const QStringList &columns)
{
    list->addTopLevelItem(new QTreeWidgetItem(columns));
}

} // namespace

LoadPlanDialog::LoadPlanDialog(
    const LoadPlan &plan, const std::optional<LoadUndo::Load> &previous, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Load Pictures from a Folder: What Will Happen"));
    m_canLoad = !plan.matched.isEmpty();
    const QString form = plan.columns.form == PictureForm::File
        ? tr("kept as they are (picture form: file)")
        : tr("converted to bitmaps (picture form: bitmap)");
    QString summary = tr("From “%1” into the field “%2” of “%3”, matched by “%4”: %5 of the "
                         "records get a picture, %6 of them in place of the one they hold. The "
                         "pictures are %7. Nothing else changes, and the load can be undone.")
                          .arg(QDir::toNativeSeparators(plan.folder), plan.columns.pictureField,
                              plan.columns.table, plan.columns.namingField)
                          .arg(plan.matched.size())
                          .arg(plan.replacing())
                          .arg(form);
    if (previous)
        summary += u' '
            + tr("The last load into this table (%1 pictures from “%2”, %3) can no longer be "
                 "undone once this one is done.")
                  .arg(previous->records())
                  .arg(QDir::toNativeSeparators(previous->folder),
                      QLocale().toString(previous->loadedAt.toLocalTime(), QLocale::ShortFormat));
    auto *intro = new QLabel(summary, this);
    intro->setWordWrap(true);

    auto group = [this](const QString &title, qsizetype count) {
        return new QGroupBox(QStringLiteral("%1 (%2)").arg(title).arg(count), this);
    };
    QGroupBox *matched = group(tr("Files matched to a record"), plan.matched.size());
    QGroupBox *noRecord = group(tr("Files without a record"), plan.filesWithoutRecord.size());
    QGroupBox *noFile = group(tr("Records without a file"), plan.recordsWithoutFile.size());
    QGroupBox *ambiguous
        = group(tr("Names of several records or files (not loaded)"), plan.ambiguous.size());
    QGroupBox *notPictures
        = group(tr("Matched files that are no pictures (not loaded)"), plan.notPictures.size());
    auto at = [this](List l) -> QTreeWidget *& { return m_lists[int(l)]; };
    at(List::Matched) = listIn(matched, {tr("File"), tr("Record"), tr("Size"), tr("Its picture")});
    at(List::FilesWithoutRecord) = listIn(noRecord, {tr("File")});
    at(List::RecordsWithoutFile) = listIn(noFile, {tr("Record")});
    at(List::Ambiguous) = listIn(ambiguous, {tr("Name"), tr("Records"), tr("Files")});
    at(List::NotPictures) = listIn(notPictures, {tr("File")});

    for (const LoadPlan::Match &m : plan.matched)
        add(at(List::Matched),
            {m.file.name, recordText(m.record), QLocale().formattedDataSize(m.file.size),
                m.record.hasPicture ? tr("replaced") : tr("none yet")});
    for (const FolderListing::File &f : plan.filesWithoutRecord)
        add(at(List::FilesWithoutRecord), {f.name});
    for (const RecordNames::Named &r : plan.recordsWithoutFile)
        add(at(List::RecordsWithoutFile), {recordText(r)});
    for (const LoadPlan::Ambiguous &a : plan.ambiguous) {
        QStringList files;
        for (const FolderListing::File &f : a.files)
            files << f.name;
        add(at(List::Ambiguous),
            {a.name, QString::number(a.records.size()), files.join(QStringLiteral(", "))});
    }
    for (const FolderListing::File &f : plan.notPictures)
        add(at(List::NotPictures), {f.name});

    auto *grid = new QGridLayout;
    grid->addWidget(matched, 0, 0, 1, 3);
    grid->addWidget(noRecord, 1, 0);
    grid->addWidget(noFile, 1, 1);
    grid->addWidget(ambiguous, 1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    if (!plan.notPictures.isEmpty())
        grid->addWidget(notPictures, 2, 0, 1, 3);
    else
        notPictures->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *load = buttons->button(QDialogButtonBox::Ok);
    load->setText(tr("Load %n Picture(s)", nullptr, int(plan.matched.size())));
    load->setEnabled(m_canLoad);
    if (!m_canLoad)
        buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid, 1);
    layout->addWidget(buttons);
    resize(860, 600);
}

QStringList LoadPlanDialog::rows(List list) const
{
    const QTreeWidget *tree = m_lists[int(list)];
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QStringList columns;
        for (int c = 0; c < tree->columnCount(); ++c)
            columns << tree->topLevelItem(i)->text(c);
        rows << columns.join(QStringLiteral(" | "));
    }
    return rows;
}

bool LoadPlanDialog::canLoad() const
{
    return m_canLoad;
}
