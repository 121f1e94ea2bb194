// The maintenance commands of the main window's menu, as a user meets them: the questions, the
// windows they close, the list after a delete, and a failure shown once with the table open again.
#include "DBInputPic/TFDBInputPic.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DelayedProgress.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/maintenance/MaintenanceProgress.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/TTable.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <sqlite3.h>

namespace {

QString hex(const QByteArray &bytes)
{
    return QStringLiteral("x'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

QByteArray bitmap(int code)
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return StoredPicture::encode(image, code);
}

// Denies the k-th statement that writes (see the engine's fault tests).
int denyTheThirdWrite(
    void *count, int action, const char *, const char *, const char *, const char *)
{
    const bool write = action == SQLITE_INSERT || action == SQLITE_DELETE
        || action == SQLITE_CREATE_TABLE || action == SQLITE_DROP_TABLE;
    return write && ++*static_cast<int *>(count) == 3 ? SQLITE_DENY : SQLITE_OK;
}

} // namespace

class MaintenanceTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QList<Prompts::Request> m_asked;
    QList<Prompts::Answer> m_answers; // given in turn; then OK
    std::function<void(const Prompts::Request &)> m_whileAsked;

    QVariant scalar(const QString &sql) { return DataFixture::scalar(m_db, sql); }
    QStringList asked() const
    {
        QStringList texts;
        for (const Prompts::Request &r : m_asked)
            texts << r.caption + QStringLiteral(": ") + r.text;
        return texts;
    }
    void openFindData()
    {
        m_main->LookData1->trigger();
        QVERIFY(LookDataForm);
        QVERIFY(LookDataForm->Table1->active());
    }
    void select(const QString &table) { m_main->CBTable->setCurrentText(table); }

    // Two tables whose records refer to Parts' (odd ids), one record each referring to nothing
    // and to null; the engine's connection would cascade a delete of Parts into them.
    void makeOrders()
    {
        DataFixture::exec(m_db,
            QStringLiteral("CREATE TABLE Orders (part INTEGER REFERENCES Parts (id) ON DELETE "
                           "CASCADE, qty INTEGER); "
                           "INSERT INTO Orders VALUES (1, 5), (3, 6), (3, 7), (2, 8), (NULL, 9); "
                           "CREATE TABLE Invoices (code TEXT REFERENCES Parts (code) ON DELETE "
                           "SET NULL); INSERT INTO Invoices VALUES ('P5'), ('P6')"));
        Engine::database(QStringLiteral("Tidy"))->exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    }
    QString ordersNow()
    {
        return scalar(QStringLiteral("SELECT (SELECT group_concat(quote(part) || '/' || qty) FROM "
                                     "Orders) || ' ' || (SELECT group_concat(code) FROM Invoices)"))
            .toString();
    }

private slots:
    void initTestCase()
    {
        WindowWiring::install();
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            if (m_whileAsked)
                m_whileAsked(r);
            return m_answers.isEmpty() ? Prompts::Answer {QMessageBox::Ok, {}}
                                       : m_answers.takeFirst();
        });
    }

    void init()
    {
        const QString jpeg = hex(PictureSamples::jpeg(
            PictureSamples::quadrants({16, 16}), PictureSamples::JpegKind::Baseline));
        m_db = DataFixture::makeDatabase(QStringLiteral("Tidy"),
            {QStringLiteral("CREATE TABLE Parts (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                            "code VARCHAR(8) NOT NULL, price MONEY)"),
                QStringLiteral("CREATE UNIQUE INDEX parts_code ON Parts (code)"),
                QStringLiteral("CREATE TABLE log (what)"),
                QStringLiteral("CREATE TRIGGER parts_del AFTER DELETE ON Parts BEGIN "
                               "INSERT INTO log VALUES (old.id); END"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < 300) INSERT INTO Parts (code, price) "
                               "SELECT 'P' || i, i FROM c"),
                QStringLiteral("DELETE FROM Parts WHERE id % 2 = 0"),
                QStringLiteral("DELETE FROM log"),
                QStringLiteral("CREATE TABLE Album (Title VARCHAR(10), Year INTEGER, "
                               "Note MEMO, Cover GRAPHIC, Scan BLOB)"),
                QStringLiteral("INSERT INTO Album VALUES ('a', 2001, 'fine', %1, %2), "
                               "('b', 2002, 'fine', NULL, NULL), ('c', 2003, NULL, %1, NULL)")
                    .arg(hex(bitmap(17)), jpeg),
                QStringLiteral("CREATE TABLE Other (x)")});
        DataFixture::writeAliases({{QStringLiteral("Tidy"), m_db}});
        m_asked.clear();
        m_answers.clear();
        m_whileAsked = nullptr;
        DelayedProgress::showAfterMs = 400;
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Parts"));
    }

    void cleanup()
    {
        sqlite3_set_authorizer(
            Engine::database(QStringLiteral("Tidy"))->handle(), nullptr, nullptr);
        m_main.reset();
        QTRY_VERIFY(LookDataForm.isNull() && FDBInputPic.isNull());
    }

    void compactKeepsEveryRecordAndClosesTheFindDataWindowFirst_data()
    {
        QTest::addColumn<bool>("fromToolBar");
        QTest::newRow("menu item") << false;
        QTest::newRow("tool button") << true;
    }

    void compactKeepsEveryRecordAndClosesTheFindDataWindowFirst()
    {
        QFETCH(bool, fromToolBar);
        openFindData();
        const QString before
            = scalar(QStringLiteral("SELECT group_concat(id || code) FROM Parts")).toString();
        const QString objects
            = QStringLiteral("SELECT group_concat(type || ' ' || name || ': ' || sql, '; ') FROM "
                             "(SELECT * FROM sqlite_master WHERE sql IS NOT NULL ORDER BY name)");
        const QString schema = scalar(objects).toString();
        m_main->Table1->moveTo(5);
        if (fromToolBar)
            QTest::mouseClick(m_main->BtBtnCompact, Qt::LeftButton);
        else
            m_main->Compact1->trigger();
        QVERIFY(!m_main->LookData1->isChecked());
        QTRY_VERIFY(LookDataForm.isNull());
        QCOMPARE(asked(), QStringList()); // no question, no message
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(id || code) FROM Parts")).toString(),
            before);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM log")).toInt(), 0);
        QCOMPARE(scalar(objects).toString(), schema); // no "$$$" table, the index and trigger kept
        QCOMPARE(scalar(QStringLiteral("PRAGMA freelist_count")).toInt(), 0);
        QVERIFY(m_main->Table1->active());
        QCOMPARE(m_main->Table1->recordCount(), 150);
    }

    void aFailedCommandShowsOneMessageAndTheTableAgain_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("compact") << "Compact1";
        QTest::newRow("empty") << "EmptyDBase1";
        QTest::newRow("restore") << "RestoreEnd1";
    }

    void aFailedCommandShowsOneMessageAndTheTableAgain()
    {
        QFETCH(QString, command);
        if (command == u"Compact1") {
            // With auto-vacuum the table is rebuilt through its own writes, which can fail one by
            // one; a database without it is rebuilt by SQLite's VACUUM, all or nothing.
            DataFixture::exec(m_db, QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL; VACUUM"));
            QCOMPARE(scalar(QStringLiteral("PRAGMA auto_vacuum")).toInt(), 2);
        }
        if (command == u"RestoreEnd1") {
            m_answers << Prompts::Answer {QMessageBox::Yes, {}};
            m_main->EmptyDBase1->trigger();
            DataFixture::exec(m_db, QStringLiteral("INSERT INTO Parts (code) VALUES ('new')"));
            m_main->Table1->refresh();
            m_asked.clear();
        }
        const QString before
            = scalar(QStringLiteral("SELECT group_concat(id || code) FROM Parts")).toString();
        int writes = 0;
        sqlite3_set_authorizer(
            Engine::database(QStringLiteral("Tidy"))->handle(), denyTheThirdWrite, &writes);
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        QAction *action = command == u"Compact1" ? m_main->Compact1
            : command == u"EmptyDBase1"          ? m_main->EmptyDBase1
                                                 : m_main->RestoreEnd1;
        action->trigger();
        int errors = 0;
        for (const Prompts::Request &r : std::as_const(m_asked))
            errors += r.icon == QMessageBox::Critical;
        QCOMPARE(errors, 1);
        QCOMPARE(scalar(QStringLiteral("SELECT group_concat(id || code) FROM Parts")).toString(),
            before);
        QVERIFY(m_main->Table1->active());
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), m_main->Table1->recordCount());
    }

    void emptyAsksAndOnlyYesEmpties_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(QMessageBox::No);
        QTest::newRow("Yes") << int(QMessageBox::Yes);
    }

    void emptyAsksAndOnlyYesEmpties()
    {
        QFETCH(int, answer);
        openFindData();
        m_answers << Prompts::Answer {QMessageBox::StandardButton(answer), {}};
        m_main->EmptyDBase1->trigger();
        QCOMPARE(asked(), QStringList(QStringLiteral("清空数据库: 真的要清空数据库吗？")));
        QCOMPARE(m_asked.first().buttons, QMessageBox::Yes | QMessageBox::No);
        const bool yes = answer == QMessageBox::Yes;
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Parts")).toInt(), yes ? 0 : 150);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = "
                                       "'$$$Backup'"))
                     .toInt(),
            yes ? 1 : 0);
        QCOMPARE(m_main->LookData1->isChecked(), !yes);
        QCOMPARE(LookDataForm.isNull(), yes);
        QCOMPARE(m_main->Table1->recordCount(), yes ? 0 : 150);
    }

    void restoreAsksAndPutsTheBackupBack()
    {
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->EmptyDBase1->trigger();
        m_answers << Prompts::Answer {QMessageBox::No, {}};
        m_main->RestoreEnd1->trigger();
        QCOMPARE(m_main->Table1->recordCount(), 0);
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->RestoreEnd1->trigger();
        QCOMPARE(asked().last(),
            QStringLiteral("恢复数据库: 真的要恢复到最近一次清空数据库之前的数据库吗？"));
        QCOMPARE(m_asked.size(), 3);
        QCOMPARE(m_main->Table1->recordCount(), 150);
        QCOMPARE(scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'parts_code'"))
                     .toString(),
            QStringLiteral("CREATE UNIQUE INDEX parts_code ON Parts (code)"));
    }

    void restoreOfAnotherTablesBackupRebuildsTheFieldPanel()
    {
        select(QStringLiteral("Album"));
        QCOMPARE(m_main->ImageCount, qint16(2));
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->EmptyDBase1->trigger();
        select(QStringLiteral("Parts"));
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->RestoreEnd1->trigger();
        QCOMPARE(m_main->Table1->fieldCount(), 5);
        QCOMPARE(m_main->ImageCount, qint16(2));
        QCOMPARE(m_main->MemoCount, qint16(1));
        QCOMPARE(m_main->Table1->recordCount(), 3);
    }

    void restoreWithoutBackupSaysNothingAndChangesNothing()
    {
        openFindData();
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->RestoreEnd1->trigger();
        QCOMPARE(m_asked.size(), 1); // the question only
        QCOMPARE(m_main->Table1->recordCount(), 150);
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Parts")).toInt(), 150);
    }

    void clearErrorsOnACleanTableOnlySaysSoAndClosesTheOtherWindows()
    {
        select(QStringLiteral("Album"));
        m_main->InputPicture1->trigger();
        QVERIFY(FDBInputPic);
        QCOMPARE(m_main->FieldLabels.size(), 3);
        const QByteArray jpeg = DataFixture::blob(m_db, QStringLiteral("SELECT Scan FROM Album"));
        m_main->DealError1->trigger();
        QCOMPARE(asked(), QStringList(QStringLiteral("Tabvale: 当前数据库数据表无错误！")));
        QVERIFY(!m_main->InputPicture1->isChecked());
        QTRY_VERIFY(FDBInputPic.isNull());
        QCOMPARE(DataFixture::blob(m_db, QStringLiteral("SELECT Scan FROM Album")), jpeg);
        QVERIFY(m_main->DealError1->isEnabled());
        QCOMPARE(m_main->FieldLabels.size(), 3); // the panel is made again
        QCOMPARE(m_main->Table1->recNo(), 0);

        openFindData();
        m_main->DealError1->trigger();
        QVERIFY(!m_main->LookData1->isChecked());
        QTRY_VERIFY(LookDataForm.isNull());
    }

    void clearErrorsAsksAndYesClearsEveryBadValueAndNothingElse_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(QMessageBox::No);
        QTest::newRow("Yes") << int(QMessageBox::Yes);
    }

    void clearErrorsAsksAndYesClearsEveryBadValueAndNothingElse()
    {
        QFETCH(int, answer);
        DataFixture::exec(m_db, QStringLiteral("UPDATE Album SET Year = 'soon' WHERE Title = 'b'"));
        DataFixture::exec(m_db,
            QStringLiteral("UPDATE Album SET Cover = x'0011', Note = x'FF' WHERE Title = 'c'"));
        const QString all = QStringLiteral("SELECT group_concat(quote(Title) || quote(Year) || "
                                           "quote(Note) || quote(Cover) || quote(Scan), '|') "
                                           "FROM Album");
        const QString before = scalar(all).toString();
        select(QStringLiteral("Album"));
        bool enabledWhileAsked = true;
        m_whileAsked = [&](const Prompts::Request &) {
            enabledWhileAsked = m_main->DealError1->isEnabled();
        };
        m_answers << Prompts::Answer {QMessageBox::StandardButton(answer), {}};
        m_main->DealError1->trigger();
        QCOMPARE(asked(),
            QStringList(QStringLiteral("数据错误: 当前数据库数据表有错误！是否清除错误？")));
        QCOMPARE(m_asked.first().buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(!enabledWhileAsked);
        QVERIFY(m_main->DealError1->isEnabled());
        QString expected = before;
        if (answer == QMessageBox::Yes) {
            expected.replace(QStringLiteral("'soon'"), QStringLiteral("NULL"));
            expected.replace(QStringLiteral("X'FF'X'0011'"), QStringLiteral("NULLNULL"));
        }
        QCOMPARE(scalar(all).toString(), expected); // the JPEG and the bitmaps stay
        QVERIFY(m_main->Table1->active());
        QCOMPARE(m_main->FieldImages.size(), 2);
    }

    void theLookingPassCanBeCancelled()
    {
        DataFixture::exec(m_db, QStringLiteral("UPDATE Parts SET price = 'free' WHERE id = 299"));
        DelayedProgress::showAfterMs = 0;
        QTimer::singleShot(0, this, [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QProgressDialog *>(w)) {
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("清除错误"));
                    QVERIFY(dialog->labelText().contains(QStringLiteral(" / 150")));
                    QTest::mouseClick(dialog->findChild<QPushButton *>(), Qt::LeftButton);
                }
            }
        });
        m_main->DealError1->trigger();
        QCOMPARE(asked(), QStringList()); // stopped: no question, no message
        QCOMPARE(scalar(QStringLiteral("SELECT price FROM Parts WHERE id = 299")).toString(),
            QStringLiteral("free"));
        QVERIFY(m_main->DealError1->isEnabled());
        QVERIFY(m_main->Table1->active());
    }

    void theProgressDialogShowsTheCountAndTheBusyCursor()
    {
        DelayedProgress::showAfterMs = 0;
        {
            MaintenanceProgress progress(m_main.get(), QStringLiteral("紧缩数据表"));
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QVERIFY(progress.report(TableMaintenance::Step::CopyingOut, 1234, 5000));
            QVERIFY(progress.dialog()->isVisible());
            QCOMPARE(
                progress.dialog()->labelText(), QStringLiteral("正在复制记录：1234 / 5000 条"));
            QCOMPARE(progress.dialog()->findChild<QPushButton *>(), nullptr); // cannot be stopped
        }
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void emptyingOrDeletingAReferencedTableAsksFirst_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        for (const char *command : {"EmptyDBase1", "KillDataTable1"}) {
            QTest::addRow("%s, Cancel", command) << command << int(QMessageBox::Cancel);
            QTest::addRow("%s, OK", command) << command << int(QMessageBox::Ok);
        }
    }

    void emptyingOrDeletingAReferencedTableAsksFirst()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        const bool emptying = command == u"EmptyDBase1";
        makeOrders();
        if (emptying)
            openFindData(); // deleting refuses a table another window shows
        const QString orders = ordersNow();
        const QStringList tables = Engine::tableNames(QStringLiteral("Tidy"));
        m_answers << (emptying ? Prompts::Answer {QMessageBox::Yes, {}}
                               : Prompts::Answer {QMessageBox::Ok, QStringLiteral("QXZ")});
        m_answers << Prompts::Answer {QMessageBox::StandardButton(answer), {}};
        (emptying ? m_main->EmptyDBase1 : m_main->KillDataTable1)->trigger();

        QCOMPARE(m_asked.size(), 2);
        const Prompts::Request &related = m_asked.last();
        QCOMPARE(related.caption, QStringLiteral("Related records"));
        QCOMPARE(related.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY2(related.text.contains(QStringLiteral("“Parts”"))
                && related.text.contains(QStringLiteral("“Orders”: 3 record(s)"))
                && related.text.contains(QStringLiteral("“Invoices”: 1 record(s)")),
            qPrintable(related.text));
        QCOMPARE(ordersNow(), orders); // no cascade, no record set to null, either way
        const bool ok = answer == QMessageBox::Ok;
        if (!ok) {
            QCOMPARE(Engine::tableNames(QStringLiteral("Tidy")), tables);
            QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Parts")).toInt(), 150);
            QCOMPARE(m_main->Table1->recordCount(), 150);
            QCOMPARE(LookDataForm.isNull(), !emptying); // nothing was started
            return;
        }
        if (emptying) {
            QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM Parts")).toInt(), 0);
            QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM \"$$$Backup\"")).toInt(), 150);
        } else {
            QVERIFY(!Engine::tableNames(QStringLiteral("Tidy")).contains(QStringLiteral("Parts")));
        }
    }

    void restoringBringsBackWhatTheRelatedRecordsReferTo()
    {
        makeOrders();
        const QString orders = ordersNow();
        const QString dangling = QStringLiteral("SELECT count(*) FROM pragma_foreign_key_check");
        const int danglingBefore = scalar(dangling).toInt(); // the keys 2 and 'P6'
        QCOMPARE(danglingBefore, 2);
        m_answers << Prompts::Answer {QMessageBox::Yes, {}}
                  << Prompts::Answer {QMessageBox::Ok, {}};
        m_main->EmptyDBase1->trigger();
        QCOMPARE(scalar(dangling).toInt(), danglingBefore + 4);
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        m_main->RestoreEnd1->trigger();
        QCOMPARE(m_asked.size(), 3); // restoring asks only its own question
        QCOMPARE(ordersNow(), orders);
        QCOMPARE(scalar(dangling).toInt(), danglingBefore);
        QCOMPARE(m_main->Table1->recordCount(), 150);
    }

    void theNextStartListsTheTablesAsBeforeEveryCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("autoVacuum");
        QTest::newRow("compact") << "Compact1" << false;
        QTest::newRow("compact with auto-vacuum") << "Compact1" << true;
        QTest::newRow("empty") << "EmptyDBase1" << false;
        QTest::newRow("restore") << "RestoreEnd1" << false;
        QTest::newRow("clear errors") << "DealError1" << false;
    }

    void theNextStartListsTheTablesAsBeforeEveryCommand()
    {
        QFETCH(QString, command);
        QFETCH(bool, autoVacuum);
        if (autoVacuum)
            DataFixture::exec(m_db, QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL; VACUUM"));
        if (command == u"RestoreEnd1") {
            m_answers << Prompts::Answer {QMessageBox::Yes, {}};
            m_main->EmptyDBase1->trigger();
        }
        const QStringList before = Engine::tableNames(QStringLiteral("Tidy"));
        m_answers << Prompts::Answer {QMessageBox::Yes, {}};
        const QMap<QString, QAction *> actions {{QStringLiteral("Compact1"), m_main->Compact1},
            {QStringLiteral("EmptyDBase1"), m_main->EmptyDBase1},
            {QStringLiteral("RestoreEnd1"), m_main->RestoreEnd1},
            {QStringLiteral("DealError1"), m_main->DealError1}};
        actions.value(command)->trigger();
        QVERIFY(m_main->Table1->active());

        m_main.reset(); // the next start
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        QStringList listed;
        for (int i = 0; i < m_main->CBTable->count(); ++i)
            listed << m_main->CBTable->itemText(i);
        QStringList expected = before;
        if (!expected.contains(QStringLiteral("$$$Backup")) && command == u"EmptyDBase1")
            expected << QStringLiteral("$$$Backup");
        QCOMPARE(listed, expected);
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Parts")); // the same table opens
    }

    void deleteNeedsTheExactPassword_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "QXZ" << false;
        QTest::newRow("nothing typed") << int(QMessageBox::Ok) << "" << false;
        QTest::newRow("another case") << int(QMessageBox::Ok) << "qxz" << true;
        QTest::newRow("a space after it") << int(QMessageBox::Ok) << "QXZ " << true;
    }

    void deleteNeedsTheExactPassword()
    {
        QFETCH(int, button);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        m_answers << Prompts::Answer {QMessageBox::StandardButton(button), typed};
        m_main->KillDataTable1->trigger();
        QCOMPARE(m_asked.first().kind, Prompts::Request::Input);
        QCOMPARE(asked().first(), QStringLiteral("删除数据表: 请输入授权密码(PassWord)"));
        QCOMPARE(m_asked.first().defaultText, QString());
        QCOMPARE(asked().mid(1),
            refused ? QStringList(QStringLiteral("Tabvale: 密码错！")) : QStringList());
        QVERIFY(Engine::tableNames(QStringLiteral("Tidy")).contains(QStringLiteral("Parts")));
        QCOMPARE(m_main->CBTable->count(), 4);
        QVERIFY(m_main->Table1->active());
    }

    void afterADeleteTheFirstRemainingTableIsOpen()
    {
        openFindData();
        select(QStringLiteral("Album"));
        m_answers << Prompts::Answer {QMessageBox::Ok, QStringLiteral("QXZ")};
        m_main->KillDataTable1->trigger();
        QCOMPARE(asked().size(), 1);
        QCOMPARE(Engine::tableNames(QStringLiteral("Tidy")),
            QStringList({QStringLiteral("Parts"), QStringLiteral("log"), QStringLiteral("Other")}));
        QCOMPARE(m_main->CBTable->findText(QStringLiteral("Album")), -1);
        QCOMPARE(m_main->CBTable->currentIndex(), 0);
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Parts"));
        QVERIFY(m_main->Table1->active());
        QVERIFY(LookDataForm); // not closed by this command
    }

    void aTableShownInTheFindDataWindowIsNotDeleted()
    {
        openFindData(); // it shows Parts too
        m_answers << Prompts::Answer {QMessageBox::Ok, QStringLiteral("QXZ")};
        m_main->KillDataTable1->trigger();
        QCOMPARE(m_asked.size(), 2);
        QCOMPARE(m_asked.last().icon, QMessageBox::Critical);
        QVERIFY2(m_asked.last().text.contains(QStringLiteral("another window")),
            qPrintable(m_asked.last().text));
        QVERIFY(Engine::tableNames(QStringLiteral("Tidy")).contains(QStringLiteral("Parts")));
        QCOMPARE(m_main->CBTable->currentText(), QStringLiteral("Parts"));
        QVERIFY(m_main->Table1->active());
    }

    void deletingTheLastTableLeavesNothingSelectedOrOpen()
    {
        for (int left = 4; left > 0; --left) {
            m_answers << Prompts::Answer {QMessageBox::Ok, QStringLiteral("QXZ")};
            m_main->KillDataTable1->trigger();
            QCOMPARE(m_main->CBTable->count(), left - 1);
        }
        QCOMPARE(Engine::tableNames(QStringLiteral("Tidy")), QStringList());
        QCOMPARE(m_main->CBTable->currentIndex(), -1);
        QCOMPARE(m_main->CBTable->currentText(), QString());
        QVERIFY(!m_main->Table1->active());
        QCOMPARE(m_main->DBGrid1->model()->rowCount(), 0);
        QVERIFY(std::none_of(m_asked.begin(), m_asked.end(),
            [](const Prompts::Request &r) { return r.icon == QMessageBox::Critical; }));
    }
};

TABVALE_TEST_MAIN(MaintenanceTest, TabvaleApplication)
#include "tst_Maintenance.moc"
