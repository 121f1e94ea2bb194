// How a record's name becomes a file name, and a file's name a record's.
#include "picturefolder/FileNameRule.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>

class FileNameRuleTest : public QObject
{
    Q_OBJECT

private slots:
    void namesAreMadeSafeForEveryCommonFileSystem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("a plain name stays") << "Davolio" << "Davolio";
        QTest::newRow("unsafe characters become _")
            << "a/b\\c:d*e?f\"g<h>i|j" << "a_b_c_d_e_f_g_h_i_j";
        QTest::newRow("control characters become _") << "tab\there\nnew\x7f" << "tab_here_new_";
        QTest::newRow("spaces at the ends and dots at the end go") << "  name. . " << "name";
        QTest::newRow("a dot at the start is no hidden file") << ".profile" << "_profile";
        QTest::newRow("dots alone leave nothing") << ".." << "";
        QTest::newRow("spaces alone leave nothing") << "   " << "";
        QTest::newRow("a reserved device name") << "con" << "con_";
        QTest::newRow("a reserved device name before a dot") << "LPT1.backup" << "LPT1_.backup";
        QTest::newRow("COM10 is no device") << "COM10" << "COM10";
        QTest::newRow("Console is no device") << "Console" << "Console";
        QTest::newRow("decomposed letters are composed") << QStringLiteral("Cafe\u0301")
                                                         << QStringLiteral("Caf\u00e9");
        QTest::newRow("Chinese stays") << QStringLiteral("张三") << QStringLiteral("张三");
    }

    void namesAreMadeSafeForEveryCommonFileSystem()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(FileNameRule::safeBase(name), safe);
        // Safe names stay as they are: a file's name and its record's name meet.
        QCOMPARE(FileNameRule::safeBase(safe), safe);
    }

    void aLongNameIsCutBetweenWholeCharacters()
    {
        // q with a tilde has no composed form: two code points, three bytes, one character.
        const QString qTilde = QStringLiteral("q\u0303");
        const QString safe = FileNameRule::safeBase(qTilde.repeated(100) + QStringLiteral("end"));
        QCOMPARE(safe, qTilde.repeated(FileNameRule::MaxBaseBytes / 3));
        QVERIFY(safe.toUtf8().size() <= FileNameRule::MaxBaseBytes);
        // With a number and the longest extension the name fits the file system.
        QVERIFY(FileNameRule::numbered(safe, 99999).toUtf8().size() + 5 <= 255);
    }

    void bytesThatAreNoUtf8BecomeUnderscores_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8 stays") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9");
        QTest::newRow("a Latin-1 letter") << QByteArray("caf\xe9") << "caf_";
        QTest::newRow("two stray bytes") << QByteArray("a\xff\xfe" "b") << "a__b";
        QTest::newRow("a NUL") << QByteArray("a\0b", 3) << "a_b";
    }

    void bytesThatAreNoUtf8BecomeUnderscores()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(FileNameRule::fromBytes(bytes), text);
        // A sequence cut off at the end is no UTF-8 either, and leaves no replacement mark.
        const QString cut = FileNameRule::fromBytes(bytes + "\xe2\x82");
        QVERIFY(cut.startsWith(text + u'_'));
        QVERIFY(!cut.contains(QChar::ReplacementCharacter));
    }

    void namesThatDifferInLetterCaseClash()
    {
        QCOMPARE(FileNameRule::clashKey(QStringLiteral("Photo")),
            FileNameRule::clashKey(QStringLiteral("PHOTO")));
        QCOMPARE(FileNameRule::clashKey(QStringLiteral("Caf\u00e9")),
            FileNameRule::clashKey(QStringLiteral("CAFE\u0301")));
        QVERIFY(FileNameRule::clashKey(QStringLiteral("Photo")) != FileNameRule::clashKey("Photos"));
    }
};

TABVALE_TEST_MAIN(FileNameRuleTest, QCoreApplication)
#include "tst_FileNameRule.moc"
