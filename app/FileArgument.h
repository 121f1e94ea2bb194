#pragma once

#include <QString>
#include <QStringList>

class TForm1;

// A database file named when the program starts (as the file manager does for "Open with"):
// its alias is found or added, chosen in the main window's lists, and its first table opened.
namespace FileArgument {

// The database file among the program's arguments (Qt's own already taken out), "" when none.
// A file: URL is taken as its local file. --help and --version print and end the program.
QString fromArguments(const QStringList &arguments);

// Chooses the file's alias in the window's 数据库 list and opens its first table. A file that
// cannot be opened changes nothing and gets one message, shown once the event loop runs (so it
// comes up over the window).
void open(TForm1 *window, const QString &file);

} // namespace FileArgument
