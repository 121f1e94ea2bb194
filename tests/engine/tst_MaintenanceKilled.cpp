// Every maintenance command killed at each of its steps, in a process of its own (see
// MaintenanceChild.cpp): the database is then found whole and exactly as before or exactly as
// after the command (definitions, the order of the tables, every record with its rowid), and the
// next command removes whatever the kill left beside it.
#include "engine/Engine.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

const QString Alias = QStringLiteral("Killed");
const QString Table = QStringLiteral("parts");

// A connection of the test's own, as another program would have.
class Connection
{
public:
    explicit Connection(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
            != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void exec(const QString &sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql), error);
    }
    // The first column of every row, as text.
    QStringList column(const QString &sql)
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
        QStringList values;
        while (sqlite3_step(s) == SQLITE_ROW)
            values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return values;
    }

private:
    sqlite3 *m_db = nullptr;
};

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Everything a command may change, and what a kill must not leave changed halfway.
struct Snapshot
{
    QString integrity;
    QStringList objects; // sqlite_master's statements, by type and name
    QStringList tables; // the table list as the windows show it
    QStringList records; // every table's records with their rowids
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshotOf(const QString &path)
{
    Snapshot s;
    {
        Connection db(path); // rolls back what a kill left in the journal
        s.integrity = db.column(QStringLiteral("PRAGMA integrity_check")).join(u'\n');
        s.objects = db.column(QStringLiteral("SELECT type || ' ' || name || ' on ' || tbl_name || "
                                             "': ' || ifnull(sql, '-') FROM sqlite_master "
                                             "ORDER BY type, name"));
        for (const QString &table : db.column(QStringLiteral(
                 "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))) {
            QStringList values {QStringLiteral("rowid")};
            for (const QString &c : db.column(
                     QStringLiteral("SELECT name FROM pragma_table_info(%1)")
                         .arg(u'\'' + QString(table).replace(u'\'', QStringLiteral("''")) + u'\'')))
                values << QStringLiteral("quote(%1)").arg(quoted(c));
            for (const QString &row :
                db.column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                              .arg(values.join(QStringLiteral(" || ' ' || ")), quoted(table))))
                s.records << table + QStringLiteral(": ") + row;
        }
    }
    s.tables = Engine::tableNames(Alias);
    return s;
}

// A database with what a command could disturb: a table without any index (VACUUM would number
// its records anew), keys with holes and an AUTOINCREMENT counter, an index, triggers that would
// write to another table, a cascading foreign key, a view, free pages, and an unreadable value.
void makeDatabase(const QString &path, const QString &journalMode, bool autoVacuum)
{
    Connection db(path);
    if (autoVacuum)
        db.exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"));
    db.exec(QStringLiteral("PRAGMA journal_mode = %1").arg(journalMode));
    db.exec(QStringLiteral(
        "CREATE TABLE log (what TEXT, stamp BLOB);"
        "CREATE TABLE parts (id INTEGER PRIMARY KEY AUTOINCREMENT, code VARCHAR(8) NOT NULL "
        "  UNIQUE, price MONEY, pic GRAPHIC);"
        "CREATE INDEX parts_price ON parts (price);"
        "CREATE TRIGGER parts_gone AFTER DELETE ON parts BEGIN "
        "  INSERT INTO log VALUES ('gone ' || old.id, NULL); END;"
        "CREATE TRIGGER parts_new AFTER INSERT ON parts BEGIN "
        "  INSERT INTO log VALUES ('new ' || new.id, NULL); END;"
        "CREATE TABLE orders (part INTEGER REFERENCES parts (id) ON DELETE CASCADE, qty INTEGER);"
        "CREATE VIEW cheap AS SELECT code FROM parts WHERE price < 10;"
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 60) "
        "  INSERT INTO log SELECT 'old ' || i, randomblob(500) FROM c;"
        "DELETE FROM log WHERE rowid % 3 = 0;"
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 40) "
        "  INSERT INTO parts (code, price, pic) SELECT 'P' || i, i, randomblob(2000) FROM c;"
        "DELETE FROM parts WHERE id % 4 = 0 OR id > 38;"
        "UPDATE parts SET price = 'free' WHERE id = 5;"
        "INSERT INTO orders VALUES (1, 2), (2, 3), (7, 1);"));
}

struct ChildRun
{
    bool killed = false;
    int statements = 0;
    int writes = 0;
};

class Victim
{
public:
    Victim()
    {
        QFile aliases(qEnvironmentVariable("TABVALE_ALIASES"));
        if (!aliases.open(QIODevice::WriteOnly))
            qFatal("cannot write the alias file");
        aliases.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\n").arg(Alias, path()).toUtf8());
    }

    QString path() const { return m_dir.filePath(QStringLiteral("victim.sqlite")); }
    QString pristine() const { return m_dir.filePath(QStringLiteral("pristine.sqlite")); }

    // The files beside the database, other than the pristine one.
    QStringList files() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("pristine.sqlite"));
        return names;
    }

    void reset()
    {
        for (const QString &name : files())
            QFile::remove(m_dir.filePath(name));
        if (!QFile::copy(pristine(), path()))
            qFatal("cannot copy the pristine database");
    }

    // Makes the database as it is now the one every run starts from.
    void keep()
    {
        QFile::remove(pristine());
        if (QFileInfo::exists(path() + QStringLiteral("-wal"))
            || !QFile::rename(path(), pristine()))
            qFatal("the database is not complete in its file");
    }

    ChildRun run(
        const QString &command, const QString &table, const QString &killMode = {}, int killAt = 0)
    {
        QProcess child;
        QStringList args {command, Alias, table};
        if (killAt > 0)
            args << killMode << QString::number(killAt);
        child.start(QStringLiteral(TABVALE_MAINTENANCE_CHILD), args);
        if (!child.waitForFinished(120000))
            qFatal("the command did not finish");
        ChildRun result;
        result.killed = child.exitStatus() == QProcess::CrashExit;
        if (!result.killed && child.exitCode() != 0)
            qFatal("the command failed: %s", child.readAllStandardError().constData());
        const QList<QByteArray> counts = child.readAllStandardOutput().trimmed().split(' ');
        if (!result.killed && counts.size() == 2) {
            result.statements = counts[0].toInt();
            result.writes = counts[1].toInt();
        }
        return result;
    }

private:
    QTemporaryDir m_dir;
};

bool isLeftover(const QString &file)
{
    return file.startsWith(QStringLiteral("victim.sqlite-compacting-"));
}

} // namespace

class MaintenanceKilledTest : public QObject
{
    Q_OBJECT
private slots:
    void aKillAtAnyStepLeavesTheDatabaseAsBeforeOrAsAfter_data();
    void aKillAtAnyStepLeavesTheDatabaseAsBeforeOrAsAfter();
};

void MaintenanceKilledTest::aKillAtAnyStepLeavesTheDatabaseAsBeforeOrAsAfter_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("journalMode");
    QTest::addColumn<bool>("autoVacuum");
    QTest::addColumn<QString>("backupOf"); // the table emptied first, for a restore
    QTest::addColumn<QString>("killAt"); // "statement" or "write"
    for (const QString mode : {"delete", "wal"}) {
        const QByteArray at = QStringLiteral(", %1 journal").arg(mode).toUtf8();
        // Rebuilding the file is made of several connections and files: a kill is tried before
        // every write of each. The other commands are one transaction of the connection.
        QTest::newRow("compact, file rebuilt, at every write" + at)
            << "compact" << mode << false << ""
            << "write";
        QTest::newRow("compact, file rebuilt" + at) << "compact" << mode << false << ""
                                                    << "statement";
        QTest::newRow("compact, auto-vacuum" + at) << "compact" << mode << true << ""
                                                   << "statement";
        QTest::newRow("empty" + at) << "empty" << mode << false << ""
                                    << "statement";
        QTest::newRow("restore" + at) << "restore" << mode << false << "parts"
                                      << "statement";
        QTest::newRow("restore another table's backup" + at) << "restore" << mode << false << "log"
                                                             << "statement";
        QTest::newRow("clear errors" + at) << "clear" << mode << false << ""
                                           << "statement";
        QTest::newRow("delete" + at) << "delete" << mode << false << ""
                                     << "statement";
    }
}

void MaintenanceKilledTest::aKillAtAnyStepLeavesTheDatabaseAsBeforeOrAsAfter()
{
    QFETCH(QString, command);
    QFETCH(QString, journalMode);
    QFETCH(bool, autoVacuum);
    QFETCH(QString, backupOf);
    QFETCH(QString, killAt);
    Victim victim;
    makeDatabase(victim.path(), journalMode, autoVacuum);
    if (!backupOf.isEmpty()) {
        QVERIFY(!victim.run(QStringLiteral("empty"), backupOf).killed);
        Connection(victim.path()).exec(QStringLiteral("INSERT INTO parts (code) VALUES ('new')"));
    }
    victim.keep();

    victim.reset();
    const Snapshot before = snapshotOf(victim.path());
    victim.reset();
    const ChildRun whole = victim.run(command, Table);
    const Snapshot after = snapshotOf(victim.path());
    QCOMPARE(before.integrity, QStringLiteral("ok"));
    QCOMPARE(after.integrity, QStringLiteral("ok"));
    if (command == u"compact")
        QVERIFY(after == before); // nothing to be seen changes, rowids least of all
    else
        QVERIFY(before != after);
    if (backupOf != u"log") {
        // Only a table that takes another's definition is made anew, and so moves.
        QStringList kept = after.tables;
        kept.removeAll(QStringLiteral("$$$Backup"));
        QStringList was = before.tables;
        was.removeAll(QStringLiteral("$$$Backup"));
        if (command == u"delete")
            was.removeAll(Table);
        QCOMPARE(kept, was);
    }
    const int steps = killAt == u"write" ? whole.writes : whole.statements;
    QVERIFY(steps > 5);
    qInfo("%s: killed at each of %d", qPrintable(killAt), steps);

    for (int k = 1; k <= steps; ++k) {
        victim.reset();
        const QByteArray where = killAt.toUtf8() + ' ' + QByteArray::number(k);
        QVERIFY2(victim.run(command, Table, killAt, k).killed, where);
        const Snapshot found = snapshotOf(victim.path());
        QVERIFY2(found == before || found == after, where);
        const QStringList files = victim.files();
        for (const QString &file : files) {
            const bool sqlites = file == u"victim.sqlite" || file == u"victim.sqlite-wal"
                || file == u"victim.sqlite-shm" || file == u"victim.sqlite-journal";
            QVERIFY2(sqlites || isLeftover(file), where + ": " + file.toUtf8());
        }
        if (std::any_of(files.begin(), files.end(), isLeftover)) {
            // The next command removes what the kill left beside the database.
            QVERIFY2(!victim.run(QStringLiteral("clear"), Table).killed, where);
            QVERIFY2(
                std::none_of(files.begin(), files.end(),
                    [&](const QString &f) { return isLeftover(f) && victim.files().contains(f); }),
                where);
        }
    }
}

TABVALE_TEST_MAIN(MaintenanceKilledTest, QCoreApplication)
#include "tst_MaintenanceKilled.moc"
