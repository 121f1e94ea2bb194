#include "picturefolder/PictureLoad.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Transaction.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "picturefolder/LoadPlan.h"
#include "picturefolder/LoadUndo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

namespace PictureLoad {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureLoad", text);
}

QByteArray valueOf(const PictureColumns &columns, const QByteArray &file)
{
    // The file form stores the file as it is: its headers must be those of a picture. The bitmap
    // form decodes it anyway.
    if (columns.form == PictureForm::File)
        PictureFile::declaredSize(file);
    return StoredPicture::valueFor(columns.form, columns.pictureCode, PictureSource::file(file));
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
    Transaction transaction(db);
    LoadUndo::begin(db, c.table);
    Statement write = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE %3 = ?2")
                                     .arg(Database::quote(c.table),
                                         Database::quote(c.pictureField), c.rowid));
    Result result;
    const qint64 total = plan.matched.size();
    for (const LoadPlan::Match &m : plan.matched) {
        bool kept = false;
        try {
            const QByteArray value = valueOf(c, FolderListing::read(plan.folder, m.file));
            kept = LoadUndo::keep(db, c, plan.folder, loadedAt, m.record.rowid, m.record.name, value);
            if (kept) {
                write.bind(1, value);
                write.bindInt64(2, m.record.rowid);
                write.step();
                write.reset();
            }
        } catch (const PictureError &e) {
            refuse(m, plan.folder, e.message());
        } catch (const EngineError &e) {
            refuse(m, plan.folder, e.message());
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
