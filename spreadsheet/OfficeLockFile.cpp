#include "spreadsheet/OfficeLockFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <pwd.h>
#include <unistd.h>

namespace {

QStringList fields(const QByteArray &text)
{
    QStringList out {QString()};
    const QString all = QString::fromUtf8(text);
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar c = all.at(i);
        if (c == QLatin1Char('\\') && i + 1 < all.size())
            out.last() += all.at(++i);
        else if (c == QLatin1Char(','))
            out << QString();
        else if (c == QLatin1Char(';'))
            return out;
        else
            out.last() += c;
    }
    return out;
}

QString shortHost(const QString &host)
{
    return host.section(QLatin1Char('.'), 0, 0).toLower();
}

// A profile as a folder: URLs and paths of one folder compare equal.
QString profileFolder(const QString &profile)
{
    const QUrl url(profile);
    const QString path = url.isLocalFile() ? url.toLocalFile() : profile;
    return QDir::cleanPath(path);
}

// Another user's default profile, where a process of theirs keeps it unless told otherwise.
QString defaultProfileOf(uint uid)
{
    if (uid == ::getuid())
        return OfficeLockFile::defaultProfile();
    const passwd *entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_dir) + QStringLiteral("/.config/libreoffice/4")
                 : QString();
}

bool isOfficeProgram(const QString &program)
{
    const QString name = QFileInfo(program).fileName();
    return name.startsWith(QLatin1String("soffice")) || name == QLatin1String("oosplash");
}

} // namespace

QString OfficeLockFile::pathFor(const QString &documentPath)
{
    const QFileInfo document(documentPath);
    return document.dir().filePath(QStringLiteral(".~lock.%1#").arg(document.fileName()));
}

std::optional<OfficeLockFile> OfficeLockFile::read(const QString &documentPath)
{
    QFile file(pathFor(documentPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.read(64 * 1024));
}

std::optional<OfficeLockFile> OfficeLockFile::parse(const QByteArray &text)
{
    const QStringList f = fields(text);
    if (f.size() < 5)
        return std::nullopt;
    OfficeLockFile lock;
    lock.m_author = f[0].trimmed();
    lock.m_login = f[1];
    lock.m_host = f[2];
    lock.m_since = f[3];
    lock.m_profileUrl = f[4];
    return lock;
}

QString OfficeLockFile::defaultProfile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/libreoffice/4");
}

bool OfficeLockFile::madeHere() const
{
    return shortHost(m_host) == shortHost(QSysInfo::machineHostName());
}

bool OfficeLockFile::madeWith(const QString &profile) const
{
    return madeHere() && profileFolder(m_profileUrl) == profileFolder(profile);
}

bool OfficeLockFile::mayBeOwnedBy(
    const QStringList &commandLine, const QString &processDefaultProfile) const
{
    if (commandLine.isEmpty() || !isOfficeProgram(commandLine.first()))
        return false;
    static const QString option = QStringLiteral("-env:UserInstallation=");
    QString profile = processDefaultProfile;
    for (const QString &argument : commandLine) {
        const qsizetype at = argument.indexOf(option);
        if (at == 0 || (at == 1 && argument.startsWith(QLatin1Char('-'))))
            profile = argument.mid(at + option.size());
    }
    return !profile.isEmpty() && profileFolder(profile) == profileFolder(m_profileUrl);
}

bool OfficeLockFile::ownerRunning() const
{
    if (!madeHere())
        return true;
    const QStringList processes
        = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : processes) {
        bool isNumber = false;
        pid.toInt(&isNumber);
        if (!isNumber)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        QStringList commandLine;
        for (const QByteArray &part : cmdline.readAll().split('\0'))
            commandLine << QString::fromLocal8Bit(part);
        const uint uid = QFileInfo(QStringLiteral("/proc/%1").arg(pid)).ownerId();
        if (mayBeOwnedBy(commandLine, defaultProfileOf(uid)))
            return true;
    }
    return false;
}
