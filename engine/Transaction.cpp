#include "engine/Transaction.h"

#include "engine/Database.h"

#include <sqlite3.h>

namespace {
thread_local int savepointCounter = 0; // names only need to differ while nested, on one thread
}

Transaction::Transaction(Database &db)
    : m_db(db), m_name(QStringLiteral("tabvale_%1").arg(++savepointCounter))
{
    m_db.exec(QStringLiteral("SAVEPOINT ") + m_name);
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    // No exception may leave a destructor: a failed rollback leaves SQLite's own recovery to act.
    const QByteArray sql = QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(m_name).toUtf8();
    sqlite3_exec(m_db.handle(), sql.constData(), nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    m_db.exec(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
}
