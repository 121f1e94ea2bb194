#pragma once

#include "engine/Statement.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Database;

// Reads one field of one table record by record, by rowid, on the calling thread's own
// connection: for workers, which must not use the GUI thread's tables. The statement is prepared
// once and reset after every row, so no read lock is held between rows. Create, use and destroy
// it on one thread (its connection belongs to that thread). Failures raise EngineError.
class FieldBytesReader
{
public:
    FieldBytesReader(const QString &databasePath, const QString &table, const QString &field);
    ~FieldBytesReader();
    FieldBytesReader(const FieldBytesReader &) = delete;
    FieldBytesReader &operator=(const FieldBytesReader &) = delete;

    // The stored bytes of the record (empty for a null value); nullopt when the record is gone.
    std::optional<QByteArray> read(qint64 rowid);

    // Asked while a read runs; true breaks the read, which then raises.
    void setInterruptCheck(std::function<bool()> check);

private:
    std::shared_ptr<Database> m_db; // declared first: the statement goes before it
    std::optional<Statement> m_query;
};
