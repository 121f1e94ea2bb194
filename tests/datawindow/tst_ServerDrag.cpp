// Right-button drags between a SQLite table and a table of a PostgreSQL server, driven with real
// mouse events: values and pictures cross in the target's own stored form, and a record another
// user changed since it was shown is never overwritten.
#include "app/TabvaleApplication.h"
#include "common/Prompts.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/AliasRegistry.h"
#include "engine/PgConnection.h"
#include "engine/TTable.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DragDriver.h"
#include "tests/datawindow/DragTables.h"
#include "tests/datawindow/DragWindows.h"
#include "tests/engine/PgScratchDatabase.h"
#include "tests/engine/PgTestServer.h"
#include "tests/support/TestEnvironment.h"

#include <QtTest>

using Cell = DragDriver::Cell;

namespace {

const QString ServerAlias = QStringLiteral("Server");

} // namespace

class ServerDragTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DragTables> m_tables;
    std::unique_ptr<PgScratchDatabase> m_server;
    std::unique_ptr<DragWindows> m_windows;
    DragDriver m_mouse;
    QStringList m_messages;

    TForm1 *main() const { return m_windows->main(); }
    TForm1 *find() const { return m_windows->find(); }
    PgConnection &admin() { return m_server->admin(); }

    QString serverValue(const QString &sql) { return admin().exec(sql).text(0, 0); }

    // The grid columns of Things: 1 Name, 2 Qty, 3 Notes, 4 Photo, 5 Raw, 6 Capped; the server's
    // table "remote" has the same first columns and its key last, so cells line up.
    void makeServerTable()
    {
        m_server = std::make_unique<PgScratchDatabase>();
        admin().exec(QStringLiteral("CREATE TABLE remote (Name varchar(20), Qty integer, "
                                    "Notes varchar(40), Photo bytea, Raw bytea, Capped integer, "
                                    "id integer PRIMARY KEY)"));
        admin().exec(QStringLiteral("INSERT INTO remote VALUES ('Sol', 7, NULL, NULL, NULL, NULL, 1), "
                                    "('Tia', 8, NULL, NULL, NULL, NULL, 2)"));
        Alias a;
        a.name = ServerAlias;
        a.driver = QStringLiteral("PGSQL");
        a.connInfo = m_server->connInfo();
        AliasRegistry::add(a);
    }

private slots:
    void initTestCase()
    {
        PgTestServer::isolateFromUserSettings();
        Prompts::setScript([this](const Prompts::Request &r) {
            m_messages << r.text;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }

    void init()
    {
        m_messages.clear();
        m_tables = std::make_unique<DragTables>();
        makeServerTable();
        m_windows = std::make_unique<DragWindows>();
        QVERIFY(m_windows->openFind());
    }

    void cleanup()
    {
        m_windows.reset();
        m_server.reset();
        m_tables.reset();
    }

    void aSwapExchangesValuesBetweenAFileAndTheServer()
    {
        DragWindows::showTable(find(), ServerAlias, QStringLiteral("remote"));
        m_mouse.drag(find(), Cell {2, 1}, main(), Cell {2, 2}, Qt::RightButton,
            Qt::ControlModifier | Qt::AltModifier);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
        QCOMPARE(m_tables->value("Things", 2, "Qty"), QVariant(7LL));
        QCOMPARE(serverValue(QStringLiteral("SELECT qty FROM remote WHERE id = 1")), QStringLiteral("20"));
        QCOMPARE(find()->DBGrid1->model()->index(0, 1).data(), QVariant(QStringLiteral("20")));
    }

    void aPictureCopiedToTheServerIsStoredThere()
    {
        DragWindows::showTable(main(), ServerAlias, QStringLiteral("remote"));
        DragWindows::showTable(find(), QStringLiteral("Drag"), QStringLiteral("Things"));
        m_mouse.drag(find(), Cell {4, 1}, main(), Cell {4, 2}, Qt::RightButton, Qt::ControlModifier);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
        const QByteArray stored = admin().exec(QStringLiteral("SELECT photo FROM remote WHERE id = 2"),
                                        {}, PgResult::Format::Binary)
                                      .bytes(0, 0);
        QVERIFY(!stored.isEmpty());
        QCOMPARE(StoredPicture::decode(stored).pixelColor(1, 1), QColor(Qt::red));
        QCOMPARE(main()->Table1->recNo(), 1);
    }

    void aDropOnARecordAnotherUserChangedWritesNothing()
    {
        DragWindows::showTable(main(), ServerAlias, QStringLiteral("remote"));
        DragWindows::showTable(find(), QStringLiteral("Drag"), QStringLiteral("Things"));
        QCOMPARE(main()->DBGrid1->model()->index(1, 1).data(), QVariant(QStringLiteral("8")));
        admin().exec(QStringLiteral("UPDATE remote SET qty = 80 WHERE id = 2"));
        m_mouse.drag(find(), Cell {2, 3}, main(), Cell {2, 2}, Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(u"Another user changed"), qPrintable(m_messages.first()));
        m_messages.clear();
        QCOMPARE(serverValue(QStringLiteral("SELECT qty FROM remote WHERE id = 2")), QStringLiteral("80"));
        QCOMPARE(main()->Table1->state(), TTable::Browse);
        QCOMPARE(main()->DBGrid1->model()->index(1, 1).data(), QVariant(QStringLiteral("80")));
        QVERIFY(!QWidget::mouseGrabber());
    }
};

TABVALE_TEST_MAIN(ServerDragTest, TabvaleApplication)
#include "tst_ServerDrag.moc"
