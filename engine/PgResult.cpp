#include "engine/PgResult.h"

#include "engine/EngineError.h"
#include "engine/PgOid.h"

#include <QtEndian>
#include <libpq-fe.h>
#include <utility>

PgResult::~PgResult()
{
    PQclear(m_result);
}

PgResult::PgResult(PgResult &&other) noexcept : m_result(std::exchange(other.m_result, nullptr))
{ }

PgResult &PgResult::operator=(PgResult &&other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

int PgResult::rowCount() const
{
    return PQntuples(m_result);
}

int PgResult::columnCount() const
{
    return PQnfields(m_result);
}

QString PgResult::columnName(int column) const
{
    return QString::fromUtf8(PQfname(m_result, column));
}

unsigned int PgResult::columnType(int column) const
{
    return PQftype(m_result, column);
}

qint64 PgResult::affectedRows() const
{
    return QByteArray(PQcmdTuples(m_result)).toLongLong();
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) == 1;
}

QString PgResult::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QByteArray PgResult::rawBytes(int row, int column) const
{
    Q_ASSERT(PQfformat(m_result, column) == int(Format::Binary));
    return QByteArray::fromRawData(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QByteArray PgResult::bytes(int row, int column) const
{
    const char *value = PQgetvalue(m_result, row, column);
    if (PQfformat(m_result, column) == int(Format::Binary)
        || PQftype(m_result, column) != PgOid::Bytea)
        return QByteArray(value, PQgetlength(m_result, row, column));
    // A bytea in text form arrives hex-escaped.
    size_t length = 0;
    unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(value), &length);
    QByteArray out(reinterpret_cast<const char *>(raw), qsizetype(length));
    PQfreemem(raw);
    return out;
}

qint64 PgResult::int64(int row, int column) const
{
    const char *value = PQgetvalue(m_result, row, column);
    const int length = PQgetlength(m_result, row, column);
    bool ok = false;
    qint64 number = 0;
    if (PQfformat(m_result, column) != int(Format::Binary)) {
        number = QByteArray(value, length).toLongLong(&ok);
    } else {
        const unsigned int type = PQftype(m_result, column);
        ok = (type == PgOid::Int2 && length == 2) || (type == PgOid::Int4 && length == 4)
            || (type == PgOid::Int8 && length == 8);
        if (ok && length == 2)
            number = qFromBigEndian<qint16>(value);
        else if (ok && length == 4)
            number = qFromBigEndian<qint32>(value);
        else if (ok)
            number = qFromBigEndian<qint64>(value);
    }
    if (!ok)
        throw EngineError(
            tr("The value in the field “%1” is not a whole number.").arg(columnName(column)));
    return number;
}
