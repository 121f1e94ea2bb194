#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QScrollArea;

// The picture viewer "原始图像": one picture at its own size in a small see-through window that
// stays on top. It closes when clicked or when it loses activation, and remembers its position
// and transparency for the next viewer. It frees itself when closed.
class TSeePicture : public QWidget
{
    Q_OBJECT
public:
    explicit TSeePicture(QWidget *parent = nullptr);

    int Tag = 0; // 1 from the moment its close has begun
    int LastMouseX = 0;

    QLabel *Image1 = nullptr;
    QScrollArea *scrollArea() const { return m_scroll; }
    bool autoSize() const { return m_autoSize; }

    // Opens a viewer for picture at the cursor's screen position (or where the last one was).
    static TSeePicture *openViewer(const QImage &picture, const QPoint &cursor);
    // A click on a picture control: closes the viewer that is showing; a click that is the one
    // which just took a viewer's activation away (same screen column or row) does nothing;
    // otherwise opens a viewer for picture at the cursor.
    static void clickOnPicture(const QImage &picture);

    int alphaBlendValue() const { return m_alpha; }
    void setAlphaBlendValue(int alpha);

    void Image1Click();
    void FormDeactivate();
    void FormClose();
    void Image1MouseDown(int x);
    void Image1MouseMove(Qt::MouseButtons buttons, int x);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setPicture(const QImage &picture);
    void sizeFromPicture(int w, int h);

    QScrollArea *m_scroll = nullptr;
    int m_alpha = 150;
    bool m_autoSize = true;
};
