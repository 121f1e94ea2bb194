#pragma once

class PgConnection;

// A transaction on a server connection: rolled back when the object goes away without commit()
// (an exception on the way), so the server keeps everything or nothing of the work.
class PgTransaction
{
public:
    explicit PgTransaction(PgConnection &conn);
    ~PgTransaction();
    PgTransaction(const PgTransaction &) = delete;
    PgTransaction &operator=(const PgTransaction &) = delete;

    void commit();

private:
    PgConnection &m_conn;
    bool m_open = true;
};
