// The find-data window: what it takes over from the main window, how it differs, its opacity bar,
// and the rule that it and the picture input window are never open together.
#include "DBInputPic/TFDBInputPic.h"
#include "UHelpDialog/THelpDialog1.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBMemo.h"
#include "controls/TScrollBar.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/datawindow/DragWindows.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

const QColor Green(0, 128, 0);

QColor textColor(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

} // namespace

class LookDataTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragWindows> m_windows;
    QList<Prompts::Request> m_asked;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;

    TForm1 *main() const { return m_windows->main(); }

private slots:
    void initTestCase()
    {
        WindowWiring::install();
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            return Prompts::Answer {m_answer, {}};
        });
        const QString first = DataFixture::makeDatabase(QStringLiteral("First"),
            {QStringLiteral("CREATE TABLE Alpha (A INTEGER)"),
                QStringLiteral("INSERT INTO Alpha VALUES (1)")});
        const QString second = DataFixture::makeDatabase(QStringLiteral("Second"),
            {QStringLiteral("CREATE TABLE Beta (B INTEGER)"),
                QStringLiteral("CREATE TABLE Gamma (Name VARCHAR(10), Notes MEMO, Pic GRAPHIC)"),
                QStringLiteral("INSERT INTO Gamma VALUES ('g', 'memo text', NULL)")});
        DataFixture::writeAliases(
            {{QStringLiteral("First"), first}, {QStringLiteral("Second"), second}});
    }

    void init()
    {
        m_asked.clear();
        m_answer = QMessageBox::Ok;
        m_windows = std::make_unique<DragWindows>();
    }

    void cleanup()
    {
        delete FDBInputPic.data();
        m_windows.reset();
    }

    void itOpensOnTheAliasAndTableTheMainWindowShows()
    {
        DragWindows::showTable(main(), QStringLiteral("Second"), QStringLiteral("Gamma"));
        TForm1 *find = m_windows->openFind();
        QVERIFY(find);
        QCOMPARE(find->CBDBase->currentText(), QStringLiteral("Second"));
        QCOMPARE(find->CBTable->currentText(), QStringLiteral("Gamma"));
        QCOMPARE(find->CBTable->count(), 2);
        QCOMPARE(find->CBTable->itemText(0), QStringLiteral("Beta"));
        QVERIFY(find->Table1->active());
        QCOMPARE(find->Table1->tableName(), QStringLiteral("Gamma"));
        QVERIFY(find->Table1 != main()->Table1);
        QCOMPARE(find->FieldMemos.size(), 1);
        QCOMPARE(find->FieldImages.size(), 1);
    }

    void aTableTextNotInTheListLeavesNoneSelectedAndTheTableClosed()
    {
        main()->CBTable->setEditText(QStringLiteral("Nowhere")); // the engine refuses it
        QCOMPARE(m_asked.size(), 1);
        TForm1 *find = m_windows->openFind();
        QCOMPARE(find->CBDBase->currentText(), QStringLiteral("First"));
        QCOMPARE(find->CBTable->currentIndex(), -1);
        QVERIFY(find->CBTable->currentText().isEmpty());
        QVERIFY(!find->Table1->active());
        QCOMPARE(m_asked.size(), 1); // the find-data window raised nothing
    }

    void itIsASeeThroughWindowOfItsOwnOverTheMainWindow()
    {
        DragWindows::showTable(main(), QStringLiteral("Second"), QStringLiteral("Gamma"));
        main()->move(120, 90);
        main()->LookData1->trigger();
        TForm1 *find = LookDataForm;
        QVERIFY(find);
        QVERIFY(main()->LookData1->isChecked());
        QCOMPARE(find->windowTitle(), QStringLiteral("查找数据"));
        QCOMPARE(find->windowHandle()->title(), QStringLiteral("查找数据"));
        QCOMPARE(find->Tag, 2);
        QCOMPARE(main()->Tag, 1);
        QVERIFY(!find->MainMenu1 && find->findChildren<QMenuBar *>().isEmpty());
        QVERIFY(!find->ToolBar1 && find->findChildren<QToolBar *>().isEmpty());
        QVERIFY(!find->DBNavigator1 && !find->LookData1 && !find->InputLockImg);
        QVERIFY(find->GTempImg1 && find->GTempImg2); // picture loading still works there
        QVERIFY(qAbs(find->windowOpacity() - 160 / 255.0) <= 1 / 255.0);
        QCOMPARE(main()->windowOpacity(), 1.0);
        QVERIFY(find->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(find->isVisible() && find->ScrollBar2->isVisible());
        QVERIFY(!main()->ScrollBar2->isVisible());
        QCOMPARE(find->pos(), main()->pos() + QPoint(50, 50));
        QCOMPARE(find->size(), QSize(772, 581));
        QVERIFY(!find->destroyHandlerAttached && find->OnClose);
        for (const QWidget *w :
            std::initializer_list<const QWidget *> {find->Label1, find->Label2, find->CBDBase,
                find->CBTable, find->FieldLabels.value(0), find->FieldLabels.value(1)})
            QCOMPARE(textColor(w), Green);
        QCOMPARE(find->FieldMemos[0]->palette().color(QPalette::Text), Green);
        QCOMPARE(textColor(main()->Label1), QColor(255, 0, 0));
        QCOMPARE(find->DBGrid1->color(), QColor(Qt::white));
        QCOMPARE(find->DBGrid1->fixedColor(), QColor(0, 255, 0));
        QCOMPARE(find->DBGrid1->fontColor(), Green);
        QCOMPARE(main()->DBGrid1->color(), QColor(255, 255, 0));
    }

    void itClosesByItsMenuItemItsToolButtonOrItsCloseBox_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("menu item") << 0;
        QTest::newRow("tool button") << 1;
        QTest::newRow("close box") << 2;
    }

    void itClosesByItsMenuItemItsToolButtonOrItsCloseBox()
    {
        QFETCH(int, how);
        QPointer<TForm1> find = m_windows->openFind();
        auto *help = new THelpDialog1; // the find-data window must not run the main's destroy
        HelpDialog1 = help;
        if (how == 0)
            main()->LookData1->trigger();
        else if (how == 1)
            main()->BtBtnLookData->click();
        else
            find->close();
        QVERIFY(!main()->LookData1->isChecked());
        QVERIFY(LookDataForm.isNull());
        QTRY_VERIFY(find.isNull());
        QCOMPARE(HelpDialog1.data(), help);
        // And it opens again.
        QVERIFY(m_windows->openFind());
    }

    void theOpacityBarRunsFromFiftyTo220()
    {
        TForm1 *find = m_windows->openFind();
        find->ScrollBar2->triggerAction(QAbstractSlider::SliderToMinimum);
        QVERIFY(qAbs(find->windowOpacity() - 50 / 255.0) <= 1 / 255.0);
        find->ScrollBar2->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(qAbs(find->windowOpacity() - 220 / 255.0) <= 1 / 255.0);
        main()->ScrollBar2Change(50);
        QCOMPARE(main()->windowOpacity(), 1.0);
    }

    void eitherWindowAsksBeforeTheOtherCloses_data()
    {
        QTest::addColumn<bool>("findFirst");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("picture input over find-data, Cancel") << true << QMessageBox::Cancel;
        QTest::newRow("picture input over find-data, OK") << true << QMessageBox::Ok;
        QTest::newRow("find-data over picture input, Cancel") << false << QMessageBox::Cancel;
        QTest::newRow("find-data over picture input, OK") << false << QMessageBox::Ok;
    }

    void eitherWindowAsksBeforeTheOtherCloses()
    {
        QFETCH(bool, findFirst);
        QFETCH(QMessageBox::StandardButton, answer);
        QPointer<TForm1> find;
        QPointer<TFDBInputPic> input;
        if (findFirst) {
            find = m_windows->openFind();
        } else {
            main()->BtBtnInputPic->click();
            input = FDBInputPic;
            QVERIFY(input);
        }
        m_asked.clear();
        m_answer = answer;
        if (findFirst)
            main()->InputPicture1->trigger();
        else
            main()->BtBtnLookData->click();
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked.last().text,
            findFirst ? QStringLiteral("打开“输入图形”窗口之前必须先关闭“查找数据”窗口！")
                      : QStringLiteral("打开“查找数据”窗口之前必须先关闭“输入图形”窗口！"));
        QCOMPARE(m_asked.last().caption,
            findFirst ? QStringLiteral("查找数据") : QStringLiteral("输入图形"));
        QCOMPARE(m_asked.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        const bool switched = answer == QMessageBox::Ok;
        // Exactly one of the two is open, and its menu item alone is checked.
        const bool findOpen = findFirst != switched;
        QCOMPARE(main()->LookData1->isChecked(), findOpen);
        QCOMPARE(main()->InputPicture1->isChecked(), !findOpen);
        QCOMPARE(!LookDataForm.isNull(), findOpen);
        QCOMPARE(!FDBInputPic.isNull(), !findOpen);
        if (findFirst && !switched)
            QCOMPARE(LookDataForm.data(), find.data());
        if (!findFirst && !switched)
            QCOMPARE(FDBInputPic.data(), input.data());
    }

    void openingItForgetsTheViewersPlaceAndOpacityAndAnyDrag()
    {
        ViewerLeft = 300;
        ViewerTop = 200;
        ViewerAlpha = 90;
        DragState = 2;
        DragCol = 4;
        m_windows->openFind();
        QCOMPARE(ViewerLeft, -1);
        QCOMPARE(ViewerTop, -1);
        QCOMPARE(ViewerAlpha, std::uint8_t(255));
        QCOMPARE(DragState, std::uint8_t(0));
        QCOMPARE(DragCol, 1);
    }
};

TABVALE_TEST_MAIN(LookDataTest, TabvaleApplication)
#include "tst_LookData.moc"
