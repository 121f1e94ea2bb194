// A worker's own read path: one field by rowid on the calling thread's connection, and a stop
// that breaks a read in progress.
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldBytesReader.h"
#include "engine/TTable.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

class FieldBytesReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readsOneRecordByItsBookmark_data()
    {
        QTest::addColumn<qint64>("rowid");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("a blob") << qint64(2) << true << QByteArray("\x01\x02\x00\x03", 4);
        QTest::newRow("a null value is empty") << qint64(3) << true << QByteArray();
        QTest::newRow("text comes back as its bytes") << qint64(5) << true << QByteArray("abc");
        QTest::newRow("a record that is gone") << qint64(4) << false << QByteArray();
    }

    void readsOneRecordByItsBookmark()
    {
        QFETCH(qint64, rowid);
        QFETCH(bool, found);
        QFETCH(QByteArray, bytes);
        ScratchDatabase db;
        db.exec(QStringLiteral("CREATE TABLE \"odd \"\"name\" (\"my pic\" BLOB)"));
        db.exec(QStringLiteral("INSERT INTO \"odd \"\"name\" (rowid, \"my pic\") VALUES "
                               "(2, X'01020003'), (3, NULL), (5, 'abc')"));
        FieldBytesReader reader(db.path(), QStringLiteral("odd \"name"), QStringLiteral("my pic"));
        const std::optional<QByteArray> value = reader.read(rowid);
        QCOMPARE(value.has_value(), found);
        if (found)
            QCOMPARE(*value, bytes);
    }

    void aWorkerReadsWhileTheGuiThreadWrites()
    {
        ScratchDatabase db;
        db.exec(QStringLiteral("CREATE TABLE p (pic BLOB)"));
        db.exec(QStringLiteral("INSERT INTO p (pic) VALUES (X'AA'), (X'BB')"));
        TTable table;
        table.setDatabaseName(db.alias());
        table.setTableName(QStringLiteral("p"));
        table.open();
        const RecordList bookmarks = table.bookmarks();
        QCOMPARE(bookmarks.count(), 2);
        // Between two reads the reader holds no lock: the GUI thread's post goes through.
        QByteArray first;
        QByteArray second;
        std::atomic_bool firstRead {false};
        std::atomic_bool written {false};
        std::thread worker([&] {
            FieldBytesReader reader(db.path(), QStringLiteral("p"), QStringLiteral("pic"));
            first = reader.read(bookmarks.keyAt(0)).value_or("gone");
            firstRead = true;
            while (!written)
                std::this_thread::yield();
            second = reader.read(bookmarks.keyAt(1)).value_or("gone");
        });
        while (!firstRead)
            std::this_thread::yield();
        table.last();
        table.edit();
        table.fieldByName(QStringLiteral("pic"))->setBytes(QByteArray("\xCC", 1));
        table.post();
        written = true;
        worker.join();
        QCOMPARE(first, QByteArray("\xAA", 1));
        QCOMPARE(second, QByteArray("\xCC", 1));
    }

    void aStopBreaksALongStatementOnTheConnection()
    {
        ScratchDatabase db;
        const auto connection = Engine::database(db.alias());
        const QString longCount = QStringLiteral(
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000) "
            "SELECT count(*) FROM c");
        std::atomic_bool stop {false};
        int asked = 0;
        connection->setInterruptCheck([&] {
            ++asked;
            return stop.load();
        });
        {
            Statement s = connection->prepare(QStringLiteral("SELECT 1"));
            QVERIFY(s.step()); // asked or not, a check that says "go on" stops nothing
        }
        stop = true;
        {
            Statement s = connection->prepare(longCount);
            QVERIFY_THROWS_EXCEPTION(EngineError, s.step());
        }
        QVERIFY(asked > 0);
        connection->setInterruptCheck({});
        Statement s = connection->prepare(longCount);
        QVERIFY(s.step());
        QCOMPARE(s.columnInt64(0), qint64(2000000));
    }
};

TABVALE_TEST_MAIN(FieldBytesReaderTest, QCoreApplication)

#include "tst_FieldBytesReader.moc"
