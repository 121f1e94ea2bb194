#include "datawindow/picturefolder/PictureFolderDialog.h"

#include "common/Prompts.h"
#include "picturefolder/PictureColumns.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The folder chosen last in this run: an export and the load of its folder usually go together.
QString &lastFolder()
{
    static QString folder;
    return folder;
}
} // namespace

PictureFolderDialog::PictureFolderDialog(
    Purpose purpose, const QString &alias, const QString &table, QWidget *parent)
    : QDialog(parent), m_purpose(purpose), m_picture(new QComboBox(this)),
      m_naming(new QComboBox(this)), m_folder(new QLineEdit(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    const bool exporting = purpose == Purpose::Export;
    setWindowTitle(exporting ? tr("Export Pictures to a Folder") : tr("Load Pictures from a Folder"));
    auto *intro = new QLabel(exporting
            ? tr("Every picture of the field is written as a file, named by the naming field's "
                 "value in its record. Existing files are not replaced without asking.")
            : tr("Every picture file of the folder whose name (without its extension) is the "
                 "naming field's value in one record goes into that record's picture field. You "
                 "see what matches before anything changes, and the load can be undone."),
        this);
    intro->setWordWrap(true);
    m_picture->addItems(PictureColumns::pictureFields(alias, table));
    m_naming->addItems(PictureColumns::namingFields(alias, table));
    m_folder->setText(lastFolder());
    auto *browseButton = new QPushButton(tr("Choose…"), this);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browseButton);
    m_buttons->button(QDialogButtonBox::Ok)->setText(exporting ? tr("Export") : tr("Look at the Folder"));

    auto *form = new QFormLayout;
    form->addRow(tr("Table:"), new QLabel(table, this));
    form->addRow(tr("Picture field:"), m_picture);
    form->addRow(tr("Files named by:"), m_naming);
    form->addRow(exporting ? tr("Write into folder:") : tr("Read from folder:"), folderRow);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_buttons);
    setMinimumWidth(480);

    connect(browseButton, &QPushButton::clicked, this, &PictureFolderDialog::browse);
    connect(m_folder, &QLineEdit::textChanged, this, &PictureFolderDialog::updateOk);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, [this] { lastFolder() = folder(); });
    updateOk();
}

QString PictureFolderDialog::pictureField() const
{
    return m_picture->currentText();
}

QString PictureFolderDialog::namingField() const
{
    return m_naming->currentText();
}

QString PictureFolderDialog::folder() const
{
    return m_folder->text().trimmed();
}

void PictureFolderDialog::choose(
    const QString &pictureField, const QString &namingField, const QString &folderPath)
{
    m_picture->setCurrentIndex(m_picture->findText(pictureField, Qt::MatchExactly));
    m_naming->setCurrentIndex(m_naming->findText(namingField, Qt::MatchExactly));
    m_folder->setText(folderPath);
    updateOk();
}

void PictureFolderDialog::browse()
{
    const QString chosen = Prompts::chooseFolder(this,
        m_purpose == Purpose::Export ? tr("Folder to write the pictures into")
                                     : tr("Folder to load the pictures from"),
        folder());
    if (!chosen.isEmpty())
        m_folder->setText(chosen);
}

void PictureFolderDialog::updateOk()
{
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!pictureField().isEmpty() && !namingField().isEmpty() && !folder().isEmpty());
}
