#include "tests/datawindow/DataFixture.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QVariant>
#include <sqlite3.h>

namespace {

struct Db
{
    sqlite3 *handle = nullptr;
    explicit Db(const QString &path)
    {
        if (sqlite3_open(path.toUtf8().constData(), &handle) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
    }
    ~Db() { sqlite3_close(handle); }
};

} // namespace

QString DataFixture::makeDatabase(const QString &alias, const QStringList &statements)
{
    const QString dir = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/fixtures");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + alias + QStringLiteral(".sqlite");
    QFile::remove(path);
    for (const QString &sql : statements)
        exec(path, sql);
    return path;
}

void DataFixture::writeAliases(
    const QList<QPair<QString, QString>> &aliases, const QString &pictureForm)
{
    const QString file = qEnvironmentVariable("TABVALE_ALIASES");
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the alias file");
    const QString form
        = pictureForm.isEmpty() ? QString() : QStringLiteral("PictureForm=%1\n").arg(pictureForm);
    for (const auto &a : aliases)
        f.write(QStringLiteral("[%1]\nDriver=SQLITE\nPath=%2\n%3\n")
                    .arg(a.first, a.second, form)
                    .toUtf8());
}

void DataFixture::exec(const QString &path, const QString &sql)
{
    Db db(path);
    char *error = nullptr;
    if (sqlite3_exec(db.handle, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        qFatal("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(message));
    }
}

void DataFixture::execBound(const QString &path, const QString &sql, const QVariantList &values)
{
    Db db(path);
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("fixture SQL failed: %s: %s", qPrintable(sql), sqlite3_errmsg(db.handle));
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = v.toByteArray();
            sqlite3_bind_blob(stmt, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(stmt, i + 1, v.toDouble());
        } else if (v.canConvert<qlonglong>() && v.typeId() != QMetaType::QString) {
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        qFatal("fixture SQL failed: %s: %s", qPrintable(sql), sqlite3_errmsg(db.handle));
}

QVariant DataFixture::scalar(const QString &path, const QString &sql)
{
    Db db(path);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db.handle, sql.toUtf8().constData(), -1, &stmt, nullptr);
    QVariant result;
    if (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER:
            result = qlonglong(sqlite3_column_int64(stmt, 0));
            break;
        case SQLITE_FLOAT:
            result = sqlite3_column_double(stmt, 0);
            break;
        case SQLITE_NULL:
            break;
        default:
            result
                = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        }
    }
    sqlite3_finalize(stmt);
    return result;
}

QByteArray DataFixture::blob(const QString &path, const QString &sql)
{
    Db db(path);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db.handle, sql.toUtf8().constData(), -1, &stmt, nullptr);
    QByteArray result;
    if (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        result = QByteArray(
            static_cast<const char *>(sqlite3_column_blob(stmt, 0)), sqlite3_column_bytes(stmt, 0));
    sqlite3_finalize(stmt);
    return result;
}
