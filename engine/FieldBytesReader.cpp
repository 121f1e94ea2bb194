#include "engine/FieldBytesReader.h"

#include "engine/Database.h"
#include "engine/TableSchema.h"

#include <sqlite3.h>

FieldBytesReader::FieldBytesReader(
    const QString &databasePath, const QString &table, const QString &field)
    : m_db(Database::open(databasePath))
{
    const QString rowid = TableSchema::rowidColumn(
        *m_db, TableSchema::readFields(*m_db, table, databasePath), table);
    m_query.emplace(m_db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                      .arg(Database::quote(field), Database::quote(table), rowid)));
}

FieldBytesReader::~FieldBytesReader()
{
    m_query.reset();
    m_db->setInterruptCheck({});
}

std::optional<QByteArray> FieldBytesReader::read(qint64 rowid)
{
    struct ResetAfterRow
    {
        Statement &s;
        ~ResetAfterRow() { s.reset(); }
    } resetAfterRow {*m_query};
    m_query->bindInt64(1, rowid);
    if (!m_query->step())
        return std::nullopt;
    if (m_query->isNull(0))
        return QByteArray();
    return m_query->columnType(0) == SQLITE_BLOB ? m_query->columnBlob(0)
                                                 : m_query->columnText(0).toUtf8();
}

void FieldBytesReader::setInterruptCheck(std::function<bool()> check)
{
    m_db->setInterruptCheck(std::move(check));
}
