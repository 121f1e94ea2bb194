#pragma once

#include <QString>

class Database;

// A savepoint: everything done through the connection until commit() is undone when the object
// goes away without commit() (an exception on the way). Savepoints nest.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    QString m_name;
    bool m_done = false;
};
