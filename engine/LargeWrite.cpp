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
    // Nothing is left gathered by now: the sync and unlock that end a commit or a rollback have
    // written it.
    WriteBatchingVfs::setBatching(m_db.handle(), false);
}
