// tabvale-bench-engine: how fast big tables open and show their first screen (against reading
// that screen's rows by rowid with bare SQLite), how long the rest of the record list takes to
// arrive in the background (against a bare scan of the rowids), the last screen, and what an open
// table costs in memory. Generated databases are kept in the data folder and reused.
#include "bench/common/BareSqlite.h"
#include "bench/common/BenchMemory.h"
#include "engine/Database.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "engine/Transaction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int ScreenRows = 40;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// Tells the kernel to forget the file's cached pages, so the next read comes from the disk.
void dropFromPageCache(const QString &path)
{
    for (const QString &p : {path, path + QStringLiteral("-wal")}) {
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

struct TableRecipe
{
    QString alias;
    QString file;
    QString table;
    QString create; // CREATE TABLE statement
    QString fill; // INSERT ... SELECT over c(i), 1..records
    qint64 records;
};

void generate(const TableRecipe &recipe, const QString &folder)
{
    const QString path = folder + QLatin1Char('/') + recipe.file;
    if (QFileInfo::exists(path))
        return;
    const QString building = path + QStringLiteral(".building");
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(building + suffix);
    out() << "Generating " << recipe.file << " (" << recipe.records << " records)... " << Qt::flush;
    QElapsedTimer timer;
    timer.start();
    Database::create(building);
    {
        const auto db = Database::open(building);
        db->exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        db->exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db->exec(recipe.create);
        constexpr qint64 Batch = 20000;
        for (qint64 from = 1; from <= recipe.records; from += Batch) {
            const qint64 to = std::min(recipe.records, from + Batch - 1);
            Transaction transaction(*db);
            db->exec(
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < %2) ")
                    .arg(from)
                    .arg(to)
                + recipe.fill);
            transaction.commit();
        }
        db->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    QFile::rename(building, path);
    out() << timer.elapsed() / 1000.0 << " s, " << QFileInfo(path).size() / (1024 * 1024)
          << " MB\n";
}

struct Figures
{
    double openMs = 0; // the first keys, read by the table itself
    double firstScreenMs = 0;
    double bareScreenMs = 0; // the same rows by rowid, bare SQLite
    double fullListMs = 0; // from open until the loader has brought the whole list
    double bareRowidsMs = 0; // SELECT rowid over the whole table, bare SQLite
    double lastWhileLoadingMs = 0; // last() and its screen right after opening
    double lastScreenMs = 0; // last() and its screen once the list is complete
    qint64 rssBeforeKb = 0;
    qint64 rssOpenKb = 0;
    qint64 rssCompleteKb = 0;
    size_t listBytes = 0;
    int records = 0;
};

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

double fetchScreen(TTable &t, int firstRow)
{
    QElapsedTimer timer;
    timer.start();
    int characters = 0;
    for (int row = firstRow; row < std::min(firstRow + ScreenRows, t.loadedRecordCount()); ++row) {
        for (int f = 0; f < t.fieldCount(); ++f)
            characters += int(t.displayTextAt(row, f).size());
    }
    const double elapsed = ms(timer);
    if (characters == 0)
        out() << "(the screen was empty)\n";
    return elapsed;
}

// Waits asleep in the event loop, as the program does, until the table's list is complete.
void waitForList(TTable &t)
{
    QTimer tick;
    tick.start(5);
    while (!t.recordListComplete())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

Figures measure(const TableRecipe &recipe, const QString &path)
{
    Figures f;
    f.rssBeforeKb = residentKb();
    {
        TTable t;
        t.setDatabaseName(recipe.alias);
        t.setTableName(recipe.table);
        QElapsedTimer timer;
        timer.start();
        t.open();
        f.openMs = ms(timer);
        f.firstScreenMs = fetchScreen(t, 0);
        f.rssOpenKb = residentKb();
        waitForList(t);
        f.fullListMs = ms(timer);
        f.records = t.recordCount();
        f.rssCompleteKb = residentKb();
        f.listBytes = t.bookmarks().bytes();
        timer.restart();
        t.last();
        f.lastScreenMs = ms(timer) + fetchScreen(t, std::max(0, t.recordCount() - ScreenRows));
        QStringList columns;
        for (int i = 0; i < t.fieldCount(); ++i) {
            const TField *field = t.field(i);
            const QString name = Database::quote(field->fieldName());
            columns << (fieldClassOf(field->dataType()) == FieldClass::Ordinary
                    ? name
                    : QStringLiteral("typeof(%1)").arg(name));
        }
        f.bareScreenMs = BareSqlite::screenMs(path, recipe.table, columns, ScreenRows);
    }
    {
        TTable t;
        t.setDatabaseName(recipe.alias);
        t.setTableName(recipe.table);
        QElapsedTimer timer;
        timer.start();
        t.open();
        t.last();
        f.lastWhileLoadingMs
            = ms(timer) + fetchScreen(t, std::max(0, t.recordCount() - ScreenRows));
    }
    f.bareRowidsMs = BareSqlite::rowidsMs(path, recipe.table);
    return f;
}

void report(const TableRecipe &recipe, const QString &label, const Figures &f)
{
    auto line = [](const QString &what, double value, const QString &unit = QStringLiteral("ms")) {
        out() << QStringLiteral("  %1 %2 %3\n").arg(what, -36).arg(value, 9, 'f', 1).arg(unit);
    };
    out() << QStringLiteral("%1 %2, %3 records\n").arg(recipe.table, label).arg(f.records);
    line(QStringLiteral("open (first keys)"), f.openMs);
    line(QStringLiteral("first screen (40 rows)"), f.firstScreenMs);
    line(QStringLiteral("open + first screen"), f.openMs + f.firstScreenMs);
    out() << QStringLiteral("  %1 %2 ms\n")
                 .arg(QStringLiteral("the screen's rows by rowid, bare"), -36)
                 .arg(f.bareScreenMs, 9, 'f', 3);
    out() << QStringLiteral("  %1 %2x (goal: at most 50 ms)\n")
                 .arg(QStringLiteral("(open + first screen) / bare rows"), -36)
                 .arg((f.openMs + f.firstScreenMs) / std::max(0.001, f.bareScreenMs), 9, 'f', 1);
    line(QStringLiteral("whole list loaded, from open"), f.fullListMs);
    line(QStringLiteral("all rowids, bare scan"), f.bareRowidsMs);
    out() << QStringLiteral("  %1 %2x\n")
                 .arg(QStringLiteral("whole list / bare scan"), -36)
                 .arg(f.fullListMs / std::max(0.001, f.bareRowidsMs), 9, 'f', 2);
    line(QStringLiteral("last + its screen, at once after open"), f.lastWhileLoadingMs);
    line(QStringLiteral("last + its screen, list complete"), f.lastScreenMs);
    line(QStringLiteral("resident growth after opening"), (f.rssOpenKb - f.rssBeforeKb) / 1024.0,
        QStringLiteral("MB"));
    line(QStringLiteral("resident growth, list complete"),
        (f.rssCompleteKb - f.rssBeforeKb) / 1024.0, QStringLiteral("MB"));
    line(QStringLiteral("the record list itself"), f.listBytes / 1024.0, QStringLiteral("KB"));
    out() << Qt::flush;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times opening big tables through the engine."));
    parser.addHelpOption();
    const QCommandLineOption recordsOption(QStringLiteral("records"),
        QStringLiteral("Records of the table with ordinary fields, a memo and a small picture."),
        QStringLiteral("n"), QStringLiteral("1000000"));
    const QCommandLineOption bigRecordsOption(QStringLiteral("big-records"),
        QStringLiteral("Records of the table of three small columns (0: none)."),
        QStringLiteral("n"), QStringLiteral("10000000"));
    const QCommandLineOption smallPictureOption(QStringLiteral("small-picture-bytes"),
        QStringLiteral("Picture size in that table."), QStringLiteral("bytes"),
        QStringLiteral("1024"));
    const QCommandLineOption pictureRecordsOption(QStringLiteral("picture-records"),
        QStringLiteral("Records of the two tables with big pictures."), QStringLiteral("n"),
        QStringLiteral("10000"));
    const QCommandLineOption pictureKbOption(QStringLiteral("picture-kb"),
        QStringLiteral("Picture size in the big-picture tables."), QStringLiteral("kb"),
        QStringLiteral("120"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where generated databases are kept and reused."), QStringLiteral("folder"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Tabvale/bench"));
    const QCommandLineOption coldOption(QStringLiteral("cold"),
        QStringLiteral("Also measure with the files dropped from the page cache first."));
    parser.addOptions({recordsOption, bigRecordsOption, smallPictureOption, pictureRecordsOption,
        pictureKbOption, dataOption, coldOption});
    parser.process(app);

    const qint64 records = parser.value(recordsOption).toLongLong();
    const qint64 bigRecords = parser.value(bigRecordsOption).toLongLong();
    const qint64 smallPicture = parser.value(smallPictureOption).toLongLong();
    const qint64 pictureRecords = parser.value(pictureRecordsOption).toLongLong();
    const qint64 pictureBytes = parser.value(pictureKbOption).toLongLong() * 1024;
    const QString folder = QDir(parser.value(dataOption)).absolutePath();
    QDir().mkpath(folder);

    const QString ordinaryFill = QStringLiteral(
        "'Name ' || i || ' 名称', (i % 100000) / 100.0, date('2000-01-01', '+' || (i % 9000) || ' "
        "days'), "
        "i % 2, i / 7.0, 'Memo text of record ' || i || ', 备注 ' || hex(randomblob(30))");
    QList<TableRecipe> recipes = {
        {QStringLiteral("Bench million"),
            QStringLiteral("million-%1-%2.sqlite").arg(records).arg(smallPicture),
            QStringLiteral("Million"),
            QStringLiteral(
                "CREATE TABLE \"Million\" (\"No\" INTEGER, \"Name\" VARCHAR(40), \"Amount\" MONEY, "
                "\"Born\" DATE, \"Flag\" BOOLEAN, \"Ratio\" FLOAT, \"Notes\" MEMO, \"Picture\" "
                "GRAPHIC)"),
            QStringLiteral("INSERT INTO \"Million\" SELECT i, %1, randomblob(%2) FROM c")
                .arg(ordinaryFill)
                .arg(smallPicture),
            records},
        {QStringLiteral("Bench pictures last"),
            QStringLiteral("pictures-last-%1-%2.sqlite").arg(pictureRecords).arg(pictureBytes),
            QStringLiteral("Pictures last"),
            QStringLiteral("CREATE TABLE \"Pictures last\" (\"No\" INTEGER, \"Name\" VARCHAR(40), "
                           "\"Amount\" MONEY, "
                           "\"Born\" DATE, \"Picture\" GRAPHIC)"),
            QStringLiteral(
                "INSERT INTO \"Pictures last\" SELECT i, 'Name ' || i, i / 100.0, "
                "date('2000-01-01', '+' || (i % 9000) || ' days'), randomblob(%1) FROM c")
                .arg(pictureBytes),
            pictureRecords},
        {QStringLiteral("Bench pictures first"),
            QStringLiteral("pictures-first-%1-%2.sqlite").arg(pictureRecords).arg(pictureBytes),
            QStringLiteral("Pictures first"),
            QStringLiteral("CREATE TABLE \"Pictures first\" (\"Picture\" GRAPHIC, \"No\" INTEGER, "
                           "\"Name\" VARCHAR(40), "
                           "\"Amount\" MONEY, \"Born\" DATE)"),
            QStringLiteral(
                "INSERT INTO \"Pictures first\" SELECT randomblob(%1), i, 'Name ' || i, i / 100.0, "
                "date('2000-01-01', '+' || (i % 9000) || ' days') FROM c")
                .arg(pictureBytes),
            pictureRecords},
    };

    if (bigRecords > 0) {
        recipes.insert(1,
            {QStringLiteral("Bench ten million"),
                QStringLiteral("small-columns-%1.sqlite").arg(bigRecords),
                QStringLiteral("Small columns"),
                QStringLiteral("CREATE TABLE \"Small columns\" (\"No\" INTEGER, \"Name\" "
                               "VARCHAR(20), \"Amount\" MONEY)"),
                QStringLiteral("INSERT INTO \"Small columns\" SELECT i, 'Name ' || i, "
                               "(i % 100000) / 100.0 FROM c"),
                bigRecords});
    }

    // The bench's own alias file: nothing of the user's is touched.
    const QString aliasFile = folder + QStringLiteral("/aliases.conf");
    QString aliases;
    for (const TableRecipe &s : recipes) {
        generate(s, folder);
        aliases += QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2/%3\n").arg(s.alias, folder, s.file);
    }
    QFile file(aliasFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(aliases.toUtf8()) < 0)
        return 1;
    file.close();
    qputenv("TABVALE_ALIASES", aliasFile.toLocal8Bit());

    out() << "\nFigures (" << ScreenRows
          << " rows a screen; \"warm\" = file in the OS page cache)\n";
    for (const TableRecipe &s : recipes) {
        const QString path = folder + QLatin1Char('/') + s.file;
        measure(s, path); // the first pass fills the page cache
        report(s, QStringLiteral("warm"), measure(s, path));
        if (parser.isSet(coldOption)) {
            dropFromPageCache(path);
            report(s, QStringLiteral("cold"), measure(s, path));
        }
    }
    out() << QStringLiteral("peak resident memory of the bench: %1 MB\n")
                 .arg(peakResidentKb() / 1024.0, 0, 'f', 1);
    return 0;
}
