#pragma once

#include "engine/Database.h"
#include "engine/TableDriver.h"

#include <optional>

// A table of a SQLite database file, known by its rowid. The connection is the thread's one for
// the file (Database::open), shared with the other tables of the file.
class SqliteTableDriver : public TableDriver
{
public:
    SqliteTableDriver(std::shared_ptr<Database> db, QString table, QString alias);

    Database &database() const { return *m_db; }

    const void *connectionId() const override { return m_db.get(); }
    bool tableExists() override;
    Structure readStructure() override;
    bool isReadOnly() const override;
    QString readOnlyMessage() const override;
    void checkWritable(const QString &what) const override;

    RecordList readKeys(
        std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit) override;
    std::function<std::unique_ptr<KeyReader>()> keyReaderFactory() const override;

    void prepareWindow(const std::vector<std::unique_ptr<TField>> &fields) override;
    void fillWindow(const std::vector<RecordKey> &keys, RecordWindowCache::Window &w) override;
    StoredValue readValue(RecordKey key, const QString &field) override;
    bool exists(RecordKey key) override;

    bool update(RecordKey key, const QString &version, const QStringList &fields,
        const std::vector<QVariant> &values) override;
    RecordKey insert(const QStringList &fields, const std::vector<QVariant> &values) override;
    bool remove(RecordKey key, const QString &version) override;
    void dropTable() override;
    std::unique_ptr<TableWork> beginWork() override;

    Versions versions() override;
    quint64 generation() const override { return m_db->tableGeneration(m_table); }
    std::optional<std::vector<RecordSetChange>> changesSince(quint64 since) override;
    void recordInserted(RecordKey key) override;
    void recordDeleted(RecordKey key) override;
    void tableChanged() override;

private:
    QString quotedTable() const { return Database::quote(m_table); }

    std::shared_ptr<Database> m_db; // declared first: the statement below goes before it
    QString m_table;
    QString m_alias;
    QString m_rowid = QStringLiteral("rowid"); // how SQL names the rowid of this table
    std::vector<int> m_codes; // the window's fields
    std::optional<Statement> m_window;
};
