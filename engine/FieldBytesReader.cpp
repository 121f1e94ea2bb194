#include "engine/FieldBytesReader.h"

#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/TableDriver.h"
#include "engine/TableSchema.h"

#include <sqlite3.h>

FieldBytesReader::FieldBytesReader(
    const QString &databasePath, const QString &table, const QString &field)
{
    openFile(databasePath, table, field);
}

void FieldBytesReader::openFile(const QString &databasePath, const QString &table, const QString &field)
{
    m_db = Database::open(databasePath);
    const QString rowid = TableSchema::rowidColumn(
        *m_db, TableSchema::readFields(*m_db, table, databasePath), table);
    m_query.emplace(m_db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                      .arg(Database::quote(field), Database::quote(table), rowid)));
}

FieldBytesReader::FieldBytesReader(
    const RecordSource &source, const QString &table, const QString &field)
{
    if (source.serverAlias.isEmpty()) {
        openFile(source.databasePath, table, field);
        return;
    }
    m_server = Engine::tableDriver(source.serverAlias, table);
    m_server->useSharedKeys(source.serverKeys);
    m_server->readStructure(); // finds the key
    m_field = field;
}

FieldBytesReader::~FieldBytesReader()
{
    m_query.reset();
    if (m_db)
        m_db->setInterruptCheck({});
}

void FieldBytesReader::readAhead(const std::vector<qint64> &rowids)
{
    m_aheadPlace.clear();
    m_ahead = {};
    if (!m_server)
        return;
    m_ahead = m_server->readValues(rowids, m_field);
    for (size_t i = 0; i < rowids.size(); ++i)
        m_aheadPlace.emplace(rowids[i], i);
}

std::optional<QByteArray> FieldBytesReader::read(qint64 rowid)
{
    if (m_server) {
        if (const auto ahead = m_aheadPlace.find(rowid); ahead != m_aheadPlace.end()) {
            const TableDriver::StoredValue &v = m_ahead.values[ahead->second];
            if (!v.found)
                return std::nullopt;
            // A copy, used and let go before the next: the same memory serves every value.
            return QByteArray(v.bytes.constData(), v.bytes.size());
        }
        TableDriver::StoredValue v = m_server->readValue(rowid, m_field);
        if (!v.found)
            return std::nullopt;
        return std::move(v.bytes);
    }
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
    if (m_db) // a server read is one short command: a stop waits for it at most
        m_db->setInterruptCheck(std::move(check));
}
