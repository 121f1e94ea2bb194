// tabvale-bench-window: the main window on big tables, as a user meets it: from choosing the table
// to the first screen of the grid painted (against reading that screen's rows by rowid with bare
// SQLite), the rest of the record list arriving while the window is in use (the longest time the
// window's thread is kept from its events meanwhile), "last record" at once and once the list is
// complete, and memory. Uses the tables tabvale-bench-engine generates (run that first; the same
// --data-dir).
#include "app/TabvaleApplication.h"
#include "bench/common/BareSqlite.h"
#include "bench/common/BenchMemory.h"
#include "bench/common/LatencyProbe.h"
#include "common/SharedState.h"
#include "controls/DBNavigator.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "datawindow/grid/TableModel.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Paints the grid now, as the screen would, and returns the milliseconds it took.
double paint(TForm1 &form)
{
    QElapsedTimer timer;
    timer.start();
    const QImage shot = form.DBGrid1->grab().toImage();
    return shot.isNull() ? -1 : ms(timer);
}

// Waits asleep in the event loop, as the program does, until the window's list is complete and
// the grid knows every record.
void waitForList(TForm1 &form)
{
    QTimer tick;
    tick.start(5);
    while (!form.Table1->recordListComplete()
        || form.DBGrid1->tableModel()->recordRows() < form.Table1->loadedRecordCount())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// The table's columns as the grid reads them: memo and picture-like ones by type only.
QStringList gridColumns(TTable &t)
{
    QStringList columns;
    for (int i = 0; i < t.fieldCount(); ++i) {
        const TField *field = t.field(i);
        const QString name = Database::quote(field->fieldName());
        columns << (fieldClassOf(field->dataType()) == FieldClass::Ordinary
                ? name
                : QStringLiteral("typeof(%1)").arg(name));
    }
    return columns;
}

void chooseAnother(TForm1 &form, const QStringList &aliases, const QString &alias)
{
    form.CBDBase->setCurrentText(aliases.value((aliases.indexOf(alias) + 1) % aliases.size()));
}

void measure(TForm1 &form, const QStringList &aliases, const QString &alias, bool report)
{
    const QString table = Engine::tableNames(alias).value(0);
    // Start from another alias's table so the switch is a real open.
    chooseAnother(form, aliases, alias);
    const qint64 rssBefore = residentKb();
    LatencyProbe probe;
    QElapsedTimer timer;
    timer.start();
    form.CBDBase->setCurrentText(alias);
    const double openMs = ms(timer);
    const qint64 pagesBefore = Engine::database(alias)->pagesRead();
    const double firstPaintMs = paint(form);
    const qint64 pagesFirst = Engine::database(alias)->pagesRead() - pagesBefore;
    const int rowsAtFirst = form.DBGrid1->tableModel()->recordRows();
    const qint64 rssOpen = residentKb();
    probe.start();
    waitForList(form);
    const double fullMs = ms(timer);
    const double worstBlock = probe.stop();
    paint(form);
    const qint64 rssComplete = residentKb();
    const int rows = form.DBGrid1->tableModel()->recordRows();
    const int windowRows = form.DBGrid1->model()->rowCount();
    const double bareMs = BareSqlite::screenMs(Engine::database(alias)->path(), table,
        gridColumns(*form.Table1), form.DBGrid1->rowAt(form.DBGrid1->viewport()->height()) + 1);

    timer.restart();
    form.DBNavigator1->click(DBNavigator::Last);
    const double lastMs = ms(timer) + paint(form);

    // "Last record" pressed at once after choosing the table: it waits for the list.
    chooseAnother(form, aliases, alias);
    form.CBDBase->setCurrentText(alias);
    paint(form);
    timer.restart();
    form.DBNavigator1->click(DBNavigator::Last);
    const double lastAtOnceMs = ms(timer) + paint(form);
    waitForList(form);

    if (!report)
        return;
    auto line = [](const QString &what, double value, const QString &unit = QStringLiteral("ms")) {
        out() << QStringLiteral("  %1 %2 %3\n").arg(what, -38).arg(value, 9, 'f', 2).arg(unit);
    };
    out() << QStringLiteral("%1 (%2 records)\n").arg(table).arg(form.Table1->recordCount());
    line(QStringLiteral("choose table -> opened"), openMs);
    line(QStringLiteral("first screen painted"), firstPaintMs);
    line(QStringLiteral("open + first screen"), openMs + firstPaintMs);
    line(QStringLiteral("the screen's rows by rowid, bare"), bareMs);
    out() << QStringLiteral("  %1 %2x (goal: at most 50 ms)\n")
                 .arg(QStringLiteral("(open + first screen) / bare rows"), -38)
                 .arg((openMs + firstPaintMs) / std::max(0.001, bareMs), 9, 'f', 1);
    out() << QStringLiteral("  %1 %2 then %3 (%4 rows in the model)\n")
                 .arg(QStringLiteral("grid records at first paint, complete"), -38)
                 .arg(rowsAtFirst, 9)
                 .arg(rows)
                 .arg(windowRows);
    line(QStringLiteral("whole list in the grid, from choosing"), fullMs);
    line(QStringLiteral("longest GUI block meanwhile (goal 16)"), worstBlock);
    line(QStringLiteral("last record + its screen, list complete"), lastMs);
    line(QStringLiteral("last record + its screen, at once"), lastAtOnceMs);
    out() << QStringLiteral("  %1 %2\n")
                 .arg(QStringLiteral("file pages read to paint"), -38)
                 .arg(pagesFirst, 9);
    line(QStringLiteral("resident growth after opening"), (rssOpen - rssBefore) / 1024.0,
        QStringLiteral("MB"));
    line(QStringLiteral("resident growth, list complete"), (rssComplete - rssBefore) / 1024.0,
        QStringLiteral("MB"));
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
        for (bool report : {false, true})
            measure(form, aliases, alias, report);
    }
    out() << QStringLiteral("peak resident memory: %1 MB\n")
                 .arg(peakResidentKb() / 1024.0, 0, 'f', 1);
    return 0;
}
