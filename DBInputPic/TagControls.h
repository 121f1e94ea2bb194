#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>

// Controls of the picture input window that keep a flag in an integer Tag.

class TagPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TagPanel(QWidget *parent = nullptr) : QFrame(parent) { }
    int Tag = 0;
};

class TagLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TagLabel(QWidget *parent = nullptr) : QLabel(parent) { }
    int Tag = 0;
};

// A label used as a button: a left click on it is its click.
class LabelButton : public QLabel
{
    Q_OBJECT
public:
    explicit LabelButton(QWidget *parent = nullptr);
    int Tag = 0;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A push button that reports losing the input focus (its exit event).
class ExitButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ExitButton(const QString &caption, QWidget *parent = nullptr);
    int Tag = 0;

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};
