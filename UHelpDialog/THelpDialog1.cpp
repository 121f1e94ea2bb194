#include "UHelpDialog/THelpDialog1.h"

#include "common/SharedState.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

THelpDialog1::THelpDialog1(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("帮助"));
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(12);
    setFont(formFont);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setBackgroundRole(QPalette::Window);
    Memo1->viewport()->setAutoFillBackground(false);
    QFont memoFont(QStringLiteral("新宋体"));
    memoFont.setPixelSize(12);
    memoFont.setStyleHint(QFont::TypeWriter);
    Memo1->setFont(memoFont);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setPlainText(helpLines().join(QLatin1Char('\n')));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(Memo1);
    // The text was laid out for a 288 x 252 client area; the fonts standing in for the original
    // ones may be wider or taller, so the window grows until every line shows whole.
    const QFontMetrics metrics(memoFont);
    int widest = 0;
    for (const QString &line : helpLines())
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * int(Memo1->document()->documentMargin()) + 4;
    setFixedSize(std::max(288, widest + margins),
        std::max(252, int(helpLines().size() + 1) * metrics.lineSpacing() + margins));
}

QStringList THelpDialog1::helpLines()
{
    return {
        QStringLiteral("1、鼠标左键拖动：在首窗口和“查找数据”窗口之"),
        QStringLiteral("间（或窗口内部）拖动拷贝数据。"),
        QStringLiteral("2、鼠标右键拖动：只能从“查找数据”窗口拖向首"),
        QStringLiteral("窗口，并且："),
        QStringLiteral("   ①、当Ctrl键按下时，“查找数据”窗口数据拷"),
        QStringLiteral("贝到首窗口；"),
        QStringLiteral("   ②、当Shift键按下时，“查找数据”窗口数据被"),
        QStringLiteral("首窗口数据替代；"),
        QStringLiteral("   ③、当Ctrl和Alt键同时按下时，上两窗口数据互"),
        QStringLiteral("换。"),
        QStringLiteral("3、在“输入图形”窗口："),
        QStringLiteral("   ①、在窗口右边一列小图片上Ctrl+右击，则将当"),
        QStringLiteral("前文件图像拷入到当前记录；"),
        QStringLiteral("   ②、在窗口左侧文件列表框中（或中下部图片列"),
        QStringLiteral("表框内）Ctrl+Alt+右击，则将该图像拷入到当前记"),
        QStringLiteral("录，同时当前记录移到下一个记录上。"),
        QStringLiteral("4、在首窗口的左侧图形显示框内（或“输入图形”"),
        QStringLiteral("窗口中上部右侧的图形显示框内）左击则显示图形的"),
        QStringLiteral("原始大小，右击则打开一对话框以便输入一新图像到"),
        QStringLiteral("数据库。"),
    };
}

void THelpDialog1::closeEvent(QCloseEvent *event)
{
    HelpDialog1.clear();
    event->accept();
}
