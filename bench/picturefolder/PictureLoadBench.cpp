// tabvale-bench-pictureload: 100 camera JPEGs loaded by name into a table of an alias that keeps
// picture files as they are, against copying the same files into a folder. Prints how much the
// database grew against the files' total size, and the load's time against the copy's, in a
// database with a write-ahead log (as Tabvale makes one for picture files) and one with a rollback
// journal (as most other programs do). In the first, the load ends when its log is synced; the
// log's copy into the database file, done on a worker after the load, is timed apart.
//
//   tabvale-bench-pictureload [--folder DIR] [--data-dir DIR] [--runs N]
//                             [--journal wal|rollback|both] [--wal-page-size BYTES]
//
// Without --folder it generates (once, under the cache or --data-dir) 100 camera-sized 4000 × 3000
// JPEGs with EXIF blocks. With --folder, the first 100 JPEG files of that folder are used.
//
// The load's commit is durable, so the fair copy is a durable one. Two are timed: each copy
// synced as soon as it is written (as a careful copying program does), and all copies written
// and then synced (durable once at the end, as a commit is). The unsynced copy, which only reaches
// the page cache, is printed for information.
#include "bench/common/SyntheticPhoto.h"
#include "engine/CheckpointDeferred.h"
#include "engine/Database.h"
#include "picture/JpegCodec.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/PictureLoad.h"
#include "tests/picture/samples/PictureSamples.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Photos = 100;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

double megabytes(qint64 bytes)
{
    return bytes / (1024.0 * 1024.0);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Ten distinct photos, each written ten times with another orientation tag, so every file differs.
QString generatedFolder(const QString &dataDir)
{
    const QString dir = dataDir + QStringLiteral("/photos");
    if (QFile::exists(dir + QStringLiteral("/.complete")))
        return dir;
    out() << "generating " << dir << " (once) ..." << Qt::endl;
    QDir().mkpath(dir);
    for (int k = 0; k < 10; ++k) {
        const QImage camera = syntheticPhoto(QSize(4000, 3000), k);
        const QByteArray plain = JpegCodec::encode(camera, 92);
        const QByteArray thumb = JpegCodec::encode(
            camera.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85);
        for (int i = k; i < Photos; i += 10)
            writeFile(QStringLiteral("%1/IMG_%2.jpg").arg(dir).arg(i, 4, 10, QLatin1Char('0')),
                PictureSamples::withExif(plain, 1 + i / 10 % 8, thumb));
    }
    writeFile(dir + QStringLiteral("/.complete"), "1");
    return dir;
}

QFileInfoList photosOf(const QString &folder)
{
    QFileInfoList files = QDir(folder).entryInfoList(
        {QStringLiteral("*.jpg"), QStringLiteral("*.JPG"), QStringLiteral("*.jpeg")}, QDir::Files,
        QDir::Name);
    if (files.size() > Photos)
        files.resize(Photos);
    return files;
}

qint64 totalSize(const QFileInfoList &files)
{
    qint64 total = 0;
    for (const QFileInfo &f : files)
        total += f.size();
    return total;
}

qint64 fileSize(const QString &path)
{
    return QFileInfo::exists(path) ? QFileInfo(path).size() : 0;
}

// A file-form alias over a new database with a table "Photos" (Name, Pic) naming every photo.
// wal: made as Tabvale makes one for picture files (64 KB pages); otherwise as most other programs
// make one (a rollback journal, SQLite's own page size).
int walPageSize = Database::PictureFilesPageSize; // --wal-page-size

QString makeDatabase(const QString &dir, const QFileInfoList &files, const QString &alias, bool wal)
{
    const QString path = QStringLiteral("%1/%2.sqlite").arg(dir, alias);
    if (wal) // as tabvale-aliases add --create makes one, unless --wal-page-size says otherwise
        Database::create(path, walPageSize);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "CREATE TABLE Photos (Name TEXT, Pic BLOB); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Photos (Name) VALUES (?)", -1, &insert, nullptr);
    for (const QFileInfo &f : files) {
        const QByteArray name = f.completeBaseName().toUtf8();
        sqlite3_bind_text(insert, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile aliases(qEnvironmentVariable("TABVALE_ALIASES"));
    if (!aliases.open(QIODevice::Append))
        qFatal("cannot write the alias file");
    aliases.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\nPictureForm=file\n\n")
                      .arg(alias, path)
                      .toUtf8());
    return path;
}

// How the copies are made durable, as the load's commit is.
enum class Sync {
    None, // reach the page cache only: for information
    EachFile, // each copy flushed to the disk before the next is made
    AtEnd, // all copies written, then each flushed: durable once at the end, as a commit is
};

// Reads each file and writes it anew into a new folder on the same disk.
double copyFiles(const QFileInfoList &files, const QString &to, Sync sync)
{
    QDir().mkpath(to);
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QFile>> copies;
    for (const QFileInfo &f : files) {
        QFile in(f.filePath());
        auto copy = std::make_unique<QFile>(to + u'/' + f.fileName());
        if (!in.open(QIODevice::ReadOnly)
            || !copy->open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot copy %s", qPrintable(f.filePath()));
        const QByteArray bytes = in.readAll();
        if (copy->write(bytes) != bytes.size() || !copy->flush())
            qFatal("cannot copy %s", qPrintable(f.filePath()));
        if (sync == Sync::EachFile)
            ::fsync(copy->handle());
        if (sync == Sync::AtEnd)
            copies.push_back(std::move(copy));
    }
    for (const auto &copy : copies)
        ::fsync(copy->handle());
    return seconds(timer);
}

struct LoadRun
{
    double seconds = 0;
    double checkpointSeconds = 0; // the log copied into the file on a worker, after the load
    qint64 walGrowth = 0; // right after the commit: database and its log
    qint64 fileGrowth = 0; // after the log is checkpointed into the database file
};

LoadRun loadFolder(
    const QString &dir, const QString &folder, const QFileInfoList &files, int run, bool wal)
{
    const QString alias = QStringLiteral("%1 %2").arg(wal ? "wal" : "rollback").arg(run);
    const QString path = makeDatabase(dir, files, alias, wal);
    const qint64 before = fileSize(path) + fileSize(path + QStringLiteral("-wal"));
    QElapsedTimer timer;
    timer.start();
    const PictureColumns columns = PictureColumns::resolve(alias, QStringLiteral("Photos"), QStringLiteral("Pic"), QStringLiteral("Name"));
    const LoadPlan plan = LoadPlan::make(columns, folder);
    const auto result = PictureLoad::apply(plan);
    LoadRun r;
    r.seconds = seconds(timer);
    if (!result || result->loaded != files.size())
        qFatal("the load did not load every photo (%d of %d)", result ? result->loaded : -1,
            int(files.size()));
    r.walGrowth = fileSize(path) + fileSize(path + QStringLiteral("-wal")) - before;
    CheckpointDeferred::waitForWorkers();
    r.checkpointSeconds = seconds(timer) - r.seconds;
    if (wal)
        columns.db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    r.fileGrowth = fileSize(path) + fileSize(path + QStringLiteral("-wal")) - before;
    QFile::remove(path); // its space comes back when the connection closes
    return r;
}

const char *const copyNames[] = {"copy", "copy synced by file", "copy synced at end"};

double minimum(const QList<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(u' ', 0, 2)
                                       : QStringLiteral("unknown");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the picture codecs
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption folderOption(QStringLiteral("folder"),
        QStringLiteral("A folder of camera JPEGs (the first 100 are used)."), QStringLiteral("dir"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where generated photos are kept."), QStringLiteral("dir"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/tabvale-bench-pictureload"));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
        QStringLiteral("Timed runs of each (each, the least and the median are printed)."), QStringLiteral("n"),
        QStringLiteral("3"));
    const QCommandLineOption journalOption(QStringLiteral("journal"),
        QStringLiteral("Which databases to load: wal, rollback or both."), QStringLiteral("mode"),
        QStringLiteral("both"));
    const QCommandLineOption walPageOption(QStringLiteral("wal-page-size"),
        QStringLiteral("The page size of the WAL database (bytes): 4096 for one made before picture "
                       "files had databases of their own."),
        QStringLiteral("bytes"), QString::number(Database::PictureFilesPageSize));
    parser.addOptions({folderOption, dataOption, runsOption, journalOption, walPageOption});
    parser.process(app);
    walPageSize = parser.value(walPageOption).toInt();

    const QString folder = parser.isSet(folderOption) ? parser.value(folderOption)
                                                      : generatedFolder(parser.value(dataOption));
    const QFileInfoList files = photosOf(folder);
    if (files.isEmpty())
        qFatal("no JPEG files in %s", qPrintable(folder));
    const qint64 total = totalSize(files);
    const int runs = std::max(1, parser.value(runsOption).toInt());

    QTemporaryDir work;
    qputenv("TABVALE_ALIASES", QFile::encodeName(work.filePath(QStringLiteral("aliases.conf"))));
    // A first read of every file, so each run finds them in the page cache alike.
    copyFiles(files, work.filePath(QStringLiteral("warm")), Sync::None);

    const QString journal = parser.value(journalOption);
    QList<bool> modes;
    if (journal != QLatin1String("rollback"))
        modes << true;
    if (journal != QLatin1String("wal"))
        modes << false;
    const Sync syncs[] = {Sync::None, Sync::EachFile, Sync::AtEnd};
    QList<double> copyTimes[3];
    QList<double> loadTimes[2];
    LoadRun last[2];
    out() << "load average before: " << loadAverage() << '\n';
    for (int run = 1; run <= runs; ++run) {
        out() << "run " << run << ':';
        for (int i = 0; i < 3; ++i) {
            const QString to = work.filePath(QStringLiteral("copy-%1-%2").arg(run).arg(i));
            copyTimes[i] << copyFiles(files, to, syncs[i]);
            QDir(to).removeRecursively();
            out() << QStringLiteral(" %1 %2 s,").arg(copyNames[i]).arg(copyTimes[i].last(), 0, 'f', 3);
        }
        for (bool wal : modes) {
            last[wal] = loadFolder(work.path(), folder, files, run, wal);
            loadTimes[wal] << last[wal].seconds;
            out() << QStringLiteral(" load (%1) %2 s,")
                         .arg(wal ? "wal" : "rollback")
                         .arg(last[wal].seconds, 0, 'f', 3);
        }
        out() << Qt::endl;
    }
    out() << "load average after: " << loadAverage() << '\n';

    out() << "== " << files.size() << " camera JPEGs loaded by name into a file-form table ("
          << runs << " runs: min / median) ==\n";
    out() << QStringLiteral("files in all:                  %1 MB\n").arg(megabytes(total), 0, 'f', 1);
    const char *copyLines[] = {"copying the files (unsynced):  ", "copying, each file synced:     ",
        "copying, all synced at the end:"};
    for (int i = 0; i < 3; ++i)
        out() << copyLines[i] << QStringLiteral(" %1 / %2 s\n")
                                     .arg(minimum(copyTimes[i]), 0, 'f', 3)
                                     .arg(median(copyTimes[i]), 0, 'f', 3);
    for (bool wal : modes) {
        const LoadRun &r = last[wal];
        out() << (wal ? QStringLiteral("-- a database as Tabvale makes one (write-ahead log, %1 KB pages)\n").arg(walPageSize / 1024)
                      : QStringLiteral("-- a database as most other programs make one (rollback journal)\n"));
        if (wal)
            out() << QStringLiteral("growth at commit, with log:    %1 MB (%2 % of the files)\n")
                         .arg(megabytes(r.walGrowth), 0, 'f', 1)
                         .arg(100.0 * (r.walGrowth - total) / total, 0, 'f', 2);
        out() << QStringLiteral("database growth:               %1 MB (%2 % of the files; goal ±2 %)\n")
                     .arg(megabytes(r.fileGrowth), 0, 'f', 1)
                     .arg(100.0 * (r.fileGrowth - total) / total, 0, 'f', 2);
        const double load = median(loadTimes[wal]);
        out() << QStringLiteral("the load (dry run included):   %1 / %2 s\n")
                     .arg(minimum(loadTimes[wal]), 0, 'f', 3)
                     .arg(load, 0, 'f', 3);
        out() << QStringLiteral("  medians: %1 × the unsynced copy, %2 × the copy synced file by "
                                "file, %3 × the copy synced at the end (goal ≤ 1.3 ×)\n")
                     .arg(load / median(copyTimes[0]), 0, 'f', 2)
                     .arg(load / median(copyTimes[1]), 0, 'f', 2)
                     .arg(load / median(copyTimes[2]), 0, 'f', 2);
        // Each run's load against the copies of the same run: steadier when the disk's speed drifts.
        QList<double> byFile, atEnd;
        for (qsizetype i = 0; i < loadTimes[wal].size(); ++i) {
            byFile << loadTimes[wal][i] / copyTimes[1][i];
            atEnd << loadTimes[wal][i] / copyTimes[2][i];
        }
        out() << QStringLiteral("  median of each run's ratios: %1 × the copy synced file by file, %2 × "
                                "the copy synced at the end\n")
                     .arg(median(byFile), 0, 'f', 2)
                     .arg(median(atEnd), 0, 'f', 2);
        if (wal)
            out() << QStringLiteral("after the load, a worker copies the log into the file: %1 s (last run)\n")
                         .arg(r.checkpointSeconds, 0, 'f', 3);
    }
    out().flush();
    return 0;
}
