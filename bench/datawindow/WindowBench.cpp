// tabvale-bench-window: the main window on big tables, as a user meets it: from choosing the table
// to the first screen of the grid painted, and from "last record" to its screen painted. Uses the
// tables tabvale-bench-engine generates (run that first; the same --data-dir).
#include "app/TabvaleApplication.h"
#include "bench/common/BenchMemory.h"
#include "common/SharedState.h"
#include "controls/DBNavigator.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Paints the grid now, as the screen would, and returns the milliseconds it took.
double paint(TForm1 &form)
{
    QElapsedTimer timer;
    timer.start();
    const QImage shot = form.DBGrid1->grab().toImage();
    return shot.isNull() ? -1 : timer.nsecsElapsed() / 1e6;
}

void measure(TForm1 &form, const QString &alias, bool report)
{
    const QString table = Engine::tableNames(alias).value(0);
    // Start from another alias's table so the switch is a real open.
    const qint64 rssBefore = residentKb();
    QElapsedTimer timer;
    timer.start();
    form.CBDBase->setCurrentText(alias);
    const double openMs = timer.nsecsElapsed() / 1e6;
    const qint64 pagesBefore = Engine::database(alias)->pagesRead();
    const double firstPaintMs = paint(form);
    const qint64 pagesFirst = Engine::database(alias)->pagesRead() - pagesBefore;
    const qint64 rssAfter = residentKb();

    // The rowid list alone, for the ratio.
    TTable bare;
    bare.setDatabaseName(alias);
    bare.setTableName(table);
    timer.restart();
    bare.open();
    const double rowidMs = timer.nsecsElapsed() / 1e6;
    bare.close();

    timer.restart();
    form.DBNavigator1->click(DBNavigator::Last);
    const double lastMs = timer.nsecsElapsed() / 1e6 + paint(form);

    if (!report)
        return;
    out() << QStringLiteral("%1 (%2 records)\n").arg(table).arg(form.Table1->recordCount());
    out() << QStringLiteral("  choose table -> opened          %1 ms\n").arg(openMs, 9, 'f', 1);
    out()
        << QStringLiteral("  first screen painted           %1 ms\n").arg(firstPaintMs, 9, 'f', 1);
    out() << QStringLiteral("  open + first screen            %1 ms\n")
                 .arg(openMs + firstPaintMs, 9, 'f', 1);
    out() << QStringLiteral("  rowid list alone               %1 ms\n").arg(rowidMs, 9, 'f', 1);
    out() << QStringLiteral("  (open + first screen) / rowids %1\n")
                 .arg((openMs + firstPaintMs) / std::max(0.001, rowidMs), 9, 'f', 2);
    out() << QStringLiteral("  last record + its screen       %1 ms\n").arg(lastMs, 9, 'f', 1);
    out() << QStringLiteral("  file pages read to paint       %1\n").arg(pagesFirst, 9);
    out() << QStringLiteral("  resident after opening         %1 MB (+%2 MB)\n")
                 .arg(rssAfter / 1024.0, 9, 'f', 1)
                 .arg((rssAfter - rssBefore) / 1024.0, 0, 'f', 1);
    out() << Qt::flush;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TabvaleApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the main window on big tables."));
    parser.addHelpOption();
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where tabvale-bench-engine keeps its tables."), QStringLiteral("folder"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Tabvale/bench"));
    parser.addOption(dataOption);
    parser.process(app);
    const QString aliasFile
        = QDir(parser.value(dataOption)).filePath(QStringLiteral("aliases.conf"));
    if (!QFile::exists(aliasFile)) {
        out() << "No generated tables in " << parser.value(dataOption)
              << ": run tabvale-bench-engine (with the same --data-dir) first.\n";
        return 1;
    }
    qputenv("TABVALE_ALIASES", aliasFile.toLocal8Bit());

    TForm1 form(true);
    form.resize(1000, 700);
    form.show();
    const QStringList aliases = Engine::aliasNames();
    out() << "Main window, 1000 x 700, offscreen; each table measured warm (second pass)\n";
    for (const QString &alias : aliases) {
        // The first pass fills the page cache; the second is what is reported.
        for (bool report : {false, true}) {
            form.CBDBase->setCurrentText(
                aliases.value((aliases.indexOf(alias) + 1) % aliases.size()));
            measure(form, alias, report);
        }
    }
    return 0;
}
