#include "UAboutDialog/AboutPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QtMath>

namespace AboutPicture {

QImage make(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(25, 25, 112));
    sky.setColorAt(1, QColor(255, 140, 0));
    p.fillRect(image.rect(), sky);
    // A vale between two hills, with a table's grid for a field.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 100, 34));
    const int w = size.width(), h = size.height();
    p.drawEllipse(QPointF(w * 0.2, h * 1.05), w * 0.45, h * 0.45);
    p.drawEllipse(QPointF(w * 0.85, h * 1.1), w * 0.5, h * 0.5);
    p.setPen(QPen(QColor(255, 255, 200, 160), 1));
    for (int i = 0; i < 6; ++i) {
        const qreal y = h * 0.78 + i * h * 0.04;
        p.drawLine(QPointF(w * 0.3, y), QPointF(w * 0.7, y));
    }
    p.setBrush(QColor(255, 255, 224));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.75, h * 0.25), h * 0.1, h * 0.1);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, h * 0.05, w, h * 0.3), Qt::AlignHCenter | Qt::AlignTop,
        QStringLiteral("Tabvale"));
    return image;
}

} // namespace AboutPicture
