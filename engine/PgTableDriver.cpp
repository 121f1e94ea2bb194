#include "engine/PgTableDriver.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/PgConnection.h"
#include "engine/PgOid.h"
#include "engine/PgValue.h"
#include "engine/TField.h"
#include "engine/PgTransaction.h"

#include <QHash>
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

EngineError unknownRecord(const QString &table)
{
    return EngineError(PgTableDriver::tr("A record of the table “%1” is no longer known here; "
                                         "refresh the table.")
                           .arg(table));
}

// A key's values in a result row, from its first column.
PgKeyMap::Tuple tupleAt(const PgResult &r, int row, int columns)
{
    PgKeyMap::Tuple tuple;
    for (int c = 0; c < columns; ++c)
        tuple << r.text(row, c);
    return tuple;
}

std::vector<PgKeyMap::Tuple> tuplesOf(const PgResult &r, int columns)
{
    std::vector<PgKeyMap::Tuple> tuples;
    tuples.reserve(size_t(r.rowCount()));
    for (int row = 0; row < r.rowCount(); ++row)
        tuples.push_back(tupleAt(r, row, columns));
    return tuples;
}

// The loader's reader of a key that is not one whole number: the server reads the keys in its
// order, the shared map gives them their numbers.
class PgTupleKeyReader : public KeyReader
{
public:
    PgTupleKeyReader(const PgConnectionInfo &info, QString sql, std::shared_ptr<PgKeyMap> keys)
        : m_conn(info), m_sql(std::move(sql)), m_keys(std::move(keys))
    { }

    RecordList readAfter(RecordKey after, int limit) override
    {
        const std::optional<PgKeyMap::Tuple> from = m_keys->tupleOf(after);
        if (!from) // the loader starts after a key the table has read: not to be expected
            throw unknownRecord(m_keys->table());
        PgParameters parameters;
        for (const QString &value : *from)
            parameters.add(value);
        parameters.add(limit);
        const PgResult r = m_conn.exec(m_sql, parameters);
        return m_keys->takeOrdered(
            after, std::nullopt, tuplesOf(r, int(from->size())), r.rowCount() < limit);
    }

    void setInterruptCheck(std::function<bool()>) override { }

private:
    PgConnection m_conn;
    QString m_sql;
    std::shared_ptr<PgKeyMap> m_keys;
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
    QList<int> keyFields; // in key order
    for (int i = 0; i < m_fields.size(); ++i) {
        const PgCatalog::Field &f = m_fields.at(i);
        s.defs << f.def;
        s.codes.push_back(f.code);
        s.sizes.push_back(f.size);
        if (f.def.primaryKey > 0)
            keyFields << i;
    }
    std::sort(keyFields.begin(), keyFields.end(), [&](int a, int b) {
        return m_fields.at(a).def.primaryKey < m_fields.at(b).def.primaryKey;
    });
    m_keyField.clear();
    m_keyNames.clear();
    m_keyTypes.clear();
    m_readOnlyWhy.clear();
    if (keyFields.isEmpty()) {
        m_keyKind = KeyKind::Place;
        m_readOnlyWhy = tr("The table “%1” has no primary key, so Tabvale cannot tell its records "
                           "apart on the server: it is open read-only. Give the table a primary "
                           "key on the server to change its records here.")
                            .arg(m_name);
        m_keys.reset();
        return s;
    }
    const PgCatalog::Field &first = m_fields.at(keyFields.first());
    const bool whole
        = first.typeName == u"int2" || first.typeName == u"int4" || first.typeName == u"int8";
    if (keyFields.size() == 1 && whole) {
        m_keyKind = KeyKind::Number;
        s.keyField = keyFields.first();
        m_keyField = first.def.name;
        m_keys.reset();
        return s;
    }
    m_keyKind = KeyKind::Tuple;
    QStringList signature;
    for (int i : std::as_const(keyFields)) {
        const PgCatalog::Field &f = m_fields.at(i);
        s.keyFields.push_back(i);
        m_keyNames << m_conn->quoteIdentifier(f.def.name);
        m_keyTypes << f.def.declaredType; // format_type's text: quoted and qualified as needed
        signature << f.def.name << f.def.declaredType;
    }
    // The same key keeps its numbers, so records and bookmarks stay what they were.
    if (!m_keys || m_keys->columns() != signature)
        m_keys = std::make_shared<PgKeyMap>(m_name, signature);
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
    if (m_keyKind == KeyKind::Tuple)
        return keyList();
    return m_keyField.isEmpty() ? QStringLiteral("ctid") : m_conn->quoteIdentifier(m_keyField);
}

QString PgTableDriver::keyList(const QString &suffix) const
{
    QStringList columns;
    for (const QString &name : m_keyNames)
        columns << name + suffix;
    return columns.join(u", ");
}

QString PgTableDriver::keyRow() const
{
    return QStringLiteral("(%1)").arg(keyList());
}

QString PgTableDriver::parameterRow(int first) const
{
    QStringList marks;
    for (int i = 0; i < m_keyTypes.size(); ++i)
        marks << QStringLiteral("$%1::%2").arg(QString::number(first + i), m_keyTypes.at(i));
    return QStringLiteral("(%1)").arg(marks.join(u", "));
}

void PgTableDriver::addTuple(PgParameters &parameters, RecordKey key) const
{
    const std::optional<PgKeyMap::Tuple> tuple = m_keys->tupleOf(key);
    if (!tuple)
        throw unknownRecord(m_name);
    for (const QString &value : *tuple)
        parameters.add(value);
}

RecordKey PgTableDriver::placeStored(const PgKeyMap::Tuple &tuple)
{
    if (const std::optional<RecordKey> known = m_keys->keyOf(tuple))
        return *known;
    // Its number goes after the nearest key before it that this table knows; keys another user
    // stored meanwhile are passed over (they get theirs at the next read in order).
    constexpr int Step = 64;
    const QString sql
        = QStringLiteral("SELECT %1 FROM %2 WHERE %3 < %4 ORDER BY %5 LIMIT $%6::bigint")
              .arg(keyList(), table().sql, keyRow(), parameterRow(1),
                  keyList(QStringLiteral(" DESC")), QString::number(m_keyNames.size() + 1));
    PgKeyMap::Tuple bound = tuple;
    const int columns = int(m_keyNames.size());
    for (;;) {
        PgParameters parameters;
        for (const QString &value : std::as_const(bound))
            parameters.add(value);
        parameters.add(Step);
        const PgResult r = m_conn->exec(sql, parameters);
        for (int row = 0; row < r.rowCount(); ++row) {
            const PgKeyMap::Tuple before = tupleAt(r, row, columns);
            if (const std::optional<RecordKey> known = m_keys->keyOf(before))
                return m_keys->place(known, tuple);
        }
        if (r.rowCount() < Step)
            return m_keys->place(std::nullopt, tuple);
        bound = tupleAt(r, r.rowCount() - 1, columns);
    }
}

QString PgTableDriver::keyParameter() const
{
    return m_keyField.isEmpty() ? QStringLiteral("::tid") : QStringLiteral("::bigint");
}

RecordList PgTableDriver::readKeys(
    std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit)
{
    if (m_keyKind == KeyKind::Tuple) {
        QStringList where;
        PgParameters parameters;
        if (after) {
            where << keyRow() + QStringLiteral(" > ") + parameterRow(parameters.size() + 1);
            addTuple(parameters, *after);
        }
        if (upTo) {
            where << keyRow() + QStringLiteral(" <= ") + parameterRow(parameters.size() + 1);
            addTuple(parameters, *upTo);
        }
        parameters.add(limit < 0 ? QVariant() : QVariant(limit));
        const PgResult r = m_conn->exec(
            QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %1 LIMIT $%4::bigint")
                .arg(keyList(), table().sql,
                    where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(u" AND "),
                    QString::number(parameters.size())),
            parameters);
        return m_keys->takeOrdered(
            after, upTo, tuplesOf(r, int(m_keyNames.size())), limit < 0 || r.rowCount() < limit);
    }
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
    if (m_keyKind == KeyKind::Tuple) {
        const QString sql
            = QStringLiteral("SELECT %1 FROM %2 WHERE %3 > %4 ORDER BY %1 LIMIT $%5::bigint")
                  .arg(keyList(), m_table->sql, keyRow(), parameterRow(1),
                      QString::number(m_keyNames.size() + 1));
        return [info = m_conn->info(), sql, keys = m_keys] {
            return std::unique_ptr<KeyReader>(std::make_unique<PgTupleKeyReader>(info, sql, keys));
        };
    }
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
    if (m_keyKind == KeyKind::Tuple) {
        const int columns = int(m_keyNames.size());
        // Ordered by the key's places in the list: a field shown as its text takes the field's
        // name, which ORDER BY would find twice.
        QStringList places;
        for (int i = 1; i <= columns; ++i)
            places << QString::number(i);
        m_windowSql
            = QStringLiteral("SELECT %1, xmin::text%2 FROM %3 WHERE %4 >= %5 AND %4 <= %6 "
                             "ORDER BY %7")
                  .arg(keyList(),
                      selected.isEmpty() ? QString() : QStringLiteral(", ") + selected.join(u", "),
                      table().sql, keyRow(), parameterRow(1), parameterRow(columns + 1),
                      places.join(u", "));
        return;
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
    const int keyColumns = keyColumnCount();
    w.versions.assign(keys.size(), QString());
    std::optional<PgResult> r;
    try {
        PgParameters parameters;
        keyMarks(keys.front(), parameters);
        keyMarks(keys.back(), parameters);
        r.emplace(m_conn->exec(m_windowSql, parameters));
    } catch (const EngineError &) {
        // Painting the grid must not raise: the cells stay empty, the window is read again when
        // next shown, and the next action tells the user (and connects again).
        w.incomplete = true;
        return;
    }
    const size_t fieldCount = m_codes.size();
    size_t i = 0;
    for (int row = 0; row < r->rowCount() && i < keys.size(); ++row) {
        const std::optional<RecordKey> known = keyInRow(*r, row);
        if (!known)
            continue; // a record another user added: not ours until a refresh
        const RecordKey key = *known;
        while (i < keys.size() && keys[i] < key)
            ++i;
        if (i >= keys.size() || keys[i] != key)
            continue; // a record another user added: not ours until a refresh
        w.versions[i] = r->text(row, keyColumns);
        for (size_t f = 0; f < fieldCount; ++f) {
            const size_t cell = i * fieldCount + f;
            const int column = int(f) + keyColumns + 1;
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

QString PgTableDriver::keyMarks(RecordKey key, PgParameters &parameters) const
{
    if (m_keyKind == KeyKind::Tuple) {
        const int first = parameters.size() + 1;
        addTuple(parameters, key);
        return parameterRow(first);
    }
    parameters.add(keyText(key, m_keyField.isEmpty()));
    return QStringLiteral("$%1%2").arg(QString::number(parameters.size()), keyParameter());
}

QString PgTableDriver::keyCondition(RecordKey key, PgParameters &parameters) const
{
    const QString column = m_keyKind == KeyKind::Tuple ? keyRow() : keyColumn();
    return column + QStringLiteral(" = ") + keyMarks(key, parameters);
}

int PgTableDriver::keyColumnCount() const
{
    return m_keyKind == KeyKind::Tuple ? int(m_keyNames.size()) : 1;
}

std::optional<RecordKey> PgTableDriver::keyInRow(const PgResult &r, int row) const
{
    if (m_keyKind == KeyKind::Tuple)
        return m_keys->keyOf(tupleAt(r, row, keyColumnCount()));
    return keyFromText(r.text(row, 0), m_keyField.isEmpty());
}

bool PgTableDriver::knows(RecordKey key) const
{
    // A retired number is a record gone; its key stored again has a number of its own.
    return m_keyKind != KeyKind::Tuple || m_keys->isLive(key);
}

TableDriver::StoredValue PgTableDriver::readValue(RecordKey key, const QString &field)
{
    StoredValue v;
    if (!knows(key))
        return v;
    PgParameters parameters;
    const QString condition = keyCondition(key, parameters);
    const PgResult r
        = m_conn->exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                           .arg(m_conn->quoteIdentifier(field), table().sql, condition),
            parameters, PgResult::Format::Binary);
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

TableDriver::StoredValues PgTableDriver::readValues(
    const std::vector<RecordKey> &keys, const QString &field)
{
    StoredValues read;
    std::vector<StoredValue> &values = read.values;
    values.resize(keys.size());
    // The records asked for by name (their keys listed), so nothing else is fetched; the keys
    // come back as text to find each value its place.
    PgParameters parameters;
    QStringList wanted;
    QHash<RecordKey, size_t> placeOf;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!knows(keys[i]) || placeOf.contains(keys[i]))
            continue;
        placeOf.insert(keys[i], i);
        wanted << keyMarks(keys[i], parameters);
    }
    if (wanted.isEmpty())
        return read;
    const bool byTuple = m_keyKind == KeyKind::Tuple;
    const int keyColumns = keyColumnCount();
    const QString keyTexts = byTuple ? keyList(QStringLiteral("::text")) : keyColumn() + QStringLiteral("::text");
    auto answer = std::make_shared<PgResult>(
        m_conn->exec(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IN (%5)")
                         .arg(keyTexts, m_conn->quoteIdentifier(field), table().sql,
                             byTuple ? keyRow() : keyColumn(), wanted.join(u", ")),
            parameters, PgResult::Format::Binary)); // a text's binary form is its UTF-8
    const PgResult &r = *answer;
    for (int row = 0; row < r.rowCount(); ++row) {
        const std::optional<RecordKey> key = keyInRow(r, row);
        const auto place = key ? placeOf.constFind(*key) : placeOf.cend();
        if (place == placeOf.cend())
            continue;
        StoredValue &v = values[*place];
        v.found = true;
        if (r.isNull(row, keyColumns))
            continue;
        v.null = false;
        v.blob = r.columnType(keyColumns) == PgOid::Bytea;
        // Not copied: megabytes of pictures copied here would each be fresh memory to fault in.
        v.bytes = r.rawBytes(row, keyColumns);
    }
    // The same key asked for twice gets the same value.
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto place = placeOf.constFind(keys[i]);
        if (place != placeOf.cend() && *place != i)
            values[i] = values[*place];
    }
    read.owner = std::move(answer);
    return read;
}

bool PgTableDriver::exists(RecordKey key)
{
    if (!knows(key))
        return false;
    PgParameters parameters;
    const QString condition = keyCondition(key, parameters);
    const PgResult r = m_conn->exec(
        QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table().sql, condition), parameters);
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
    m_movedKey.reset();
    if (!knows(key))
        return false;
    PgParameters parameters;
    QStringList assignments;
    for (int i = 0; i < fields.size(); ++i) {
        parameters.add(parameterOf(values[size_t(i)]));
        assignments << QStringLiteral("%1 = $%2")
                           .arg(m_conn->quoteIdentifier(fields[i]), QString::number(i + 1));
    }
    if (m_keyKind == KeyKind::Tuple) {
        // The key's new value and whether it changed, compared by the server.
        const int first = parameters.size() + 1;
        const QString condition = keyCondition(key, parameters);
        parameters.add(version);
        const PgResult r = m_conn->exec(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3 AND xmin = $%4::xid RETURNING %5, %6 = %7")
                .arg(table().sql, assignments.join(u", "), condition,
                    QString::number(parameters.size()), keyList(), keyRow(), parameterRow(first)),
            parameters);
        if (r.affectedRows() == 0)
            return false;
        const int columns = int(m_keyNames.size());
        if (r.text(0, columns) != u"t") {
            m_keys->retire(key);
            m_movedKey = placeStored(tupleAt(r, 0, columns));
        }
        return true;
    }
    parameters.add(keyText(key, false));
    parameters.add(version);
    const PgResult r = m_conn->exec(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4::bigint AND xmin = $%5::xid")
            .arg(table().sql, assignments.join(u", "), keyColumn(),
                QString::number(parameters.size() - 1), QString::number(parameters.size())),
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
    if (m_keyKind == KeyKind::Tuple)
        return placeStored(tupleAt(r, 0, int(m_keyNames.size())));
    return keyFromText(r.text(0, 0), false);
}

bool PgTableDriver::remove(RecordKey key, const QString &version)
{
    if (!knows(key))
        return false;
    PgParameters parameters;
    const QString condition = keyCondition(key, parameters);
    parameters.add(version);
    const PgResult r
        = m_conn->exec(QStringLiteral("DELETE FROM %1 WHERE %2 AND xmin = $%3::xid")
                           .arg(table().sql, condition, QString::number(parameters.size())),
            parameters);
    const bool removed = r.affectedRows() > 0;
    if (removed && m_keyKind == KeyKind::Tuple)
        m_keys->retire(key);
    return removed;
}

void PgTableDriver::dropTable()
{
    // Without CASCADE: the server refuses while views or other tables' keys depend on it.
    m_conn->exec(QStringLiteral("DROP TABLE %1").arg(table().sql));
    tableChanged();
}

TableDriver::Versions PgTableDriver::versions()
{
    // Other users' commits are not announced: every re-read reads the records again. Inside a
    // transaction of this connection (a sheet written back in one piece) the records changed
    // only by this table object's own writes, known one by one: re-reading the whole table after
    // each of thousands of posts would make the work grow with the square of the table. The
    // re-read after the work shows the others' changes.
    if (!m_conn->inTransaction())
        ++m_dataVersion;
    return {m_dataVersion, 0, m_generation};
}

void PgTableDriver::logChange(const RecordSetChange &change)
{
    // Enough for a re-read after each post; a longer gap reads the records again.
    constexpr size_t MaxChanges = 4096;
    ++m_generation;
    if (m_changes.size() == MaxChanges) {
        m_unknownThrough = m_changes.front().first;
        m_changes.erase(m_changes.begin());
    }
    m_changes.emplace_back(m_generation, change);
}

void PgTableDriver::tableChanged()
{
    ++m_generation;
    m_unknownThrough = m_generation;
    m_changes.clear();
}

std::optional<std::vector<TableDriver::RecordSetChange>> PgTableDriver::changesSince(quint64 since)
{
    if (since < m_unknownThrough)
        return std::nullopt;
    std::vector<RecordSetChange> changes;
    for (const auto &[generation, change] : m_changes) {
        if (generation > since)
            changes.push_back(change);
    }
    return changes;
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
