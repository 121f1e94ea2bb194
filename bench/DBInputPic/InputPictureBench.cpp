// tabvale-bench-inputpic: the picture input window's thumbnail runs, against what they cannot do
// without: the strip against raw libjpeg-turbo 1/8 decoding (one core, two cores, with and
// without embedded EXIF thumbnails), the column against reading and scaling every blob, the
// longest time the GUI thread is kept from its events during either run, the time to open the
// window on a table of 100,000 records, and resident memory; and a folder's second listing, read
// from the desktop's thumbnail cache, against its first.
//
//   tabvale-bench-inputpic [--folder DIR] [--records N] [--big-records N] [--data-dir DIR]
//                          [--column-rounds N] [--big-column-only]
//
// Without --folder it generates (once, under the cache or --data-dir) 200 camera-sized 4000 × 3000
// JPEGs, half with EXIF thumbnails, 20 HD JPEGs and 10 HD bitmaps; the tables likewise.
#include "DBInputPic/DirectoryListBox.h"
#include "DBInputPic/FileListBox.h"
#include "DBInputPic/TDataFieldPicThread.h"
#include "DBInputPic/TFDBInputPic.h"
#include "DBInputPic/TFileImgThread.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "bench/common/BenchMemory.h"
#include "bench/common/LatencyProbe.h"
#include "bench/common/ProcessCpu.h"
#include "bench/common/SyntheticPhoto.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "engine/FieldBytesReader.h"
#include "engine/TTable.h"
#include "picture/BmpCodec.h"
#include "picture/Exif.h"
#include "picture/JpegCodec.h"
#include "picture/StoredPicture.h"
#include "picture/Thumbnail.h"
#include "picture/ThumbnailCache.h"
#include "tests/picture/samples/PictureSamples.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <sqlite3.h>
#include <thread>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ---- Generated data ----------------------------------------------------------------------------

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void generateFolder(const QString &dir)
{
    if (QFile::exists(dir + QStringLiteral("/.complete")))
        return;
    out() << "generating " << dir << " (once) ..." << Qt::endl;
    QDir().mkpath(dir);
    constexpr int Distinct = 8;
    for (int k = 0; k < Distinct; ++k) {
        const QImage camera = syntheticPhoto(QSize(4000, 3000), k);
        const QByteArray plain = JpegCodec::encode(camera, 92);
        const QByteArray thumb = JpegCodec::encode(
            camera.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 85);
        const QByteArray withExif = PictureSamples::withExif(plain, 1, thumb);
        for (int i = k; i < 100; i += Distinct) {
            writeFile(
                QStringLiteral("%1/camera %2.jpg").arg(dir).arg(i, 3, 10, QLatin1Char('0')), plain);
            writeFile(QStringLiteral("%1/exif %2.jpg").arg(dir).arg(i, 3, 10, QLatin1Char('0')),
                withExif);
        }
    }
    const QImage hd = syntheticPhoto(QSize(1920, 1080), 99);
    const QByteArray hdJpeg = JpegCodec::encode(hd, 90);
    const QByteArray hdBmp = BmpCodec::encode(hd);
    for (int i = 0; i < 20; ++i)
        writeFile(QStringLiteral("%1/hd %2.jpg").arg(dir).arg(i, 2, 10, QLatin1Char('0')), hdJpeg);
    for (int i = 0; i < 10; ++i)
        writeFile(QStringLiteral("%1/hd %2.bmp").arg(dir).arg(i, 2, 10, QLatin1Char('0')), hdBmp);
    writeFile(dir + QStringLiteral("/.complete"), "1");
}

// A table "Photos" of `records` records whose pictures are the stored form of `picture`.
void generateTable(const QString &path, int records, const QImage &picture)
{
    if (QFile::exists(path + QStringLiteral(".complete")))
        return;
    out() << "generating " << path << " (" << records << " records, once) ..." << Qt::endl;
    QFile::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db,
        "PRAGMA journal_mode=WAL; CREATE TABLE Photos (No INTEGER, Name VARCHAR(20), Pic GRAPHIC);"
        "BEGIN",
        nullptr, nullptr, nullptr);
    const QByteArray value = StoredPicture::encode(picture, 17);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Photos VALUES (?, ?, ?)", -1, &insert, nullptr);
    for (int i = 0; i < records; ++i) {
        const QByteArray name = QByteArray("photo ") + QByteArray::number(i + 1);
        sqlite3_bind_int(insert, 1, i + 1);
        sqlite3_bind_text(insert, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 3, value.constData(), int(value.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    writeFile(path + QStringLiteral(".complete"), "1");
}

// ---- The references ----------------------------------------------------------------------------

struct RawError
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// libjpeg-turbo at 1/8, nothing else: the floor any strip thumbnail of a camera file stands on.
bool rawEighth(const QByteArray &bytes)
{
    jpeg_decompress_struct info;
    RawError error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<RawError *>(c->err)->jump, 1);
    };
    std::vector<unsigned char> pixels;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
        static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    pixels.resize(size_t(info.output_width) * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// ---- GUI latency -------------------------------------------------------------------------------

// Waits in the event loop as the program's own loop does: asleep between events. A wait that
// spins would take a core from the workers and be pre-empted itself, spoiling both figures.
void waitUntil(const std::function<bool()> &done)
{
    QTimer tick; // wakes the loop now and then for conditions no event announces
    tick.start(5);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// A strip run with a given number of decoders; returns its milliseconds and thumbnail count.
// Without a cache it measures decoding alone.
std::pair<double, int> stripRun(
    const QStringList &paths, int decoders, const ThumbnailCache &cache = ThumbnailCache(QString()))
{
    TFileImgThread worker(1, paths, decoders);
    worker.setThumbnailCache(cache);
    int thumbnails = 0;
    bool finished = false;
    QObject receiver;
    QObject::connect(
        &worker, &TFileImgThread::thumbnailReady, &receiver, [&](quint64, int, const QByteArray &) {
            ++thumbnails;
            worker.thumbnailTaken();
        });
    QObject::connect(
        &worker, &TFileImgThread::runFinished, &receiver, [&](quint64) { finished = true; });
    QElapsedTimer t;
    t.start();
    worker.start();
    waitUntil([&] { return finished; });
    return {ms(t), thumbnails};
}

QStringList filesMatching(const QString &dir, const QString &pattern)
{
    QStringList paths;
    for (const QString &name : QDir(dir).entryList({pattern}, QDir::Files, QDir::Name))
        paths << dir + u'/' + name;
    return paths;
}

void benchStrip(const QString &folder)
{
    QStringList plain = filesMatching(folder, QStringLiteral("camera *.jpg"));
    QStringList exif = filesMatching(folder, QStringLiteral("exif *.jpg"));
    if (plain.isEmpty()) // a folder of the user's: every JPEG counts as plain
        plain = filesMatching(folder, QStringLiteral("*.jpg"));
    for (const QString &p : plain + exif)
        readAll(p); // warm the page cache: the run and its reference read the same way

    out() << "\n== Strip (" << plain.size() << " JPEGs without EXIF thumbnails) ==\n";
    QElapsedTimer t;
    double rawMemory = 1e18;
    double rawWithRead = 1e18;
    for (int pass = 0; pass < 3; ++pass) {
        double memory = 0;
        double withRead = 0;
        for (const QString &p : std::as_const(plain)) {
            t.start();
            const QByteArray bytes = readAll(p);
            const double read = ms(t);
            t.start();
            rawEighth(bytes);
            memory += ms(t);
            withRead += ms(t) + read;
        }
        rawMemory = std::min(rawMemory, memory);
        rawWithRead = std::min(rawWithRead, withRead);
    }
    const double n = plain.size();
    double codec = 0;
    double thumbnail = 0;
    for (const QString &p : std::as_const(plain)) {
        const QByteArray bytes = readAll(p);
        t.start();
        JpegCodec::decode(bytes, Thumbnail::StripSize);
        codec += ms(t);
        t.start();
        Thumbnail::pack(Thumbnail::fromBytes(bytes));
        thumbnail += ms(t);
    }
    // The machine is shared: each figure is the best of a few runs.
    auto best = [](auto run) {
        auto result = run();
        for (int i = 0; i < 2; ++i)
            result = std::min(result, run());
        return result;
    };
    const auto one = best([&] { return stripRun(plain, 1); });
    const auto two = best([&] { return stripRun(plain, 2); });
    out() << QStringLiteral("raw libjpeg-turbo 1/8 from memory:   %1 ms/file\n")
                 .arg(rawMemory / n, 0, 'f', 2);
    out() << QStringLiteral("raw libjpeg-turbo 1/8 incl. read:    %1 ms/file\n")
                 .arg(rawWithRead / n, 0, 'f', 2);
    out() << QStringLiteral("JpegCodec::decode at strip size:     %1 ms/file\n")
                 .arg(codec / n, 0, 'f', 2);
    out() << QStringLiteral("thumbnail made and packed:           %1 ms/file\n")
                 .arg(thumbnail / n, 0, 'f', 2);
    out() << QStringLiteral("strip, one decoder:                  %1 ms/file, %2 files/s, %3 "
                            "thumbnails (%4x raw from memory; goal <= 1.25x)\n")
                 .arg(one.first / n, 0, 'f', 2)
                 .arg(n * 1000 / one.first, 0, 'f', 1)
                 .arg(one.second)
                 .arg(one.first / rawMemory, 0, 'f', 2);
    out() << QStringLiteral("strip, two decoders:                 %1 ms/file, %2 files/s (%3x "
                            "the one-decoder throughput; goal >= 1.8x)\n")
                 .arg(two.first / n, 0, 'f', 2)
                 .arg(n * 1000 / two.first, 0, 'f', 1)
                 .arg(one.first / two.first, 0, 'f', 2);
    if (exif.isEmpty())
        return;
    out() << "\n== Strip (" << exif.size() << " JPEGs with EXIF thumbnails) ==\n";
    double thumbsAlone = 0;
    for (const QString &p : std::as_const(exif)) {
        t.start();
        const Exif::Info info = Exif::read(readAll(p));
        JpegCodec::decodeAsStored(info.thumbnail);
        thumbsAlone += ms(t);
    }
    const double e = exif.size();
    const auto exifOne = stripRun(exif, 1);
    out() << QStringLiteral("reading + decoding the thumbnails:   %1 ms/file\n")
                 .arg(thumbsAlone / e, 0, 'f', 3);
    out() << QStringLiteral("strip, one decoder:                  %1 ms/file, %2 files/s (%3x "
                            "the thumbnails alone; goal <= 2x)\n")
                 .arg(exifOne.first / e, 0, 'f', 3)
                 .arg(e * 1000 / exifOne.first, 0, 'f', 1)
                 .arg(exifOne.first / thumbsAlone, 0, 'f', 2);
}

// The same folder listed twice through the desktop's thumbnail cache: the first listing decodes
// and fills the cache, the second reads it.
void benchCache(const QString &folder, const QString &cacheRoot)
{
    QStringList photos = filesMatching(folder, QStringLiteral("camera *.jpg"))
        + filesMatching(folder, QStringLiteral("exif *.jpg"));
    if (photos.isEmpty())
        photos = filesMatching(folder, QStringLiteral("*.jpg"));
    const int decoders = TFileImgThread::defaultDecoders();
    const ThumbnailCache cache(cacheRoot);
    out() << "\n== The desktop's thumbnail cache (" << photos.size() << " camera JPEGs, half with "
          << "EXIF thumbnails, " << decoders << " decoders) ==\n";
    // The machine is shared: the best of a few runs, each first listing on an empty cache.
    double alone = 1e18;
    double first = 1e18;
    double second = 1e18;
    int thumbnails[2] = {0, 0};
    for (int pass = 0; pass < 3; ++pass) {
        alone = std::min(alone, stripRun(photos, decoders).first);
        QDir(cacheRoot).removeRecursively();
        const auto cold = stripRun(photos, decoders, cache);
        const auto warm = stripRun(photos, decoders, cache);
        first = std::min(first, cold.first);
        second = std::min(second, warm.first);
        thumbnails[0] = cold.second;
        thumbnails[1] = warm.second;
    }
    const int cached
        = int(QDir(cacheRoot + QStringLiteral("/normal")).entryList(QDir::Files).size());
    out() << QStringLiteral("decoding alone, no cache:                 %1 ms\n")
                 .arg(alone, 0, 'f', 0);
    out() << QStringLiteral("first listing (decodes, fills the cache): %1 ms, %2 thumbnails, %3 "
                            "cached (%4x decoding alone)\n")
                 .arg(first, 0, 'f', 0)
                 .arg(thumbnails[0])
                 .arg(cached)
                 .arg(first / alone, 0, 'f', 2);
    out() << QStringLiteral("second listing (from the cache):          %1 ms, %2 thumbnails\n")
                 .arg(second, 0, 'f', 0)
                 .arg(thumbnails[1]);
    out() << QStringLiteral("second / first: %1 (goal <= 0.10)\n").arg(second / first, 0, 'f', 3);
}

// ---- The window --------------------------------------------------------------------------------

void writeAliases(const QString &file, const QList<QPair<QString, QString>> &aliases)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the alias file");
    for (const auto &a : aliases)
        f.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\n\n").arg(a.first, a.second).toUtf8());
}

void benchWindowStrip(TForm1 &main, const QString &folder, const char *listing)
{
    main.InputPicture1Click();
    TFDBInputPic *w = FDBInputPic.data();
    waitUntil([] { return !FieldThreadBusy; });
    w->DirectoryListBox1->setDirectory(folder);
    emit w->DirectoryListBox1->directoryChanged();
    LatencyProbe probe;
    probe.start();
    QElapsedTimer t;
    t.start();
    w->StartPicThread->click();
    waitUntil([] { return !FileThreadBusy; });
    const double total = ms(t);
    const double worst = probe.stop();
    out() << "\n== The window's strip, " << listing << " (" << w->FileListBox1->count()
          << " files: camera, EXIF, HD JPEG and bitmap) ==\n";
    out() << QStringLiteral("run: %1 ms, %2 thumbnails; longest GUI block %3 ms (goal <= 16)\n")
                 .arg(total, 0, 'f', 0)
                 .arg(w->FileThumbLast + 1)
                 .arg(worst, 0, 'f', 1);
    out() << QStringLiteral("resident memory at the end: %1 MB\n")
                 .arg(residentKb() / 1024.0, 0, 'f', 1);
    main.InputPicture1Click();
    QCoreApplication::processEvents();
}

struct ReferenceRun
{
    double ms = 0;
    double cpuMs = 0;
    qint64 valueBytes = 0;
};

// Reads every blob on one thread of its own and scales it, nothing else: what the column cannot
// do without.
ReferenceRun referenceRun(const QString &alias, const QString &dbPath)
{
    TTable table;
    table.setDatabaseName(alias);
    table.setTableName(QStringLiteral("Photos"));
    table.open();
    const std::vector<RecordKey> marks = table.bookmarks().toVector();
    ReferenceRun result;
    std::thread reader([&] {
        FieldBytesReader r(dbPath, QStringLiteral("Photos"), QStringLiteral("Pic"));
        for (qint64 mark : marks)
            result.valueBytes = r.read(mark)->size(); // warms the page cache
        QElapsedTimer inner;
        inner.start();
        const double cpuBefore = processCpuMs();
        for (qint64 mark : marks)
            Thumbnail::fromStoredValue(*r.read(mark));
        result.ms = ms(inner);
        result.cpuMs = processCpuMs() - cpuBefore;
    });
    reader.join();
    return result;
}

struct ColumnRun
{
    double openedMs = 0; // the window opened (its own GUI block)
    double openedCpuMs = 0;
    double ms = 0; // from the click to the column's last thumbnail
    double cpuMs = 0;
    double worstBlockMs = 0;
    int thumbnails = 0;
    double residentMb = 0; // with the column filled
};

ColumnRun columnRun(TForm1 &main, const QString &alias)
{
    main.CBDBase->setCurrentText(alias);
    ColumnRun result;
    LatencyProbe probe;
    QElapsedTimer t;
    t.start();
    const double cpuBefore = processCpuMs();
    main.InputPicture1Click();
    result.openedMs = ms(t);
    result.openedCpuMs = processCpuMs() - cpuBefore;
    probe.start(); // opening is a block of its own, reported apart
    waitUntil([] { return !FieldThreadBusy; });
    result.ms = ms(t);
    result.cpuMs = processCpuMs() - cpuBefore;
    result.worstBlockMs = probe.stop();
    result.thumbnails = FDBInputPic->FieldThumbLast + 1;
    result.residentMb = residentKb() / 1024.0;
    main.InputPicture1Click();
    QCoreApplication::processEvents();
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The column against its reference, in alternating rounds: the machine is shared, and a load
// that comes and goes would favour whichever of the two ran in a quiet moment.
void benchColumn(TForm1 &main, const QString &alias, const QString &dbPath, int records, int rounds)
{
    std::vector<double> wallRatios;
    std::vector<double> cpuRatios;
    std::vector<double> openedMs;
    std::vector<double> worstMs;
    qint64 valueBytes = 0;
    double residentMb = 0;
    out() << "\n== The window's column (" << records << " records) ==\n";
    for (int round = 1; round <= rounds; ++round) {
        const ReferenceRun alone = referenceRun(alias, dbPath);
        const ColumnRun run = columnRun(main, alias);
        valueBytes = alone.valueBytes;
        residentMb = std::max(residentMb, run.residentMb);
        wallRatios.push_back(run.ms / alone.ms);
        // The opening's CPU is left out: the worker starting meanwhile is counted in the run.
        cpuRatios.push_back((run.cpuMs - run.openedCpuMs) / std::max(1.0, alone.cpuMs));
        openedMs.push_back(run.openedMs);
        worstMs.push_back(run.worstBlockMs);
        out() << QStringLiteral("round %1: alone %2 ms (CPU %3 ms); run %4 ms incl. opening %5 ms, "
                                "%6 thumbnails: %7x (CPU after the opening %8x); longest GUI "
                                "block %9 ms\n")
                     .arg(round)
                     .arg(alone.ms, 0, 'f', 0)
                     .arg(alone.cpuMs, 0, 'f', 0)
                     .arg(run.ms, 0, 'f', 0)
                     .arg(run.openedMs, 0, 'f', 0)
                     .arg(run.thumbnails)
                     .arg(wallRatios.back(), 0, 'f', 2)
                     .arg(cpuRatios.back(), 0, 'f', 2)
                     .arg(run.worstBlockMs, 1, 'f', 1);
    }
    out() << QStringLiteral("pictures of %1 KB; column run / reading + scaling every blob alone: "
                            "median %2x, best %3x, worst %4x (goal <= 1.5x)\n")
                 .arg(valueBytes / 1024.0, 0, 'f', 1)
                 .arg(median(wallRatios), 0, 'f', 2)
                 .arg(*std::min_element(wallRatios.begin(), wallRatios.end()), 0, 'f', 2)
                 .arg(*std::max_element(wallRatios.begin(), wallRatios.end()), 0, 'f', 2);
    out() << QStringLiteral("CPU time, all threads, after the opening / alone: median %1x\n")
                 .arg(median(cpuRatios), 0, 'f', 2);
    out() << QStringLiteral("opening the window: median %1 ms; longest GUI block during a run: "
                            "median %2 ms (goal <= 16)\n")
                 .arg(median(openedMs), 0, 'f', 0)
                 .arg(median(worstMs), 0, 'f', 1);
    out() << QStringLiteral("resident memory with the column filled: at most %1 MB\n")
                 .arg(residentMb, 0, 'f', 1);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TabvaleApplication app(argc, argv);
    WindowWiring::install();
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption folderOption(
        QStringLiteral("folder"), QStringLiteral("A folder of pictures."), QStringLiteral("dir"));
    const QCommandLineOption recordsOption(QStringLiteral("records"),
        QStringLiteral("Records of the column table (10000)."), QStringLiteral("n"),
        QStringLiteral("10000"));
    const QCommandLineOption bigOption(QStringLiteral("big-records"),
        QStringLiteral("Records of the table the window opens on (100000)."), QStringLiteral("n"),
        QStringLiteral("100000"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where generated data is kept."), QStringLiteral("dir"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/tabvale-bench-inputpic"));
    const QCommandLineOption bigOnlyOption(QStringLiteral("big-column-only"),
        QStringLiteral("Only the column over the table the window opens on (for profiling)."));
    const QCommandLineOption roundsOption(QStringLiteral("column-rounds"),
        QStringLiteral("Rounds of each column against its reference (3)."), QStringLiteral("n"),
        QStringLiteral("3"));
    parser.addOptions(
        {folderOption, recordsOption, bigOption, dataOption, bigOnlyOption, roundsOption});
    parser.process(app);
    const QString data = parser.value(dataOption);
    QDir().mkpath(data);
    const int records = parser.value(recordsOption).toInt();
    const int bigRecords = parser.value(bigOption).toInt();
    QString folder = parser.value(folderOption);
    if (folder.isEmpty()) {
        folder = data + QStringLiteral("/pictures");
        generateFolder(folder);
    }
    // 200 × 200 pictures: 120 KB each in the stored form, what the copy gestures write.
    const QString columnDb = data + QStringLiteral("/column-%1.sqlite").arg(records);
    generateTable(columnDb, records, syntheticPhoto(QSize(200, 200), 5));
    const QString bigDb = data + QStringLiteral("/big-%1.sqlite").arg(bigRecords);
    generateTable(bigDb, bigRecords, syntheticPhoto(QSize(16, 16), 6));
    const QString aliasFile = data + QStringLiteral("/aliases.conf");
    writeAliases(aliasFile, {{QStringLiteral("Column"), columnDb}, {QStringLiteral("Big"), bigDb}});
    qputenv("TABVALE_ALIASES", aliasFile.toLocal8Bit());

    // The window uses the desktop's thumbnail cache: one of the bench's own, empty at the start.
    const QString xdgCache = data + QStringLiteral("/xdg-cache");
    QDir(xdgCache).removeRecursively();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(xdgCache));

    out() << "cores: " << QThread::idealThreadCount() << "\n";
    const bool bigOnly = parser.isSet(bigOnlyOption);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());
    if (!bigOnly) {
        benchStrip(folder);
        benchCache(folder, data + QStringLiteral("/thumbnail-cache"));
    }
    TForm1 main(true);
    main.show();
    if (!bigOnly) {
        benchWindowStrip(main, folder, "first listing");
        benchWindowStrip(main, folder, "second listing, from the cache");
        benchColumn(main, QStringLiteral("Column"), columnDb, records, rounds);
    }
    benchColumn(main, QStringLiteral("Big"), bigDb, bigRecords, rounds);
    out().flush();
    return 0;
}
