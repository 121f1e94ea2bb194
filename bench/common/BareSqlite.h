#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <sqlite3.h>

// The floors the engine's figures are held against: the same reads with bare SQLite on a
// connection of their own. Milliseconds; the best of a few passes where a pass is short. (The
// calls into SQLite are not optimised away: the values are fetched, as a reader would.)
namespace BareSqlite {

inline QByteArray quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + q.toUtf8() + '"';
}

// The first `rows` records by rowid, every listed column stepped over (the caller lists picture
// and memo columns as typeof(...), as the grid reads them).
inline double screenMs(
    const QString &path, const QString &table, const QStringList &columns, int rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *first = nullptr;
    sqlite3_prepare_v2(db,
        "SELECT rowid FROM " + quoted(table) + " ORDER BY rowid LIMIT " + QByteArray::number(rows),
        -1, &first, nullptr);
    qint64 low = 0;
    qint64 high = 0;
    for (bool any = false; sqlite3_step(first) == SQLITE_ROW; any = true) {
        high = sqlite3_column_int64(first, 0);
        if (!any)
            low = high;
    }
    sqlite3_finalize(first);
    sqlite3_stmt *read = nullptr;
    sqlite3_prepare_v2(db,
        "SELECT rowid, " + columns.join(u", ").toUtf8() + " FROM " + quoted(table)
            + " WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid",
        -1, &read, nullptr);
    double best = 1e18;
    for (int pass = 0; pass < 3; ++pass) {
        QElapsedTimer timer;
        timer.start();
        sqlite3_bind_int64(read, 1, low);
        sqlite3_bind_int64(read, 2, high);
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int c = 1; c < sqlite3_column_count(read); ++c)
                sqlite3_column_bytes(read, c);
        }
        sqlite3_reset(read);
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    sqlite3_finalize(read);
    sqlite3_close(db);
    return best;
}

// Every rowid of the table, as SQLite scans them fastest (no order asked for).
inline double rowidsMs(const QString &path, const QString &table)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *all = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM " + quoted(table), -1, &all, nullptr);
    QElapsedTimer timer;
    timer.start();
    while (sqlite3_step(all) == SQLITE_ROW)
        sqlite3_column_int64(all, 0);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    sqlite3_finalize(all);
    sqlite3_close(db);
    return elapsed;
}

} // namespace BareSqlite
