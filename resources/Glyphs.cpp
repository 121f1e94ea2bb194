#include "resources/Glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace Glyphs {

namespace {

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage padlock(bool locked)
{
    QImage image = canvas(18, 36);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = locked ? QColor(178, 34, 34) : QColor(34, 139, 34);
    p.setPen(QPen(QColor(64, 64, 64), 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    if (locked) {
        shackle.moveTo(4.5, 17);
        shackle.lineTo(4.5, 12);
        shackle.arcTo(4.5, 7, 9, 10, 180, -180);
        shackle.lineTo(13.5, 17);
    } else {
        shackle.moveTo(4.5, 17);
        shackle.lineTo(4.5, 9);
        shackle.arcTo(4.5, 4, 9, 10, 180, -180);
        shackle.lineTo(13.5, 11);
    }
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2, 17, 14, 12), 2, 2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(9, 22), 1.6, 1.6);
    p.drawRect(QRectF(8.4, 22, 1.2, 4));
    return image;
}

} // namespace

QImage inputLocked()
{
    return padlock(true);
}
QImage inputUnlocked()
{
    return padlock(false);
}

QImage lookData()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.setBrush(QColor(255, 255, 200));
    p.drawRect(2, 3, 14, 14);
    for (int y = 7; y < 17; y += 4)
        p.drawLine(2, y, 16, y);
    p.setPen(QPen(QColor(128, 0, 0), 2));
    p.setBrush(QColor(200, 230, 255, 180));
    p.drawEllipse(QPointF(14, 13), 5, 5);
    p.drawLine(QPointF(17.5, 16.5), QPointF(22, 21));
    return image;
}

QImage inputPicture()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(135, 206, 235));
    p.drawRect(2, 4, 18, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 139, 34));
    p.drawPolygon(QPolygonF({QPointF(3, 18), QPointF(9, 10), QPointF(14, 18)}));
    p.setBrush(QColor(255, 215, 0));
    p.drawEllipse(QPointF(15, 8), 2.5, 2.5);
    return image;
}

QImage compact()
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(4, 12, 16, 9);
    p.setBrush(QColor(0, 0, 128));
    p.drawPolygon(QPolygonF({QPointF(8, 2), QPointF(16, 2), QPointF(16, 6), QPointF(19, 6),
        QPointF(12, 11), QPointF(5, 6), QPointF(8, 6)}));
    return image;
}

QImage deleteImage()
{
    QImage image = inputPicture();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 0, 0), 3));
    p.drawLine(4, 4, 20, 20);
    p.drawLine(20, 4, 4, 20);
    return image;
}

QImage placeholder()
{
    QImage image(8, 8, QImage::Format_Mono);
    image.fill(1);
    for (int i = 0; i < 8; ++i)
        image.setPixel(i, i, 0);
    return image;
}

} // namespace Glyphs
