#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

// The picture files of one folder, by the names they really have: on Unix a name is bytes, and a
// name that is no UTF-8 (from an old camera, a Windows archive) is listed and read all the same,
// shown by FileNameRule::fromBytes. Hidden files and subfolders are left out.
class FolderListing
{
    Q_DECLARE_TR_FUNCTIONS(FolderListing)

public:
    struct File
    {
        QString name; // as shown (see above)
        QString base; // the name without its last extension
        QByteArray localName; // the name as the file system has it
        qint64 size = 0;
    };

    // The files with a picture extension (FileNameRule::isPictureSuffix), by name. Raises
    // EngineError when the folder cannot be read.
    static QList<File> pictureFiles(const QString &folder);
    // The whole file, or its first `limit` bytes (limit < 0: all). Raises EngineError.
    static QByteArray read(const QString &folder, const File &file, qint64 limit = -1);
    // The whole file into `bytes`, whose memory is reused when it is not shared and large enough:
    // reading many large files one after another then allocates (and faults in) memory only once.
    static void readInto(const QString &folder, const File &file, QByteArray &bytes);
};
