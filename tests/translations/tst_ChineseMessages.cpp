// The messages a user meets, with the Chinese catalogue installed as the program installs it: a
// full disk and a locked database during 清空数据表 say so in Chinese, without a statement, and
// leave the table as it was. The command-line tools pick their language by the locale.
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"
#include "tests/engine/ScratchDatabase.h"
#include "tests/support/TestEnvironment.h"
#include "translations/MessageLanguage.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// The message 清空数据表 ends with; empty when it succeeded.
QString emptyingFails(TTable &table)
{
    try {
        TableMaintenance::emptyWithBackup(table);
    } catch (const EngineError &e) {
        return e.message();
    }
    return {};
}

void checkNoStatement(const QString &message)
{
    for (const char *word : {"INSERT", "SELECT", "DELETE", "Backup", "sqlite", "SQLITE"})
        QVERIFY2(!message.contains(QLatin1String(word)), qPrintable(message));
}

} // namespace

class ChineseMessagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(MessageLanguage::installChinese(*QCoreApplication::instance())); }

    void aFullDiskWhileEmptyingSaysSoAndThatNothingChanged()
    {
        ScratchDatabase db;
        db.makeNumbers(400);
        db.exec(QStringLiteral("VACUUM")); // no free pages: the backup needs new ones
        auto table = openTable(db.alias(), QStringLiteral("t"));
        const auto connection = Engine::database(db.alias());
        const qint64 pages = db.query(QStringLiteral("PRAGMA page_count")).toLongLong();
        connection->exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 1));

        const QString message = emptyingFails(*table);
        QVERIFY2(message.contains(QStringLiteral("清空数据表“t”")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("磁盘已满")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("未做任何更改")), qPrintable(message));
        checkNoStatement(message);
        QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 400);
        QCOMPARE(table->recordCount(), 400);
    }

    void aDatabaseLockedByAnotherProgramSaysSo()
    {
        ScratchDatabase db;
        db.makeNumbers(20);
        auto table = openTable(db.alias(), QStringLiteral("t"));
        db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        const QString message = emptyingFails(*table);
        db.exec(QStringLiteral("ROLLBACK"));
        QVERIFY2(
            message.contains(QStringLiteral("另一个程序正在使用该数据库")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("未做任何更改")), qPrintable(message));
        checkNoStatement(message);
        QCOMPARE(db.query(QStringLiteral("SELECT count(*) FROM t")).toInt(), 20);
    }

    void toolsSpeakChineseForAChineseOrUnnamedLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("zh_CN") << "zh_CN.UTF-8" << true;
        QTest::newRow("zh_TW") << "zh_TW.UTF-8" << true;
        QTest::newRow("C") << "C" << true;
        QTest::newRow("POSIX") << "POSIX" << true;
        QTest::newRow("en_US") << "en_US.UTF-8" << false;
        QTest::newRow("de_DE") << "de_DE.UTF-8" << false;
    }

    void toolsSpeakChineseForAChineseOrUnnamedLocale()
    {
        QFETCH(QString, locale);
        QFETCH(bool, chinese);
        QCOMPARE(MessageLanguage::speaksChinese(QLocale(locale)), chinese);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TABVALE_ALIASES"), dir.filePath(QStringLiteral("aliases.conf")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
        env.insert(QStringLiteral("LC_ALL"), locale);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(TABVALE_ALIASES_TOOL),
            {QStringLiteral("add"), QStringLiteral("New"),
                dir.filePath(QStringLiteral("none.sqlite"))});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        const QString output = QString::fromUtf8(tool.readAllStandardError());
        const QString expected
            = chinese ? QStringLiteral("不存在") : QStringLiteral("does not exist");
        QVERIFY2(output.contains(expected), qPrintable(output));
    }
};

TABVALE_TEST_MAIN(ChineseMessagesTest, QCoreApplication)
#include "tst_ChineseMessages.moc"
