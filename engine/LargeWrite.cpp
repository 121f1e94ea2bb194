#include "engine/LargeWrite.h"

#include "engine/Database.h"
#include "engine/WriteBatchingVfs.h"

LargeWrite::LargeWrite(Database &db)
    : m_checkpointAfterwards(db, CheckpointDeferred::Afterwards::OnWorker), m_db(db)
{
    WriteBatchingVfs::setBatching(db.handle(), true);
}

LargeWrite::~LargeWrite()
{
    // Writes what is still gathered; a failure there has already failed the commit or rollback.
    WriteBatchingVfs::setBatching(m_db.handle(), false);
}
