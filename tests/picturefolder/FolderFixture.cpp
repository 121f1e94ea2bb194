#include "tests/picturefolder/FolderFixture.h"

#include "tests/engine/ScratchDatabase.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cstdio>

namespace FolderFixture {

QString literal(const QByteArray &bytes)
{
    return bytes.isNull() ? QStringLiteral("NULL")
                          : QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

void writeFile(const QString &folder, const QByteArray &localName, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + localName;
    FILE *f = std::fopen(path.constData(), "wb");
    if (!f || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) != size_t(bytes.size()))
        qFatal("cannot write %s", path.constData());
    std::fclose(f);
}

void removeFile(const QString &folder, const QByteArray &localName)
{
    std::remove((QFile::encodeName(folder) + '/' + localName).constData());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

QStringList dump(ScratchDatabase &db, const QString &table)
{
    QStringList columns;
    for (const QVariant &name :
        db.column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)))
        columns << QStringLiteral("typeof(\"%1\") || ':' || hex(\"%1\")").arg(name.toString());
    QStringList rows;
    for (const QVariant &row : db.column(QStringLiteral("SELECT rowid || ' ' || %1 FROM \"%2\" "
                                                        "ORDER BY rowid")
                                             .arg(columns.join(QStringLiteral(" || ' ' || ")),
                                                 table)))
        rows << row.toString();
    return rows;
}

QStringList fileNames(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace FolderFixture
