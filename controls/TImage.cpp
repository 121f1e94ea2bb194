#include "controls/TImage.h"

#include <QPixmap>

TImage::TImage(QWidget *parent) : QLabel(parent)
{ }

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}
