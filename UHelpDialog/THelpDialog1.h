#pragma once

#include <QDialog>

class QPlainTextEdit;

// The Help text: how the mouse gestures work. Modeless, stays on top, frees itself when closed.
class THelpDialog1 : public QDialog
{
    Q_OBJECT
public:
    explicit THelpDialog1(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;
    static QStringList helpLines();

protected:
    void closeEvent(QCloseEvent *event) override;
};
