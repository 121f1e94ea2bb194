#include "DBInputPic/FieldColumnPanel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

const QColor FieldColumnPanel::HighlightColor(0, 0, 128);

FieldColumnPanel::FieldColumnPanel(FieldColumnView view, QWidget *parent)
    : QFrame(parent), m_view(view)
{ }

void FieldColumnPanel::scrollContents(int dy)
{
    for (QObject *child : children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->move(w->x(), w->y() + dy);
    update();
}

int FieldColumnPanel::thumbAt(QPoint pos) const
{
    return Grid.itemAt(pos, m_view.offset, int(m_view.thumbs.size()) - 1);
}

void FieldColumnPanel::updateRow(int row)
{
    updateRows(row, row);
}

void FieldColumnPanel::updateRows(int first, int last)
{
    const int top = Grid.rowTop(first, m_view.offset);
    const QRect r(0, top, width(), Grid.rowTop(last, m_view.offset) - top + ThumbGrid::Pitch + 2);
    const QRect shown = r.intersected(rect());
    if (!shown.isEmpty())
        update(shown);
}

void FieldColumnPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    const int rows = int(std::max(m_view.labels.size(), m_view.thumbs.size())) - 1;
    const int last = std::min(rows, Grid.lastRowIn(exposed.bottom(), m_view.offset));
    for (int r = Grid.firstRowIn(exposed.top(), m_view.offset); r <= last; ++r) {
        if (r < m_view.labels.size())
            paintLabel(p, r);
        if (r < m_view.thumbs.size())
            paintThumb(p, r);
    }
}

void FieldColumnPanel::paintLabel(QPainter &p, int row) const
{
    const QRect label = labelRect(row, m_view.offset);
    const bool current = row == m_view.currentRow;
    p.fillRect(label, current ? HighlightColor : palette().color(QPalette::Button));
    p.setPen(current ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, m_view.labels.at(row));
}

void FieldColumnPanel::paintThumb(QPainter &p, int row) const
{
    const FieldThumb &thumb = m_view.thumbs.at(row);
    const QRect rect = Grid.itemRect(row, m_view.offset);
    const QImage picture = thumb.picture();
    if (picture.isNull()) {
        p.fillRect(rect, Qt::white);
        p.setPen(Qt::black);
        p.drawText(rect.adjusted(24, 24, 0, 0), Qt::AlignLeft | Qt::AlignTop,
            thumb.unreadable ? QStringLiteral("无效") : QStringLiteral("无"));
    } else {
        p.drawImage(rect, picture);
    }
}

void FieldColumnPanel::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    const int row = thumbAt(event->position().toPoint());
    if (row >= 0)
        emit thumbPressed(row, event->button(), event->modifiers());
}
