// tabvale-bench-maintenance: compacting a table of big pictures against SQLite's own VACUUM of
// the same database (and, in a copy with auto-vacuum, the table's rebuild in place), and
// clear-errors' looking pass against reading and decoding every value once, on that table and on
// the million-record table of tabvale-bench-engine (when generated).
// Generated databases are kept in the data folder and reused; the timed runs work on copies.
#include "engine/Database.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"
#include "engine/TableSchema.h"
#include "engine/UnreadableValues.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTextStream>
#include <sqlite3.h>

namespace {

const QString PictureTable = QStringLiteral("Pictures");

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

QString megabytes(const QString &path)
{
    qint64 bytes = QFileInfo(path).size();
    if (QFileInfo::exists(path + QStringLiteral("-wal")))
        bytes += QFileInfo(path + QStringLiteral("-wal")).size();
    return QStringLiteral("%1 MB").arg(bytes / (1024.0 * 1024.0), 0, 'f', 0);
}

// Stored-form bitmaps of about `kb` kB with random pixels (so nothing compresses), every tenth
// record deleted afterwards so that compacting has space to give back.
QString generatePictures(const QString &folder, qint64 records, int kb)
{
    const QString path = folder + QStringLiteral("/maintenance-%1-%2.sqlite").arg(records).arg(kb);
    if (QFileInfo::exists(path))
        return path;
    const int side = 8 * qMax(1, int(std::sqrt(kb * 1024.0 / 3) / 8)); // rows need no padding
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QByteArray stored = StoredPicture::encode(image, ftGraphic);
    const qsizetype pixels = qsizetype(side) * side * 3;
    const QByteArray head = stored.left(stored.size() - pixels);
    out() << "Generating " << path << " (" << records << " records, " << stored.size() / 1024
          << " kB pictures)... " << Qt::flush;
    QElapsedTimer timer;
    timer.start();
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    Database::create(building);
    {
        const auto db = Database::open(building);
        db->exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        db->exec(QStringLiteral("PRAGMA synchronous=OFF"));
        db->exec(QStringLiteral("CREATE TABLE \"Pictures\" (\"No\" INTEGER PRIMARY KEY "
                                "AUTOINCREMENT, \"Name\" VARCHAR(40), \"Born\" DATE, \"Picture\" "
                                "GRAPHIC)"));
        db->exec(QStringLiteral("CREATE INDEX \"Pictures by name\" ON \"Pictures\" (\"Name\")"));
        db->exec(QStringLiteral(
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
            "INSERT INTO \"Pictures\" (\"Name\", \"Born\", \"Picture\") SELECT 'Name ' || i, "
            "date('2000-01-01', '+' || (i % 9000) || ' days'), CAST(x'%2' || randomblob(%3) AS "
            "BLOB) "
            "FROM c")
                     .arg(records)
                     .arg(QString::fromLatin1(head.toHex()))
                     .arg(pixels));
        db->exec(QStringLiteral("DELETE FROM \"Pictures\" WHERE \"No\" % 10 = 0"));
        db->exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    }
    QFile::rename(building, path);
    out() << seconds(timer) << " s, " << megabytes(path) << "\n" << Qt::flush;
    return path;
}

QString freshCopy(const QString &path, const QString &name)
{
    const QString copy = QFileInfo(path).dir().filePath(name);
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(copy + suffix);
    QFile::copy(path, copy);
    return copy;
}

void useAliases(const QString &folder, const QList<QPair<QString, QString>> &aliases)
{
    const QString file = folder + QStringLiteral("/maintenance-aliases.conf");
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file));
    for (const auto &a : aliases)
        f.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\n").arg(a.first, a.second).toUtf8());
    f.close();
    qputenv("TABVALE_ALIASES", QFile::encodeName(file));
}

// SQLite's own: what FreePages runs after a rebuild, alone.
double vacuumSeconds(const QString &path)
{
    const auto db = Database::open(path);
    QElapsedTimer timer;
    timer.start();
    db->exec(QStringLiteral("VACUUM"));
    db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return seconds(timer);
}

double compactSeconds(const QString &alias, const QString &table)
{
    TTable t;
    t.setDatabaseName(alias);
    t.setTableName(table);
    t.open();
    QElapsedTimer timer;
    timer.start();
    TableMaintenance::compact(t);
    return seconds(timer);
}

// Every value read once as the program reads it, and every picture decoded: the least a looking
// pass must do.
double plainReadSeconds(const QString &path, const QString &table, qint64 *unreadable)
{
    const auto db = Database::open(path);
    QList<TFieldDef> defs = TableSchema::readFields(*db, table, path);
    QList<int> codes;
    QStringList columns;
    for (const TFieldDef &def : defs) {
        codes << TableSchema::fieldCode(*db, table, def, nullptr);
        columns << Database::quote(def.name);
    }
    QElapsedTimer timer;
    timer.start();
    Statement rows = db->prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                     .arg(columns.join(u", "), Database::quote(table)));
    *unreadable = 0;
    while (rows.step()) {
        for (int c = 0; c < codes.size(); ++c) {
            if (isPictureLike(codes[c])) {
                try {
                    StoredPicture::decode(rows.columnBlob(c));
                } catch (const PictureError &) {
                    ++*unreadable;
                }
            } else {
                bool readable = true;
                FieldValue::fromStorage(rows, c, codes[c], &readable);
                *unreadable += readable ? 0 : 1;
            }
        }
    }
    return seconds(timer);
}

double lookSeconds(const QString &alias, const QString &table, TableMaintenance::Look *look)
{
    TTable t;
    t.setDatabaseName(alias);
    t.setTableName(table);
    QElapsedTimer timer;
    timer.start();
    *look = TableMaintenance::lookForUnreadable(t);
    return seconds(timer);
}

// The clearing pass's reading: every value, every unreadable one counted (nothing is changed).
double fullLookSeconds(const QString &path, const QString &table, qint64 *unreadable)
{
    const auto db = Database::open(path);
    QList<UnreadableValues::Field> fields;
    const QList<TFieldDef> defs = TableSchema::readFields(*db, table, path);
    for (const TFieldDef &def : defs) {
        UnreadableValues::Field f;
        f.name = def.name;
        f.code = TableSchema::fieldCode(*db, table, def, &f.size);
        fields << f;
    }
    QElapsedTimer timer;
    timer.start();
    *unreadable = 0;
    UnreadableValues::scan(*db, table, TableSchema::rowidColumn(*db, defs, table), fields,
        [&](const UnreadableValues::Cell &) {
            ++*unreadable;
            return true;
        },
        {});
    return seconds(timer);
}

QString lookName(TableMaintenance::Look look)
{
    switch (look) {
    case TableMaintenance::Look::Clean:
        return QStringLiteral("clean");
    case TableMaintenance::Look::Unreadable:
        return QStringLiteral("unreadable value found");
    case TableMaintenance::Look::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

void lookingPasses(
    const QString &label, const QString &alias, const QString &path, const QString &table)
{
    qint64 plainBad = 0;
    qint64 fullBad = 0;
    TableMaintenance::Look look {};
    plainReadSeconds(path, table, &plainBad); // fills the page cache
    const double plain = plainReadSeconds(path, table, &plainBad);
    const double first = lookSeconds(alias, table, &look);
    const double full = fullLookSeconds(path, table, &fullBad);
    out() << label << "\n";
    out() << QStringLiteral("  read and decode every value once  %1 s (%2 unreadable)\n")
                 .arg(plain, 8, 'f', 2)
                 .arg(plainBad);
    out() << QStringLiteral("  looking pass (to the first error)  %1 s (%2)\n")
                 .arg(first, 8, 'f', 2)
                 .arg(lookName(look));
    out() << QStringLiteral("  whole pass, as clearing reads     %1 s (%2 unreadable)\n")
                 .arg(full, 8, 'f', 2)
                 .arg(fullBad);
    out() << QStringLiteral("  whole pass / plain read            %1   (goal <= 1.2)\n")
                 .arg(full / std::max(1e-9, plain), 8, 'f', 2)
          << Qt::flush;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times compacting and clearing errors."));
    parser.addHelpOption();
    const QCommandLineOption recordsOption(QStringLiteral("picture-records"),
        QStringLiteral("Records of the picture table (before every tenth is deleted)."),
        QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption kbOption(QStringLiteral("picture-kb"),
        QStringLiteral("Picture size in kB."), QStringLiteral("kb"), QStringLiteral("120"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
        QStringLiteral("Where generated databases are kept (tabvale-bench-engine's too)."),
        QStringLiteral("folder"),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/Tabvale/bench"));
    parser.addOptions({recordsOption, kbOption, dataOption});
    parser.process(app);
    const QString folder = QDir(parser.value(dataOption)).absolutePath();
    QDir().mkpath(folder);

    const QString base = generatePictures(
        folder, parser.value(recordsOption).toLongLong(), parser.value(kbOption).toInt());
    const QString forVacuum = freshCopy(base, QStringLiteral("maintenance-vacuum.sqlite"));
    const QString forCompact = freshCopy(base, QStringLiteral("maintenance-compact.sqlite"));
    const QString forAutoVacuum = freshCopy(base, QStringLiteral("maintenance-autovacuum.sqlite"));
    QList<QPair<QString, QString>> aliases {
        {QStringLiteral("Compact"), forCompact}, {QStringLiteral("AutoVacuum"), forAutoVacuum}};
    const QString million = folder + QStringLiteral("/million-1000000-1024.sqlite");
    if (QFileInfo::exists(million))
        aliases.append({QStringLiteral("Million"), million});
    useAliases(folder, aliases);

    out() << "\nCompacting \"" << PictureTable << "\" (" << megabytes(base) << ", "
          << "every tenth record deleted; files in the OS page cache)\n"
          << Qt::flush;
    const double vacuum = vacuumSeconds(forVacuum);
    out() << QStringLiteral("  SQLite VACUUM of the database     %1 s -> %2\n")
                 .arg(vacuum, 8, 'f', 2)
                 .arg(megabytes(forVacuum))
          << Qt::flush;
    const double compact = compactSeconds(QStringLiteral("Compact"), PictureTable);
    out() << QStringLiteral("  compact (rebuild + free pages)    %1 s -> %2\n")
                 .arg(compact, 8, 'f', 2)
                 .arg(megabytes(forCompact));
    out() << QStringLiteral("  compact / VACUUM                   %1   (goal <= 2)\n")
                 .arg(compact / std::max(1e-9, vacuum), 8, 'f', 2)
          << Qt::flush;
    QFile::remove(forVacuum);
    {
        // Not timed: the file takes auto-vacuum with a VACUUM; the deleted records' pages stay
        // free until the table is compacted.
        const auto db = Database::open(forAutoVacuum);
        db->exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL"));
        db->exec(QStringLiteral("VACUUM"));
        db->exec(QStringLiteral("DELETE FROM \"Pictures\" WHERE \"No\" % 10 = 1"));
        db->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    const QString before = megabytes(forAutoVacuum);
    const double inPlace = compactSeconds(QStringLiteral("AutoVacuum"), PictureTable);
    out() << QStringLiteral("  with auto-vacuum: rebuilt in place %1 s, %2 -> %3\n")
                 .arg(inPlace, 8, 'f', 2)
                 .arg(before, megabytes(forAutoVacuum));
    out() << QStringLiteral("  in place / VACUUM                  %1   (goal <= 2)\n\n")
                 .arg(inPlace / std::max(1e-9, vacuum), 8, 'f', 2)
          << Qt::flush;
    QFile::remove(forAutoVacuum);

    lookingPasses(
        QStringLiteral("Clear errors on \"%1\" (all pictures readable)").arg(PictureTable),
        QStringLiteral("Compact"), forCompact, PictureTable);
    if (QFileInfo::exists(million))
        lookingPasses(
            QStringLiteral("\nClear errors on \"Million\" (its pictures are random bytes)"),
            QStringLiteral("Million"), million, QStringLiteral("Million"));
    else
        out() << "\n(no " << million
              << ": run tabvale-bench-engine for the million-record table)\n";
    QFile::remove(forCompact);
    return 0;
}
