#pragma once

#include "engine/PgCatalog.h"
#include "engine/PgConnectionInfo.h"
#include "engine/PgKeyMap.h"
#include "engine/TableDriver.h"

#include <QCoreApplication>

class PgConnection;
class PgResult;
class PgParameters;

// A table on a PostgreSQL server. A record is known by its primary key: one whole-number field
// is the key itself; any other primary key (several fields, text, uuid, dates…) is known by a
// number standing for its value (see PgKeyMap). The records come in the server's key order and
// a write names the row's version (xmin) as it was read, so it changes nothing when someone
// else changed the record since. A table without a primary key is known by the place of its rows
// (ctid) and opens read-only: on a server many people write to, a row's place says nothing about
// which record it holds tomorrow. Everything another user may have changed is read again at
// every re-read.
class PgTableDriver : public TableDriver
{
    Q_DECLARE_TR_FUNCTIONS(PgTableDriver)

public:
    PgTableDriver(std::shared_ptr<PgConnection> conn, QString table, QString alias);

    const void *connectionId() const override { return m_conn.get(); }
    void ensureConnected() override;
    bool tableExists() override;
    Structure readStructure() override;
    bool isReadOnly() const override { return !m_readOnlyWhy.isEmpty(); }
    QString readOnlyMessage() const override;
    void checkWritable(const QString &what) const override;

    RecordList readKeys(
        std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit) override;
    std::function<std::unique_ptr<KeyReader>()> keyReaderFactory() const override;

    void prepareWindow(const std::vector<std::unique_ptr<TField>> &fields) override;
    void fillWindow(const std::vector<RecordKey> &keys, RecordWindowCache::Window &w) override;
    StoredValue readValue(RecordKey key, const QString &field) override;
    StoredValues readValues(const std::vector<RecordKey> &keys, const QString &field) override;
    bool exists(RecordKey key) override;

    bool update(RecordKey key, const QString &version, const QStringList &fields,
        const std::vector<QVariant> &values) override;
    RecordKey insert(const QStringList &fields, const std::vector<QVariant> &values) override;
    bool remove(RecordKey key, const QString &version) override;
    std::optional<RecordKey> movedKey() const override { return m_movedKey; }
    bool keepsVersions() const override { return true; }
    void dropTable() override;
    std::unique_ptr<TableWork> beginWork() override;

    Versions versions() override;
    quint64 generation() const override { return m_generation; }
    std::optional<std::vector<RecordSetChange>> changesSince(quint64 since) override;
    void recordInserted(RecordKey key) override { logChange({true, key}); }
    void recordDeleted(RecordKey key) override { logChange({false, key}); }
    void tableChanged() override;
    std::shared_ptr<PgKeyMap> sharedKeys() const override { return m_keys; }
    void useSharedKeys(std::shared_ptr<PgKeyMap> keys) override { m_keys = std::move(keys); }

    // How a key reads in SQL: the number, or a row place "(block,item)" (see PgKey).
    static QString keyText(RecordKey key, bool byPlace);
    static RecordKey keyFromText(const QString &text, bool byPlace);

private:
    enum class KeyKind { Place, Number, Tuple };

    const PgCatalog::Table &table();
    QString keyColumn() const; // the key's SQL: the quoted key field, or ctid
    QString keyParameter() const; // $n's cast for the key's type
    // A primary key of several fields or not a whole number: its fields, its row of parameters
    // from $first cast to their types, and the number of a key just stored (placed after the
    // nearest key before it that this table knows).
    QString keyList(const QString &suffix = QString()) const;
    QString keyRow() const;
    QString parameterRow(int first) const;
    void addTuple(PgParameters &parameters, RecordKey key) const;
    RecordKey placeStored(const PgKeyMap::Tuple &tuple);
    // The key's value as parameters: added to parameters, and their marks cast to the key's
    // types ("$3::bigint", or "($3::integer, $4::text)" for a key of several fields).
    QString keyMarks(RecordKey key, PgParameters &parameters) const;
    // "key = value" for the record of key, its values added to parameters.
    QString keyCondition(RecordKey key, PgParameters &parameters) const;
    // The key of a result row whose first columns are the key's fields as text; nullopt for a
    // record this table does not know yet (another user's, until a refresh).
    std::optional<RecordKey> keyInRow(const PgResult &r, int row) const;
    int keyColumnCount() const;
    bool knows(RecordKey key) const; // false: a record known to be gone

    std::shared_ptr<PgConnection> m_conn;
    QString m_name;
    QString m_alias;
    std::optional<PgCatalog::Table> m_table;
    QList<PgCatalog::Field> m_fields;
    QString m_keyField; // the whole-number key field (KeyKind::Number)
    KeyKind m_keyKind = KeyKind::Place;
    QStringList m_keyNames; // KeyKind::Tuple: the key's fields in key order, quoted
    QStringList m_keyTypes; // and their types as SQL names them
    std::shared_ptr<PgKeyMap> m_keys; // shared with the key readers
    std::optional<RecordKey> m_movedKey;
    QString m_readOnlyWhy;
    QString m_windowSql;
    std::vector<int> m_codes; // the window's fields
    void logChange(const RecordSetChange &change);

    qint64 m_dataVersion = 0;
    quint64 m_generation = 0;
    // This table object's own record-set changes, with the generation each made; those up to
    // m_unknownThrough are not all known (a change that said no more, or too many).
    std::vector<std::pair<quint64, RecordSetChange>> m_changes;
    quint64 m_unknownThrough = 0;
};
