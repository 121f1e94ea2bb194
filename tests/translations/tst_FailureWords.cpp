// The words that replace the libraries' own failures: every kind of code a user can meet gets a
// sentence of its own, and extended codes fall back to their family's.
#include "engine/PgFailure.h"
#include "engine/SqliteFailure.h"
#include "picture/JpegFailure.h"
#include "spreadsheet/OfficeFailure.h"

#include <QTest>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <sqlite3.h>

class FailureWordsTest : public QObject
{
    Q_OBJECT

private slots:
    void sqliteCodesSayWhyInWords_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("nothingChanged");
        QTest::newRow("full") << SQLITE_FULL << "the disk is full" << true;
        QTest::newRow("busy") << SQLITE_BUSY << "another program is using the database" << true;
        QTest::newRow("busy snapshot (extended)")
            << SQLITE_BUSY_SNAPSHOT << "another program is using the database" << true;
        QTest::newRow("locked") << SQLITE_LOCKED << "another program is using the database" << true;
        QTest::newRow("read-only") << SQLITE_READONLY << "can only be read" << true;
        QTest::newRow("read-only, moved file (extended)")
            << SQLITE_READONLY_DBMOVED << "can only be read" << true;
        QTest::newRow("unique") << SQLITE_CONSTRAINT_UNIQUE << "must be unique" << true;
        QTest::newRow("primary key") << SQLITE_CONSTRAINT_PRIMARYKEY << "must be unique" << true;
        QTest::newRow("not null") << SQLITE_CONSTRAINT_NOTNULL << "left empty" << true;
        QTest::newRow("foreign key") << SQLITE_CONSTRAINT_FOREIGNKEY << "another table" << true;
        QTest::newRow("check") << SQLITE_CONSTRAINT_CHECK << "a rule of the table" << true;
        QTest::newRow("trigger") << SQLITE_CONSTRAINT_TRIGGER << "rules of the database" << true;
        QTest::newRow("corrupt") << SQLITE_CORRUPT << "damaged" << false;
        QTest::newRow("not a database") << SQLITE_NOTADB << "not a database" << false;
        QTest::newRow("write error (extended)")
            << SQLITE_IOERR_WRITE << "could not be read or written" << false;
        QTest::newRow("cannot open") << SQLITE_CANTOPEN << "cannot be opened" << false;
        QTest::newRow("out of memory") << SQLITE_NOMEM << "not enough memory" << false;
        QTest::newRow("an unknown code") << 4242 << "could not carry out the command" << false;
    }

    void sqliteCodesSayWhyInWords()
    {
        QFETCH(int, code);
        QFETCH(QString, words);
        QFETCH(bool, nothingChanged);
        QVERIFY2(
            SqliteFailure::reason(code).contains(words), qPrintable(SqliteFailure::reason(code)));
        const QString message
            = SqliteFailure::message(QStringLiteral("emptying the table “Items”"), code);
        QVERIFY2(
            message.startsWith(QStringLiteral("Could not finish emptying the table “Items”: ")),
            qPrintable(message));
        QCOMPARE(message.contains(QLatin1String("Nothing was changed.")), nothingChanged);
    }

    void jpegCodesSayWhyInWords_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::newRow("no start marker") << int(JERR_NO_SOI) << "not a JPEG file";
        QTest::newRow("file ends") << int(JWRN_JPEG_EOF) << "ends before the picture does";
        QTest::newRow("input ends") << int(JERR_INPUT_EOF) << "ends before the picture does";
        QTest::newRow("bad Huffman code") << int(JWRN_HUFF_BAD_CODE) << "picture data is damaged";
        QTest::newRow("marker inside the data")
            << int(JWRN_HIT_MARKER) << "picture data is damaged";
        QTest::newRow("too big") << int(JERR_IMAGE_TOO_BIG) << "too large";
        QTest::newRow("no memory") << int(JERR_OUT_OF_MEMORY) << "not enough memory";
        QTest::newRow("unsupported frame") << int(JERR_SOF_UNSUPPORTED) << "not supported";
        QTest::newRow("a bad table (any other)") << int(JERR_BAD_DCT_COEF) << "the file is damaged";
    }

    void jpegCodesSayWhyInWords()
    {
        QFETCH(int, code);
        QFETCH(QString, words);
        QVERIFY2(JpegFailure::reason(code).contains(words), qPrintable(JpegFailure::reason(code)));
    }

    void officeErrorClassesSayWhyInWords_data()
    {
        QTest::addColumn<QString>("officeText");
        QTest::addColumn<QString>("errorClass");
        QTest::addColumn<QString>("words");
        QTest::newRow("a stale lock (abort)")
            << "SfxBaseModel::impl_store <file:///d/Zoo.xls> failed: 0x11b(Error Area:Io "
               "Class:Abort Code:27)"
            << "Abort"
            << "broke off the work";
        QTest::newRow("in use (locking)")
            << "impl_store failed: 0x1234(Error Area:Io Class:Locking Code:4)"
            << "Locking"
            << "another program is using the file";
        QTest::newRow("disk full (space)")
            << "impl_store failed: 0x1234(Error Area:Io Class:Space Code:4)"
            << "Space"
            << "the disk is full";
        QTest::newRow("no class named") << "something went wrong"
                                        << ""
                                        << "refused the call";
    }

    void officeErrorClassesSayWhyInWords()
    {
        QFETCH(QString, officeText);
        QFETCH(QString, errorClass);
        QFETCH(QString, words);
        QCOMPARE(OfficeFailure::errorClassIn(officeText), errorClass);
        const QString reason = OfficeFailure::reason(officeText);
        QVERIFY2(reason.contains(words), qPrintable(reason));
        QVERIFY2(
            !reason.contains(QLatin1String("0x")) && !reason.contains(QLatin1String("impl_store")),
            qPrintable(reason));
    }

    void serverStatesSayWhyInWords_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("words");
        QTest::newRow("unique") << "23505"
                                << "must be unique";
        QTest::newRow("not null") << "23502"
                                  << "left empty";
        QTest::newRow("foreign key") << "23503"
                                     << "another table";
        QTest::newRow("another integrity rule (class 23)") << "23P01"
                                                           << "rules of the database";
        QTest::newRow("a bad value (class 22)") << "22P02"
                                                << "does not suit its field";
        QTest::newRow("read-only transaction") << "25006"
                                               << "can only be read";
        QTest::newRow("deadlock (class 40)") << "40P01"
                                             << "try again";
        QTest::newRow("privilege") << "42501"
                                   << "may not do this";
        QTest::newRow("a missing column (class 42)") << "42703"
                                                     << "may have been changed";
        QTest::newRow("disk full") << "53100"
                                   << "disk is full";
        QTest::newRow("shutting down") << "57P01"
                                       << "shutting down";
        QTest::newRow("unknown") << "F0000"
                                 << "the server refused it";
    }

    void serverStatesSayWhyInWords()
    {
        QFETCH(QString, state);
        QFETCH(QString, words);
        const QString message = PgFailure::commandMessage(QStringLiteral("Shared"), state,
            QStringLiteral("ERROR:  relation \"x\" does not exist at character 15"),
            QStringLiteral("1min"));
        QVERIFY2(message.contains(words), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("“Shared”")), qPrintable(message));
        QVERIFY2(!message.contains(QLatin1String("relation")), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(FailureWordsTest)
#include "tst_FailureWords.moc"
