#include "USeePicture/TSeePicture.h"

#include "common/SharedState.h"

#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The layout's own size, kept in a direction where the picture is exactly as large as the
// largest wrapped size.
constexpr int ResourceWidth = 452;
constexpr int ResourceHeight = 401;
constexpr int SmallSide = 200;
constexpr int WrapWidth = 800;
constexpr int WrapHeight = 600;

} // namespace

TSeePicture::TSeePicture(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("原始图像"));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(12);
    setFont(f);
    setGeometry(264, 115, ResourceWidth, ResourceHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new QLabel;
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scroll->setWidget(Image1);
    layout->addWidget(m_scroll);
    for (QObject *o : std::initializer_list<QObject *> {this, m_scroll->viewport(), Image1})
        o->installEventFilter(this);
    Image1->setMouseTracking(true);
    m_scroll->viewport()->setMouseTracking(true);
    setAlphaBlendValue(150);
}

TSeePicture *TSeePicture::openViewer(const QImage &picture, const QPoint &cursor)
{
    setInputLockImgTag(1);
    auto *viewer = new TSeePicture;
    SeePicture = viewer;
    viewer->setPicture(picture);
    viewer->sizeFromPicture(picture.width(), picture.height());
    viewer->setAlphaBlendValue(ViewerAlpha);
    if (ViewerLeft < 0 || ViewerTop < 0) {
        ViewerLeft = cursor.x();
        ViewerTop = cursor.y();
    }
    viewer->move(ViewerLeft, ViewerTop);
    viewer->show();
    viewer->activateWindow();
    viewer->move(viewer->x() + 1, viewer->y());
    viewer->move(viewer->x() - 1, viewer->y());
    return viewer;
}

void TSeePicture::clickOnPicture(const QImage &picture)
{
    if (inputLockImgTag() != 0) {
        setInputLockImgTag(0);
        if (SeePicture)
            SeePicture->close();
        return;
    }
    const QPoint cursor = QCursor::pos();
    if (cursor.x() == ViewerClosePoint.x() || cursor.y() == ViewerClosePoint.y()) {
        ViewerClosePoint = QPoint(0, 0);
        return;
    }
    openViewer(picture, cursor);
}

void TSeePicture::setPicture(const QImage &picture)
{
    Image1->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
    Image1->resize(picture.isNull() ? QSize(0, 0) : picture.size());
}

void TSeePicture::sizeFromPicture(int w, int h)
{
    if (w < SmallSide && h < SmallSide) {
        m_autoSize = false;
        resize(SmallSide, SmallSide);
    } else if (w < WrapWidth && h < WrapHeight) {
        m_autoSize = true;
        resize(w, h);
    } else {
        m_autoSize = false;
        resize(w > WrapWidth ? WrapWidth : width(), h > WrapHeight ? WrapHeight : height());
    }
    const Qt::ScrollBarPolicy policy = m_autoSize ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    m_scroll->setHorizontalScrollBarPolicy(policy);
    m_scroll->setVerticalScrollBarPolicy(policy);
}

void TSeePicture::setAlphaBlendValue(int alpha)
{
    m_alpha = std::clamp(alpha, 0, 255);
    setWindowOpacity(m_alpha / 255.0);
}

void TSeePicture::Image1Click()
{
    close();
    setInputLockImgTag(0);
}

void TSeePicture::FormDeactivate()
{
    ViewerClosePoint = QCursor::pos();
    if (Tag != 1)
        close();
    setInputLockImgTag(0);
}

void TSeePicture::FormClose()
{
    Tag = 1;
    ViewerLeft = x();
    ViewerTop = y();
    ViewerAlpha = std::uint8_t(m_alpha);
    setInputUnLockImgTag(88);
}

void TSeePicture::Image1MouseDown(int x)
{
    LastMouseX = x;
}

void TSeePicture::Image1MouseMove(Qt::MouseButtons buttons, int x)
{
    if (!(buttons & Qt::RightButton))
        return;
    setAlphaBlendValue(std::clamp(m_alpha + (x - LastMouseX), 50, 255));
    LastMouseX = x;
}

void TSeePicture::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
}

void TSeePicture::closeEvent(QCloseEvent *event)
{
    if (Tag != 1)
        FormClose();
    event->accept();
}

bool TSeePicture::eventFilter(QObject *watched, QEvent *event)
{
    // The window and the picture answer the mouse alike; x is relative to the receiving control.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        Image1MouseDown(int(e->position().x()));
        return false;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        Image1MouseMove(e->buttons(), int(e->position().x()));
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            Image1Click();
            return true;
        }
        return false;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}
