#pragma once

#include <QString>
#include <QStringList>

// Where the per-database workbooks live: Data/ in the user's data directory, except for a program
// run from its build folder, which keeps Data/ beside itself while that can be written. One
// workbook per database, named after it.
namespace WorkbookLocation {

// The file the build writes beside the program in its build folder, and never installs: it tells
// a program run from there from an installed one.
inline constexpr char BuildFolderMarker[] = "tabvale-build-folder.txt";
bool isBuildFolder(const QString &programDirectory);

// The directory for a program directory and a user data directory (pure; see directory()).
QString directoryFor(const QString &programDirectory, const QString &userDataDirectory);
// The directory for this program and user.
QString directory();
// Makes the directory when it is missing; false when that fails.
bool makeDirectory(const QString &directory);

// The workbook's file name for a database: the name made safe as a file name (it can never leave
// the directory), then ".xls". Distinct names give distinct files.
QString fileNameFor(const QString &database);
// The database of the list whose workbook has exactly this file name; empty when none.
QString databaseOf(const QString &workbookName, const QStringList &databases);

// Tests: the program directory to use instead of the executable's ("" = the executable's).
void setProgramDirectory(const QString &directory);

} // namespace WorkbookLocation
