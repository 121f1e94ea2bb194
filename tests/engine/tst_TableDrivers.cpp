// The record logic over both kinds of database: the same gestures on a SQLite file and on a
// PostgreSQL server table give the same records; and what only a server has (other users'
// changes, tables without a usable key, schemas) is handled without losing anything.
#include "engine/AliasRegistry.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldBytesReader.h"
#include "engine/FieldType.h"
#include "engine/PgConnection.h"
#include "engine/TTable.h"
#include "engine/TableDriver.h"
#include "engine/TableMaintenance.h"
#include "picture/StoredPicture.h"
#include "tests/engine/MaintenanceCommands.h"
#include "tests/engine/PgScratchDatabase.h"
#include "tests/engine/PgTestServer.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString ServerAlias = QStringLiteral("Server");

void addServerAlias(const QString &name, const QString &connInfo)
{
    Alias a;
    a.name = name;
    a.driver = QStringLiteral("PGSQL");
    a.connInfo = connInfo;
    const QList<Alias> known = AliasRegistry::load();
    if (std::any_of(known.begin(), known.end(), [&](const Alias &k) { return k.name == name; }))
        AliasRegistry::remove(name); // each test's server database is a new one
    AliasRegistry::add(a);
}

// One database of either kind with a table "t" (id key, name, n, pic) of `records` records
// numbered from 1 ("rN", N * 10), and a way to change it as another program would.
class Backend
{
public:
    explicit Backend(bool server, int records)
    {
        if (server) {
            m_server = std::make_unique<PgScratchDatabase>();
            addServerAlias(ServerAlias, m_server->connInfo());
            exec(QStringLiteral("CREATE TABLE t (id integer PRIMARY KEY, name varchar(40), "
                                "n integer, pic bytea)"));
            exec(QStringLiteral("INSERT INTO t SELECT i, 'r' || i, i * 10 FROM "
                                "generate_series(1, %1) AS i")
                     .arg(records));
        } else {
            m_file = std::make_unique<ScratchDatabase>();
            exec(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), "
                                "n INTEGER, pic BLOB)"));
            exec(QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                                "WHERE i < %1) INSERT INTO t SELECT i, 'r' || i, i * 10, NULL FROM c")
                     .arg(records));
        }
    }

    QString alias() const { return m_server ? ServerAlias : m_file->alias(); }
    void exec(const QString &sql)
    {
        if (m_server)
            m_server->admin().exec(sql);
        else
            m_file->exec(sql);
    }
    QString text(const QString &sql)
    {
        if (m_server)
            return m_server->admin().exec(sql).text(0, 0);
        return m_file->query(sql).toString();
    }
    PgScratchDatabase &server() { return *m_server; }

private:
    std::unique_ptr<PgScratchDatabase> m_server;
    std::unique_ptr<ScratchDatabase> m_file;
};

QString nameOf(const TTable &t)
{
    return t.fieldByName(QStringLiteral("name"))->asString();
}

} // namespace

class TableDriversTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void bothDatabases_data();
    void navigationBookmarksAndTheBackgroundListAgree();
    void navigationBookmarksAndTheBackgroundListAgree_data() { bothDatabases_data(); }
    void postingInsertingAndDeletingReachTheDatabase();
    void postingInsertingAndDeletingReachTheDatabase_data() { bothDatabases_data(); }
    void aRefreshShowsAnotherProgramsChanges();
    void aRefreshShowsAnotherProgramsChanges_data() { bothDatabases_data(); }
    void postsInsideOneWorkKeepTheTableInStep();
    void postsInsideOneWorkKeepTheTableInStep_data() { bothDatabases_data(); }
    void picturesRoundTripByteForByte();
    void picturesRoundTripByteForByte_data() { bothDatabases_data(); }
    void serverValuesRoundTripInTheirKind_data();
    void serverValuesRoundTripInTheirKind();
    void anotherUsersChangeIsNeverOverwritten();
    void anyPrimaryKeyMakesATableEditable_data();
    void anyPrimaryKeyMakesATableEditable();
    void twoUsersChangingOneRecordOfACompositeKeyTable();
    void aRefreshShowsOtherUsersTextKeysInTheirPlaces();
    void tablesWithoutAPrimaryKeyOpenReadOnly();
    void schemasAndOddNamesWork();
    void aServerGoneMidBrowseIsReportedAndTheNextActionReconnects();
    void serverMaintenanceKeepsWhatTheServerKeepsWithTheTable();
    void serverMaintenanceRefusesWhatWouldTouchOtherTables();
    void unreadableServerValuesAreFoundAndCleared();
};

void TableDriversTest::initTestCase()
{
    PgTestServer::isolateFromUserSettings();
}

void TableDriversTest::bothDatabases_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("SQLite file") << false;
    QTest::newRow("PostgreSQL server") << true;
}

void TableDriversTest::navigationBookmarksAndTheBackgroundListAgree()
{
    QFETCH(bool, server);
    Backend db(server, 2500); // more than the first keys read at once: the rest comes later
    auto t = openTable(db.alias(), QStringLiteral("t"));
    QCOMPARE(nameOf(*t), QStringLiteral("r1"));
    QVERIFY(t->bof());
    t->moveBy(1499);
    QCOMPARE(nameOf(*t), QStringLiteral("r1500"));
    const TBookmark mark = t->bookmark();
    t->last();
    QCOMPARE(nameOf(*t), QStringLiteral("r2500"));
    QVERIFY(t->eof());
    QCOMPARE(t->recordCount(), 2500);
    t->prior();
    QCOMPARE(t->fieldByName(QStringLiteral("n"))->value().toLongLong(), 24990);
    t->gotoBookmark(mark);
    QCOMPARE(t->recNo(), 1499);
    QCOMPARE(t->displayTextAt(2000, 1), QStringLiteral("r2001"));
    QCOMPARE(t->displayTextAt(2000, 3), QStringLiteral("(Blob)")); // empty: lower case
    QCOMPARE(t->bookmarks().count(), 2500);
}

void TableDriversTest::postingInsertingAndDeletingReachTheDatabase()
{
    QFETCH(bool, server);
    Backend db(server, 30);
    auto t = openTable(db.alias(), QStringLiteral("t"));
    t->moveTo(4);
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("changed"));
    t->post();
    QCOMPARE(db.text(QStringLiteral("SELECT name FROM t WHERE id = 5")), QStringLiteral("changed"));
    QCOMPARE(db.text(QStringLiteral("SELECT n FROM t WHERE id = 5")), QStringLiteral("50"));

    t->insert();
    t->fieldByName(QStringLiteral("id"))->setValue(100);
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("new"));
    t->post();
    QCOMPARE(nameOf(*t), QStringLiteral("new"));
    QCOMPARE(t->recNo(), 30); // after the last: the key orders the records
    QCOMPARE(db.text(QStringLiteral("SELECT name FROM t WHERE id = 100")), QStringLiteral("new"));

    // A record whose key changes moves to its key's place.
    t->first();
    t->edit();
    t->fieldByName(QStringLiteral("id"))->setValue(50);
    t->post();
    QCOMPARE(t->recNo(), 29);
    QCOMPARE(nameOf(*t), QStringLiteral("r1"));

    t->moveTo(0);
    QCOMPARE(nameOf(*t), QStringLiteral("r2"));
    t->deleteRecord();
    QCOMPARE(nameOf(*t), QStringLiteral("r3"));
    QCOMPARE(db.text(QStringLiteral("SELECT count(*) FROM t")), QStringLiteral("30"));
    QCOMPARE(t->recordCount(), 30);
}

void TableDriversTest::aRefreshShowsAnotherProgramsChanges()
{
    QFETCH(bool, server);
    Backend db(server, 10);
    auto t = openTable(db.alias(), QStringLiteral("t"));
    t->moveTo(3);
    db.exec(QStringLiteral("UPDATE t SET name = 'elsewhere' WHERE id = 4"));
    db.exec(QStringLiteral("DELETE FROM t WHERE id = 2"));
    db.exec(QStringLiteral("INSERT INTO t (id, name) VALUES (11, 'added')"));
    t->refresh();
    QCOMPARE(nameOf(*t), QStringLiteral("elsewhere")); // the same record, in its new place
    QCOMPARE(t->recNo(), 2);
    QCOMPARE(t->recordCount(), 10);
    t->last();
    QCOMPARE(nameOf(*t), QStringLiteral("added"));
}

// A sheet written back posts every record inside one piece of work, each post followed by a
// re-read: the table follows its own changes (inserted records included) one by one, and shows
// what other users did once the work is done.
void TableDriversTest::postsInsideOneWorkKeepTheTableInStep()
{
    QFETCH(bool, server);
    Backend db(server, 40);
    auto t = openTable(db.alias(), QStringLiteral("t"));
    {
        std::unique_ptr<TableWork> work = t->beginWork();
        t->first();
        for (int i = 0; i < 40; ++i) {
            t->edit();
            t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("w%1").arg(i + 1));
            t->post();
            t->refresh(); // as after every post in the window
            QCOMPARE(t->recNo(), i);
            QCOMPARE(nameOf(*t), QStringLiteral("w%1").arg(i + 1));
            t->next();
        }
        if (server) // another user's record, committed while the work runs
            db.server().admin().exec(QStringLiteral("INSERT INTO t (id, name) VALUES (45, 'other')"));
        for (int id : {41, 50}) {
            t->append();
            t->fieldByName(QStringLiteral("id"))->setValue(id);
            t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("new %1").arg(id));
            t->post();
            t->refresh();
            QCOMPARE(nameOf(*t), QStringLiteral("new %1").arg(id));
        }
        QCOMPARE(t->recordCount(), 42);
        t->last();
        QCOMPARE(nameOf(*t), QStringLiteral("new 50"));
        work->commit();
    }
    t->refresh();
    QCOMPARE(t->recordCount(), server ? 43 : 42);
    QCOMPARE(db.text(QStringLiteral("SELECT count(*) FROM t WHERE name LIKE 'w%'")), QStringLiteral("40"));
    QCOMPARE(db.text(QStringLiteral("SELECT name FROM t WHERE id = 50")), QStringLiteral("new 50"));
    if (server) {
        t->moveTo(41);
        QCOMPARE(nameOf(*t), QStringLiteral("other")); // in its key's place, between 41 and 50
    }
}

void TableDriversTest::picturesRoundTripByteForByte()
{
    QFETCH(bool, server);
    Backend db(server, 3);
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i); // every byte value, zero and quotes among them
    QRandomGenerator generator(7);
    for (qsizetype i = 256; i < bytes.size(); ++i)
        bytes[i] = char(generator.bounded(256));
    {
        auto t = openTable(db.alias(), QStringLiteral("t"));
        t->moveTo(1);
        t->edit();
        t->fieldByName(QStringLiteral("pic"))->setBytes(bytes);
        t->post();
    }
    auto t = openTable(db.alias(), QStringLiteral("t"));
    QCOMPARE(t->displayTextAt(1, 3), QStringLiteral("(BLOB)"));
    t->moveTo(1);
    QCOMPARE(t->fieldByName(QStringLiteral("pic"))->asBytes(), bytes);
    t->moveTo(2);
    QVERIFY(t->fieldByName(QStringLiteral("pic"))->asBytes().isEmpty());

    // A worker reads them on a connection of its own, record by record (the input window's
    // column does).
    std::optional<QByteArray> stored, empty, gone, notAnnounced;
    std::vector<std::optional<QByteArray>> ahead;
    QString failure;
    const RecordSource source = Engine::recordSource(db.alias());
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            FieldBytesReader reader(source, QStringLiteral("t"), QStringLiteral("pic"));
            stored = reader.read(2);
            empty = reader.read(3);
            gone = reader.read(999);
            // Told what comes next, a server answers for them at once; what was handed out
            // stays whole after the next answer, and a record not announced is still read.
            reader.readAhead({1, 2, 999, 2, 3});
            ahead = {reader.read(1), reader.read(2), reader.read(999), reader.read(2), reader.read(3)};
            reader.readAhead({3});
            notAnnounced = reader.read(2);
        } catch (const EngineError &e) {
            failure = e.message();
        }
    }));
    worker->start();
    QVERIFY(worker->wait(30000));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(stored.value_or(QByteArray("missing")), bytes);
    QCOMPARE(empty.value_or(QByteArray("missing")), QByteArray());
    QVERIFY(!gone);
    QCOMPARE(ahead.size(), size_t(5));
    QCOMPARE(ahead[0].value_or(QByteArray("missing")), QByteArray());
    QCOMPARE(ahead[1].value_or(QByteArray("missing")), bytes);
    QVERIFY(!ahead[2]);
    QCOMPARE(ahead[3].value_or(QByteArray("missing")), bytes);
    QCOMPARE(ahead[4].value_or(QByteArray("missing")), QByteArray());
    QCOMPARE(notAnnounced.value_or(QByteArray("missing")), bytes);
}

void TableDriversTest::serverValuesRoundTripInTheirKind_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value"); // as the user gives it
    QTest::addColumn<QString>("shown"); // as the grid shows the stored value
    QTest::addColumn<QString>("stored"); // as the server writes it

    QTest::newRow("smallint") << "smallint" << QVariant(-7) << "-7" << "-7";
    QTest::newRow("bigint") << "bigint" << QVariant(qlonglong(1) << 40) << "1099511627776"
                            << "1099511627776";
    QTest::newRow("boolean") << "boolean" << QVariant(true) << "True" << "true";
    QTest::newRow("numeric") << "numeric(10,2)" << QVariant(12.5) << "12.5" << "12.50";
    // A number the user wrote as 9.8 is stored as 9.8, not as the nearest double's 17 digits.
    QTest::newRow("numeric without a scale") << "numeric" << QVariant(9.8) << "9.8" << "9.8";
    QTest::newRow("money") << "money" << QVariant(3.25) << "3.25" << "3.25";
    QTest::newRow("double") << "double precision" << QVariant(0.1) << "0.1" << "0.1";
    QTest::newRow("date") << "date" << QVariant(QDate(2024, 2, 29)) << "2024-02-29"
                          << "2024-02-29";
    QTest::newRow("time") << "time" << QVariant(QTime(13, 5, 9, 250)) << "13:05:09"
                          << "13:05:09.25";
    QTest::newRow("timestamp") << "timestamp"
                               << QVariant(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)))
                               << "2023-12-31 23:59:58" << "2023-12-31 23:59:58";
    QTest::newRow("varchar") << "varchar(10)" << QVariant(QStringLiteral("it's “ok”"))
                             << "it's “ok”" << "it's “ok”";
    // Types the engine does not know travel as their text, unchanged.
    QTest::newRow("uuid") << "uuid" << QVariant(QStringLiteral("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"))
                          << "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"
                          << "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11";
    QTest::newRow("jsonb") << "jsonb" << QVariant(QStringLiteral("{\"a\": [1, 2.50]}"))
                           << "{\"a\": [1, 2.50]}" << "{\"a\": [1, 2.50]}";
    QTest::newRow("array") << "integer[]" << QVariant(QStringLiteral("{1,2,3}")) << "{1,2,3}"
                           << "{1,2,3}";
}

void TableDriversTest::serverValuesRoundTripInTheirKind()
{
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    db.admin().exec(QStringLiteral("CREATE TABLE v (id serial PRIMARY KEY, x %1)").arg(type));
    {
        auto t = openTable(ServerAlias, QStringLiteral("v"));
        QCOMPARE(t->field(0)->dataType(), int(ftAutoInc));
        t->insert();
        t->fieldByName(QStringLiteral("x"))->setValue(value);
        t->post();
        QCOMPARE(t->field(0)->value().toLongLong(), 1); // the server's own number
    }
    // money's own text follows the server's locale: compared as the number it is.
    const QString readBack = type == u"money" ? QStringLiteral("x::numeric::text") : QStringLiteral("x::text");
    QCOMPARE(db.admin().exec(QStringLiteral("SELECT %1 FROM v").arg(readBack)).text(0, 0), stored);
    auto t = openTable(ServerAlias, QStringLiteral("v"));
    QCOMPARE(t->displayTextAt(0, 1), shown);
    QCOMPARE(t->fieldByName(QStringLiteral("x"))->value(), value);
}

void TableDriversTest::anotherUsersChangeIsNeverOverwritten()
{
    Backend db(true, 5);
    auto t = openTable(ServerAlias, QStringLiteral("t"));
    t->moveTo(2);
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("mine"));
    db.exec(QStringLiteral("UPDATE t SET name = 'theirs' WHERE id = 3"));
    const QString refused = engineMessageOf([&] { t->post(); });
    QVERIFY2(refused.contains(u"Another user changed or deleted"), qPrintable(refused));
    QCOMPARE(db.text(QStringLiteral("SELECT name FROM t WHERE id = 3")), QStringLiteral("theirs"));
    QCOMPARE(t->state(), TTable::Browse);
    QCOMPARE(nameOf(*t), QStringLiteral("theirs")); // read again

    // Now that it shows their change, a change of ours is stored.
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("mine"));
    t->post();
    QCOMPARE(db.text(QStringLiteral("SELECT name FROM t WHERE id = 3")), QStringLiteral("mine"));

    // A record deleted elsewhere: neither a change nor a delete of it writes anything.
    t->edit();
    t->fieldByName(QStringLiteral("n"))->setValue(1);
    db.exec(QStringLiteral("DELETE FROM t WHERE id = 3"));
    QVERIFY(engineMessageOf([&] { t->post(); }).contains(u"Another user changed or deleted"));
    QCOMPARE(t->recordCount(), 4);
    QCOMPARE(nameOf(*t), QStringLiteral("r4"));
    db.exec(QStringLiteral("UPDATE t SET n = 0 WHERE id = 4"));
    QVERIFY(engineMessageOf([&] { t->deleteRecord(); }).contains(u"Another user changed or deleted"));
    QCOMPARE(db.text(QStringLiteral("SELECT count(*) FROM t")), QStringLiteral("4"));
}

namespace {

// The names of the table's records in the server's order of the key.
QStringList namesInKeyOrder(
    PgConnection &admin, const QString &order, const QString &table = QStringLiteral("k"))
{
    const PgResult r
        = admin.exec(QStringLiteral("SELECT name FROM %1 ORDER BY %2").arg(table, order));
    QStringList names;
    for (int row = 0; row < r.rowCount(); ++row)
        names << r.text(row, 0);
    return names;
}

void setFields(TTable &t, const QStringList &fields, const QVariantList &values)
{
    for (int i = 0; i < fields.size(); ++i)
        t.fieldByName(fields[i])->setValue(values[i]);
}

} // namespace

void TableDriversTest::anyPrimaryKeyMakesATableEditable_data()
{
    QTest::addColumn<QString>("columns"); // the key's columns and the primary key
    QTest::addColumn<QString>("values"); // the key's values of record i
    QTest::addColumn<QString>("order"); // the key in key order
    QTest::addColumn<QStringList>("fields"); // the key's fields
    QTest::addColumn<QVariantList>("added"); // a new record's key
    QTest::addColumn<QVariantList>("moved"); // a changed key

    QTest::newRow("two whole numbers")
        << "a int, b int, PRIMARY KEY (a, b)"
        << "i % 40, i"
        << "a, b" << QStringList {"a", "b"} << QVariantList {7, 0} << QVariantList {39, 99999};
    QTest::newRow("text") << "code text PRIMARY KEY"
                          << "md5(i::text)"
                          << "code" << QStringList {"code"}
                          << QVariantList {QStringLiteral("it's “new”")}
                          << QVariantList {QStringLiteral("0")};
    QTest::newRow("uuid") << "id uuid PRIMARY KEY"
                          << "md5(i::text)::uuid"
                          << "id" << QStringList {"id"}
                          << QVariantList {QStringLiteral("80000000-0000-0000-0000-000000000000")}
                          << QVariantList {QStringLiteral("ffffffff-0000-0000-0000-000000000000")};
    // The key's fields in another order than the table's.
    QTest::newRow("date and text") << "day date, who varchar(20), PRIMARY KEY (who, day)"
                                   << "date '2020-01-01' + i, 'w' || i % 7"
                                   << "who, day" << QStringList {"who", "day"}
                                   << QVariantList {QStringLiteral("w3"), QDate(1999, 1, 1)}
                                   << QVariantList {QStringLiteral("a"), QDate(2030, 6, 1)};
}

void TableDriversTest::anyPrimaryKeyMakesATableEditable()
{
    QFETCH(QString, columns);
    QFETCH(QString, values);
    QFETCH(QString, order);
    QFETCH(QStringList, fields);
    QFETCH(QVariantList, added);
    QFETCH(QVariantList, moved);
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    PgConnection &admin = db.admin();
    admin.exec(QStringLiteral("CREATE TABLE k (%1, name text, pic bytea)").arg(columns));
    // More records than are read at once: the rest comes in the background.
    admin.exec(
        QStringLiteral("INSERT INTO k SELECT %1, 'r' || i FROM generate_series(1, 1500) AS i")
            .arg(values));
    QStringList names = namesInKeyOrder(admin, order);
    QCOMPARE(names.size(), 1500);

    auto t = openTable(ServerAlias, QStringLiteral("k"));
    QVERIFY2(!t->readOnly(), qPrintable(t->readOnlyMessage()));
    const int nameColumn = t->fieldByName(QStringLiteral("name"))->index();
    QCOMPARE(nameOf(*t), names[0]);
    t->next();
    QCOMPARE(nameOf(*t), names[1]);
    t->moveTo(1200);
    const TBookmark mark = t->bookmark();
    t->last();
    QCOMPARE(nameOf(*t), names.last());
    QVERIFY(t->eof());
    t->prior();
    QCOMPARE(nameOf(*t), names[1498]);
    QCOMPARE(t->recordCount(), 1500);
    t->gotoBookmark(mark);
    QCOMPARE(t->recNo(), 1200);
    const QString markedName = names[1200];
    QCOMPARE(nameOf(*t), markedName);
    for (int i : {0, 999, 1000, 1001, 1499})
        QCOMPARE(t->displayTextAt(i, nameColumn), names[i]);

    // A change reaches the record it was made on.
    t->moveTo(5);
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("changed"));
    t->post();
    QCOMPARE(namesInKeyOrder(admin, order).at(5), QStringLiteral("changed"));

    // A new record takes its key's place.
    t->insert();
    setFields(*t, fields, added);
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("new"));
    t->post();
    QCOMPARE(nameOf(*t), QStringLiteral("new"));
    names = namesInKeyOrder(admin, order);
    QCOMPARE(t->recNo(), int(names.indexOf(QStringLiteral("new"))));
    QCOMPARE(t->recordCount(), 1501);
    const TBookmark newMark = t->bookmark();

    // A record whose key changes moves to its key's place, keeping its values.
    t->moveTo(1300);
    const QString movedName = nameOf(*t);
    const TBookmark movedMark = t->bookmark();
    t->edit();
    setFields(*t, fields, moved);
    t->post();
    QCOMPARE(nameOf(*t), movedName);
    names = namesInKeyOrder(admin, order);
    QCOMPARE(t->recNo(), int(names.indexOf(movedName)));
    QCOMPARE(t->fieldByName(fields.first())->value(), moved.first());
    t->edit(); // and is known by its new key
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("moved"));
    t->post();
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM k WHERE name = 'moved'")).text(0, 0),
        QStringLiteral("1"));
    QVERIFY(engineMessageOf([&] { t->gotoBookmark(movedMark); }).contains(u"no longer in the table"));
    t->gotoBookmark(mark);
    QCOMPARE(nameOf(*t), markedName);

    // A deleted record leaves the server and its bookmark.
    t->gotoBookmark(newMark);
    t->deleteRecord();
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM k WHERE name = 'new'")).text(0, 0),
        QStringLiteral("0"));
    QCOMPARE(t->recordCount(), 1500);
    QVERIFY(engineMessageOf([&] { t->gotoBookmark(newMark); }).contains(u"no longer in the table"));
    t->refresh();
    QCOMPARE(t->recordCount(), 1500);
    names = namesInKeyOrder(admin, order);
    QCOMPARE(t->displayTextAt(1499, nameColumn), names.last());

    // A worker reads a record's picture by the table's bookmark, on a connection of its own.
    admin.exec(QStringLiteral("UPDATE k SET pic = '\\x0102ff' WHERE name = $1"), {names[700]});
    const RecordSource source = t->recordSource();
    const RecordKey key = t->bookmarks().keyAt(700);
    std::optional<QByteArray> read;
    QString failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            read = FieldBytesReader(source, QStringLiteral("k"), QStringLiteral("pic")).read(key);
        } catch (const EngineError &e) {
            failure = e.message();
        }
    }));
    worker->start();
    QVERIFY(worker->wait(30000));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(read.value_or(QByteArray("missing")), QByteArray("\x01\x02\xff"));
}

void TableDriversTest::twoUsersChangingOneRecordOfACompositeKeyTable()
{
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    addServerAlias(QStringLiteral("Other"), db.connInfo()); // another connection: another user
    db.admin().exec(
        QStringLiteral("CREATE TABLE \"Order Details\" (\"OrderID\" int, \"ProductID\" int, "
                       "qty int, PRIMARY KEY (\"OrderID\", \"ProductID\"))"));
    db.admin().exec(QStringLiteral(
        "INSERT INTO \"Order Details\" SELECT i / 3, i % 3, i FROM generate_series(0, 29) AS i"));
    const QString table = QStringLiteral("Order Details");
    const auto stored = [&] {
        return db.admin()
            .exec(QStringLiteral("SELECT string_agg(qty::text, ',' ORDER BY qty) FROM "
                                 "\"Order Details\" WHERE \"OrderID\" = 4"))
            .text(0, 0);
    };
    auto mine = openTable(ServerAlias, table);
    auto theirs = openTable(QStringLiteral("Other"), table);
    mine->moveTo(13); // (4, 1)
    theirs->moveTo(13);
    mine->edit();
    theirs->edit();
    theirs->fieldByName(QStringLiteral("qty"))->setValue(1000);
    theirs->post();
    mine->fieldByName(QStringLiteral("qty"))->setValue(2000);
    const QString refused = engineMessageOf([&] { mine->post(); });
    QVERIFY2(refused.contains(u"Another user changed or deleted"), qPrintable(refused));
    QCOMPARE(stored(), QStringLiteral("12,14,1000"));
    QCOMPARE(mine->fieldByName(QStringLiteral("qty"))->value().toInt(), 1000); // read again
    QCOMPARE(mine->recNo(), 13);

    // Their key change: my record is gone from under me; neither a change nor a delete writes.
    theirs->edit();
    theirs->fieldByName(QStringLiteral("ProductID"))->setValue(7);
    theirs->post();
    QVERIFY(engineMessageOf([&] { mine->deleteRecord(); }).contains(u"Another user changed or deleted"));
    QCOMPARE(stored(), QStringLiteral("12,14,1000"));
    QCOMPARE(mine->recordCount(), 30);
    mine->last();
    QCOMPARE(mine->fieldByName(QStringLiteral("qty"))->value().toInt(), 29);
    mine->moveTo(14);
    QCOMPARE(mine->fieldByName(QStringLiteral("ProductID"))->value().toInt(), 7);
    mine->deleteRecord(); // now that it shows their change
    QCOMPARE(stored(), QStringLiteral("12,14"));
}

void TableDriversTest::aRefreshShowsOtherUsersTextKeysInTheirPlaces()
{
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    PgConnection &admin = db.admin();
    admin.exec(QStringLiteral("CREATE TABLE k (code varchar(12) PRIMARY KEY, name text)"));
    admin.exec(QStringLiteral("INSERT INTO k SELECT 'm' || lpad(i::text, 4, '0'), 'r' || i "
                              "FROM generate_series(1, 1200) AS i"));
    const QString order = QStringLiteral("code");
    auto t = openTable(ServerAlias, QStringLiteral("k"));
    const int nameColumn = t->fieldByName(QStringLiteral("name"))->index();
    t->moveTo(600);
    const TBookmark current = t->bookmark();
    t->moveTo(3);
    const TBookmark third = t->bookmark(); // "m0004"
    t->moveTo(500);
    // Another user adds records before all, among them and after all, deletes one, and deletes
    // and stores again the key of another.
    admin.exec(QStringLiteral("INSERT INTO k VALUES ('a', 'first'), ('m0600x', 'middle'), "
                              "('m0600y', 'middle 2'), ('m1000a', 'loaded later'), ('z', 'last')"));
    admin.exec(QStringLiteral("DELETE FROM k WHERE code = 'm0100'"));
    admin.exec(QStringLiteral("DELETE FROM k WHERE code = 'm0004'"));
    admin.exec(QStringLiteral("INSERT INTO k VALUES ('m0004', 'again')"));
    t->refresh();
    QStringList names = namesInKeyOrder(admin, order);
    QCOMPARE(t->recordCount(), names.size());
    QCOMPARE(nameOf(*t), QStringLiteral("r501")); // the same record
    QCOMPARE(t->recNo(), int(names.indexOf(QStringLiteral("r501"))));
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(t->displayTextAt(i, nameColumn), names[i]);
    t->gotoBookmark(current);
    QCOMPARE(nameOf(*t), QStringLiteral("r601"));
    t->gotoBookmark(third); // the key never went away between two reads here
    QCOMPARE(nameOf(*t), QStringLiteral("again"));

    // Deleted here and stored again elsewhere: a new record, the old bookmark is gone.
    t->deleteRecord();
    admin.exec(QStringLiteral("INSERT INTO k VALUES ('m0004', 'once more')"));
    t->refresh();
    QVERIFY(engineMessageOf([&] { t->gotoBookmark(third); }).contains(u"no longer in the table"));
    names = namesInKeyOrder(admin, order);
    QCOMPARE(t->displayTextAt(4, nameColumn), QStringLiteral("once more")); // after "a"
    QCOMPARE(t->recordCount(), names.size());
    t->last();
    QCOMPARE(nameOf(*t), QStringLiteral("last"));
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("changed last"));
    t->post();
    QCOMPARE(admin.exec(QStringLiteral("SELECT name FROM k WHERE code = 'z'")).text(0, 0),
        QStringLiteral("changed last"));
}

void TableDriversTest::tablesWithoutAPrimaryKeyOpenReadOnly()
{
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    db.admin().exec(QStringLiteral("CREATE TABLE loose (name text)"));
    db.admin().exec(QStringLiteral("INSERT INTO loose SELECT 'l' || i FROM generate_series(1, 1500) AS i"));
    auto t = openTable(ServerAlias, QStringLiteral("loose"));
    QVERIFY(t->readOnly());
    QVERIFY2(t->readOnlyMessage().contains(u"“loose” has no primary key"),
        qPrintable(t->readOnlyMessage()));
    const QString refused = engineMessageOf([&] { t->edit(); });
    QVERIFY2(refused.contains(u"read-only"), qPrintable(refused));
    QCOMPARE(t->state(), TTable::Browse);
    QVERIFY(engineMessageOf([&] { t->deleteRecord(); }).contains(u"read-only"));
    QVERIFY(engineMessageOf([&] { t->insert(); }).contains(u"read-only"));
    // Browsing still works, in the rows' order, past the first keys read at once.
    QCOMPARE(t->recordCount(), 1500);
    t->last();
    QCOMPARE(nameOf(*t), QStringLiteral("l1500"));
    QCOMPARE(db.admin().exec(QStringLiteral("SELECT count(*) FROM loose")).text(0, 0),
        QStringLiteral("1500"));
}

void TableDriversTest::schemasAndOddNamesWork()
{
    PgScratchDatabase db;
    PgConnection &admin = db.admin();
    admin.exec(QStringLiteral("CREATE SCHEMA \"a.b\""));
    admin.exec(QStringLiteral("ALTER DATABASE %1 SET search_path = public, \"a.b\"")
                   .arg(admin.quoteIdentifier(db.name())));
    admin.exec(QStringLiteral("CREATE TABLE \"a.b\".\"x \"\"y\"\" z\" (\"Id\" bigint PRIMARY KEY, "
                              "\"na me\" text)"));
    admin.exec(QStringLiteral("INSERT INTO \"a.b\".\"x \"\"y\"\" z\" VALUES (1, 'odd')"));
    admin.exec(QStringLiteral("CREATE TABLE public.dup (id int PRIMARY KEY, w text)"));
    admin.exec(QStringLiteral("CREATE TABLE \"a.b\".dup (id int PRIMARY KEY, w text)"));
    admin.exec(QStringLiteral("INSERT INTO public.dup VALUES (1, 'public')"));
    admin.exec(QStringLiteral("INSERT INTO \"a.b\".dup VALUES (1, 'hidden')"));
    admin.exec(QStringLiteral("CREATE VIEW seen AS SELECT 1 AS one"));
    admin.exec(QStringLiteral("CREATE TABLE parted (id int PRIMARY KEY) PARTITION BY RANGE (id)"));
    admin.exec(QStringLiteral("CREATE TABLE parted_1 PARTITION OF parted FOR VALUES FROM (0) TO (10)"));
    addServerAlias(ServerAlias, db.connInfo());

    QCOMPARE(Engine::tableNames(ServerAlias),
        QStringList({QStringLiteral("dup"), QStringLiteral("parted"), QStringLiteral("a.b.dup"),
            QStringLiteral("x \"y\" z")}));
    auto odd = openTable(ServerAlias, QStringLiteral("x \"y\" z"));
    QCOMPARE(odd->fieldByName(QStringLiteral("na me"))->asString(), QStringLiteral("odd"));
    odd->edit();
    odd->fieldByName(QStringLiteral("na me"))->setValue(QStringLiteral("still odd"));
    odd->post();
    QCOMPARE(admin.exec(QStringLiteral("SELECT \"na me\" FROM \"a.b\".\"x \"\"y\"\" z\"")).text(0, 0),
        QStringLiteral("still odd"));
    QCOMPARE(openTable(ServerAlias, QStringLiteral("dup"))->fieldByName(QStringLiteral("w"))->asString(),
        QStringLiteral("public"));
    QCOMPARE(openTable(ServerAlias, QStringLiteral("a.b.dup"))->fieldByName(QStringLiteral("w"))->asString(),
        QStringLiteral("hidden"));
    const QString missing = engineMessageOf([&] { openTable(ServerAlias, QStringLiteral("seen")); });
    QVERIFY2(missing.contains(u"does not exist"), qPrintable(missing));
}

void TableDriversTest::aServerGoneMidBrowseIsReportedAndTheNextActionReconnects()
{
    PgTestServer server;
    server.start();
    {
        PgConnection admin(PgConnectionInfo::fromString(
            PgTestServer::connInfo(server.host(), QStringLiteral("postgres")), QStringLiteral("admin")));
        admin.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS t (id int PRIMARY KEY, name text)"));
        admin.exec(QStringLiteral("TRUNCATE t"));
        admin.exec(QStringLiteral("INSERT INTO t SELECT i, 'r' || i FROM generate_series(1, 600) AS i"));
    }
    addServerAlias(ServerAlias, PgTestServer::connInfo(server.host(), QStringLiteral("postgres")));
    auto t = openTable(ServerAlias, QStringLiteral("t"));
    server.stop();
    // The grid asks for rows it has not read: it gets empty cells, not an exception.
    QCOMPARE(t->displayTextAt(450, 1), QString());
    const QString lost = engineMessageOf([&] { t->refresh(); });
    QVERIFY2(!lost.isEmpty(), "refresh without a server raised nothing");
    QCOMPARE(t->state(), TTable::Browse);
    QVERIFY(t->active());

    server.start();
    t->refresh();
    QCOMPARE(t->displayTextAt(450, 1), QStringLiteral("r451"));
    t->edit();
    t->fieldByName(QStringLiteral("name"))->setValue(QStringLiteral("after the restart"));
    t->post();
    QCOMPARE(nameOf(*t), QStringLiteral("after the restart"));
}

namespace {

// Everything the server keeps with the table "t" besides its records, as text.
QString definitionOf(PgConnection &admin)
{
    return admin
        .exec(QStringLiteral(
            "SELECT concat_ws(E'\\n', "
            "(SELECT string_agg(format('%s %s %s %s', attname, format_type(atttypid, atttypmod), "
            "  attidentity, pg_get_expr(d.adbin, d.adrelid)), ',' ORDER BY attnum) "
            "  FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "  WHERE attrelid = 't'::regclass AND attnum > 0 AND NOT attisdropped), "
            "(SELECT string_agg(conname || ' ' || pg_get_constraintdef(oid), ',' ORDER BY conname) "
            "  FROM pg_constraint WHERE conrelid = 't'::regclass), "
            "(SELECT string_agg(indexdef, ',' ORDER BY indexname) FROM pg_indexes WHERE tablename = 't'), "
            "(SELECT string_agg(tgname, ',' ORDER BY tgname) FROM pg_trigger WHERE tgrelid = 't'::regclass "
            "  AND NOT tgisinternal), "
            "(SELECT relacl::text FROM pg_class WHERE oid = 't'::regclass))"))
        .text(0, 0);
}

QString recordsOf(PgConnection &admin, const QString &table = QStringLiteral("t"))
{
    return admin.exec(QStringLiteral("SELECT coalesce(md5(string_agg(x::text, ',' ORDER BY id)), 'none') "
                                     "FROM %1 AS x").arg(table))
        .text(0, 0);
}

} // namespace

void TableDriversTest::serverMaintenanceKeepsWhatTheServerKeepsWithTheTable()
{
    Backend db(true, 50);
    PgConnection &admin = db.server().admin();
    admin.exec(QStringLiteral("ALTER TABLE t ADD COLUMN made timestamptz DEFAULT now(), "
                              "ADD COLUMN serial_no bigint GENERATED BY DEFAULT AS IDENTITY, "
                              "ADD CONSTRAINT positive CHECK (n >= 0)"));
    admin.exec(QStringLiteral("CREATE INDEX t_name ON t (name)"));
    admin.exec(QStringLiteral("CREATE FUNCTION stamp() RETURNS trigger LANGUAGE plpgsql AS "
                              "$$BEGIN RETURN NEW; END$$"));
    admin.exec(QStringLiteral("CREATE TRIGGER t_stamp BEFORE UPDATE ON t FOR EACH ROW EXECUTE FUNCTION stamp()"));
    const QString reader = db.server().makePasswordRole(QStringLiteral("reader"), QStringLiteral("pw"));
    admin.exec(QStringLiteral("GRANT SELECT ON t TO %1").arg(admin.quoteIdentifier(reader)));
    const QString definition = definitionOf(admin);
    const QString records = recordsOf(admin);

    auto t = openTable(ServerAlias, QStringLiteral("t"));
    t->moveTo(7);
    TableMaintenance::compact(*t);
    QCOMPARE(definitionOf(admin), definition);
    QCOMPARE(recordsOf(admin), records);
    QVERIFY(t->active());

    TableMaintenance::emptyWithBackup(*t);
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM t")).text(0, 0), QStringLiteral("0"));
    QCOMPARE(recordsOf(admin, QStringLiteral("\"$$$Backup\"")), records);
    QCOMPARE(definitionOf(admin), definition);
    QVERIFY(t->active());
    QCOMPARE(t->recordCount(), 0);
    QCOMPARE(Engine::tableNames(ServerAlias), QStringList({QStringLiteral("t"), QStringLiteral("$$$Backup")}));

    QVERIFY(TableMaintenance::restoreFromBackup(*t));
    QCOMPARE(recordsOf(admin), records);
    QCOMPARE(definitionOf(admin), definition);
    QCOMPARE(t->recordCount(), 50);

    // A backup of a table with other fields is not forced onto this one.
    admin.exec(QStringLiteral("CREATE TABLE other (id int PRIMARY KEY, w text)"));
    admin.exec(QStringLiteral("INSERT INTO other VALUES (1, 'w')"));
    auto other = openTable(ServerAlias, QStringLiteral("other"));
    TableMaintenance::emptyWithBackup(*other);
    const QString refused = engineMessageOf([&] { TableMaintenance::restoreFromBackup(*t); });
    QVERIFY2(refused.contains(u"other fields"), qPrintable(refused));
    QCOMPARE(recordsOf(admin), records);

    // Others holding the table: compacting waits a little, then says so; nothing changes.
    PgConnection holder(PgConnectionInfo::fromString(db.server().connInfo(), QStringLiteral("holder")));
    holder.exec(QStringLiteral("BEGIN"));
    holder.exec(QStringLiteral("LOCK TABLE t IN ACCESS SHARE MODE"));
    const QString busy = engineMessageOf([&] { TableMaintenance::compact(*t); });
    QVERIFY2(busy.contains(u"Other users are working with the table"), qPrintable(busy));
    holder.exec(QStringLiteral("ROLLBACK"));
    QCOMPARE(recordsOf(admin), records);
    t->refresh();
    QCOMPARE(t->recordCount(), 50);
}

void TableDriversTest::serverMaintenanceRefusesWhatWouldTouchOtherTables()
{
    Backend db(true, 5);
    PgConnection &admin = db.server().admin();
    admin.exec(QStringLiteral("CREATE TABLE child (id int PRIMARY KEY, t_id int REFERENCES t ON DELETE CASCADE)"));
    admin.exec(QStringLiteral("INSERT INTO child VALUES (1, 2), (2, 2), (3, NULL)"));
    admin.exec(QStringLiteral("CREATE VIEW names AS SELECT name FROM t"));
    auto t = openTable(ServerAlias, QStringLiteral("t"));
    const QList<RelatedRecords::Referrer> referrers = TableMaintenance::recordsReferringTo(*t);
    QCOMPARE(referrers.size(), 1);
    QCOMPARE(referrers.first().table, QStringLiteral("child"));
    QCOMPARE(referrers.first().records, 2);

    const QString refused = engineMessageOf([&] { TableMaintenance::emptyWithBackup(*t); });
    QVERIFY2(refused.contains(u"“child”"), qPrintable(refused));
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM child")).text(0, 0), QStringLiteral("3"));
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM t")).text(0, 0), QStringLiteral("5"));
    QVERIFY(!engineMessageOf([&] { TableMaintenance::deleteTable(*t); }).isEmpty());

    // Without referring records, a view still keeps the table: the server says no, the table
    // stays and stays open.
    admin.exec(QStringLiteral("DELETE FROM child"));
    const QString kept = engineMessageOf([&] { TableMaintenance::deleteTable(*t); });
    QVERIFY(!kept.isEmpty());
    QVERIFY(t->active());
    QCOMPARE(t->recordCount(), 5);
    admin.exec(QStringLiteral("DROP VIEW names"));
    admin.exec(QStringLiteral("DROP TABLE child")); // its key depends on the table too
    TableMaintenance::deleteTable(*t);
    QVERIFY(!t->active());
    QVERIFY(admin.exec(QStringLiteral("SELECT to_regclass('t')")).isNull(0, 0));
}

void TableDriversTest::unreadableServerValuesAreFoundAndCleared()
{
    PgScratchDatabase db;
    addServerAlias(ServerAlias, db.connInfo());
    PgConnection &admin = db.admin();
    admin.exec(QStringLiteral("CREATE TABLE u (id int PRIMARY KEY, pic bytea, seen date, "
                              "due date NOT NULL DEFAULT 'infinity', at time)"));
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QByteArray picture = StoredPicture::encode(image, ftGraphic);
    admin.exec(QStringLiteral("INSERT INTO u SELECT i, $1, date '2020-01-01' + i, '2024-01-01', "
                              "'10:00' FROM generate_series(1, 150) AS i"),
        {picture});
    admin.exec(QStringLiteral("UPDATE u SET pic = '\\x00010203'::bytea WHERE id = 70")); // no picture
    admin.exec(QStringLiteral("UPDATE u SET seen = 'infinity' WHERE id = 120"));
    admin.exec(QStringLiteral("UPDATE u SET due = 'infinity' WHERE id = 3")); // refuses null
    admin.exec(QStringLiteral("UPDATE u SET at = '24:00' WHERE id = 140"));
    const QString before = recordsOf(admin, QStringLiteral("u"));

    auto t = openTable(ServerAlias, QStringLiteral("u"));
    QCOMPARE(TableMaintenance::lookForUnreadable(*t), TableMaintenance::Look::Unreadable);
    int reports = 0;
    const auto stop = [&](TableMaintenance::Step, qint64, qint64) { return ++reports < 2; };
    QVERIFY(!TableMaintenance::clearUnreadable(*t, stop)); // stopped: nothing changed
    QCOMPARE(recordsOf(admin, QStringLiteral("u")), before);

    const int clearedCount = TableMaintenance::clearUnreadable(*t).value_or(-1);
    QCOMPARE(clearedCount, 3);
    QVERIFY(t->active());
    QVERIFY(admin.exec(QStringLiteral("SELECT pic FROM u WHERE id = 70")).isNull(0, 0));
    QVERIFY(admin.exec(QStringLiteral("SELECT seen FROM u WHERE id = 120")).isNull(0, 0));
    QVERIFY(admin.exec(QStringLiteral("SELECT at FROM u WHERE id = 140")).isNull(0, 0));
    QCOMPARE(admin.exec(QStringLiteral("SELECT due::text FROM u WHERE id = 3")).text(0, 0),
        QStringLiteral("infinity"));
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM u WHERE pic = $1"), {picture}).text(0, 0),
        QStringLiteral("149"));
    // What is left is the value its field keeps: found again, nothing else.
    QCOMPARE(TableMaintenance::lookForUnreadable(*t), TableMaintenance::Look::Unreadable);
    admin.exec(QStringLiteral("UPDATE u SET due = '2024-01-01' WHERE id = 3"));
    QCOMPARE(TableMaintenance::lookForUnreadable(*t), TableMaintenance::Look::Clean);

    // A key of two fields, text first: the scan pages through it in the key's order, and the
    // clearing names whole keys (the same number under another text keeps its value).
    admin.exec(QStringLiteral("CREATE TABLE \"Two keys\" (tag text, n int, pic bytea, seen date, "
                              "PRIMARY KEY (tag, n))"));
    admin.exec(QStringLiteral("INSERT INTO \"Two keys\" SELECT t, i, $1, date '2020-01-01' + i "
                              "FROM generate_series(1, 100) AS i, unnest(ARRAY['b', 'a b', 'a']) AS t"),
        {picture});
    admin.exec(QStringLiteral("UPDATE \"Two keys\" SET pic = '\\x0102'::bytea WHERE tag = 'a b' AND n = 70"));
    admin.exec(QStringLiteral("UPDATE \"Two keys\" SET seen = '-infinity' WHERE tag = 'b' AND n = 99"));
    auto two = openTable(ServerAlias, QStringLiteral("Two keys"));
    QVERIFY(!two->readOnly());
    QCOMPARE(TableMaintenance::lookForUnreadable(*two), TableMaintenance::Look::Unreadable);
    QCOMPARE(TableMaintenance::clearUnreadable(*two).value_or(-1), 2);
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM \"Two keys\" WHERE pic IS NULL")).text(0, 0),
        QStringLiteral("1"));
    QVERIFY(admin.exec(QStringLiteral("SELECT pic FROM \"Two keys\" WHERE tag = 'a b' AND n = 70")).isNull(0, 0));
    QCOMPARE(admin.exec(QStringLiteral("SELECT count(*) FROM \"Two keys\" WHERE seen IS NULL")).text(0, 0),
        QStringLiteral("1"));
    QVERIFY(admin.exec(QStringLiteral("SELECT seen FROM \"Two keys\" WHERE tag = 'b' AND n = 99")).isNull(0, 0));
    QCOMPARE(TableMaintenance::lookForUnreadable(*two), TableMaintenance::Look::Clean);
    QCOMPARE(two->recordCount(), 300);
}

TABVALE_TEST_MAIN(TableDriversTest, QCoreApplication)
#include "tst_TableDrivers.moc"
