#pragma once

#include <QFrame>

// A panel that reports its resizes, so the window can react the way it does to a form resize.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent *event) override;
};
