// The input lock across two data windows, the refresh of both after a post, and closing.
#include "app/TabvaleApplication.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/grid/TableModel.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QToolButton>

class InputLockTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QPointer<TForm1> m_find;

    // A second data window, as the find-data window is: it exists while LookDataForm refers to it.
    void openSecondWindow()
    {
        m_main->LookData1->setChecked(true);
        m_find = new TForm1(false);
        LookDataForm = m_find;
        m_find->Tag = 2;
        m_find->destroyHandlerAttached = false;
        m_find->show();
    }

private slots:
    void initTestCase()
    {
        Prompts::setScript([](const Prompts::Request &) {
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }

    void init()
    {
        m_db = DataFixture::makeDatabase(QStringLiteral("Lock"),
            {QStringLiteral("CREATE TABLE People (Name VARCHAR(20), Age INTEGER, Note MEMO)"),
                QStringLiteral("INSERT INTO People VALUES ('Ann', 30, 'a'), ('Bob', 40, 'b'),"
                               " ('Cy', 50, 'c')"),
                QStringLiteral("CREATE TABLE Empty (Name VARCHAR(20))")});
        DataFixture::writeAliases({{QStringLiteral("Lock"), m_db}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
    }

    void cleanup()
    {
        delete m_find.data();
        m_main.reset();
    }

    void startsLockedWithoutInPlaceEditing()
    {
        QVERIFY(m_main->InputLock1->isChecked());
        QVERIFY(!m_main->DBGrid1->editingOption());
        QCOMPARE(m_main->DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void unlockingAddsEditingToBothGridsAndTheGlyphFollows()
    {
        openSecondWindow();
        const QImage lockedGlyph = m_main->BtBtnCanEdit->icon().pixmap(18, 36).toImage();
        m_main->InputLock1Click();
        QVERIFY(!m_main->InputLock1->isChecked());
        QVERIFY(m_main->DBGrid1->editingOption());
        QVERIFY(m_find->DBGrid1->editingOption());
        QVERIFY(m_main->BtBtnCanEdit->icon().pixmap(18, 36).toImage() != lockedGlyph);
        m_main->BtBtnCanEditClick();
        QVERIFY(m_main->InputLock1->isChecked());
        QCOMPARE(m_main->BtBtnCanEdit->icon().pixmap(18, 36).toImage(), lockedGlyph);
    }

    void lockingTwiceLeavesBothGridsLockedAndMovesTheSecondGridsColumn()
    {
        openSecondWindow();
        m_find->DBGrid1->setSelectedIndex(2);
        m_main->InputLock1Click();
        m_main->InputLock1Click();
        QVERIFY(m_main->InputLock1->isChecked());
        QVERIFY(!m_main->DBGrid1->editingOption());
        QVERIFY(!m_find->DBGrid1->editingOption());
        QCOMPARE(m_find->DBGrid1->selectedIndex(), 1);
        // From the first column it moves right instead.
        m_find->DBGrid1->setSelectedIndex(0);
        m_main->InputLock1Click();
        m_main->InputLock1Click();
        QCOMPARE(m_find->DBGrid1->selectedIndex(), 1);
    }

    void aSecondWindowOpenedWhileUnlockedStartsWithoutEditing()
    {
        m_main->InputLock1Click();
        openSecondWindow();
        QVERIFY(m_main->DBGrid1->editingOption());
        QVERIFY(!m_find->DBGrid1->editingOption());
    }

    void theMenuItemRunsTheSameToggle()
    {
        m_main->InputLock1->trigger();
        QVERIFY(!m_main->InputLock1->isChecked());
        QVERIFY(m_main->DBGrid1->editingOption());
        m_main->InputLock1->trigger();
        QVERIFY(m_main->InputLock1->isChecked());
        QVERIFY(!m_main->DBGrid1->editingOption());
    }

    void aPostInOneWindowShowsInTheOther()
    {
        openSecondWindow();
        TTable *mine = m_main->Table1;
        TTable *theirs = m_find->Table1;
        theirs->moveTo(1);
        QCOMPARE(theirs->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("Bob"));
        mine->moveTo(1);
        mine->edit();
        mine->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("Bert"));
        mine->post();
        QCOMPARE(theirs->recNo(), 1);
        QCOMPARE(theirs->fieldByName(QStringLiteral("Name"))->asString(), QStringLiteral("Bert"));
        QCOMPARE(m_find->DBGrid1->model()->index(1, 0).data().toString(), QStringLiteral("Bert"));
        // An append in the other window shows here too, and the current record stays.
        theirs->append();
        theirs->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("Dee"));
        theirs->post();
        QCOMPARE(mine->recordCount(), 4);
        QCOMPARE(mine->recNo(), 1);
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), 4);
        QCOMPARE(m_main->DBGrid1->model()->index(3, 0).data().toString(), QStringLiteral("Dee"));
    }

    void activatingAWindowStoresThePendingEditOfBoth()
    {
        openSecondWindow();
        m_find->Table1->moveTo(2);
        m_find->Table1->edit();
        m_find->Table1->fieldByName(QStringLiteral("Age"))->setValue(51);
        m_main->FormActivate();
        QCOMPARE(m_find->Table1->state(), TTable::Browse);
        QCOMPARE(
            DataFixture::scalar(m_db, QStringLiteral("SELECT Age FROM People WHERE Name='Cy'")),
            QVariant(qlonglong(51)));
        QCOMPARE(m_main->Table1->recordCount(), 3);
    }

    void activatingOnAnEmptyTableAddsNoRecord()
    {
        m_main->CBTable->setCurrentIndex(1);
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Empty"));
        m_main->FormActivate();
        m_main->FormCloseQuery();
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT count(*) FROM Empty")),
            QVariant(qlonglong(0)));
    }

    void closingStoresTheUnpostedChangeAndFreesThePanel()
    {
        m_main->Table1->moveTo(0);
        m_main->Table1->edit();
        m_main->Table1->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("Anna"));
        QCOMPARE(m_main->LabelCount, qint16(1));
        QPointer<TForm1> main = m_main.release();
        main->setAttribute(Qt::WA_DeleteOnClose);
        main->Exit1->trigger();
        QTRY_VERIFY(main.isNull());
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT Name FROM People WHERE rowid=1")),
            QVariant(QStringLiteral("Anna")));
    }

    void closingTheMainWindowFreesTheSecondWindow()
    {
        openSecondWindow();
        QPointer<TForm1> find = m_find;
        m_main.reset();
        QVERIFY(find.isNull());
        QVERIFY(LookDataForm.isNull());
    }
};

TABVALE_TEST_MAIN(InputLockTest, TabvaleApplication)
#include "tst_InputLock.moc"
