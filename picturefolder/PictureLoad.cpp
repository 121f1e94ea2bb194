#include "picturefolder/PictureLoad.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/SqliteFailure.h"
#include "engine/Transaction.h"
#include "engine/WriteBatchingVfs.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <future>
#include <sqlite3.h>

namespace PictureLoad {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureLoad", text);
}

// The database file gets the load's pages in large writes while this is alive (see
// WriteBatchingVfs); the connection's other work is as before.
class BatchedWrites
{
public:
    explicit BatchedWrites(Database &db) : m_db(db.handle())
    {
        WriteBatchingVfs::setBatching(m_db, true);
    }
    ~BatchedWrites() { WriteBatchingVfs::setBatching(m_db, false); }
    BatchedWrites(const BatchedWrites &) = delete;
    BatchedWrites &operator=(const BatchedWrites &) = delete;

private:
    sqlite3 *m_db;
};

QByteArray valueOf(const PictureColumns &columns, const QByteArray &file)
{
    // The file form stores the file as it is: its headers must be those of a picture. The bitmap
    // form decodes it anyway.
    if (columns.form == PictureForm::File)
        PictureFile::declaredSize(file);
    return StoredPicture::valueFor(columns.form, columns.pictureCode, PictureSource::file(file));
}

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
    const BatchedWrites batched(db); // outlives the transaction: its end is written batched too
    Transaction transaction(db);
    LoadUndo::begin(db, c.table);
    Statement write = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3 = ?2")
                                     .arg(Database::quote(c.table),
                                         Database::quote(c.pictureField), c.rowid));
    Result result;
    const qint64 total = plan.matched.size();
    QByteArray file; // one buffer for every file, bound without a copy
    for (const LoadPlan::Match &m : plan.matched) {
        QByteArray value;
        try {
            FolderListing::readInto(plan.folder, m.file, file);
            value = valueOf(c, file);
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
