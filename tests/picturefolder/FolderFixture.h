#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class ScratchDatabase;

// What the folder tests share: pictures as SQL literals, files under raw names, and a table as
// bytes.
namespace FolderFixture {

QString literal(const QByteArray &bytes); // X'…', or NULL for none
// Writes bytes under a name that is bytes too (it need not be UTF-8); returns the file's path
// as Qt shows it.
void writeFile(const QString &folder, const QByteArray &localName, const QByteArray &bytes);
QByteArray readFile(const QString &path);
void removeFile(const QString &folder, const QByteArray &localName);
// Every record: its rowid, then each value's storage class and bytes in hex.
QStringList dump(ScratchDatabase &db, const QString &table);
// The names of a folder's files, sorted.
QStringList fileNames(const QString &folder);

} // namespace FolderFixture
