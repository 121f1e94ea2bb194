// Renaming tables and indexes inside the statements SQLite keeps, leaving the rest as written.
#include "engine/EngineError.h"
#include "engine/SchemaText.h"
#include "tests/support/TestEnvironment.h"

#include <QTest>

class SchemaTextTest : public QObject
{
    Q_OBJECT
private slots:
    void renameTableReplacesOnlyTheName_data();
    void renameTableReplacesOnlyTheName();
    void renameIndexReplacesTheIndexAndTableNames_data();
    void renameIndexReplacesTheIndexAndTableNames();
    void autoincrementIsAKeywordNotAName_data();
    void autoincrementIsAKeywordNotAName();
    void otherStatementsAreRefused();
};

void SchemaTextTest::renameTableReplacesOnlyTheName_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("body");
    QTest::newRow("bare name") << "CREATE TABLE t(a INT, b TEXT)"
                               << "(a INT, b TEXT)";
    QTest::newRow("quoted with doubled quotes") << "CREATE TABLE \"say \"\"hi\"\"\" (a)"
                                                << "(a)";
    QTest::newRow("brackets") << "CREATE TABLE [x y] ( a int )"
                              << "( a int )";
    QTest::newRow("backticks") << "CREATE TABLE `名称`(a)"
                               << "(a)";
    QTest::newRow("schema, IF NOT EXISTS, comments")
        << "create temp table if not exists /* c */ main.\"t\" -- x\n(a DEFAULT 't')"
        << "-- x\n(a DEFAULT 't')";
    QTest::newRow("dollars") << "CREATE TABLE $$$t (a)"
                             << "(a)";
}

void SchemaTextTest::renameTableReplacesOnlyTheName()
{
    QFETCH(QString, sql);
    QFETCH(QString, body);
    const QString renamed = SchemaText::renameTable(sql, QStringLiteral("$$$Backup \"2\""));
    QVERIFY2(renamed.contains(QStringLiteral("\"$$$Backup \"\"2\"\"\"")), qPrintable(renamed));
    QCOMPARE(SchemaText::tableBody(sql), body);
    QCOMPARE(SchemaText::tableBody(renamed), body);
}

void SchemaTextTest::renameIndexReplacesTheIndexAndTableNames_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "CREATE INDEX ix on t(a)"
                           << "CREATE INDEX \"new ix\" on \"new t\"(a)";
    QTest::newRow("unique, partial, quoted")
        << "CREATE UNIQUE INDEX \"by price\" ON \"Parts list\" (price DESC) WHERE price > 0"
        << "CREATE UNIQUE INDEX \"new ix\" ON \"new t\" (price DESC) WHERE price > 0";
    QTest::newRow("IF NOT EXISTS with a schema")
        << "CREATE INDEX IF NOT EXISTS main.[i] ON [t] (a COLLATE NOCASE)"
        << "CREATE INDEX IF NOT EXISTS \"new ix\" ON \"new t\" (a COLLATE NOCASE)";
}

void SchemaTextTest::renameIndexReplacesTheIndexAndTableNames()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(
        SchemaText::renameIndex(sql, QStringLiteral("new ix"), QStringLiteral("new t")), expected);
}

void SchemaTextTest::autoincrementIsAKeywordNotAName_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("autoincrement");
    QTest::newRow("declared") << "CREATE TABLE t (id INTEGER PRIMARY KEY AutoIncrement)" << true;
    QTest::newRow("none") << "CREATE TABLE t (id INTEGER PRIMARY KEY)" << false;
    QTest::newRow("only as a name")
        << "CREATE TABLE autoincrement (\"autoincrement\" INT)" << false;
    QTest::newRow("only in a comment or text")
        << "CREATE TABLE t (a DEFAULT 'AUTOINCREMENT' /* AUTOINCREMENT */)" << false;
}

void SchemaTextTest::autoincrementIsAKeywordNotAName()
{
    QFETCH(QString, sql);
    QFETCH(bool, autoincrement);
    QCOMPARE(SchemaText::hasAutoincrement(sql), autoincrement);
}

void SchemaTextTest::otherStatementsAreRefused()
{
    QVERIFY_THROWS_EXCEPTION(EngineError,
        SchemaText::renameTable(QStringLiteral("CREATE VIEW v AS SELECT 1"), QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(EngineError,
        SchemaText::renameIndex(
            QStringLiteral("CREATE INDEX ix"), QStringLiteral("a"), QStringLiteral("b")));
}

TABVALE_TEST_MAIN(SchemaTextTest, QCoreApplication)
#include "tst_SchemaText.moc"
