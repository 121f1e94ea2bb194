#pragma once

#include <QImage>
#include <QWidget>

// A picture holder with the classic display switches: centred, proportional (a picture larger
// than the control is drawn scaled down with its aspect ratio kept) and sized to its picture.
class PictureControl : public QWidget
{
    Q_OBJECT
public:
    explicit PictureControl(QWidget *parent = nullptr);

    int Tag = 0;

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    void clearPicture() { setPicture({}); }

    bool center() const { return m_center; }
    void setCenter(bool on);
    bool proportional() const { return m_proportional; }
    void setProportional(bool on);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // Where and how large the picture is drawn in the control.
    QRect drawnRect() const;

signals:
    void mouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSize drawnSize() const;
    void dropScaled() { m_scaled = {}; }

    QImage m_picture;
    QImage m_scaled; // the picture at drawnSize(), made when first painted
    bool m_center = false;
    bool m_proportional = false;
    bool m_autoSize = false;
};
