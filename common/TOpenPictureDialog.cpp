#include "common/TOpenPictureDialog.h"

#include "picture/PictureError.h"
#include "picture/PictureFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int PreviewSide = 200;
}

TOpenPictureDialog::TOpenPictureDialog(const QString &filter, QWidget *parent)
    : QDialog(parent), m_model(new QFileSystemModel(this))
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        names << parts[i];
        m_patterns << parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }

    m_model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDot);
    m_model->setNameFilterDisables(false);

    m_lookIn = new QComboBox(this);
    m_lookIn->setEditable(true);
    auto *up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setToolTip(tr("Up one level"));
    m_list = new QListView(this);
    m_list->setModel(m_model);
    m_list->setMinimumSize(320, 240);
    m_preview = new QLabel(this);
    m_preview->setFixedSize(PreviewSide, PreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_previewSize = new QLabel(this);
    m_previewSize->setAlignment(Qt::AlignCenter);
    m_name = new QLineEdit(this);
    m_filter = new QComboBox(this);
    m_filter->addItems(names);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_lookIn, 0, 0, 1, 2);
    grid->addWidget(up, 0, 2);
    grid->addWidget(m_list, 1, 0, 1, 2);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(m_preview);
    previewColumn->addWidget(m_previewSize);
    previewColumn->addStretch();
    grid->addLayout(previewColumn, 1, 2, 1, 2);
    grid->addWidget(m_name, 2, 0, 1, 2);
    grid->addWidget(m_filter, 3, 0, 1, 2);
    grid->addWidget(buttons, 2, 2, 2, 2);

    connect(up, &QToolButton::clicked, this, [this] {
        QDir dir(directory());
        if (dir.cdUp())
            enter(dir.absolutePath());
    });
    connect(m_lookIn, &QComboBox::textActivated, this, &TOpenPictureDialog::enter);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &TOpenPictureDialog::selectFilter);
    connect(m_list, &QListView::clicked, this,
        [this](const QModelIndex &index) { highlight(index.data().toString()); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &index) { highlight(index.data().toString()); });
    connect(m_list, &QListView::activated, this, [this](const QModelIndex &index) {
        highlight(index.data().toString());
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &TOpenPictureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOpenPictureDialog::reject);

    selectFilter(0);
    enter(QDir::currentPath());
}

QString TOpenPictureDialog::directory() const
{
    return m_model->rootPath();
}

void TOpenPictureDialog::setDirectory(const QString &path)
{
    enter(path);
}

void TOpenPictureDialog::enter(const QString &path)
{
    const QString absolute = QDir(path).absolutePath();
    m_list->setRootIndex(m_model->setRootPath(absolute));
    m_lookIn->setEditText(QDir::toNativeSeparators(absolute));
    m_name->clear();
    showPreview({});
}

QStringList TOpenPictureDialog::filterNames() const
{
    QStringList names;
    for (int i = 0; i < m_filter->count(); ++i)
        names << m_filter->itemText(i);
    return names;
}

void TOpenPictureDialog::selectFilter(int index)
{
    if (index < 0 || index >= m_patterns.size())
        return;
    if (m_filter->currentIndex() != index)
        m_filter->setCurrentIndex(index);
    m_model->setNameFilters(m_patterns[index]);
}

QStringList TOpenPictureDialog::visibleFiles() const
{
    QStringList names;
    const QModelIndex root = m_list->rootIndex();
    for (int i = 0; i < m_model->rowCount(root); ++i)
        names << m_model->index(i, 0, root).data().toString();
    return names;
}

void TOpenPictureDialog::highlight(const QString &name)
{
    const QString path = QDir(directory()).filePath(name);
    if (QFileInfo(path).isDir()) {
        showPreview({});
        return;
    }
    m_name->setText(name);
    showPreview(path);
}

void TOpenPictureDialog::showPreview(const QString &path)
{
    m_preview->clear();
    m_previewSize->clear();
    if (path.isEmpty() || !PictureFile::isPictureFileName(path))
        return;
    try {
        const QImage image = PictureFile::load(path, QSize(PreviewSide, PreviewSide));
        m_preview->setPixmap(QPixmap::fromImage(
            image.width() > PreviewSide || image.height() > PreviewSide ? image.scaled(
                PreviewSide, PreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                                                        : image));
        m_previewSize->setText(QStringLiteral("%1 × %2").arg(image.width()).arg(image.height()));
    } catch (const PictureError &) {
        m_previewSize->setText(QStringLiteral("无效图形"));
    }
}

void TOpenPictureDialog::accept()
{
    const QString typed = m_name->text().trimmed();
    if (typed.isEmpty())
        return;
    const QString path = QDir(directory()).absoluteFilePath(typed);
    const QFileInfo info(path);
    if (info.isDir()) {
        enter(path);
        return;
    }
    if (!info.exists())
        return;
    m_fileName = info.absoluteFilePath();
    QDialog::accept();
}

QString TOpenPictureDialog::getOpenFileName(QWidget *parent, const QString &filter)
{
    TOpenPictureDialog dialog(filter, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.fileName() : QString();
}
