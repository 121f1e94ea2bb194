#include "engine/Statement.h"

#include "engine/VariantKind.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/SqliteFailure.h"

#include <QCoreApplication>

#include <sqlite3.h>
#include <utility>

Statement::Statement(Database &db, const QString &sql) : m_db(&db), m_sql(sql)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(db.handle(), text.constData(), int(text.size()), 0, &m_stmt, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.raise(QCoreApplication::translate("Statement", "reading the database “%1”")
                     .arg(db.displayPath()));
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)), m_sql(std::move(other.m_sql))
{ }

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_sql = std::move(other.m_sql);
    }
    return *this;
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (!value.isValid()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        if (value.metaType().id() == QMetaType::Bool) {
            rc = sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
        } else if (VariantKind::isIntegral(value)) {
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        } else if (VariantKind::isFloating(value)) {
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
        } else if (value.metaType().id() == QMetaType::QByteArray) {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(
                m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        } else {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, text.constData(), sqlite3_uint64(text.size()),
                SQLITE_TRANSIENT, SQLITE_UTF8);
        }
    }
    if (rc != SQLITE_OK)
        raise();
}

void Statement::bindInt64(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        raise();
}

void Statement::bindBlobUncopied(int index, const QByteArray &bytes)
{
    if (sqlite3_bind_blob64(
            m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC)
        != SQLITE_OK)
        raise();
}

void Statement::bindValue(int index, const sqlite3_value *value)
{
    if (sqlite3_bind_value(m_stmt, index, value) != SQLITE_OK)
        raise();
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    raise();
}

void Statement::raise() const
{
    // The statement itself goes to the log only; the user reads what kind of work failed.
    qCWarning(lcSqlite) << m_sql;
    m_db->raise((sqlite3_stmt_readonly(m_stmt)
                        ? QCoreApplication::translate("Statement", "reading the database “%1”")
                        : QCoreApplication::translate("Statement", "storing a change in the database “%1”"))
                    .arg(m_db->displayPath()));
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::changes() const
{
    return sqlite3_changes(m_db->handle());
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

int Statement::columnType(int column) const
{
    return sqlite3_column_type(m_stmt, column);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::columnDouble(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::columnText(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

QByteArray Statement::columnBlob(int column) const
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
}

sqlite3_value *Statement::columnValue(int column) const
{
    return sqlite3_column_value(m_stmt, column);
}
