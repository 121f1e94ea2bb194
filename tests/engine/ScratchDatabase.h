#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

struct sqlite3;
class TTable;

// A database file of its own in a temporary folder, listed in the test's alias file under a
// unique alias. exec() and query() go through a separate SQLite connection, as another program
// would, so the engine sees their changes only through SQLite.
class ScratchDatabase
{
public:
    explicit ScratchDatabase(const QString &aliasPrefix = QStringLiteral("Scratch"));
    // A database as another program makes one: its journal mode as given ("delete", "wal", ...;
    // empty: as Tabvale makes one). pictureForm: the alias's PictureForm key, none when empty.
    ScratchDatabase(const QString &aliasPrefix, const QString &journalMode,
        const QString &pictureForm = {});
    ~ScratchDatabase();
    ScratchDatabase(const ScratchDatabase &) = delete;
    ScratchDatabase &operator=(const ScratchDatabase &) = delete;

    QString alias() const { return m_alias; }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

    void exec(const QString &sql);
    // The other program quits: its connection closes (a WAL file is checkpointed and removed).
    void disconnect();
    // Every file in the database's folder with its bytes, to prove that nothing was changed.
    QMap<QString, QByteArray> folderContents() const;
    QVariant query(const QString &sql); // the first column of the first row; invalid when none
    QVariantList column(const QString &sql); // the first column of every row

    // A table "t" with an id, a name, a whole number and a memo, holding `records` records
    // numbered from 1 (name "rN", number N * 10).
    void makeNumbers(int records);

private:
    QTemporaryDir m_dir;
    QString m_alias;
    QString m_path;
    sqlite3 *m_db = nullptr;
};

// The table `name` of the alias (or of the scratch database), open as a window opens it.
std::unique_ptr<TTable> openTable(const QString &alias, const QString &name);
std::unique_ptr<TTable> openTable(const ScratchDatabase &db, const QString &name = QStringLiteral("t"));
// The name field of the current record (tables made by makeNumbers).
QString nameAt(const TTable &t);
