#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// Builds test databases straight through SQLite (not through the code under test) and points
// the alias file at them.
class DataFixture
{
public:
    // A database file in the test's private data directory, registered under alias.
    static QString makeDatabase(const QString &alias, const QStringList &statements);
    // Replaces the alias file with these aliases (name, path) in this order; pictureForm is the
    // PictureForm key each one gets (none when empty).
    static void writeAliases(
        const QList<QPair<QString, QString>> &aliases, const QString &pictureForm = {});
    static void exec(const QString &path, const QString &sql);
    // One statement with ?1, ?2 ... bound to values: QByteArray as a blob, QString as text,
    // numbers as numbers, an invalid QVariant as null.
    static void execBound(const QString &path, const QString &sql, const QVariantList &values);
    static QVariant scalar(const QString &path, const QString &sql);
    static QByteArray blob(const QString &path, const QString &sql);
};
