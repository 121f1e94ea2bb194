#include "picturefolder/LoadPlan.h"

#include "picture/PictureFile.h"
#include "picturefolder/FileNameRule.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

// Enough for every signature PictureFile::formatOf knows.
constexpr qint64 SignatureBytes = 16;

} // namespace

int LoadPlan::replacing() const
{
    return int(std::count_if(
        matched.cbegin(), matched.cend(), [](const Match &m) { return m.record.hasPicture; }));
}

LoadPlan LoadPlan::make(const PictureColumns &columns, const QString &folder)
{
    LoadPlan plan;
    plan.columns = columns;
    plan.folder = QFileInfo(folder).absoluteFilePath();
    const QList<FolderListing::File> files = FolderListing::pictureFiles(plan.folder);
    const QList<RecordNames::Named> records = RecordNames::read(columns);

    QHash<QString, QList<FolderListing::File>> filesByName;
    QStringList fileOrder;
    for (const FolderListing::File &f : files) {
        const QString key = FileNameRule::safeBase(f.base);
        if (!filesByName.contains(key))
            fileOrder << key;
        filesByName[key] << f;
    }
    QHash<QString, QList<RecordNames::Named>> recordsByName;
    for (const RecordNames::Named &r : records) {
        const QString key = FileNameRule::safeBase(r.name);
        if (!key.isEmpty())
            recordsByName[key] << r;
    }

    QSet<QString> ambiguousNames;
    for (const RecordNames::Named &r : records) {
        const QString key = FileNameRule::safeBase(r.name);
        const auto fileIt = filesByName.constFind(key);
        if (key.isEmpty() || fileIt == filesByName.cend()) {
            plan.recordsWithoutFile << r;
            continue;
        }
        const QList<RecordNames::Named> &sameName = recordsByName[key];
        if (sameName.size() > 1 || fileIt->size() > 1) {
            if (!ambiguousNames.contains(key)) {
                ambiguousNames.insert(key);
                plan.ambiguous << Ambiguous {key, sameName, *fileIt};
            }
            continue;
        }
        const FolderListing::File &file = fileIt->first();
        const QByteArray start = FolderListing::read(plan.folder, file, SignatureBytes);
        if (PictureFile::formatOf(start) == PictureFile::Format::Unknown)
            plan.notPictures << file;
        else
            plan.matched << Match {file, r};
    }
    for (const QString &key : std::as_const(fileOrder)) {
        if (!recordsByName.contains(key))
            plan.filesWithoutRecord << filesByName[key];
    }
    return plan;
}
