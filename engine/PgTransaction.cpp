#include "engine/PgTransaction.h"

#include "engine/EngineError.h"
#include "engine/PgConnection.h"

PgTransaction::PgTransaction(PgConnection &conn) : m_conn(conn)
{
    m_conn.exec(QStringLiteral("BEGIN"));
}

PgTransaction::~PgTransaction()
{
    if (!m_open || m_conn.isLost())
        return; // a broken connection's transaction ended with it, on the server
    try {
        m_conn.exec(QStringLiteral("ROLLBACK"));
    } catch (const EngineError &) {
        // No exception may leave a destructor; the server rolls back when the connection ends.
    }
}

void PgTransaction::commit()
{
    m_conn.exec(QStringLiteral("COMMIT"));
    m_open = false;
}
