// tabvale-bench-start: the program started on a table, as a user starts it: the time from launch
// until the main window's grid has painted its first rows, and the peak memory of the run until
// the whole record list has arrived, on the big table of three small columns against a
// 100-record table of the same shape. Each run is a process of its own that starts the main
// window as the program does (offscreen); the figure is the best of a few runs.
//
//   tabvale-bench-start [--data-dir DIR] [--big-records N] [--runs N]
//
// The big table is tabvale-bench-engine's (run that first, the same --data-dir); the small one is
// made beside it once.
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "bench/common/BenchMemory.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/grid/TableModel.h"
#include "engine/TTable.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <sqlite3.h>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// ---- The started program ------------------------------------------------------------------------

// Says "shown" once the grid has painted rows, then "done <peak kB> <rows>" once the whole list
// is there, the grid knows every record and has painted, and ends the program.
class Watcher : public QObject
{
public:
    explicit Watcher(TForm1 *form) : m_form(form)
    {
        form->DBGrid1->viewport()->installEventFilter(this);
        m_poll.setInterval(20);
        connect(&m_poll, &QTimer::timeout, this, [this] { finishWhenComplete(); });
        m_poll.start();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_shown
            && m_form->DBGrid1->model()->rowCount() > 0) {
            m_shown = true;
            // Said once this paint is done.
            QTimer::singleShot(0, this, [] { out() << "shown" << Qt::endl; });
        }
        return false;
    }

private:
    void finishWhenComplete()
    {
        if (!m_shown || !m_form->Table1->recordListComplete()
            || m_form->DBGrid1->tableModel()->recordRows() < m_form->Table1->loadedRecordCount())
            return;
        m_poll.stop();
        m_form->DBGrid1->grab();
        out() << "done " << peakResidentKb() << ' ' << m_form->DBGrid1->tableModel()->recordRows()
              << Qt::endl;
        QCoreApplication::quit();
    }

    TForm1 *m_form;
    QTimer m_poll;
    bool m_shown = false;
};

int runProgram(int argc, char **argv)
{
    // What main() does.
    TabvaleApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    WindowWiring::install();
    auto *mainWindow = new TForm1(true);
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    Watcher watcher(mainWindow);
    mainWindow->show();
    const int result = app.exec();
    delete mainWindow;
    return result;
}

// ---- The measurements ---------------------------------------------------------------------------

void makeSmallTable(const QString &path)
{
    if (QFile::exists(path))
        return;
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db,
        "CREATE TABLE \"Small columns\" (\"No\" INTEGER, \"Name\" VARCHAR(20), \"Amount\" MONEY);"
        "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100) "
        "INSERT INTO \"Small columns\" SELECT i, 'Name ' || i, (i % 100000) / 100.0 FROM c",
        nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct Run
{
    double shownMs = -1;
    qint64 peakKb = -1;
    int rows = 0;
};

Run startProgram(const QString &aliasFile)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TABVALE_ALIASES"), aliasFile);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Run run;
    QElapsedTimer timer;
    timer.start();
    program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
    while (program.waitForReadyRead(60000) || program.canReadLine()) {
        while (program.canReadLine()) {
            const QList<QByteArray> words = program.readLine().trimmed().split(' ');
            if (words.value(0) == "shown")
                run.shownMs = timer.nsecsElapsed() / 1e6;
            else if (words.value(0) == "done") {
                run.peakKb = words.value(1).toLongLong();
                run.rows = words.value(2).toInt();
            }
        }
        if (run.peakKb >= 0)
            break;
    }
    program.waitForFinished(60000);
    return run;
}

QString writeAliasFile(const QString &folder, const QString &name, const QString &database)
{
    const QString path = QStringLiteral("%1/start-%2.conf").arg(folder, name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(QStringLiteral("[Start]\nDriver=SQLITE\nPath=%1\n").arg(database).toUtf8());
    return path;
}

// The best start of a few: the machine is shared.
Run best(const QString &aliasFile, int runs)
{
    Run result;
    for (int i = 0; i < runs; ++i) {
        const Run run = startProgram(aliasFile);
        if (result.shownMs < 0 || (run.shownMs >= 0 && run.shownMs < result.shownMs))
            result.shownMs = run.shownMs;
        result.peakKb = std::max(result.peakKb, run.peakKb);
        result.rows = run.rows;
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--program") == 0)
            return runProgram(argc, argv);
    }
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the program's start on a big table against a small one."));
    parser.addHelpOption();
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where tabvale-bench-engine keeps its tables."), QStringLiteral("folder"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Tabvale/bench"));
    const QCommandLineOption bigOption(QStringLiteral("big-records"),
        QStringLiteral("Records of tabvale-bench-engine's table of three small columns."),
        QStringLiteral("n"), QStringLiteral("10000000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
        QStringLiteral("Starts of each table (the best counts)."), QStringLiteral("n"),
        QStringLiteral("5"));
    parser.addOptions({dataOption, bigOption, runsOption});
    parser.process(app);
    const QString folder = QDir(parser.value(dataOption)).absolutePath();
    const QString big
        = QStringLiteral("%1/small-columns-%2.sqlite").arg(folder, parser.value(bigOption));
    if (!QFile::exists(big)) {
        out() << "No " << big << ": run tabvale-bench-engine (with the same --data-dir) first.\n";
        return 1;
    }
    const QString small = folder + QStringLiteral("/small-columns-100.sqlite");
    makeSmallTable(small);
    const int runs = parser.value(runsOption).toInt();

    // A start first, so both are measured with the program's files in the page cache.
    startProgram(writeAliasFile(folder, QStringLiteral("small"), small));
    const Run smallRun = best(writeAliasFile(folder, QStringLiteral("small"), small), runs);
    const Run bigRun = best(writeAliasFile(folder, QStringLiteral("big"), big), runs);
    out() << "Program started on a table, offscreen; best of " << runs << " starts\n";
    for (const auto &[label, run] : {std::pair {QStringLiteral("100 records"), smallRun},
             std::pair {QStringLiteral("%1 records").arg(bigRun.rows), bigRun}}) {
        out() << QStringLiteral("  %1 first rows shown %2 ms, peak memory %3 MB\n")
                     .arg(label, -18)
                     .arg(run.shownMs, 7, 'f', 1)
                     .arg(run.peakKb / 1024.0, 6, 'f', 1);
    }
    out() << QStringLiteral("  big / small: first rows %1x (goal <= 1.5x), peak memory +%2 MB "
                            "(goal <= 60 MB)\n")
                 .arg(bigRun.shownMs / std::max(0.001, smallRun.shownMs), 0, 'f', 2)
                 .arg((bigRun.peakKb - smallRun.peakKb) / 1024.0, 0, 'f', 1);
    return 0;
}
