#pragma once

#include "engine/RecordList.h"
#include "engine/RecordListLoader.h"
#include "engine/RecordWindowCache.h"
#include "engine/TTable.h"
#include "engine/TableDriver.h"
#include "engine/TableSchema.h"

#include <QHash>
#include <limits>
#include <map>
#include <optional>
#include <vector>

// The open table's working state, shared by the files that implement TTable.
//
// The record list arrives in two steps: open() reads the first FirstKeys keys itself, and a
// loader reads the rest on its own thread. Until the loader is done the list holds the keys up to
// `through` exactly; changes made meanwhile through this connection to records beyond that wait
// in `beyond` and are applied to the part that brings their key. Whatever needs records not yet
// loaded waits for them (ensureLoaded); nothing takes the part for the whole.
struct TTable::Private
{
    static constexpr int FirstKeys = 1000; // read at once: the first screens

    explicit Private(TTable *table) : q(table) { }

    TTable *q;
    std::unique_ptr<TableDriver> driver; // declared first: what reads through it goes before it
    int keyField = -1; // the field whose value is the record's key (a SQLite INTEGER PRIMARY KEY)
    std::vector<int> keyFields; // the fields of a key the driver numbers (see TableDriver)
    std::vector<std::unique_ptr<TField>> fields;
    RecordList keys; // the record order
    int pos = -1;
    bool bof = true;
    bool eof = true;

    std::unique_ptr<RecordListLoader> loader; // while the rest of the list is being read
    RecordKey through = std::numeric_limits<RecordKey>::max(); // keys up to here are all known
    std::map<RecordKey, bool> beyond; // inserted (true) or deleted beyond `through`
    QString loadError; // why the list could not be read to its end

    std::vector<QVariant> buffer; // the record being edited or inserted
    std::vector<char> changed;
    QString editVersion; // the edited record's version when it was read (see TableDriver)

    RecordWindowCache values; // the ordinary fields' values, a window of records at a time
    qint64 memoRowid = -1;
    QHash<int, QVariant> memoTexts; // the current record's memo texts, read when asked for

    quint64 seenGeneration = 0;
    qint64 seenDataVersion = 0;
    qint64 seenSchemaVersion = 0;

    int count() const { return keys.count(); } // the records loaded so far
    bool complete() const { return !loader && loadError.isEmpty(); }
    void readStructure(const TableDriver::Structure &structure); // makes the fields
    void prepareWindowQuery();

    // Reads the first keys (and with through, every key up to it) and starts the loader for the
    // rest when there is more.
    void readKeys(std::optional<RecordKey> throughKey = std::nullopt);
    void stopLoading();
    // Takes what the loader has read; true when the list grew or became complete. Raises when
    // the loader could not read the rest.
    bool takeLoaded();
    // Waits (with the wait hook) until the record at position is loaded or the list is complete;
    // also until the key is known when given. Raises when the rest cannot be read.
    void ensureLoaded(int position);
    void ensureLoadedThrough(RecordKey key);
    void ensureComplete() { ensureLoaded(std::numeric_limits<int>::max()); }
    void raiseLoadError() const;
    // A record inserted or deleted through this connection (by this table or another one).
    void applyChange(bool inserted, RecordKey key);

    void dropValues();
    // The current record's version as read (empty where the database keeps none).
    QString currentVersion();
    void startBuffer();
    void clearBuffer();
    void setPosition(int position); // tells bound controls when the record changes
    // Makes the record at position current, or the last one when there are fewer; a record after
    // the loaded ones is waited for (the position stays valid should the wait raise).
    void settleAt(int position);
    // Runs log, which tells the connection of changes made through this table.
    void noteOwnChange(const std::function<void()> &log);
};
