#include "controls/DBImage.h"

#include "controls/DataLink.h"
#include "controls/PictureMime.h"
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
    setPicture(picture, PictureSource::picture(picture));
}

void DBImage::setPicture(const QImage &shown, const PictureSource &source)
{
    m_picture = shown;
    m_source = shown.isNull() ? PictureSource() : source;
    m_loadError.clear();
    if (m_link->editing() || field())
        m_link->setModified(true);
    update();
}

void DBImage::loadPicture()
{
    m_picture = {};
    m_source = {};
    m_loadError.clear();
    m_link->setModified(false);
    update();
    if (TField *f = field()) {
        if (!f->isNull()) {
            const QByteArray value = f->asBytes();
            m_picture = StoredPicture::decode(value);
            m_source = PictureSource::value(value);
        }
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
        m_source = {};
        m_loadError = e.message();
        update();
    }
}

void DBImage::writeToField()
{
    TField *f = field();
    if (!f)
        return;
    f->setPicture(m_source);
}

void DBImage::copyToClipboard() const
{
    if (m_picture.isNull())
        return;
    auto *mime = new QMimeData;
    PictureMime::put(*mime, m_picture, m_source);
    QApplication::clipboard()->setMimeData(mime);
}

void DBImage::pasteFromClipboard()
{
    QImage shown;
    const PictureSource source = PictureMime::take(QApplication::clipboard()->mimeData(), &shown);
    if (source.isEmpty())
        return;
    m_link->beginUserChange();
    setPicture(shown, source);
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
