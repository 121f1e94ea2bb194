#include "picturefolder/PictureExport.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "picturefolder/FileNameRule.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/RecordNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace PictureExport {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureExport", text);
}

bool isReadable(const QByteArray &file)
{
    try {
        PictureFile::declaredSize(file);
        return true;
    } catch (const PictureError &) {
        return false;
    }
}

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw EngineError(tr("The picture file “%1” cannot be written: %2.")
                          .arg(QDir::toNativeSeparators(path), why));
}

// A new file only: opening fails when one exists, so a file that appears meanwhile is not
// replaced either. A file cut short by a failure is removed.
bool writeNew(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFileInfo::exists(path))
            return false;
        cannotWrite(path, out.errorString());
    }
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        const QString why = out.errorString();
        out.close();
        out.remove();
        cannotWrite(path, why);
    }
    return true;
}

// In place of an existing file: the old one stays until the new one is complete.
void writeOver(const QString &path, const QByteArray &bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        cannotWrite(path, out.errorString());
}

class Namer
{
public:
    explicit Namer(const QDir &folder) : m_folder(folder) { }

    // The name within this run: numbered while it clashes with a name given before.
    QString nameFor(const QString &base, const QString &extension)
    {
        QString candidate = base;
        for (int n = 2; m_used.contains(FileNameRule::clashKey(candidate)); ++n)
            candidate = FileNameRule::numbered(base, n);
        return take(candidate, extension);
    }
    // The next numbered name that is neither given in this run nor a file in the folder.
    QString freeNameFor(const QString &base, const QString &extension)
    {
        QString candidate = base;
        for (int n = 2; m_used.contains(FileNameRule::clashKey(candidate))
             || QFileInfo::exists(m_folder.filePath(candidate + u'.' + extension));
             ++n)
            candidate = FileNameRule::numbered(base, n);
        return take(candidate, extension);
    }

private:
    QString take(const QString &candidate, const QString &extension)
    {
        m_used.insert(FileNameRule::clashKey(candidate));
        return candidate + u'.' + extension;
    }

    QDir m_folder;
    QSet<QString> m_used;
};

} // namespace

Summary run(const PictureColumns &c, const QString &folder, const ExistingFiles &existing,
    const Progress &progress)
{
    const QDir dir(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo(dir.path()).isDir())
        throw EngineError(tr("The folder “%1” does not exist.").arg(QDir::toNativeSeparators(folder)));
    Database &db = *c.db;
    Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(Database::quote(c.table)));
    const qint64 total = count.step() ? count.columnInt64(0) : 0;
    count.reset();
    Statement rows = db.prepare(QStringLiteral("SELECT %1, %2, %3 FROM %4 ORDER BY %1")
                                    .arg(c.rowid, Database::quote(c.namingField),
                                        Database::quote(c.pictureField), Database::quote(c.table)));
    Summary summary;
    Namer namer(dir);
    std::optional<Existing> policy;
    qint64 done = 0;
    while (rows.step()) {
        const qint64 rowid = rows.columnInt64(0);
        const QString name = RecordNames::nameAt(rows, 1, c.namingCode);
        const QByteArray file = StoredPicture::bitmapPart(rows.columnBlob(2));
        if (file.isEmpty()) {
            ++summary.empty;
        } else if (!isReadable(file)) {
            ++summary.unreadable;
            summary.unreadableRecords << (name.isEmpty() ? FileNameRule::emptyBase(rowid) : name);
        } else {
            QString base = FileNameRule::safeBase(name);
            if (base.isEmpty())
                base = FileNameRule::emptyBase(rowid);
            const QString extension = FileNameRule::extensionFor(PictureFile::formatOf(file));
            QString fileName = namer.nameFor(base, extension);
            for (;;) {
                const QString path = dir.filePath(fileName);
                if (!QFileInfo::exists(path)) {
                    if (!writeNew(path, file))
                        continue; // made by another program meanwhile: an existing file now
                    ++summary.written;
                    summary.writtenFiles << fileName;
                    break;
                }
                if (!policy && !(policy = existing(fileName))) {
                    summary.stopped = true;
                    return summary;
                }
                if (*policy == Existing::Skip) {
                    ++summary.skipped;
                    summary.skippedFiles << fileName;
                    break;
                }
                if (*policy == Existing::Replace) {
                    writeOver(path, file);
                    ++summary.written;
                    summary.writtenFiles << fileName;
                    break;
                }
                fileName = namer.freeNameFor(base, extension);
            }
        }
        ++done;
        if (progress && !progress(done, total)) {
            summary.stopped = done < total;
            return summary;
        }
    }
    return summary;
}

} // namespace PictureExport
