// tabvale-bench-pgsql: reading a PostgreSQL server's tables over its Unix socket. 10,000 bytea
// values of 120 KB each are read back as a bare binary SELECT (libpq alone, one row at a time off
// the wire), in windows of keys, one by one by key through PgConnection, record by record through
// a table object of a server alias (what the windows do), by a worker's reader reading ahead as
// the picture input window's column does, and, for comparison, in text form.
// Then a table of --records records is opened through a table object: its first screen and its
// whole record list against a bare query of its key list, keyed by a whole number and by two
// fields. Starts a throwaway server of its own
// unless --host names the socket folder of a running one (user tabvale, trusted).
#include "bench/common/BenchMemory.h"
#include "engine/AliasRegistry.h"
#include "engine/FieldBytesReader.h"
#include "engine/PgConnection.h"
#include "engine/TField.h"
#include "engine/TTable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <libpq-fe.h>
#include <stdexcept>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

void runScript(const QString &command, const QString &folder)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(TABVALE_PG_SERVER_SCRIPT), {command, folder});
    if (!script.waitForFinished(120000) || script.exitCode() != 0)
        throw std::runtime_error("pg-server.sh failed: " + script.readAll().toStdString());
}

struct Figures
{
    double seconds = 0;
    qint64 bytes = 0;
    int values = 0;
};

void print(const char *what, const Figures &f)
{
    out() << qSetFieldWidth(44) << Qt::left << what << qSetFieldWidth(0) << Qt::right
          << QString::number(f.seconds, 'f', 3) << " s  "
          << QString::number(f.bytes / f.seconds / 1e6, 'f', 0) << " MB/s  "
          << QString::number(f.seconds * 1e6 / f.values, 'f', 1) << " µs/value  (" << f.values
          << " values, " << f.bytes / (1024 * 1024) << " MB)\n"
          << Qt::flush;
}

// The best of a few runs: the server's and the kernel's caches are warm after the first.
template<typename Read>
Figures best(int runs, Read read)
{
    Figures fastest;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        Figures f = read();
        f.seconds = clock.nsecsElapsed() / 1e9;
        if (i == 0 || f.seconds < fastest.seconds)
            fastest = f;
    }
    return fastest;
}

void fill(PgConnection &c, int values, int size)
{
    c.exec(QStringLiteral("DROP TABLE IF EXISTS pics"));
    c.exec(QStringLiteral("CREATE TABLE pics (id integer PRIMARY KEY, pic bytea)"));
    c.prepare("put", QStringLiteral("INSERT INTO pics VALUES ($1, $2)"));
    QByteArray picture(size, Qt::Uninitialized);
    QRandomGenerator generator(1);
    QElapsedTimer clock;
    clock.start();
    c.exec(QStringLiteral("BEGIN"));
    for (int id = 1; id <= values; ++id) {
        // Incompressible, as JPEG files are: the server stores them as they come.
        generator.fillRange(reinterpret_cast<quint32 *>(picture.data()), size / 4);
        c.execPrepared("put", {id, picture});
    }
    c.exec(QStringLiteral("COMMIT"));
    c.exec(QStringLiteral("VACUUM ANALYZE pics"));
    Figures f;
    f.seconds = clock.nsecsElapsed() / 1e9;
    f.bytes = qint64(values) * size;
    f.values = values;
    print("insert (binary parameters, one transaction)", f);
}

// The bare read: one SELECT, binary results, each row handed over as it arrives.
Figures bareSelect(pg_conn *conn, int format)
{
    Figures f;
    if (!PQsendQueryParams(
            conn, "SELECT pic FROM pics ORDER BY id", 0, nullptr, nullptr, nullptr, nullptr, format)
        || !PQsetSingleRowMode(conn))
        throw std::runtime_error(PQerrorMessage(conn));
    while (PGresult *r = PQgetResult(conn)) {
        if (PQresultStatus(r) == PGRES_SINGLE_TUPLE) {
            if (format == 1) {
                f.bytes += PQgetlength(r, 0, 0);
            } else {
                size_t length = 0;
                unsigned char *raw = PQunescapeBytea(
                    reinterpret_cast<const unsigned char *>(PQgetvalue(r, 0, 0)), &length);
                f.bytes += qint64(length);
                PQfreemem(raw);
            }
            ++f.values;
        } else if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            throw std::runtime_error(PQresultErrorMessage(r));
        }
        PQclear(r);
    }
    return f;
}

Figures windows(PgConnection &c, int values, int window)
{
    if (!c.isPrepared("window"))
        c.prepare("window",
            QStringLiteral("SELECT pic FROM pics WHERE id BETWEEN $1 AND $2 ORDER BY id"));
    Figures f;
    for (int first = 1; first <= values; first += window) {
        const PgResult r
            = c.execPrepared("window", {first, first + window - 1}, PgResult::Format::Binary);
        for (int row = 0; row < r.rowCount(); ++row)
            f.bytes += r.bytes(row, 0).size();
        f.values += r.rowCount();
    }
    return f;
}

Figures oneByOne(PgConnection &c, int values)
{
    if (!c.isPrepared("one"))
        c.prepare("one", QStringLiteral("SELECT pic FROM pics WHERE id = $1"));
    Figures f;
    for (int id = 1; id <= values; ++id) {
        f.bytes += c.execPrepared("one", {id}, PgResult::Format::Binary).bytes(0, 0).size();
        ++f.values;
    }
    return f;
}

// Record by record through a table object, as the picture panel and the input window's column
// read them: the current record's picture, then the next record.
Figures throughTable(int values)
{
    TTable t;
    t.setDatabaseName(QStringLiteral("Bench"));
    t.setTableName(QStringLiteral("pics"));
    t.open();
    TField *pic = t.fieldByName(QStringLiteral("pic"));
    Figures f;
    for (int i = 0; i < values && !t.eof(); ++i) {
        f.bytes += pic->asBytes().size();
        ++f.values;
        t.next();
    }
    return f;
}

// The picture input window's column: a worker's reader on a connection of its own, told which
// records come next, ReadAhead at a time, as the column's worker tells it.
Figures throughColumnReader(const RecordList &keys)
{
    constexpr int ReadAhead = 32;
    FieldBytesReader reader(RecordSource {QString(), QStringLiteral("Bench"), {}},
        QStringLiteral("pics"), QStringLiteral("pic"));
    Figures f;
    for (int i = 0; i < keys.count(); ++i) {
        if (i % ReadAhead == 0) {
            std::vector<qint64> next;
            for (int k = i; k < std::min(i + ReadAhead, keys.count()); ++k)
                next.push_back(keys.keyAt(k));
            reader.readAhead(next);
        }
        f.bytes += reader.read(keys.keyAt(i)).value_or(QByteArray()).size();
        ++f.values;
    }
    return f;
}

double seconds(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e9;
}

// The table "big" of records records: key is its key's columns and primary key, keyValues
// their values for record i, order the key's columns in order.
void openBigTable(PgConnection &c, int records, int runs, const QString &key,
    const QString &keyValues, const QString &order)
{
    c.exec(QStringLiteral("DROP TABLE IF EXISTS big"));
    c.exec(QStringLiteral("CREATE TABLE big (%1, name text, n integer, pic bytea)").arg(key));
    c.exec(QStringLiteral("INSERT INTO big SELECT %1, 'record ' || i, i * 7, NULL "
                          "FROM generate_series(1, $1::int) AS i")
               .arg(keyValues),
        {records});
    c.exec(QStringLiteral("VACUUM ANALYZE big"));
    double bare = 0;
    double firstScreen = 0;
    double whole = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const PgResult keys = c.exec(QStringLiteral("SELECT %1 FROM big ORDER BY %1").arg(order));
        const double b = seconds(clock);
        if (keys.rowCount() != records)
            throw std::runtime_error("the key list is incomplete");
        clock.restart();
        TTable t;
        t.setDatabaseName(QStringLiteral("Bench"));
        t.setTableName(QStringLiteral("big"));
        t.open();
        for (int row = 0; row < 40; ++row) // a screen of the grid
            for (int field = 0; field < t.fieldCount(); ++field)
                t.displayTextAt(row, field);
        const double first = seconds(clock);
        t.waitForRecordList();
        const double all = seconds(clock);
        if (t.recordCount() != records)
            throw std::runtime_error("the table's record list is incomplete");
        if (run == 0 || b < bare)
            bare = b;
        if (run == 0 || first < firstScreen)
            firstScreen = first;
        if (run == 0 || all < whole)
            whole = all;
    }
    out() << records << " records keyed by " << order << ", best of " << runs << " runs:\n"
          << "  bare query of the key list         " << QString::number(bare * 1000, 'f', 1) << " ms\n"
          << "  opened, first screen shown          " << QString::number(firstScreen * 1000, 'f', 1)
          << " ms  (" << QString::number(firstScreen / bare, 'f', 3) << " x the key list; goal 1.3)\n"
          << "  opened, whole record list read      " << QString::number(whole * 1000, 'f', 1)
          << " ms  (" << QString::number(whole / bare, 'f', 3) << " x the key list)\n"
          << Qt::flush;
    c.exec(QStringLiteral("DROP TABLE big"));
}

void addAlias(const QString &host, const QTemporaryDir &folder)
{
    const QString file = folder.filePath(QStringLiteral("aliases.conf"));
    qputenv("TABVALE_ALIASES", file.toLocal8Bit());
    QFile(file).open(QIODevice::WriteOnly); // an empty alias file: no sample database made
    Alias a;
    a.name = QStringLiteral("Bench");
    a.driver = QStringLiteral("PGSQL");
    a.connInfo = QStringLiteral("host='%1' port=5432 user=tabvale dbname=postgres").arg(host);
    AliasRegistry::add(a);
}

int run(const QCommandLineParser &options)
{
    const int values = options.value(QStringLiteral("values")).toInt();
    const int size = options.value(QStringLiteral("kb")).toInt() * 1024;
    const int runs = std::max(1, options.value(QStringLiteral("runs")).toInt());
    QTemporaryDir folder;
    QString host = options.value(QStringLiteral("host"));
    const bool own = host.isEmpty();
    if (own) {
        host = folder.path();
        out() << "Starting a throwaway server in " << host << "\n" << Qt::flush;
        runScript(QStringLiteral("start"), host);
    }
    try {
        PgConnection c(PgConnectionInfo::fromString(
            QStringLiteral("host='%1' port=5432 user=tabvale dbname=postgres").arg(host),
            QStringLiteral("bench")));
        out() << values << " values of " << size / 1024 << " KB, best of " << runs << " runs\n";
        fill(c, values, size);
        const qint64 before = residentKb();
        print("bare binary SELECT (libpq, row by row)",
            best(runs, [&] { return bareSelect(c.handle(), 1); }));
        print("bare text SELECT (hex, unescaped)",
            best(runs, [&] { return bareSelect(c.handle(), 0); }));
        print("windows of 50 keys (PgConnection, binary)",
            best(runs, [&] { return windows(c, values, 50); }));
        print("one by one by key (PgConnection, binary)",
            best(runs, [&] { return oneByOne(c, values); }));
        QTemporaryDir aliasFolder;
        addAlias(host, aliasFolder);
        const Figures bare = best(runs, [&] { return bareSelect(c.handle(), 1); });
        const Figures table = best(runs, [&] { return throughTable(values); });
        print("record by record through a table object", table);
        out() << "  " << QString::number(table.seconds / bare.seconds, 'f', 3)
              << " x the bare binary SELECT\n";
        RecordList keys;
        for (int i = 1; i <= values; ++i)
            keys.append(i);
        const Figures column = best(runs, [&] { return throughColumnReader(keys); });
        print("the input window's column (read ahead)", column);
        out() << "  " << QString::number(column.seconds / bare.seconds, 'f', 3)
              << " x the bare binary SELECT (goal 1.5)\n";
        out() << "client memory grew by " << (residentKb() - before) / 1024 << " MB\n";
        c.exec(QStringLiteral("DROP TABLE pics"));
        const int records = options.value(QStringLiteral("records")).toInt();
        openBigTable(c, records, runs, QStringLiteral("id integer PRIMARY KEY"),
            QStringLiteral("i"), QStringLiteral("id"));
        // A key of two fields, one of them text: numbered by the table as it reads them.
        openBigTable(c, records, runs, QStringLiteral("a integer, b text, PRIMARY KEY (a, b)"),
            QStringLiteral("i % 100, md5(i::text)"), QStringLiteral("a, b"));
    } catch (...) {
        if (own)
            runScript(QStringLiteral("destroy"), host);
        throw;
    }
    if (own)
        runScript(QStringLiteral("destroy"), host);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Reads bytea pictures from a PostgreSQL server and prints how fast."));
    options.addHelpOption();
    options.addOptions({{QStringLiteral("host"),
                            QStringLiteral("Socket folder of a running server (default: start "
                                           "one)."),
                            QStringLiteral("folder")},
        {QStringLiteral("values"), QStringLiteral("Number of pictures."), QStringLiteral("n"),
            QStringLiteral("10000")},
        {QStringLiteral("kb"), QStringLiteral("Size of a picture in KB."), QStringLiteral("kb"),
            QStringLiteral("120")},
        {QStringLiteral("records"), QStringLiteral("Records of the big table opened."),
            QStringLiteral("n"), QStringLiteral("1000000")},
        {QStringLiteral("runs"), QStringLiteral("Runs of each read; the best counts."),
            QStringLiteral("n"), QStringLiteral("3")}});
    options.process(app);
    try {
        return run(options);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "tabvale-bench-pgsql: " << e.what() << '\n';
        return 1;
    }
}
