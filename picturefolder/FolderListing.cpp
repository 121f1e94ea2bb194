#include "picturefolder/FolderListing.h"

#include "engine/EngineError.h"
#include "picturefolder/FileNameRule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

FolderListing::File fileNamed(const QString &name, const QByteArray &localName, qint64 size)
{
    FolderListing::File f;
    f.name = name;
    f.localName = localName;
    f.size = size;
    const qsizetype dot = name.lastIndexOf(u'.');
    f.base = dot > 0 ? name.left(dot) : name;
    return f;
}

bool isPicture(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && FileNameRule::isPictureSuffix(name.mid(dot + 1));
}

QString shown(const QString &folder)
{
    return QDir::toNativeSeparators(folder);
}

#ifdef Q_OS_UNIX
// Qt leaves out the names it cannot turn into text and back; readdir does not.
QList<FolderListing::File> listRaw(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        throw EngineError(FolderListing::tr("The folder “%1” cannot be read: %2.")
                              .arg(shown(folder), QString::fromLocal8Bit(std::strerror(errno))));
    QList<FolderListing::File> files;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray local(entry->d_name);
        if (local.startsWith('.'))
            continue;
        const QString name = FileNameRule::fromBytes(local);
        if (!isPicture(name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        files << fileNamed(name, local, qint64(st.st_size));
    }
    ::closedir(dir);
    return files;
}
#endif

} // namespace

QList<FolderListing::File> FolderListing::pictureFiles(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        throw EngineError(tr("“%1” is not a folder.").arg(shown(folder)));
#ifdef Q_OS_UNIX
    QList<File> files = listRaw(info.absoluteFilePath());
#else
    QList<File> files;
    const QDir dir(info.absoluteFilePath());
    for (const QFileInfo &f : dir.entryInfoList(QDir::Files)) {
        if (isPicture(f.fileName()))
            files << fileNamed(f.fileName(), QFile::encodeName(f.fileName()), f.size());
    }
#endif
    std::sort(files.begin(), files.end(),
        [](const File &a, const File &b) { return a.localName < b.localName; });
    return files;
}

namespace {

// Opened unbuffered: a large read goes straight from the file into the caller's memory.
void openToRead(QFile &in, const QString &folder, const FolderListing::File &file)
{
    const QString path = QDir(folder).filePath(file.name);
#ifdef Q_OS_UNIX
    const QByteArray local = QFile::encodeName(QDir(folder).absolutePath()) + '/' + file.localName;
    const int fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EngineError(FolderListing::tr("The file “%1” cannot be opened: %2.")
                              .arg(shown(path), QString::fromLocal8Bit(std::strerror(errno))));
    if (!in.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EngineError(FolderListing::tr("The file “%1” cannot be opened: %2.")
                              .arg(shown(path), in.errorString()));
    }
#else
    in.setFileName(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EngineError(FolderListing::tr("The file “%1” cannot be opened: %2.")
                              .arg(shown(path), in.errorString()));
#endif
}

void checkRead(const QFile &in, const QString &folder, const FolderListing::File &file)
{
    if (in.error() != QFileDevice::NoError)
        throw EngineError(FolderListing::tr("The file “%1” cannot be read: %2.")
                              .arg(shown(QDir(folder).filePath(file.name)), in.errorString()));
}

} // namespace

QByteArray FolderListing::read(const QString &folder, const File &file, qint64 limit)
{
    QFile in;
    openToRead(in, folder, file);
    const QByteArray bytes = limit < 0 ? in.readAll() : in.read(limit);
    checkRead(in, folder, file);
    return bytes;
}

void FolderListing::readInto(const QString &folder, const File &file, QByteArray &bytes)
{
    QFile in;
    openToRead(in, folder, file);
    // The size is asked again: the file may have changed since the folder was listed.
    bytes.resize(in.size());
    qint64 got = 0;
    while (got < bytes.size()) {
        const qint64 n = in.read(bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += n;
    }
    checkRead(in, folder, file);
    bytes.resize(got);
    if (!in.atEnd()) // grown while read: the rest as well
        bytes += in.readAll();
    checkRead(in, folder, file);
}
