#pragma once

#include "engine/Database.h"
#include "engine/RecordWindowCache.h"
#include "engine/TTable.h"
#include "engine/TableSchema.h"

#include <QHash>
#include <optional>
#include <vector>

// The open table's working state, shared by the files that implement TTable.
struct TTable::Private
{
    explicit Private(TTable *table) : q(table) { }

    TTable *q;
    std::shared_ptr<Database> db; // declared first: the statements below go before it
    QString rowidName; // how SQL names the rowid of this table
    int rowidAliasField = -1; // an INTEGER PRIMARY KEY field: its value is the rowid
    std::vector<std::unique_ptr<TField>> fields;
    std::vector<qint64> rowids; // ascending: the record order
    int pos = -1;
    bool bof = true;
    bool eof = true;

    std::vector<QVariant> buffer; // the record being edited or inserted
    std::vector<char> changed;

    RecordWindowCache values; // the ordinary fields' values, a window of records at a time
    qint64 memoRowid = -1;
    QHash<int, QVariant> memoTexts; // the current record's memo texts, read when asked for

    quint64 seenGeneration = 0;
    qint64 seenDataVersion = 0;
    qint64 seenSchemaVersion = 0;

    QString table() const { return Database::quote(q->m_tableName); }
    int count() const { return int(rowids.size()); }
    int positionOf(qint64 rowid) const; // -1 when not in the list
    int insertRowid(qint64 rowid); // returns its position
    void readStructure(const QList<TFieldDef> &defs); // makes the fields
    void prepareWindowQuery();
    void readRowids();
    bool recordsAreSmall(); // from a sample of records: most of them fit in the leaf pages
    void dropValues();
    void startBuffer();
    void clearBuffer();
    void setPosition(int position); // tells bound controls when the record changes
    void recordSetChangedHere(); // after an insert or delete through this table
};
