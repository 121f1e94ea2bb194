#pragma once

#include "engine/RecordList.h"
#include "engine/RecordWindowCache.h"
#include "engine/TableSchema.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PgKeyMap;
class TField;

// Reads a table's keys in order on a worker thread, on a connection of its own (made, used and
// destroyed on that thread).
class KeyReader
{
public:
    virtual ~KeyReader() = default;
    // The keys greater than after, in order, at most limit of them.
    virtual RecordList readAfter(RecordKey after, int limit) = 0;
    // Asked while a read runs; true breaks the read, which then raises.
    virtual void setInterruptCheck(std::function<bool()> check) = 0;
};

// Work done entirely or not at all: what was written through the table's connection until
// commit() is undone when the object goes away without it.
class TableWork
{
public:
    virtual ~TableWork() = default;
    virtual void commit() = 0;
};

// What the table object asks of the database that holds one table: the one seam between the
// record logic (TTable) and a database's way of storing records. Each kind of database (a SQLite
// file, a PostgreSQL server) has its implementation; a table object holds one while it is open.
// Records are known by a key that orders them (the rowid, a whole-number primary key, a number
// standing for any other primary key's value, or the row's place on the server). Every failure
// raises EngineError with a message for the user. Same thread as the connection it uses.
class TableDriver
{
public:
    struct Structure
    {
        QList<TFieldDef> defs;
        std::vector<int> codes; // field-type codes, in field order
        std::vector<int> sizes; // declared string sizes (0 = none)
        int keyField = -1; // the field whose value is the record's key, if any
        // The fields of a key that is not one field's value: a change of them moves the record
        // to another place, which the driver tells (movedKey).
        std::vector<int> keyFields;
    };
    // A stored value of a memo or picture-like field: a blob's bytes or a text's UTF-8.
    struct StoredValue
    {
        bool found = false; // the record is stored
        bool null = true;
        bool blob = false;
        QByteArray bytes;
    };
    // Versions for cheap re-reads: the data version moves when anything may have changed that
    // this connection was not told of, the schema version when a table's structure may have; the
    // generation counts this connection's own record-set changes (see changesSince).
    struct Versions
    {
        qint64 data = 0;
        qint64 schema = 0;
        quint64 generation = 0;
    };
    struct RecordSetChange
    {
        bool inserted = false; // else deleted
        RecordKey key = 0;
    };

    virtual ~TableDriver() = default;

    // The connection, as an identity: two table objects with the same one see each other's
    // changes at once.
    virtual const void *connectionId() const = 0;
    // Before every action: a connection that broke connects again.
    virtual void ensureConnected() { }
    virtual bool tableExists() = 0;
    virtual Structure readStructure() = 0;

    virtual bool isReadOnly() const = 0;
    virtual QString readOnlyMessage() const = 0; // empty when writable
    // Raises the read-only message naming what could not be done.
    virtual void checkWritable(const QString &what) const = 0;

    // Keys in order: those greater than after (all when none), up to and including upTo (no end
    // when none), at most limit (no limit when negative).
    virtual RecordList readKeys(
        std::optional<RecordKey> after, std::optional<RecordKey> upTo, int limit) = 0;
    // Makes, on the calling (worker) thread, a reader of this table's keys on its own connection.
    virtual std::function<std::unique_ptr<KeyReader>()> keyReaderFactory() const = 0;

    // Prepares reading windows of the ordinary fields' values for these fields.
    virtual void prepareWindow(const std::vector<std::unique_ptr<TField>> &fields) = 0;
    // Fills the window's cells for the records of keys (ascending); records no longer stored keep
    // their empty cells. Memo and picture-like cells only say whether they are empty.
    virtual void fillWindow(const std::vector<RecordKey> &keys, RecordWindowCache::Window &w) = 0;
    // One memo or picture-like value of a record; null when the record is gone.
    virtual StoredValue readValue(RecordKey key, const QString &field) = 0;
    // Values of several records read at once, one per key in the keys' order. Their bytes may
    // point into what owner keeps (a server's answer): copy what is kept longer than this object.
    struct StoredValues
    {
        std::vector<StoredValue> values;
        std::shared_ptr<const void> owner;
    };
    // A database across a network reads them in one command instead of one round trip each.
    virtual StoredValues readValues(const std::vector<RecordKey> &keys, const QString &field)
    {
        StoredValues read;
        read.values.reserve(keys.size());
        for (RecordKey key : keys)
            read.values.push_back(readValue(key, field));
        return read;
    }
    virtual bool exists(RecordKey key) = 0;

    // Writing. version is what fillWindow gave for the record (empty where the database keeps
    // none); a driver that keeps versions writes nothing when the record changed since.
    // update and remove return false when nothing was written: the record is gone, or (with a
    // version) someone else changed it.
    virtual bool update(RecordKey key, const QString &version, const QStringList &fields,
        const std::vector<QVariant> &values)
        = 0;
    virtual RecordKey insert(const QStringList &fields, const std::vector<QVariant> &values) = 0;
    virtual bool remove(RecordKey key, const QString &version) = 0;
    // After an update that changed the fields of Structure::keyFields: the record's new key,
    // nullopt when the key stayed.
    virtual std::optional<RecordKey> movedKey() const { return std::nullopt; }
    // Whether records carry versions, so a refused write means another user's change.
    virtual bool keepsVersions() const { return false; }
    virtual void dropTable() = 0;
    virtual std::unique_ptr<TableWork> beginWork() = 0;

    virtual Versions versions() = 0;
    virtual quint64 generation() const = 0; // versions().generation, cheaply
    // This connection's record-set changes to the table after generation since, oldest first;
    // nullopt when they are not all known.
    virtual std::optional<std::vector<RecordSetChange>> changesSince(quint64 since) = 0;
    virtual void recordInserted(RecordKey key) = 0;
    virtual void recordDeleted(RecordKey key) = 0;
    virtual void tableChanged() = 0;

    // Keys given by the driver itself (see PgKeyMap): a worker's driver of the same table uses
    // the open table's, so the keys it is handed mean the same records.
    virtual std::shared_ptr<PgKeyMap> sharedKeys() const { return {}; }
    virtual void useSharedKeys(std::shared_ptr<PgKeyMap>) { }
};
