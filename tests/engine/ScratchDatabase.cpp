#include "tests/engine/ScratchDatabase.h"

#include "engine/Database.h"
#include "engine/TField.h"
#include "engine/TTable.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

namespace {
int scratchCounter = 0;
}

ScratchDatabase::ScratchDatabase(const QString &aliasPrefix)
    : ScratchDatabase(aliasPrefix, QString())
{ }

ScratchDatabase::ScratchDatabase(
    const QString &aliasPrefix, const QString &journalMode, const QString &pictureForm)
    : m_alias(QStringLiteral("%1 %2").arg(aliasPrefix).arg(++scratchCounter)),
      m_path(m_dir.filePath(QStringLiteral("scratch.sqlite")))
{
    if (journalMode.isEmpty())
        Database::create(m_path);
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db,
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        qFatal("cannot open the scratch database");
    sqlite3_busy_timeout(m_db, 5000);
    if (!journalMode.isEmpty())
        exec(QStringLiteral("PRAGMA journal_mode = %1").arg(journalMode));
    QFile aliases(qEnvironmentVariable("TABVALE_ALIASES"));
    if (!aliases.open(QIODevice::Append))
        qFatal("cannot write the alias file");
    aliases.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\n").arg(m_alias, m_path).toUtf8());
    if (!pictureForm.isEmpty())
        aliases.write(QStringLiteral("PictureForm=%1\n").arg(pictureForm).toUtf8());
}

ScratchDatabase::~ScratchDatabase()
{
    sqlite3_close_v2(m_db);
}

void ScratchDatabase::disconnect()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

QMap<QString, QByteArray> ScratchDatabase::folderContents() const
{
    QMap<QString, QByteArray> contents;
    const QDir folder(m_dir.path());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(folder.filePath(name));
        contents.insert(
            name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)"));
    }
    return contents;
}

void ScratchDatabase::exec(const QString &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        QTest::qFail(qPrintable(QStringLiteral("%1: %2").arg(sql, message)), __FILE__, __LINE__);
    }
}

QVariantList ScratchDatabase::column(const QString &sql)
{
    sqlite3_stmt *stmt = nullptr;
    QVariantList values;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        QTest::qFail(
            qPrintable(sql + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db))),
            __FILE__, __LINE__);
        return values;
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL:
            values << QVariant();
            break;
        case SQLITE_INTEGER:
            values << QVariant::fromValue<qlonglong>(sqlite3_column_int64(stmt, 0));
            break;
        case SQLITE_FLOAT:
            values << sqlite3_column_double(stmt, 0);
            break;
        case SQLITE_BLOB:
            values << QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, 0)),
                sqlite3_column_bytes(stmt, 0));
            break;
        default:
            values << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        }
    }
    sqlite3_finalize(stmt);
    return values;
}

QVariant ScratchDatabase::query(const QString &sql)
{
    const QVariantList values = column(sql);
    return values.isEmpty() ? QVariant() : values.first();
}

void ScratchDatabase::makeNumbers(int records)
{
    exec(QStringLiteral("CREATE TABLE t (id INTEGER, name VARCHAR(20), n INTEGER, note MEMO)"));
    if (records > 0)
        exec(QStringLiteral(
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
            "INSERT INTO t SELECT i, 'r' || i, i * 10, NULL FROM c")
                 .arg(records));
}

std::unique_ptr<TTable> openTable(const QString &alias, const QString &name)
{
    auto table = std::make_unique<TTable>();
    table->setDatabaseName(alias);
    table->setTableName(name);
    table->open();
    return table;
}

std::unique_ptr<TTable> openTable(const ScratchDatabase &db, const QString &name)
{
    return openTable(db.alias(), name);
}

QString nameAt(const TTable &t)
{
    return t.fieldByName(QStringLiteral("name"))->value().toString();
}
