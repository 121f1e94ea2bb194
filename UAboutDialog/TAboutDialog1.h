#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

// The About dialog. Typing its 22-key phrase with Ctrl and Alt held swaps the text for a picture.
// Modal; frees itself when closed.
class TAboutDialog1 : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutDialog1(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;
    QLabel *Image1 = nullptr;
    QString KeyBuffer;
    quint8 KeyCount = 0;

    static QString phrase() { return QStringLiteral("MOXVEKRUTANBOPLIDGEWSQ"); }
    static QStringList memoLines();

    void FormCreate();
    void Memo1KeyDown(int key, Qt::KeyboardModifiers shift);
    void Image1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
