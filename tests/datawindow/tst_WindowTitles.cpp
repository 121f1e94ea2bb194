// Every window's title bar reads exactly its caption: the program's name is the main window's
// caption, never a suffix of the others'. Read back from the X server, as a desktop shows it.
#include "DBInputPic/TFDBInputPic.h"
#include "UAboutDialog/TAboutDialog1.h"
#include "UHelpDialog/THelpDialog1.h"
#include "USeePicture/TSeePicture.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QProcess>
#include <QRegularExpression>

namespace {

// The title the window system holds for the window (its _NET_WM_NAME, as xprop prints it).
QString titleOnScreen(QWidget *window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
        {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000))
        return QStringLiteral("(xprop did not answer)");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    static const QRegularExpression quoted(QStringLiteral("= \"(.*)\"\\s*$"));
    const auto m = quoted.match(out);
    return m.hasMatch() ? m.captured(1) : out;
}

} // namespace

class WindowTitlesTest : public QObject
{
    Q_OBJECT
private slots:
    void everyWindowIsTitledWithItsCaption()
    {
        WindowWiring::install();
        Prompts::setScript([](const Prompts::Request &) {
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
        const QString path = DataFixture::makeDatabase(
            QStringLiteral("Titles"), {QStringLiteral("CREATE TABLE T (Name TEXT)")});
        DataFixture::writeAliases({{QStringLiteral("Titles"), path}});
        // Started the way the program starts: the application object names the program.
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Tabvale"));
        auto main = std::make_unique<TForm1>(true);
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));

        QList<QPair<QWidget *, QString>> windows {{main.get(), QStringLiteral("Tabvale")}};
        main->LookData1Click();
        QVERIFY(LookDataForm);
        windows.append({LookDataForm.data(), QStringLiteral("查找数据")});
        main->Content1Click();
        windows.append({HelpDialog1.data(), QStringLiteral("帮助")});
        auto about = std::make_unique<TAboutDialog1>();
        about->show();
        windows.append({about.get(), QStringLiteral("信息")});
        QImage picture(50, 50, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        TSeePicture *viewer = TSeePicture::openViewer(picture, QPoint(300, 300));
        windows.append({viewer, QStringLiteral("原始图像")});
        for (const auto &[window, caption] : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->windowTitle(), caption);
            QTRY_COMPARE(titleOnScreen(window), caption);
        }
        // The picture input window excludes the find-data window: closing one, open the other.
        main->InputPicture1Click();
        QVERIFY(FDBInputPic);
        QVERIFY(!LookDataForm);
        QWidget *input = FDBInputPic.data();
        QVERIFY(QTest::qWaitForWindowExposed(input));
        QTRY_COMPARE(titleOnScreen(input), QStringLiteral("输入图形"));
        delete viewer;
        main->close();
    }
};

TABVALE_TEST_MAIN(WindowTitlesTest, TabvaleApplication)
#include "tst_WindowTitles.moc"
