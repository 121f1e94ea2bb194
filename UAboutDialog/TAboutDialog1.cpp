#include "UAboutDialog/TAboutDialog1.h"

#include "UAboutDialog/AboutPicture.h"
#include "common/SharedState.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
constexpr int PhraseLength = 22;
}

TAboutDialog1::TAboutDialog1(QWidget *parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("信息"));
    QFont formFont(QStringLiteral("新宋体"));
    formFont.setPixelSize(11);
    setFont(formFont);
    setFixedSize(194, 138);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(rect());
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setBackgroundRole(QPalette::Window);
    Memo1->viewport()->setAutoFillBackground(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont memoFont(QStringLiteral("MS Sans Serif"));
    memoFont.setPixelSize(11);
    Memo1->setFont(memoFont);
    Memo1->setPlainText(memoLines().join(QLatin1Char('\n')));
    // Read-only text still takes keys; it must not take the tab focus away from them.
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->installEventFilter(this);

    Image1 = new QLabel(this);
    Image1->setGeometry(rect());
    Image1->setPixmap(QPixmap::fromImage(AboutPicture::make(size())));
    Image1->setToolTip(QStringLiteral("Tabvale"));
    Image1->hide();
    Image1->installEventFilter(this);

    FormCreate();
    Memo1->setFocus();
}

QStringList TAboutDialog1::memoLines()
{
    return {QString(), QString(), QStringLiteral("    Tabvale"), QString(),
        QStringLiteral("      版    本：2.00"), QStringLiteral("      开发：Tabvale 开发组"),
        QStringLiteral("      年份：2026"), QStringLiteral("      电话：010-0000 0000"),
        QStringLiteral("      邮件：team@tabvale.invalid")};
}

void TAboutDialog1::FormCreate()
{
    KeyBuffer.clear();
    KeyCount = 0;
}

void TAboutDialog1::Memo1KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return;
    if (!(shift & Qt::ControlModifier) || !(shift & Qt::AltModifier))
        return;
    ++KeyCount;
    KeyBuffer += QChar(char16_t(key & 0xFFFF));
    if (KeyCount == PhraseLength) {
        if (KeyBuffer == phrase()) {
            Memo1->hide();
            Image1->show();
        }
        KeyBuffer.clear();
        KeyCount = 0;
    }
}

void TAboutDialog1::Image1Click()
{
    Image1->hide();
    Memo1->show();
}

void TAboutDialog1::closeEvent(QCloseEvent *event)
{
    AboutDialog1.clear();
    event->accept();
}

bool TAboutDialog1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo1 && event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        Memo1KeyDown(e->key(), e->modifiers());
    } else if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
