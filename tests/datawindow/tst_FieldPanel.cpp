// The alias and table lists, the open-table procedure and the field panel's geometry and scrolling.
#include "app/TabvaleApplication.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/TPanel.h"
#include "controls/TScrollBar.h"
#include "datawindow/TForm1.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QSplitter>

class FieldPanelTest : public QObject
{
    Q_OBJECT

private:
    QString m_main;
    QString m_other;
    QStringList m_messages;

    std::unique_ptr<TForm1> makeMain()
    {
        auto form = std::make_unique<TForm1>(true);
        form->resize(772, 581);
        form->show();
        QTest::qWait(10);
        return form;
    }

private slots:
    void initTestCase()
    {
        m_main = DataFixture::makeDatabase(QStringLiteral("Main"),
            {QStringLiteral("CREATE TABLE Albums (Title VARCHAR(40), Summary MEMO, Review MEMO,"
                            " Cover GRAPHIC)"),
                QStringLiteral(
                    "INSERT INTO Albums (Title, Summary) VALUES ('One', 'first summary')"),
                QStringLiteral("INSERT INTO Albums (Title, Summary) VALUES ('Two', 'second')"),
                QStringLiteral("CREATE TABLE \"Price list\" (Item VARCHAR(20), Price MONEY)"),
                QStringLiteral("INSERT INTO \"Price list\" VALUES ('tea', 3.5)")});
        m_other = DataFixture::makeDatabase(QStringLiteral("Other"),
            {QStringLiteral("CREATE TABLE Scans (Label VARCHAR(10), Raw BLOB, Typed TYPEDBINARY)"),
                QStringLiteral("CREATE TABLE Notes (Body MEMO)")});
        DataFixture::writeAliases(
            {{QStringLiteral("Main"), m_main}, {QStringLiteral("Other"), m_other}});
        Prompts::setScript([this](const Prompts::Request &r) {
            m_messages << r.text;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }

    void init() { m_messages.clear(); }

    void startsOnTheFirstAliasAndItsFirstTable()
    {
        auto form = makeMain();
        QCOMPARE(form->CBDBase->count(), 2);
        QCOMPARE(form->CBDBase->currentText(), QStringLiteral("Main"));
        QCOMPARE(form->CBTable->currentText(), QStringLiteral("Albums"));
        QCOMPARE(form->CBTable->itemText(1), QStringLiteral("Price list"));
        QVERIFY(form->Table1->active());
        QCOMPARE(Form1.data(), form.get());
        QVERIFY(m_messages.isEmpty());
    }

    void twoMemosAndAGraphicStackInFieldOrder()
    {
        auto form = makeMain();
        QCOMPARE(form->LabelCount, qint16(3));
        QCOMPARE(form->MemoCount, qint16(2));
        QCOMPARE(form->ImageCount, qint16(1));
        QCOMPARE(form->FieldPanelHeight, 678);
        const int labelTops[] = {10, 236, 462};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(form->FieldLabels[i]->geometry(), QRect(10, labelTops[i], 200, 16));
        }
        QCOMPARE(form->FieldLabels[0]->text(), QStringLiteral("Summary"));
        QCOMPARE(form->FieldMemos[0]->geometry(), QRect(10, 26, 200, 200));
        QCOMPARE(form->FieldMemos[1]->geometry(), QRect(10, 252, 200, 200));
        QCOMPARE(form->FieldImages[0]->geometry(), QRect(10, 478, 200, 200));
        // Field tags link each field to its control.
        QCOMPARE(form->Table1->fieldByName(QStringLiteral("Review"))->Tag, 1);
        QCOMPARE(form->Table1->fieldByName(QStringLiteral("Cover"))->Tag, 0);
        QCOMPARE(form->FieldMemos[0]->toPlainText(), QStringLiteral("first summary"));
    }

    void typingInAMemoEditsTheRecordAndMovingOnStoresIt()
    {
        auto form = makeMain();
        DBMemo *summary = form->FieldMemos[0];
        summary->setFocus();
        summary->moveCursor(QTextCursor::End);
        QTest::keyClicks(summary, QStringLiteral(" more"));
        QCOMPARE(form->Table1->state(), TTable::Edit);
        form->Table1->next();
        QCOMPARE(form->Table1->state(), TTable::Browse);
        QCOMPARE(summary->toPlainText(), QStringLiteral("second"));
        QCOMPARE(
            DataFixture::scalar(m_main, QStringLiteral("SELECT Summary FROM Albums WHERE rowid=1")),
            QVariant(QStringLiteral("first summary more")));
        // Escape in the memo drops a change not yet stored.
        summary->setFocus();
        QTest::keyClicks(summary, QStringLiteral("xyz"));
        QTest::keyClick(summary, Qt::Key_Escape);
        QCOMPARE(form->Table1->state(), TTable::Browse);
        QCOMPARE(summary->toPlainText(), QStringLiteral("second"));
        DataFixture::exec(
            m_main, QStringLiteral("UPDATE Albums SET Summary='first summary' WHERE rowid=1"));
    }

    void scrollBarShowsOnlyWhenTheEntriesAreTaller_data()
    {
        QTest::addColumn<int>("windowHeight");
        QTest::addColumn<bool>("shown");
        QTest::newRow("short window") << 581 << true;
        QTest::newRow("tall window") << 990 << false;
    }

    void scrollBarShowsOnlyWhenTheEntriesAreTaller()
    {
        QFETCH(int, windowHeight);
        QFETCH(bool, shown);
        auto form = makeMain();
        form->resize(772, windowHeight);
        QTest::qWait(20);
        QCOMPARE(form->Panel3->contentsRect().height() < 678, shown);
        QCOMPARE(form->ScrollBar1->isVisible(), shown);
        if (shown) {
            QCOMPARE(form->ScrollBar1->Max(), 678);
            QCOMPARE(form->ScrollBar1->PageSize(), form->Panel3->contentsRect().height());
        }
    }

    void scrollingMovesTheEntriesAndSnapsBackPastTheEnd()
    {
        auto form = makeMain();
        QVERIFY(form->ScrollBar1->isVisible());
        form->ScrollBar1->setValue(40);
        QCOMPARE(form->FieldPanelScroll, 40);
        QCOMPARE(form->FieldLabels[0]->y(), 10 - 40);
        form->ScrollBar1->setValue(12);
        QCOMPARE(form->FieldLabels[0]->y(), 10 - 12);
        // The last position lies past max - client height: refused, the bar goes back.
        const int last = form->ScrollBar1->maximum();
        QVERIFY(last > 678 - form->Panel3->contentsRect().height());
        form->ScrollBar1->setValue(last);
        QCOMPARE(form->ScrollBar1->value(), 12);
        QCOMPARE(form->FieldPanelScroll, 12);
        QCOMPARE(form->FieldLabels[0]->y(), 10 - 12);
    }

    void resizingWhileScrolledReturnsToTheTop()
    {
        auto form = makeMain();
        form->ScrollBar1->setValue(60);
        QCOMPARE(form->FieldImages[0]->y(), 478 - 60);
        form->resize(772, 600);
        QTest::qWait(20);
        QCOMPARE(form->ScrollBar1->value(), 0);
        QCOMPARE(form->FieldPanelScroll, 0);
        QCOMPARE(form->FieldImages[0]->y(), 478);
    }

    void aTableWithoutPicturesOrMemosHasAnEmptyPanel()
    {
        auto form = makeMain();
        form->CBTable->setCurrentIndex(1);
        QCOMPARE(form->Table1->tableName(), QStringLiteral("Price list"));
        QVERIFY(form->Table1->active());
        QCOMPARE(form->LabelCount, qint16(0));
        QCOMPARE(form->FieldPanelHeight, 0);
        QVERIFY(!form->ScrollBar1->isVisible());
        QVERIFY(form->Panel3->findChildren<QLabel *>().isEmpty());
    }

    void anotherAliasOpensItsFirstTableAtOnce()
    {
        auto form = makeMain();
        form->CBDBase->setCurrentIndex(1);
        QCOMPARE(form->CBTable->count(), 2);
        QCOMPARE(form->CBTable->currentText(), QStringLiteral("Scans"));
        QCOMPARE(form->Table1->databaseName(), QStringLiteral("Other"));
        QCOMPARE(form->ImageCount, qint16(2));
        QCOMPARE(form->FieldImages[1]->geometry(), QRect(10, 252, 200, 200));
    }

    void typingAnUnknownTableNameReportsItAndLeavesTheTableClosed()
    {
        auto form = makeMain();
        form->CBTable->setEditText(QStringLiteral("Nope"));
        QVERIFY(!form->Table1->active());
        QCOMPARE(form->LabelCount, qint16(0));
        QVERIFY(!m_messages.isEmpty());
        QVERIFY2(m_messages.last().contains(QStringLiteral("Nope")), qPrintable(m_messages.last()));
        form->CBTable->setEditText(QStringLiteral("Albums"));
        QVERIFY(form->Table1->active());
        QCOMPARE(form->LabelCount, qint16(3));
    }

    void anEmptyTableNameOpensNothing()
    {
        auto form = makeMain();
        form->CBTable->setEditText(QString());
        QVERIFY(!form->Table1->active());
        QVERIFY(m_messages.isEmpty());
    }
};

TABVALE_TEST_MAIN(FieldPanelTest, TabvaleApplication)
#include "tst_FieldPanel.moc"
