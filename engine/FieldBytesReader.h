#pragma once

#include "engine/Statement.h"
#include "engine/TableDriver.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class Database;
class PgKeyMap;

// Where a worker reads records: a SQLite database file, or a server alias (then the worker makes
// a connection of its own to the server).
struct RecordSource
{
    QString databasePath;
    QString serverAlias;
    // The open table's keys when its driver numbers them (TTable::recordSource): the keys a
    // worker is handed mean that table's records.
    std::shared_ptr<PgKeyMap> serverKeys;
};

// Reads one field of one table record by record, by key (the rowid of a SQLite table), on the
// calling thread's own connection: for workers, which must not use the GUI thread's tables. The statement is prepared
// once and reset after every row, so no read lock is held between rows. Create, use and destroy
// it on one thread (its connection belongs to that thread). Failures raise EngineError.
class FieldBytesReader
{
public:
    FieldBytesReader(const QString &databasePath, const QString &table, const QString &field);
    FieldBytesReader(const RecordSource &source, const QString &table, const QString &field);
    ~FieldBytesReader();
    FieldBytesReader(const FieldBytesReader &) = delete;
    FieldBytesReader &operator=(const FieldBytesReader &) = delete;

    // The stored bytes of the record (empty for a null value); nullopt when the record is gone.
    std::optional<QByteArray> read(qint64 rowid);
    // The records read() will be asked for next: a server's are fetched in one command, instead
    // of one round trip each (a SQLite file reads each at once anyway). Forgets what an earlier
    // call fetched and read() did not take.
    void readAhead(const std::vector<qint64> &rowids);

    // Asked while a read runs; true breaks the read, which then raises.
    void setInterruptCheck(std::function<bool()> check);

private:
    void openFile(const QString &databasePath, const QString &table, const QString &field);

    std::shared_ptr<Database> m_db; // declared first: the statement goes before it
    std::optional<Statement> m_query;
    std::unique_ptr<TableDriver> m_server; // instead, for a server table
    // A server's values read ahead, by key: their bytes point into the server's answer, kept
    // until the next read ahead; read() hands out a copy.
    TableDriver::StoredValues m_ahead;
    std::unordered_map<qint64, size_t> m_aheadPlace;
    QString m_field;
};
