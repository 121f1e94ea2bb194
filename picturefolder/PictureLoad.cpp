#include "picturefolder/PictureLoad.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/LargeWrite.h"
#include "engine/SqliteFailure.h"
#include "engine/Statement.h"
#include "engine/Transaction.h"
#include "picture/PictureError.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadReadAhead.h"
#include "picturefolder/LoadUndo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <functional>
#include <future>
#include <numeric>
#include <utility>
#include <sqlite3.h>

namespace PictureLoad {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureLoad", text);
}

// While alive, a WAL database's connection has its page cache hold the pages of the four largest
// pictures of the load besides what it held. With fewer, the pages of the table's tree (which every
// picture's record changes) are written to the log half-way and then again when a later picture
// changes them, and each such second write makes SQLite read back and re-checksum the whole log
// written since. With a rollback journal a second write costs only itself, less than the larger
// cache does.
class CacheForPictures
{
public:
    CacheForPictures(Database &db, const LoadPlan &plan) : m_db(db)
    {
        if (!db.inWalMode())
            return;
        QList<qint64> sizes;
        for (const LoadPlan::Match &m : plan.matched)
            sizes << m.file.size;
        const qsizetype counted = std::min<qsizetype>(sizes.size(), PicturesHeld);
        std::partial_sort(sizes.begin(), sizes.begin() + counted, sizes.end(), std::greater<>());
        const qint64 bytes = std::accumulate(sizes.cbegin(), sizes.cbegin() + counted, qint64(0));
        m_kib = cacheKib(db);
        const qint64 wanted = std::min(m_kib + bytes / 1024, MostKib);
        if (wanted > m_kib)
            setCacheKib(wanted);
        else
            m_kib = 0;
    }
    ~CacheForPictures()
    {
        if (m_kib > 0)
            setCacheKib(m_kib);
    }
    CacheForPictures(const CacheForPictures &) = delete;
    CacheForPictures &operator=(const CacheForPictures &) = delete;

private:
    static constexpr qsizetype PicturesHeld = 4;
    static constexpr qint64 MostKib = 256 * 1024;

    static qint64 cacheKib(Database &db)
    {
        Statement cache = db.prepare(QStringLiteral("PRAGMA main.cache_size"));
        Statement page = db.prepare(QStringLiteral("PRAGMA main.page_size"));
        const qint64 size = cache.step() ? cache.columnInt64(0) : 0;
        const qint64 pageBytes = page.step() ? page.columnInt64(0) : 4096;
        return size < 0 ? -size : size * pageBytes / 1024; // SQLite's own: negative means KiB
    }
    void setCacheKib(qint64 kib)
    {
        const QByteArray sql = "PRAGMA main.cache_size = " + QByteArray::number(-kib);
        sqlite3_exec(m_db.handle(), sql.constData(), nullptr, nullptr, nullptr);
    }

    Database &m_db;
    qint64 m_kib = 0; // what to give back; 0: left as it was
};

// Why SQLite would not store a picture, in the user's terms (the engine's own message names the
// statement).
QString whyNotStored(Database &db)
{
    const int code = sqlite3_extended_errcode(db.handle());
    switch (code & 0xff) { // the primary code of an extended one
    case SQLITE_FULL:
        return tr("the disk is full, or the database has reached its largest size.");
    case SQLITE_TOOBIG:
        return tr("the picture is larger than the database takes.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return tr("another program is writing to the database.");
    default:
        return SqliteFailure::reason(code, SqliteFailure::raisedText(db.handle())) + u'.';
    }
}

[[noreturn]] void refuse(const LoadPlan::Match &m, const QString &folder, const QString &why)
{
    throw EngineError(tr("“%1” could not be loaded into the record “%2”: %3 Nothing was "
                         "loaded: the table is as it was.")
                          .arg(QDir::toNativeSeparators(QDir(folder).filePath(m.file.name)),
                              m.record.name, why));
}

} // namespace

std::optional<Result> apply(const LoadPlan &plan, const Progress &progress)
{
    const PictureColumns &c = plan.columns;
    Database &db = *c.db;
    db.checkWritable(tr("loading pictures into “%1”").arg(c.table));
    const QString loadedAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const LargeWrite large(db);
    const CacheForPictures cache(db, plan);
    Transaction transaction(db);
    LoadUndo::begin(db, c.table);
    Statement write = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3 = ?2")
                                     .arg(Database::quote(c.table),
                                         Database::quote(c.pictureField), c.rowid));
    Result result;
    const qint64 total = plan.matched.size();
    LoadReadAhead files(plan);
    for (const LoadPlan::Match &m : plan.matched) {
        QByteArray value; // bound without a copy
        try {
            value = files.next();
        } catch (const PictureError &e) {
            refuse(m, plan.folder, e.message());
        } catch (const EngineError &e) { // the file could not be read: said in the user's terms
            refuse(m, plan.folder, e.message());
        }
        bool kept = false;
        try {
            // The checksum the undo keeps is computed on another thread while SQLite writes the
            // same bytes (both only read them); the future is joined before the buffer is reused.
            std::future<qint64> crc = std::async(std::launch::async, [&value] { return LoadUndo::crcOf(value); });
            const std::optional<qint64> undoRow
                = LoadUndo::keep(db, c, plan.folder, loadedAt, m.record.rowid, m.record.name, value.size());
            kept = undoRow.has_value();
            if (kept) {
                write.bindBlobUncopied(1, value);
                write.bindInt64(2, m.record.rowid);
                write.step();
                write.reset();
                LoadUndo::setNewCrc(db, *undoRow, crc.get());
            }
        } catch (const EngineError &) {
            refuse(m, plan.folder, whyNotStored(db));
        }
        if (!kept)
            refuse(m, plan.folder, tr("the record has been deleted since the folder was looked at."));
        ++result.loaded;
        if (m.record.hasPicture)
            ++result.replaced;
        if (progress && !progress(result.loaded, total))
            return std::nullopt;
    }
    transaction.commit();
    db.tableChanged(c.table);
    return result;
}

} // namespace PictureLoad
