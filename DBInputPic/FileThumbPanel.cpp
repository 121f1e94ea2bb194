#include "DBInputPic/FileThumbPanel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

FileThumbPanel::FileThumbPanel(const QList<FileThumb> &thumbs, QWidget *parent)
    : QFrame(parent), m_thumbs(thumbs)
{ }

void FileThumbPanel::scrollContents(int dy)
{
    m_offset += dy;
    for (QObject *child : children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->move(w->x(), w->y() + dy);
    update();
}

int FileThumbPanel::thumbAt(QPoint pos) const
{
    return Grid.itemAt(pos, m_offset, int(m_thumbs.size()) - 1);
}

void FileThumbPanel::updateThumb(int n)
{
    const QRect r = Grid.itemRect(n, m_offset);
    if (r.intersects(rect()))
        update(r);
}

void FileThumbPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    const int first = Grid.firstRowIn(exposed.top(), m_offset) * Grid.columns;
    const int last = (Grid.lastRowIn(exposed.bottom(), m_offset) + 1) * Grid.columns - 1;
    for (int n = first; n <= std::min(int(m_thumbs.size()) - 1, last); ++n) {
        const QRect r = Grid.itemRect(n, m_offset);
        if (r.intersects(exposed))
            p.drawImage(r, m_thumbs.at(n).picture());
    }
}

void FileThumbPanel::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    const int n = thumbAt(event->position().toPoint());
    if (n >= 0)
        emit thumbPressed(n, event->button(), event->modifiers());
}
