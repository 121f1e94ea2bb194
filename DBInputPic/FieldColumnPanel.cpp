#include "FieldColumnPanel.h"

#include "TFDBInputPic.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

const QColor FieldColumnPanel::HighlightColor(0, 0, 128);

FieldColumnPanel::FieldColumnPanel(const TFDBInputPic &window, QWidget *parent)
    : QFrame(parent), m_window(window)
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
    const int y = pos.y() - m_window.ColumnOffset - 2;
    if (pos.x() < 80 || pos.x() >= 80 + 58 || y < 0 || y % 60 >= 58)
        return -1;
    const int row = y / 60;
    return row <= m_window.FieldThumbLast ? row : -1;
}

void FieldColumnPanel::updateRow(int row)
{
    const QRect r(0, row * 60 + m_window.ColumnOffset, width(), 62);
    if (r.intersects(rect()))
        update(r);
}

void FieldColumnPanel::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect exposed = event->rect();
    const int offset = m_window.ColumnOffset;
    const int firstRow = std::max(0, (exposed.top() - offset - 41) / 60);
    const int lastRow = std::max(-1, (exposed.bottom() - offset) / 60);
    const int rows = std::max(m_window.CanKaoLabelLast, m_window.FieldThumbLast);
    for (int r = firstRow; r <= std::min(rows, lastRow); ++r) {
        if (r <= m_window.CanKaoLabelLast) {
            const QRect label = m_window.canKaoLabelRect(r);
            const bool current = r == m_window.CurrRow;
            p.fillRect(label, current ? HighlightColor : palette().color(QPalette::Button));
            p.setPen(current ? QColor(Qt::white) : palette().color(QPalette::WindowText));
            p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, m_window.CanKaoLabels.at(r));
        }
        if (r <= m_window.FieldThumbLast) {
            const FieldThumb &thumb = m_window.FieldThumbs.at(r);
            const QRect rect = m_window.fieldThumbRect(r);
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
    }
}

void FieldColumnPanel::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    const int row = thumbAt(event->position().toPoint());
    if (row >= 0)
        emit thumbPressed(row, event->button(), event->modifiers());
}
