#include "spreadsheet/CalcSession.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbooks.h"
#include "tests/spreadsheet/CalcTestOffice.h"
#include "tests/support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

bool processAlive(pid_t pid)
{
    return pid > 0 && ::kill(pid, 0) == 0;
}

// Ends an office a connection started, should the test fail before it is quit.
struct GroupGuard
{
    pid_t pid = 0;
    ~GroupGuard()
    {
        if (pid > 0)
            ::kill(-pid, SIGKILL);
    }
};

} // namespace

// Attaching, starting, losing and getting back the office.
class CalcConnectionTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void attachesToARunningOfficeAndQuitLeavesItsOtherDocumentsAlone()
    {
        CalcTestOffice office(m_dir.filePath(QStringLiteral("running")));
        office.start();
        TExcelApplication user; // stands for the user's own work in that office
        TExcelApplication tabvale;
        auto userBook = user.Application().workbooks()->add();
        userBook->saveAs(m_dir.filePath(QStringLiteral("users.ods")));
        tabvale.Application().workbooks()->add()->saveAs(
            m_dir.filePath(QStringLiteral("ours.xls")));
        QCOMPARE(tabvale.Application().workbooks()->count(), 2); // user's and ours

        tabvale.Application().quit();
        QVERIFY(office.running());
        QCOMPARE(user.Application().workbooks()->count(), 1);
        QCOMPARE(user.Application().workbooks()->item(1)->name(), QStringLiteral("users.ods"));
        // The object connects again on its next call.
        QCOMPARE(tabvale.Application().workbooks()->count(), 1);
    }

    void startsItsOwnOfficeWhenNoneListensAndEndsItOnQuit()
    {
        SpreadsheetOptions options;
        options.pipeName = QStringLiteral("tabvale-test-own-%1").arg(::getpid());
        options.profileDirectory = m_dir.filePath(QStringLiteral("own"));
        options.headless = true;
        TExcelApplication excel(options);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(excel.Application().workbooks()->count(), 0);
        qInfo("started and connected in %lld ms", timer.elapsed());
        auto *session = dynamic_cast<CalcSession *>(&excel.Application());
        QVERIFY(session);
        GroupGuard guard {session->officeProcessId()};
        QVERIFY(processAlive(guard.pid));

        excel.Application().workbooks()->add();
        excel.Application().quit();
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(guard.pid), 10000);
        guard.pid = 0;
    }

    void aMissingProgramIsReportedNotWaitedFor()
    {
        SpreadsheetOptions options;
        options.pipeName = QStringLiteral("tabvale-test-none-%1").arg(::getpid());
        options.officeProgram = m_dir.filePath(QStringLiteral("no-such-office"));
        options.headless = true;
        TExcelApplication excel(options);
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, excel.Application().workbooks()->count());
        QVERIFY(timer.elapsed() < 5000);
    }

    void aKilledOfficeGivesTheSpreadsheetErrorAndALaterCallReconnects()
    {
        CalcTestOffice office(m_dir.filePath(QStringLiteral("killed")));
        office.start();
        TExcelApplication excel;
        auto book = excel.Application().workbooks()->add();
        office.kill();
        try {
            book->sheets()->count();
            QFAIL("a call to a killed office went through");
        } catch (const SpreadsheetError &e) {
            QVERIFY2(e.message().contains(QLatin1String("gone away")), qPrintable(e.message()));
        }
        office.start();
        QCOMPARE(excel.Application().workbooks()->count(), 0);
        excel.Application().workbooks()->add();
        QCOMPARE(excel.Application().workbooks()->count(), 1);
        // Objects of the old office stay dead.
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, book->name());
    }

    void anOfficeThatWentAwayIsNotReplacedBehindTheUsersBack()
    {
        CalcTestOffice office(m_dir.filePath(QStringLiteral("gone")));
        office.start();
        TExcelApplication excel;
        excel.Application().workbooks()->add();
        office.kill();
        QElapsedTimer timer;
        timer.start();
        for (int call = 0; call < 2; ++call) {
            try {
                excel.Application().workbooks()->count();
                QFAIL("a call to a killed office went through");
            } catch (const SpreadsheetError &e) {
                QCOMPARE(e.kind(), SpreadsheetError::Kind::Gone);
            }
        }
        // Quitting what is gone ends nothing and starts nothing.
        excel.Application().quit();
        auto *session = dynamic_cast<CalcSession *>(&excel.Application());
        QCOMPARE(session->officeProcessId(), pid_t(0));
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(!QFileInfo::exists(
            QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(office.options().pipeName)));
    }

    void aHungOfficeIsReportedWithinTheWatchdogTimeAndReachedAgainOnceAwake()
    {
        CalcTestOffice office(m_dir.filePath(QStringLiteral("hung")));
        office.start();
        SpreadsheetOptions options = office.options();
        // Long enough that a loaded machine (a sanitizer build, parallel tests) answers the calls
        // before the pause in time; the upper bounds below only tell a bounded wait from a hang.
        options.callTimeoutMs = 5000;
        TExcelApplication excel(options);
        auto book = excel.Application().workbooks()->add();
        // A second connection object shares the link and holds a workbook through it too.
        TExcelApplication other(options);
        auto othersBook = other.Application().workbooks()->item(1);
        office.pause();
        QElapsedTimer timer;
        timer.start();
        try {
            book->sheets()->add();
            QFAIL("a call to a stopped office returned");
        } catch (const SpreadsheetError &e) {
            QCOMPARE(e.message(), QStringLiteral("the spreadsheet application does not answer"));
        }
        QVERIFY2(timer.elapsed() >= 4900 && timer.elapsed() < 20000,
            qPrintable(QString::number(timer.elapsed())));
        // Still stopped: reconnecting is caught by the watchdog too.
        timer.restart();
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, excel.Application().workbooks()->count());
        QVERIFY(timer.elapsed() < 20000);
        // Woken up, the office is reached again, while the handle from before the hang is still
        // held (and, with its link gone, stays dead); its workbook is listed anew.
        office.resume();
        QCOMPARE(excel.Application().workbooks()->count(), 1);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, book->name());
        QCOMPARE(excel.Application().workbooks()->item(1)->sheets()->count(), 1);
        QCOMPARE(other.Application().workbooks()->count(), 1);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, othersBook->name());
    }
};

TABVALE_TEST_MAIN(CalcConnectionTest, QGuiApplication)
#include "tst_calcconnection.moc"
