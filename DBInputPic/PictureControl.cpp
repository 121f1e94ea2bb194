#include "DBInputPic/PictureControl.h"

#include <QMouseEvent>
#include <QPainter>

PictureControl::PictureControl(QWidget *parent) : QWidget(parent)
{ }

void PictureControl::setPicture(const QImage &picture)
{
    m_picture = picture;
    dropScaled();
    if (m_autoSize && !picture.isNull())
        resize(picture.size());
    update();
}

void PictureControl::setCenter(bool on)
{
    m_center = on;
    update();
}

void PictureControl::setProportional(bool on)
{
    m_proportional = on;
    dropScaled();
    update();
}

void PictureControl::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on && !m_picture.isNull())
        resize(m_picture.size());
}

QSize PictureControl::drawnSize() const
{
    const int w = m_picture.width();
    const int h = m_picture.height();
    if (!m_proportional || (w <= width() && h <= height()))
        return m_picture.size();
    // Truncated, as the proportion is taken in floating point and cut to whole pixels.
    const double r = double(w) / double(h);
    if (w > h) {
        const int drawnHeight = int(width() / r);
        if (drawnHeight <= height())
            return {width(), drawnHeight};
    }
    const int drawnWidth = int(height() * r);
    if (drawnWidth <= width())
        return {drawnWidth, height()};
    return {width(), int(width() / r)};
}

QRect PictureControl::drawnRect() const
{
    if (m_picture.isNull())
        return {};
    const QSize size = drawnSize();
    const QPoint at = m_center
        ? QPoint((width() - size.width()) / 2, (height() - size.height()) / 2)
        : QPoint(0, 0);
    return {at, size};
}

void PictureControl::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    const QRect target = drawnRect();
    if (target.size() == m_picture.size()) {
        p.drawImage(target.topLeft(), m_picture);
        return;
    }
    if (m_scaled.size() != target.size())
        m_scaled = m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.drawImage(target.topLeft(), m_scaled);
}

void PictureControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    dropScaled();
}

void PictureControl::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit mouseUp(event->button());
}
