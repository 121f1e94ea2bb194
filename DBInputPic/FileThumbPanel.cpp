#include "FileThumbPanel.h"

#include "TFDBInputPic.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

FileThumbPanel::FileThumbPanel(const TFDBInputPic &window, QWidget *parent)
    : QFrame(parent), m_window(window)
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
    const int y = pos.y() - m_offset - 2;
    const int x = pos.x() - 2;
    if (x < 0 || y < 0 || x % 60 >= 58 || y % 60 >= 58 || x / 60 >= 8)
        return -1;
    const int n = y / 60 * 8 + x / 60;
    return n <= m_window.FileThumbLast ? n : -1;
}

void FileThumbPanel::updateThumb(int n)
{
    const QRect r = TFDBInputPic::fileThumbRect(n, m_offset);
    if (r.intersects(rect()))
        update(r);
}

void FileThumbPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    const int firstRow = std::max(0, (exposed.top() - m_offset - 2) / 60);
    const int lastRow = (exposed.bottom() - m_offset) / 60;
    for (int n = firstRow * 8; n <= std::min(m_window.FileThumbLast, lastRow * 8 + 7); ++n) {
        const QRect r = TFDBInputPic::fileThumbRect(n, m_offset);
        if (r.intersects(exposed))
            p.drawImage(r, m_window.FileThumbs.at(n).picture());
    }
}

void FileThumbPanel::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    const int n = thumbAt(event->position().toPoint());
    if (n >= 0)
        emit thumbPressed(n, event->button(), event->modifiers());
}
