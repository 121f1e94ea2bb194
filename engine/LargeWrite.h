#pragma once

#include "engine/CheckpointDeferred.h"

class Database;

// What a write of many megabytes on one connection gets while it runs: its pages reach the file in
// large writes that the disk starts on at once (see WriteBatchingVfs), and in a WAL database the
// log is copied into the file by a worker after it rather than inside its commit (see
// CheckpointDeferred). Made before the transaction and ended after it, so that the commit's own
// writes are gathered too.
class LargeWrite
{
public:
    explicit LargeWrite(Database &db);
    ~LargeWrite();
    LargeWrite(const LargeWrite &) = delete;
    LargeWrite &operator=(const LargeWrite &) = delete;

private:
    CheckpointDeferred m_checkpointAfterwards;
    Database &m_db;
};
