#include "engine/SqliteTableDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TField.h"
#include "engine/Transaction.h"

#include <QCoreApplication>
#include <sqlite3.h>

namespace {

// The loader's reader: its own connection to the file, made on the loader's thread.
class SqliteKeyReader : public KeyReader
{
public:
    SqliteKeyReader(const QString &path, const QString &quotedTable, const QString &rowid)
        : m_db(Database::open(path)),
          m_next(m_db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %1 > ?1 ORDER BY %1 LIMIT ?2")
                                   .arg(rowid, quotedTable)))
    { }

    RecordList readAfter(RecordKey after, int limit) override
    {
        RecordList keys;
        m_next.bindInt64(1, after);
        m_next.bindInt64(2, limit);
        while (m_next.step())
            keys.append(m_next.columnInt64(0));
        m_next.reset(); // the read lock goes with it
        return keys;
    }

    void setInterruptCheck(std::function<bool()> check) override
    {
        m_db->setInterruptCheck(std::move(check));
    }

private:
    std::shared_ptr<Database> m_db; // declared first: the statement goes before it
    Statement m_next;
};

} // namespace

SqliteTableDriver::SqliteTableDriver(std::shared_ptr<Database> db, QString table, QString alias)
    : m_db(std::move(db)), m_table(std::move(table)), m_alias(std::move(alias))
{ }

bool SqliteTableDriver::tableExists()
{
    return m_db->tableExists(m_table);
}

TableDriver::Structure SqliteTableDriver::readStructure()
{
    Structure s;
    s.defs = TableSchema::readFields(*m_db, m_table, m_alias);
    int keyColumns = 0;
    for (const TFieldDef &def : s.defs)
        keyColumns += def.primaryKey > 0 ? 1 : 0;
    for (int i = 0; i < s.defs.size(); ++i) {
        const TFieldDef &def = s.defs.at(i);
        int size = 0;
        s.codes.push_back(TableSchema::fieldCode(*m_db, m_table, def, &size));
        s.sizes.push_back(size);
        if (keyColumns == 1 && def.primaryKey == 1
            && def.declaredType.trimmed().compare(u"INTEGER", Qt::CaseInsensitive) == 0)
            s.keyField = i; // an INTEGER PRIMARY KEY field: its value is the rowid
    }
    m_rowid = TableSchema::rowidColumn(*m_db, s.defs, m_table);
    return s;
}

bool SqliteTableDriver::isReadOnly() const
{
    return m_db->isReadOnly();
}

QString SqliteTableDriver::readOnlyMessage() const
{
    return m_db->readOnlyMessage();
}

void SqliteTableDriver::checkWritable(const QString &what) const
{
    m_db->checkWritable(what);
}

RecordList SqliteTableDriver::readKeys(
    std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit)
{
    QStringList where;
    if (after)
        where << QStringLiteral("%1 > ?1").arg(m_rowid);
    if (upTo)
        where << QStringLiteral("%1 <= ?2").arg(m_rowid);
    Statement s = m_db->prepare(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %1 LIMIT ?3")
                                    .arg(m_rowid, quotedTable(),
                                        where.isEmpty() ? QString()
                                                        : QStringLiteral(" WHERE ") + where.join(u" AND ")));
    if (after)
        s.bindInt64(1, *after);
    if (upTo)
        s.bindInt64(2, *upTo);
    s.bindInt64(3, limit);
    RecordList keys;
    while (s.step())
        keys.append(s.columnInt64(0));
    return keys;
}

std::function<std::unique_ptr<KeyReader>()> SqliteTableDriver::keyReaderFactory() const
{
    return [path = m_db->path(), table = quotedTable(), rowid = m_rowid] {
        return std::unique_ptr<KeyReader>(std::make_unique<SqliteKeyReader>(path, table, rowid));
    };
}

void SqliteTableDriver::prepareWindow(const std::vector<std::unique_ptr<TField>> &fields)
{
    m_codes.clear();
    QStringList selected;
    for (const auto &f : fields) {
        m_codes.push_back(f->dataType());
        const QString column = Database::quote(f->fieldName());
        // typeof() is answered from the record header: no memo or picture is read.
        selected << (fieldClassOf(f->dataType()) == FieldClass::Ordinary
                ? column
                : QStringLiteral("typeof(%1)").arg(column));
    }
    m_window.reset();
    m_window.emplace(*m_db,
        QStringLiteral("SELECT %1%2 FROM %3 WHERE %1 BETWEEN ?1 AND ?2 ORDER BY %1")
            .arg(m_rowid,
                selected.isEmpty() ? QString() : QStringLiteral(", ") + selected.join(u", "),
                quotedTable()));
}

void SqliteTableDriver::fillWindow(const std::vector<RecordKey> &keys, RecordWindowCache::Window &w)
{
    if (keys.empty())
        return;
    const size_t fieldCount = m_codes.size();
    Statement &query = *m_window;
    query.reset();
    query.bindInt64(1, keys.front());
    query.bindInt64(2, keys.back());
    size_t i = 0;
    while (query.step() && i < keys.size()) {
        const qint64 rowid = query.columnInt64(0);
        while (i < keys.size() && keys[i] < rowid)
            ++i;
        if (i >= keys.size() || keys[i] != rowid)
            continue; // a record another connection added: not ours until a refresh
        for (size_t f = 0; f < fieldCount; ++f) {
            const size_t cell = i * fieldCount + f;
            const int column = int(f) + 1;
            const int code = m_codes[f];
            if (fieldClassOf(code) != FieldClass::Ordinary) {
                w.flags[cell] = query.columnText(column) == u"null" ? RecordWindowCache::CellNull : 0;
                continue;
            }
            bool readable = true;
            w.values[cell] = FieldValue::fromStorage(query, column, code, &readable);
            w.flags[cell] = quint8((w.values[cell].isValid() ? 0 : RecordWindowCache::CellNull)
                | (readable ? 0 : RecordWindowCache::CellUnreadable));
        }
        ++i;
    }
    query.reset();
}

TableDriver::StoredValue SqliteTableDriver::readValue(RecordKey key, const QString &field)
{
    Statement s = m_db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                    .arg(Database::quote(field), quotedTable(), m_rowid));
    s.bindInt64(1, key);
    StoredValue v;
    if (!s.step())
        return v;
    v.found = true;
    if (s.isNull(0))
        return v;
    v.null = false;
    v.blob = s.columnType(0) == SQLITE_BLOB;
    v.bytes = v.blob ? s.columnBlob(0) : s.columnText(0).toUtf8();
    return v;
}

bool SqliteTableDriver::exists(RecordKey key)
{
    Statement s = m_db->prepare(
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(quotedTable(), m_rowid));
    s.bindInt64(1, key);
    return s.step();
}

bool SqliteTableDriver::update(RecordKey key, const QString &, const QStringList &fields,
    const std::vector<QVariant> &values)
{
    QStringList assignments;
    for (int i = 0; i < fields.size(); ++i)
        assignments << QStringLiteral("%1 = ?%2").arg(Database::quote(fields[i])).arg(i + 1);
    Statement s = m_db->prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                                    .arg(quotedTable(), assignments.join(u", "), m_rowid)
                                    .arg(fields.size() + 1));
    for (size_t i = 0; i < values.size(); ++i)
        s.bind(int(i) + 1, FieldValue::toStorage(values[i]));
    s.bindInt64(int(values.size()) + 1, key);
    s.step();
    return s.changes() > 0;
}

RecordKey SqliteTableDriver::insert(const QStringList &fields, const std::vector<QVariant> &values)
{
    QString sql;
    if (fields.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedTable());
    } else {
        QStringList columns;
        QStringList marks;
        for (int i = 0; i < fields.size(); ++i) {
            columns << Database::quote(fields[i]);
            marks << QStringLiteral("?%1").arg(i + 1);
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quotedTable(), columns.join(u", "), marks.join(u", "));
    }
    Statement s = m_db->prepare(sql);
    for (size_t i = 0; i < values.size(); ++i)
        s.bind(int(i) + 1, FieldValue::toStorage(values[i]));
    s.step();
    return m_db->lastInsertRowid();
}

bool SqliteTableDriver::remove(RecordKey key, const QString &)
{
    Statement s = m_db->prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quotedTable(), m_rowid));
    s.bindInt64(1, key);
    s.step();
    return s.changes() > 0;
}

void SqliteTableDriver::dropTable()
{
    m_db->exec(QStringLiteral("DROP TABLE %1").arg(quotedTable()));
    m_db->tableChanged(m_table);
}

TableDriver::Versions SqliteTableDriver::versions()
{
    return {m_db->dataVersion(), m_db->schemaVersion(), m_db->tableGeneration(m_table)};
}

std::optional<std::vector<TableDriver::RecordSetChange>> SqliteTableDriver::changesSince(quint64 since)
{
    const auto changes = m_db->changesSince(m_table, since);
    if (!changes)
        return std::nullopt;
    std::vector<RecordSetChange> result;
    result.reserve(changes->size());
    for (const Database::RecordSetChange &c : *changes)
        result.push_back({c.inserted, c.key});
    return result;
}

void SqliteTableDriver::recordInserted(RecordKey key)
{
    m_db->recordInserted(m_table, key);
}

void SqliteTableDriver::recordDeleted(RecordKey key)
{
    m_db->recordDeleted(m_table, key);
}

void SqliteTableDriver::tableChanged()
{
    m_db->tableChanged(m_table);
}

namespace {

class SqliteWork : public TableWork
{
public:
    explicit SqliteWork(Database &db) : m_transaction(db) { }
    void commit() override { m_transaction.commit(); }

private:
    Transaction m_transaction;
};

} // namespace

std::unique_ptr<TableWork> SqliteTableDriver::beginWork()
{
    return std::make_unique<SqliteWork>(*m_db);
}
