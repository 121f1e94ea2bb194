// tabvale-bench-engine: how fast big tables open and show their first and last screens, and how
// much memory an open table takes. Generated databases are kept in the data folder and reused.
#include "bench/common/BenchMemory.h"
#include "engine/Database.h"
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
    double openMs = 0;
    double firstScreenMs = 0;
    double lastScreenMs = 0;
    qint64 rssBeforeKb = 0;
    qint64 rssAfterKb = 0;
    int records = 0;
};

double fetchScreen(TTable &t, int firstRow)
{
    QElapsedTimer timer;
    timer.start();
    int characters = 0;
    for (int row = firstRow; row < std::min(firstRow + ScreenRows, t.recordCount()); ++row) {
        for (int f = 0; f < t.fieldCount(); ++f)
            characters += int(t.displayTextAt(row, f).size());
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    if (characters == 0)
        out() << "(the screen was empty)\n";
    return ms;
}

Figures measure(const TableRecipe &recipe)
{
    Figures f;
    f.rssBeforeKb = residentKb();
    TTable t;
    t.setDatabaseName(recipe.alias);
    t.setTableName(recipe.table);
    QElapsedTimer timer;
    timer.start();
    t.open();
    f.openMs = timer.nsecsElapsed() / 1e6;
    f.records = t.recordCount();
    f.firstScreenMs = fetchScreen(t, 0);
    f.rssAfterKb = residentKb();
    timer.restart();
    t.last();
    f.lastScreenMs
        = timer.nsecsElapsed() / 1e6 + fetchScreen(t, std::max(0, t.recordCount() - ScreenRows));
    return f;
}

void report(const TableRecipe &recipe, const QString &label, const Figures &f)
{
    out() << QStringLiteral("%1 %2\n").arg(recipe.table, -15).arg(label);
    out() << QStringLiteral("  records %1\n").arg(f.records);
    out() << QStringLiteral("  open (rowid list)            %1 ms\n").arg(f.openMs, 9, 'f', 1);
    out()
        << QStringLiteral("  first screen (40 rows)       %1 ms\n").arg(f.firstScreenMs, 9, 'f', 1);
    out() << QStringLiteral("  open + first screen          %1 ms\n")
                 .arg(f.openMs + f.firstScreenMs, 9, 'f', 1);
    out()
        << QStringLiteral("  last record + its screen     %1 ms\n").arg(f.lastScreenMs, 9, 'f', 1);
    out() << QStringLiteral("  first screen / rowid list    %1\n")
                 .arg(f.firstScreenMs / std::max(0.001, f.openMs), 9, 'f', 3);
    out() << QStringLiteral("  resident after opening       %1 MB (+%2 MB)\n")
                 .arg(f.rssAfterKb / 1024.0, 9, 'f', 1)
                 .arg((f.rssAfterKb - f.rssBeforeKb) / 1024.0, 0, 'f', 1);
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
    parser.addOptions({recordsOption, smallPictureOption, pictureRecordsOption, pictureKbOption,
        dataOption, coldOption});
    parser.process(app);

    const qint64 records = parser.value(recordsOption).toLongLong();
    const qint64 smallPicture = parser.value(smallPictureOption).toLongLong();
    const qint64 pictureRecords = parser.value(pictureRecordsOption).toLongLong();
    const qint64 pictureBytes = parser.value(pictureKbOption).toLongLong() * 1024;
    const QString folder = QDir(parser.value(dataOption)).absolutePath();
    QDir().mkpath(folder);

    const QString ordinaryFill = QStringLiteral(
        "'Name ' || i || ' 名称', (i % 100000) / 100.0, date('2000-01-01', '+' || (i % 9000) || ' "
        "days'), "
        "i % 2, i / 7.0, 'Memo text of record ' || i || ', 备注 ' || hex(randomblob(30))");
    const QList<TableRecipe> recipes = {
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
        measure(s); // the first pass fills the page cache
        report(s, QStringLiteral("warm"), measure(s));
        if (parser.isSet(coldOption)) {
            dropFromPageCache(folder + QLatin1Char('/') + s.file);
            report(s, QStringLiteral("cold"), measure(s));
        }
    }
    return 0;
}
