#include "DBInputPic/DirectoryListBox.h"

#include <QDir>
#include <QFileIconProvider>
#include <QKeyEvent>

DirectoryListBox::DirectoryListBox(QWidget *parent) : QListWidget(parent)
{
    setUniformItemSizes(true);
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::openEntry);
}

void DirectoryListBox::setDirectory(const QString &path)
{
    const QDir dir(path);
    m_directory = dir.absolutePath();
    clear();
    const QIcon folder = QFileIconProvider().icon(QFileIconProvider::Folder);
    // The path from the root down, one level of indent per step.
    QStringList chain;
    for (QDir up(m_directory);;) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp())
            break;
    }
    int depth = 0;
    for (const QString &p : std::as_const(chain)) {
        const QString name = QDir(p).isRoot() ? QDir::toNativeSeparators(p) : QDir(p).dirName();
        auto *item = new QListWidgetItem(folder, QString(depth * 2, u' ') + name, this);
        item->setData(Qt::UserRole, p);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subdirs = dir.entryList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &s : subdirs) {
        auto *item = new QListWidgetItem(folder, QString(depth * 2, u' ') + s, this);
        item->setData(Qt::UserRole, dir.absoluteFilePath(s));
    }
}

void DirectoryListBox::openEntry(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString path = item->data(Qt::UserRole).toString();
    if (path == m_directory || !QDir(path).isReadable())
        return;
    setDirectory(path);
    emit directoryChanged();
}

void DirectoryListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntry(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}
