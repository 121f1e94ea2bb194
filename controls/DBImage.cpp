#include "controls/DBImage.h"

#include "controls/DataLink.h"
#include "engine/TField.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

DBImage::DBImage(QWidget *parent) : QWidget(parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::reloadNeeded, this, &DBImage::reload);
    connect(m_link, &DataLink::updateData, this, &DBImage::writeToField);
}

TDataSource *DBImage::dataSource() const
{
    return m_link->dataSource();
}
void DBImage::setDataSource(TDataSource *source)
{
    m_link->setDataSource(source);
}
QString DBImage::dataField() const
{
    return m_link->dataField();
}
void DBImage::setDataField(const QString &name)
{
    m_link->setDataField(name);
}
TField *DBImage::field() const
{
    return m_link->field();
}

void DBImage::setAutoDisplay(bool on)
{
    m_autoDisplay = on;
    if (on)
        reload();
}

void DBImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_loadError.clear();
    if (m_link->editing() || field())
        m_link->setModified(true);
    update();
}

void DBImage::loadPicture()
{
    m_picture = {};
    m_loadError.clear();
    m_link->setModified(false);
    update();
    if (TField *f = field()) {
        if (!f->isNull())
            m_picture = StoredPicture::decode(f->asBytes());
    }
    update();
}

void DBImage::reload()
{
    if (!m_autoDisplay && field())
        return;
    try {
        loadPicture();
    } catch (const PictureError &e) {
        // Shown as a damaged picture; clearing errors finds and mends such values.
        m_picture = {};
        m_loadError = e.message();
        update();
    }
}

void DBImage::writeToField()
{
    TField *f = field();
    if (!f)
        return;
    if (m_picture.isNull())
        f->clear();
    else
        f->setBytes(StoredPicture::encode(m_picture, f->dataType()));
}

void DBImage::copyToClipboard() const
{
    if (m_picture.isNull())
        return;
    QApplication::clipboard()->setImage(m_picture);
}

void DBImage::pasteFromClipboard()
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasImage())
        return;
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull())
        return;
    m_link->beginUserChange();
    setPicture(image);
}

void DBImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!m_picture.isNull()) {
        if (Stretch)
            p.drawImage(rect(), m_picture);
        else
            p.drawImage(QPoint(0, 0), m_picture);
    } else if (!m_loadError.isEmpty()) {
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(rect().topLeft(), rect().bottomRight());
        p.drawLine(rect().topRight(), rect().bottomLeft());
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void DBImage::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    emit mouseUp(this, event->button(), event->modifiers(), event->position().toPoint());
}
