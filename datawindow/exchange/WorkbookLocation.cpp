#include "datawindow/exchange/WorkbookLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString &programDirectoryOverride()
{
    static QString directory;
    return directory;
}

// Room for ".xls" within the usual 255-byte limit of a file name.
constexpr qsizetype MaxNameBytes = 240;

bool needsEscape(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('%')
        || c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString escaped(QChar c)
{
    return QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

namespace WorkbookLocation {

bool isBuildFolder(const QString &programDirectory)
{
    return QFileInfo(QDir(programDirectory).filePath(QString::fromLatin1(BuildFolderMarker)))
        .isFile();
}

QString directoryFor(const QString &programDirectory, const QString &userDataDirectory)
{
    const QString inUserData = QDir(userDataDirectory).filePath(QStringLiteral("Tabvale/Data"));
    if (!isBuildFolder(programDirectory))
        return inUserData;
    const QString beside = QDir(programDirectory).filePath(QStringLiteral("Data"));
    const QFileInfo besideInfo(beside);
    const QFileInfo programInfo(programDirectory);
    const bool usable = besideInfo.exists() ? besideInfo.isDir() && besideInfo.isWritable()
                                            : programInfo.isDir() && programInfo.isWritable();
    return usable ? beside : inUserData;
}

QString directory()
{
    QString program = programDirectoryOverride();
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath();
    return directoryFor(
        program, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

bool makeDirectory(const QString &directory)
{
    // Beside the program only Data/ itself can be missing; in the user's data directory the
    // program's own folder may be missing too.
    return QFileInfo(directory).isDir() || QDir().mkpath(directory);
}

QString fileNameFor(const QString &database)
{
    // Percent escapes keep distinct names distinct; "." and ".." alone would name directories.
    QString name;
    for (QChar c : database)
        name += needsEscape(c) ? escaped(c) : QString(c);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name.replace(QLatin1Char('.'), QStringLiteral("%2E"));
    if (name.isEmpty())
        name = QStringLiteral("%00");
    while (name.toUtf8().size() > MaxNameBytes)
        name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    return name + QStringLiteral(".xls");
}

QString databaseOf(const QString &workbookName, const QStringList &databases)
{
    for (const QString &database : databases) {
        if (fileNameFor(database) == workbookName)
            return database;
    }
    return {};
}

void setProgramDirectory(const QString &directory)
{
    programDirectoryOverride() = directory;
}

} // namespace WorkbookLocation
