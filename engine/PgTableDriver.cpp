#include "engine/PgTableDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/PgConnection.h"
#include "engine/PgOid.h"
#include "engine/PgValue.h"
#include "engine/TField.h"
#include "engine/PgTransaction.h"

#include <algorithm>

namespace {

// A row's place (block, item) as one ordered number: items of a block are fewer than 2^16.
constexpr int ItemBits = 16;

// The loader's reader: a connection of its own, made on the loader's thread.
class PgKeyReader : public KeyReader
{
public:
    PgKeyReader(const PgConnectionInfo &info, QString sql, bool byPlace)
        : m_conn(info), m_sql(std::move(sql)), m_byPlace(byPlace)
    { }

    RecordList readAfter(RecordKey after, int limit) override
    {
        RecordList keys;
        const PgResult r
            = m_conn.exec(m_sql, {PgTableDriver::keyText(after, m_byPlace), limit});
        for (int row = 0; row < r.rowCount(); ++row)
            keys.append(PgTableDriver::keyFromText(r.text(row, 0), m_byPlace));
        return keys;
    }

    // A part is one short command: a stop waits for it at most.
    void setInterruptCheck(std::function<bool()>) override { }

private:
    PgConnection m_conn;
    QString m_sql;
    bool m_byPlace;
};

} // namespace

PgTableDriver::PgTableDriver(std::shared_ptr<PgConnection> conn, QString table, QString alias)
    : m_conn(std::move(conn)), m_name(std::move(table)), m_alias(std::move(alias))
{ }

QString PgTableDriver::keyText(RecordKey key, bool byPlace)
{
    if (!byPlace)
        return QString::number(key);
    return QStringLiteral("(%1,%2)").arg(key >> ItemBits).arg(key & ((1 << ItemBits) - 1));
}

RecordKey PgTableDriver::keyFromText(const QString &text, bool byPlace)
{
    if (!byPlace)
        return text.toLongLong();
    const QString inner = text.mid(1, text.size() - 2); // "(block,item)"
    return (inner.section(u',', 0, 0).toLongLong() << ItemBits) | inner.section(u',', 1).toLongLong();
}

void PgTableDriver::ensureConnected()
{
    m_conn->ensureConnected();
}

const PgCatalog::Table &PgTableDriver::table()
{
    if (!m_table)
        m_table = PgCatalog::find(*m_conn, m_name, m_alias);
    return *m_table;
}

bool PgTableDriver::tableExists()
{
    try {
        m_table = PgCatalog::find(*m_conn, m_name, m_alias);
        return true;
    } catch (const EngineError &) {
        if (m_conn->isLost())
            throw;
        return false;
    }
}

TableDriver::Structure PgTableDriver::readStructure()
{
    m_fields = PgCatalog::fields(*m_conn, table());
    Structure s;
    int keyColumns = 0;
    for (const PgCatalog::Field &f : std::as_const(m_fields))
        keyColumns += f.def.primaryKey > 0;
    m_keyField.clear();
    for (int i = 0; i < m_fields.size(); ++i) {
        const PgCatalog::Field &f = m_fields.at(i);
        s.defs << f.def;
        s.codes.push_back(f.code);
        s.sizes.push_back(f.size);
        const bool whole = f.typeName == u"int2" || f.typeName == u"int4" || f.typeName == u"int8";
        if (keyColumns == 1 && f.def.primaryKey == 1 && whole) {
            s.keyField = i;
            m_keyField = f.def.name;
        }
    }
    if (keyColumns == 0)
        m_readOnlyWhy = tr("The table “%1” has no primary key, so Tabvale cannot tell its records "
                           "apart on the server: it is open read-only.")
                            .arg(m_name);
    else if (m_keyField.isEmpty())
        m_readOnlyWhy = tr("The primary key of the table “%1” is not one whole-number field; "
                           "Tabvale can only show such a table for now: it is open read-only.")
                            .arg(m_name);
    else
        m_readOnlyWhy.clear();
    return s;
}

QString PgTableDriver::readOnlyMessage() const
{
    return m_readOnlyWhy;
}

void PgTableDriver::checkWritable(const QString &what) const
{
    if (!m_readOnlyWhy.isEmpty())
        throw EngineError(tr("%1 is not possible: %2").arg(what, m_readOnlyWhy));
}

QString PgTableDriver::keyColumn() const
{
    return m_keyField.isEmpty() ? QStringLiteral("ctid") : m_conn->quoteIdentifier(m_keyField);
}

QString PgTableDriver::keyParameter() const
{
    return m_keyField.isEmpty() ? QStringLiteral("::tid") : QStringLiteral("::bigint");
}

RecordList PgTableDriver::readKeys(
    std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit)
{
    const bool byPlace = m_keyField.isEmpty();
    QStringList where;
    PgParameters parameters;
    if (after) {
        parameters.add(keyText(*after, byPlace));
        where << QStringLiteral("%1 > $%2%3").arg(keyColumn()).arg(parameters.size()).arg(keyParameter());
    }
    if (upTo) {
        parameters.add(keyText(*upTo, byPlace));
        where << QStringLiteral("%1 <= $%2%3").arg(keyColumn()).arg(parameters.size()).arg(keyParameter());
    }
    parameters.add(limit < 0 ? QVariant() : QVariant(limit)); // LIMIT NULL: all of them
    const PgResult r = m_conn->exec(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %1 LIMIT $%4::bigint")
                                        .arg(keyColumn(), table().sql,
                                            where.isEmpty() ? QString()
                                                            : QStringLiteral(" WHERE ") + where.join(u" AND "))
                                        .arg(parameters.size()),
        parameters);
    RecordList keys;
    for (int row = 0; row < r.rowCount(); ++row)
        keys.append(keyFromText(r.text(row, 0), byPlace));
    return keys;
}

std::function<std::unique_ptr<KeyReader>()> PgTableDriver::keyReaderFactory() const
{
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %1 > $1%3 ORDER BY %1 LIMIT $2::bigint")
                            .arg(keyColumn(), m_table->sql, keyParameter());
    return [info = m_conn->info(), sql, byPlace = m_keyField.isEmpty()] {
        return std::unique_ptr<KeyReader>(std::make_unique<PgKeyReader>(info, sql, byPlace));
    };
}

void PgTableDriver::prepareWindow(const std::vector<std::unique_ptr<TField>> &fields)
{
    m_codes.clear();
    QStringList selected;
    for (const auto &f : fields) {
        m_codes.push_back(f->dataType());
        const QString column = m_conn->quoteIdentifier(f->fieldName());
        if (fieldClassOf(f->dataType()) != FieldClass::Ordinary) {
            selected << QStringLiteral("%1 IS NULL").arg(column); // never the bytes
            continue;
        }
        const auto known = std::find_if(m_fields.cbegin(), m_fields.cend(),
            [&](const PgCatalog::Field &pf) { return pf.def.name == f->fieldName(); });
        selected << PgValue::selectExpression(column,
            known != m_fields.cend() ? known->typeName : QString(),
            known != m_fields.cend() && known->asText);
    }
    m_windowSql = QStringLiteral("SELECT %1, xmin::text%2 FROM %3 WHERE %1 BETWEEN $1%4 AND $2%4 "
                                 "ORDER BY %1")
                      .arg(keyColumn(),
                          selected.isEmpty() ? QString() : QStringLiteral(", ") + selected.join(u", "),
                          table().sql, keyParameter());
}

void PgTableDriver::fillWindow(const std::vector<RecordKey> &keys, RecordWindowCache::Window &w)
{
    if (keys.empty())
        return;
    const bool byPlace = m_keyField.isEmpty();
    w.versions.assign(keys.size(), QString());
    std::optional<PgResult> r;
    try {
        r.emplace(m_conn->exec(m_windowSql, {keyText(keys.front(), byPlace), keyText(keys.back(), byPlace)}));
    } catch (const EngineError &) {
        // Painting the grid must not raise: the cells stay empty, the window is read again when
        // next shown, and the next action tells the user (and connects again).
        w.incomplete = true;
        return;
    }
    const size_t fieldCount = m_codes.size();
    size_t i = 0;
    for (int row = 0; row < r->rowCount() && i < keys.size(); ++row) {
        const RecordKey key = keyFromText(r->text(row, 0), byPlace);
        while (i < keys.size() && keys[i] < key)
            ++i;
        if (i >= keys.size() || keys[i] != key)
            continue; // a record another user added: not ours until a refresh
        w.versions[i] = r->text(row, 1);
        for (size_t f = 0; f < fieldCount; ++f) {
            const size_t cell = i * fieldCount + f;
            const int column = int(f) + 2;
            if (fieldClassOf(m_codes[f]) != FieldClass::Ordinary) {
                w.flags[cell] = r->text(row, column) == u"t" ? RecordWindowCache::CellNull : 0;
                continue;
            }
            if (r->isNull(row, column)) {
                w.flags[cell] = RecordWindowCache::CellNull;
                continue;
            }
            bool readable = true;
            w.values[cell] = PgValue::fromText(r->text(row, column), m_codes[f], &readable);
            w.flags[cell] = readable ? 0 : RecordWindowCache::CellUnreadable;
        }
        ++i;
    }
}

TableDriver::StoredValue PgTableDriver::readValue(RecordKey key, const QString &field)
{
    const PgResult r = m_conn->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1%4")
                                        .arg(m_conn->quoteIdentifier(field), table().sql,
                                            keyColumn(), keyParameter()),
        {keyText(key, m_keyField.isEmpty())}, PgResult::Format::Binary);
    StoredValue v;
    if (r.rowCount() == 0)
        return v;
    v.found = true;
    if (r.isNull(0, 0))
        return v;
    v.null = false;
    v.blob = r.columnType(0) == PgOid::Bytea;
    v.bytes = r.bytes(0, 0); // text types' binary form is their UTF-8
    return v;
}

bool PgTableDriver::exists(RecordKey key)
{
    const PgResult r = m_conn->exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1%3")
                                        .arg(table().sql, keyColumn(), keyParameter()),
        {keyText(key, m_keyField.isEmpty())});
    return r.rowCount() > 0;
}

namespace {

// A value as the server takes it: bytes as bytea, the rest as text in the stored form.
QVariant parameterOf(const QVariant &value)
{
    return FieldValue::toStorage(value);
}

} // namespace

bool PgTableDriver::update(RecordKey key, const QString &version, const QStringList &fields,
    const std::vector<QVariant> &values)
{
    PgParameters parameters;
    QStringList assignments;
    for (int i = 0; i < fields.size(); ++i) {
        parameters.add(parameterOf(values[size_t(i)]));
        assignments << QStringLiteral("%1 = $%2").arg(m_conn->quoteIdentifier(fields[i])).arg(i + 1);
    }
    parameters.add(keyText(key, false));
    parameters.add(version);
    const PgResult r = m_conn->exec(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4::bigint AND xmin = $%5::xid")
            .arg(table().sql, assignments.join(u", "), keyColumn())
            .arg(parameters.size() - 1)
            .arg(parameters.size()),
        parameters);
    return r.affectedRows() > 0;
}

RecordKey PgTableDriver::insert(const QStringList &fields, const std::vector<QVariant> &values)
{
    QString sql;
    PgParameters parameters;
    if (fields.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2").arg(table().sql, keyColumn());
    } else {
        QStringList columns;
        QStringList marks;
        for (int i = 0; i < fields.size(); ++i) {
            parameters.add(parameterOf(values[size_t(i)]));
            columns << m_conn->quoteIdentifier(fields[i]);
            marks << QStringLiteral("$%1").arg(i + 1);
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                  .arg(table().sql, columns.join(u", "), marks.join(u", "), keyColumn());
    }
    const PgResult r = m_conn->exec(sql, parameters);
    return keyFromText(r.text(0, 0), false);
}

bool PgTableDriver::remove(RecordKey key, const QString &version)
{
    const PgResult r = m_conn->exec(
        QStringLiteral("DELETE FROM %1 WHERE %2 = $1::bigint AND xmin = $2::xid").arg(table().sql, keyColumn()),
        {keyText(key, false), version});
    return r.affectedRows() > 0;
}

void PgTableDriver::dropTable()
{
    // Without CASCADE: the server refuses while views or other tables' keys depend on it.
    m_conn->exec(QStringLiteral("DROP TABLE %1").arg(table().sql));
    ++m_generation;
}

TableDriver::Versions PgTableDriver::versions()
{
    // Other users' commits are not announced: every re-read reads the records again.
    return {++m_dataVersion, 0, m_generation};
}

namespace {

class PgWork : public TableWork
{
public:
    explicit PgWork(PgConnection &conn) : m_transaction(conn) { }
    void commit() override { m_transaction.commit(); }

private:
    PgTransaction m_transaction;
};

} // namespace

std::unique_ptr<TableWork> PgTableDriver::beginWork()
{
    m_conn->ensureConnected();
    return std::make_unique<PgWork>(*m_conn);
}
