#include "engine/CommandScope.h"

#include "engine/Database.h"

CommandScope::CommandScope(Database &db, const QString &command)
    : m_db(db), m_previous(db.setCommand(command))
{ }

CommandScope::~CommandScope()
{
    m_db.setCommand(m_previous);
}
