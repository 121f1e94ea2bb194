#include "DBInputPic/FileListBox.h"

#include <QDir>
#include <QMouseEvent>

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A left click takes the focus (mousePressEvent); the other buttons leave it where it is.
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (!m_programmatic)
            emit changed();
    });
}

void FileListBox::setDirectory(const QString &path)
{
    m_directory = QDir(path).absolutePath();
    readFileNames();
}

void FileListBox::setMask(const QString &mask)
{
    m_mask = mask;
    readFileNames();
}

void FileListBox::readFileNames()
{
    m_programmatic = true;
    clear();
    m_names = QDir(m_directory)
                  .entryList(m_mask.split(u';', Qt::SkipEmptyParts), QDir::Files,
                      QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    addItems(m_names);
    setCurrentRow(-1);
    m_programmatic = false;
}

void FileListBox::setItemIndex(int index)
{
    m_programmatic = true;
    setCurrentRow(index >= 0 && index < count() ? index : -1);
    if (currentRow() < 0)
        clearSelection();
    m_programmatic = false;
}

QString FileListBox::fileName(int index) const
{
    return m_names.value(index);
}

QString FileListBox::filePath(int index) const
{
    return m_directory + u'/' + m_names.value(index);
}

QStringList FileListBox::fileNames() const
{
    return m_names;
}

int FileListBox::itemAtPos(const QPoint &pos) const
{
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void FileListBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        QListWidget::mousePressEvent(event);
        return;
    }
    // Other buttons neither select nor take the focus (a pending restore keeps its button's).
    event->accept();
}

void FileListBox::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with the left button moves the selection; other buttons never select.
    if (event->buttons() & Qt::LeftButton)
        QListWidget::mouseMoveEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        QListWidget::mouseReleaseEvent(event);
    emit mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}
