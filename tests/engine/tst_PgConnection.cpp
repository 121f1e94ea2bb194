// The PostgreSQL connection layer against a real server: connecting through settings, service
// files and password prompts, the messages of every refusal, a server that goes away, and values
// that travel apart from the command text (pictures byte for byte, odd names).
#include "tests/engine/PgScratchDatabase.h"
#include "tests/engine/PgTestServer.h"
#include "tests/support/TestEnvironment.h"
#include "engine/AliasRegistry.h"
#include "engine/EngineError.h"
#include "engine/PgConnection.h"
#include "engine/PgPasswords.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>
#include <limits>

namespace {

const QString ServerName = QStringLiteral("Pictures server");

PgConnectionInfo infoFrom(const QString &connInfo)
{
    return PgConnectionInfo::fromString(connInfo, ServerName);
}

QString one(PgConnection &c, const QString &sql, const PgParameters &parameters = {})
{
    return c.exec(sql, parameters).text(0, 0);
}

// Writes a file in the test's private HOME; gone when the object goes.
class HomeFile
{
public:
    HomeFile(const QString &name, const QByteArray &text)
        : m_path(QDir::homePath() + QLatin1Char('/') + name)
    {
        QFile f(m_path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner); // libpq insists
    }
    ~HomeFile() { QFile::remove(m_path); }
    QString path() const { return m_path; }

private:
    QString m_path;
};

// Points libpq at a service file in the test's private HOME.
class ServiceFile : public HomeFile
{
public:
    explicit ServiceFile(const QByteArray &text) : HomeFile(QStringLiteral("pg_service.conf"), text)
    {
        qputenv("PGSERVICEFILE", QFile::encodeName(path()));
    }
    ~ServiceFile() { qunsetenv("PGSERVICEFILE"); }
};

// Answers password questions in turn (the last answer again once they run out) and keeps the
// questions; cleared at the end.
class ScriptedPrompt
{
public:
    explicit ScriptedPrompt(QList<std::optional<QString>> answers)
    {
        PgPasswords::setPrompt([this, answers](const PgLogin &login) {
            asked << login;
            return answers.value(asked.size() - 1, answers.last());
        });
    }
    ~ScriptedPrompt()
    {
        PgPasswords::setPrompt({});
        PgPasswords::forgetAll();
    }
    QList<PgLogin> asked;
};

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(17);
    for (char &b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

// A message for the user tells in words: no libpq or server jargon.
void checkPlainWords(const QString &message)
{
    static const QRegularExpression jargon(
        QStringLiteral("FATAL|ERROR:|LOCATION|fe_sendauth|\\b[0-9A-Z]{5}\\b|SQLSTATE"));
    QVERIFY2(!jargon.match(message).hasMatch(), qPrintable(message));
    QVERIFY2(message.contains(ServerName), qPrintable(message));
}

} // namespace

class PgConnectionTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void connectsThroughSettingsOrAServiceFile_data();
    void connectsThroughSettingsOrAServiceFile();
    void passwordsComeFromTheFilesOrFromOnePrompt_data();
    void passwordsComeFromTheFilesOrFromOnePrompt();
    void refusedConnectionsSayWhyInWords_data();
    void refusedConnectionsSayWhyInWords();
    void aStoppedServerIsReportedAndTheNextActionReconnects();
    void aCommandOverTheTimeLimitIsStoppedWithAClearMessage();
    void picturesRoundTripByteForByte_data();
    void picturesRoundTripByteForByte();
    void valuesNeverBecomeCommandText_data();
    void valuesNeverBecomeCommandText();
    void oddNamesWorkAsSchemaTableAndField_data();
    void oddNamesWorkAsSchemaTableAndField();
    void cleanup();

private:
    std::unique_ptr<PgScratchDatabase> m_db;
};

void PgConnectionTest::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("TABVALE_PG_HOST"),
        "run through ctest: its pgsql fixture starts the server");
    PgTestServer::isolateFromUserSettings();
    m_db = std::make_unique<PgScratchDatabase>();
}

void PgConnectionTest::cleanup()
{
    PgPasswords::setPrompt({});
    PgPasswords::forgetAll();
}

void PgConnectionTest::connectsThroughSettingsOrAServiceFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("timeLimit");
    QTest::newRow("key/value settings") << "keyvalue"
                                        << "1min";
    QTest::newRow("URI with its own time limit") << "uri"
                                                 << "5s";
    QTest::newRow("service file") << "service"
                                  << "1min";
    QTest::newRow("service file, settings win") << "service+conninfo"
                                                << "1min";
}

void PgConnectionTest::connectsThroughSettingsOrAServiceFile()
{
    QFETCH(QString, how);
    QFETCH(QString, timeLimit);
    Alias alias;
    alias.name = ServerName;
    alias.driver = QStringLiteral("PGSQL");
    const QString database = how == u"service" ? m_db->name() : QStringLiteral("postgres");
    const ServiceFile services(QStringLiteral("[tabvale_test]\nhost=%1\nport=5432\nuser=tabvale\n"
                                              "dbname=%2\n")
                                   .arg(m_db->host(), database)
                                   .toUtf8());
    if (how == u"keyvalue") {
        alias.connInfo = m_db->connInfo();
    } else if (how == u"uri") {
        alias.connInfo
            = QStringLiteral("postgresql:///%1?host=%2&port=5432&user=tabvale"
                             "&options=-c%20statement_timeout%3D5s")
                  .arg(m_db->name(), QString::fromUtf8(QUrl::toPercentEncoding(m_db->host())));
    } else {
        alias.service = QStringLiteral("tabvale_test");
        if (how == u"service+conninfo")
            alias.connInfo = QStringLiteral("dbname=") + m_db->name();
    }
    PgConnection c(PgConnectionInfo::fromAlias(alias));
    const PgResult r = c.exec(QStringLiteral(
        "SELECT current_database(), current_user, current_setting('application_name'), "
        "current_setting('statement_timeout'), current_setting('client_encoding')"));
    QCOMPARE(r.text(0, 0), m_db->name());
    QCOMPARE(r.text(0, 1), QStringLiteral("tabvale"));
    QCOMPARE(r.text(0, 2), QStringLiteral("Tabvale"));
    QCOMPARE(r.text(0, 3), timeLimit);
    QCOMPARE(c.statementTimeout(), timeLimit);
    QCOMPARE(r.text(0, 4), QStringLiteral("UTF8"));
}

void PgConnectionTest::passwordsComeFromTheFilesOrFromOnePrompt_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("~/.pgpass") << "pgpass";
    QTest::newRow("service file") << "service";
    QTest::newRow("prompt, asked once for two connections") << "prompt";
}

void PgConnectionTest::passwordsComeFromTheFilesOrFromOnePrompt()
{
    QFETCH(QString, source);
    const QString password = QStringLiteral("pa:ss wörd'\\");
    const QString role = m_db->makePasswordRole(QStringLiteral("reader"), password);
    QString escaped = password;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char(':'), QStringLiteral("\\:"));
    const HomeFile pgpass(QStringLiteral(".pgpass"),
        source == u"pgpass" ? QStringLiteral("*:*:*:%1:%2\n").arg(role, escaped).toUtf8() : "");
    const ServiceFile services(
        QStringLiteral("[tabvale_test]\nhost=%1\nport=5432\ndbname=%2\nuser=%3\n%4")
            .arg(m_db->host(), m_db->name(), role,
                source == u"service" ? QStringLiteral("password=%1\n").arg(password) : QString())
            .toUtf8());
    const QString changed = QStringLiteral("changed");
    ScriptedPrompt prompt({password, changed});
    if (source != u"prompt")
        PgPasswords::setPrompt({});
    Alias alias;
    alias.name = ServerName;
    alias.driver = QStringLiteral("PGSQL");
    alias.service = QStringLiteral("tabvale_test");

    PgConnection first(PgConnectionInfo::fromAlias(alias));
    QCOMPARE(one(first, QStringLiteral("SELECT current_user")), role);
    PgConnection second(PgConnectionInfo::fromAlias(alias));
    QCOMPARE(one(second, QStringLiteral("SELECT current_user")), role);
    if (source != u"prompt") {
        QVERIFY(prompt.asked.isEmpty());
        return;
    }
    QCOMPARE(prompt.asked.size(), 1);
    QCOMPARE(prompt.asked[0].user, role);
    QCOMPARE(prompt.asked[0].database, m_db->name());
    QCOMPARE(prompt.asked[0].serverName, ServerName);
    QVERIFY(!prompt.asked[0].retry);
    // Changed on the server meanwhile: the remembered one is refused, and the user is asked again.
    m_db->setPassword(role, changed);
    PgConnection third(PgConnectionInfo::fromAlias(alias));
    QCOMPARE(prompt.asked.size(), 2);
    QVERIFY(prompt.asked[1].retry);
    QCOMPARE(PgPasswords::remembered(prompt.asked[1]), changed);
}

void PgConnectionTest::refusedConnectionsSayWhyInWords_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("wrong password typed") << "typed" << QStringList {"refused the password given"};
    QTest::newRow("wrong password in ~/.pgpass") << "pgpass" << QStringList {"~/.pgpass"};
    QTest::newRow("prompt cancelled") << "cancel" << QStringList {"no password was given"};
    QTest::newRow("no prompt, no password file") << "noprompt" << QStringList {"none is known"};
    QTest::newRow("unknown user") << "user" << QStringList {"refused the login", "nobody_here"};
    QTest::newRow("missing database") << "database" << QStringList {"does not exist", "no_such_db"};
    QTest::newRow("server not running") << "down" << QStringList {"cannot be reached"};
}

void PgConnectionTest::refusedConnectionsSayWhyInWords()
{
    QFETCH(QString, failure);
    QFETCH(QStringList, words);
    const QString role = m_db->makePasswordRole(QStringLiteral("writer"), QStringLiteral("right"));
    QString settings = QStringLiteral("host='%1' port=5432 dbname='%2' user='%3'")
                           .arg(m_db->host(), m_db->name(), role);
    const HomeFile pgpass(QStringLiteral(".pgpass"),
        failure == u"pgpass" ? QStringLiteral("*:*:*:%1:wrong\n").arg(role).toUtf8() : "");
    ScriptedPrompt prompt(
        {failure == u"cancel" ? std::nullopt : std::optional(QStringLiteral("wrong"))});
    QTemporaryDir noServer;
    if (failure == u"noprompt")
        PgPasswords::setPrompt({});
    else if (failure == u"user")
        settings = PgTestServer::connInfo(m_db->host(), m_db->name())
            + QStringLiteral(" user=nobody_here");
    else if (failure == u"database")
        settings = PgTestServer::connInfo(m_db->host(), QStringLiteral("no_such_db"));
    else if (failure == u"down")
        settings = PgTestServer::connInfo(noServer.path(), QStringLiteral("postgres"));

    try {
        PgConnection c(infoFrom(settings));
        QFAIL("connected");
    } catch (const EngineError &e) {
        for (const QString &w : words)
            QVERIFY2(e.message().contains(w), qPrintable(e.message()));
        checkPlainWords(e.message());
    }
    QCOMPARE(prompt.asked.size(), failure == u"typed" || failure == u"cancel" ? 1 : 0);
    QVERIFY(!PgPasswords::remembered(
        PgLogin {ServerName, m_db->host(), QStringLiteral("5432"), m_db->name(), role}));
}

void PgConnectionTest::aStoppedServerIsReportedAndTheNextActionReconnects()
{
    PgTestServer server;
    server.start();
    PgConnection c(infoFrom(PgTestServer::connInfo(server.host(), QStringLiteral("postgres"))));
    c.exec(QStringLiteral("CREATE TABLE kept (n int)"));
    c.exec(QStringLiteral("INSERT INTO kept VALUES (1)"));

    // Stopped under a connection that is in use: the command says so, the connection knows.
    server.stop();
    try {
        c.exec(QStringLiteral("SELECT n FROM kept"));
        QFAIL("the command ran without a server");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(u"was lost"), qPrintable(e.message()));
        checkPlainWords(e.message());
    }
    QVERIFY(c.isLost());
    QVERIFY_THROWS_EXCEPTION(EngineError, c.exec(QStringLiteral("SELECT 1")));
    try {
        c.ensureConnected();
        QFAIL("reconnected without a server");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(u"cannot be reached"), qPrintable(e.message()));
    }
    QVERIFY(c.isLost());

    server.start();
    c.ensureConnected();
    QVERIFY(!c.isLost());
    QCOMPARE(one(c, QStringLiteral("SELECT n FROM kept")), QStringLiteral("1"));
    QCOMPARE(c.statementTimeout(), QStringLiteral("1min")); // the session's settings again

    // Restarted while the connection was idle: the next action reconnects before its command.
    server.stop();
    server.start();
    c.ensureConnected();
    QCOMPARE(one(c, QStringLiteral("SELECT n FROM kept")), QStringLiteral("1"));
}

void PgConnectionTest::aCommandOverTheTimeLimitIsStoppedWithAClearMessage()
{
    PgConnectionInfo info = infoFrom(m_db->connInfo());
    info.setStatementTimeout(std::chrono::milliseconds(300));
    PgConnection c(info);
    try {
        c.exec(QStringLiteral("SELECT pg_sleep(10)"));
        QFAIL("not stopped");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(u"time limit (300ms)"), qPrintable(e.message()));
        checkPlainWords(e.message());
    }
    QCOMPARE(c.lastSqlState(), QStringLiteral("57014"));
    QVERIFY(!c.isLost());
    QCOMPARE(one(c, QStringLiteral("SELECT 1")), QStringLiteral("1"));
}

void PgConnectionTest::picturesRoundTripByteForByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every.append(char(b));
    QTest::newRow("every byte value") << every;
    QTest::newRow("5 MB") << randomBytes(5 * 1024 * 1024);
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("escape-looking text") << QByteArray("\\x41\\\\'\0'", 9);
}

void PgConnectionTest::picturesRoundTripByteForByte()
{
    QFETCH(QByteArray, bytes);
    PgConnection c(infoFrom(m_db->connInfo()));
    c.exec(QStringLiteral("CREATE TEMP TABLE pics (id int PRIMARY KEY, pic bytea)"));
    c.exec(QStringLiteral("INSERT INTO pics VALUES (1, $1)"), {bytes});
    c.prepare("put", QStringLiteral("INSERT INTO pics VALUES ($1, $2)"));
    c.execPrepared("put", {2, bytes});
    c.execPrepared("put", {3, QVariant()});

    // What the server holds is the bytes themselves, not some escaped text of them.
    const PgResult stored
        = c.exec(QStringLiteral("SELECT length(pic), md5(pic) FROM pics WHERE id < 3"));
    const QString md5
        = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(stored.int64(row, 0), bytes.size());
        QCOMPARE(stored.text(row, 1), md5);
    }
    c.prepare("get", QStringLiteral("SELECT pic FROM pics WHERE id = $1"));
    for (int id = 1; id <= 2; ++id) {
        const PgResult binary = c.execPrepared("get", {id}, PgResult::Format::Binary);
        QVERIFY(binary.bytes(0, 0) == bytes);
        const PgResult text = c.exec(QStringLiteral("SELECT pic FROM pics WHERE id = $1"), {id});
        QVERIFY(text.bytes(0, 0) == bytes);
        QVERIFY(!binary.isNull(0, 0));
    }
    QVERIFY(c.execPrepared("get", {3}, PgResult::Format::Binary).isNull(0, 0));
}

void PgConnectionTest::valuesNeverBecomeCommandText_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("quotes and a command")
        << "text" << QVariant("x'); DROP TABLE t; --") << "x'); DROP TABLE t; --";
    QTest::newRow("backslashes and dollar quotes")
        << "text" << QVariant("\\' $$ $a$ \\x00") << "\\' $$ $a$ \\x00";
    QTest::newRow("Chinese") << "varchar(10)" << QVariant("图片库") << "图片库";
    QTest::newRow("smallest bigint")
        << "bigint" << QVariant(std::numeric_limits<qint64>::min()) << "-9223372036854775808";
    QTest::newRow("double kept exactly") << "double precision" << QVariant(0.1) << "0.1";
    QTest::newRow("infinity") << "double precision"
                              << QVariant(std::numeric_limits<double>::infinity()) << "Infinity";
    QTest::newRow("boolean") << "boolean" << QVariant(true) << "true";
    QTest::newRow("date") << "date" << QVariant(QDate(2024, 2, 29)) << "2024-02-29";
    QTest::newRow("null") << "integer" << QVariant() << "(null)";
}

void PgConnectionTest::valuesNeverBecomeCommandText()
{
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, stored);
    PgConnection c(infoFrom(m_db->connInfo()));
    c.exec(QStringLiteral("CREATE TEMP TABLE t (v %1)").arg(type));
    c.exec(QStringLiteral("INSERT INTO t VALUES ($1)"), {value});
    QCOMPARE(one(c, QStringLiteral("SELECT coalesce(v::text, '(null)') FROM t")), stored);
    const PgResult found = c.exec(QStringLiteral("SELECT count(*) FROM t WHERE v = $1"), {value});
    QCOMPARE(found.int64(0, 0), value.isValid() ? 1 : 0);
}

void PgConnectionTest::oddNamesWorkAsSchemaTableAndField_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dot") << "a.b";
    QTest::newRow("quotes and spaces") << "x \"y\" z";
    QTest::newRow("single quote and semicolon") << "it's; DROP";
    QTest::newRow("upper case kept") << "Photos";
    QTest::newRow("Chinese and dollars") << "图片 $$$Backup";
}

void PgConnectionTest::oddNamesWorkAsSchemaTableAndField()
{
    QFETCH(QString, name);
    PgConnection c(infoFrom(m_db->connInfo()));
    const QString table = c.quoteQualified(name, name);
    const QString field = c.quoteIdentifier(name);
    c.exec(QStringLiteral("CREATE SCHEMA ") + c.quoteIdentifier(name));
    const auto drop = qScopeGuard(
        [&] { c.exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(c.quoteIdentifier(name))); });
    c.exec(QStringLiteral("CREATE TABLE %1 (%2 text)").arg(table, field));
    c.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ($1)").arg(table, field), {name});
    QCOMPARE(one(c, QStringLiteral("SELECT %2 FROM %1").arg(table, field)), name);
    // The catalogue holds the names exactly as given.
    const PgResult catalogue = c.exec(
        QStringLiteral("SELECT count(*) FROM pg_attribute a JOIN pg_class t ON t.oid = a.attrelid "
                       "JOIN pg_namespace s ON s.oid = t.relnamespace "
                       "WHERE s.nspname = $1 AND t.relname = $1 AND a.attname = $1"),
        {name});
    QCOMPARE(catalogue.int64(0, 0), 1);
}

TABVALE_TEST_MAIN(PgConnectionTest, QCoreApplication)
#include "tst_PgConnection.moc"
