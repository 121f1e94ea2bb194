#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;
struct sqlite3_value;
class Database;

// One prepared SQLite statement of a connection (RAII). Same thread as its connection.
// Every failure raises EngineError with a message in words (see SqliteFailure).
class Statement
{
public:
    Statement(Database &db, const QString &sql);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds a value in storage form: null, bool (as 0/1), integers, double, QString, QByteArray.
    void bind(int index, const QVariant &value); // 1-based
    void bindInt64(int index, qint64 value);
    // Binds a blob without copying it: `bytes` must stay as they are until reset().
    void bindBlobUncopied(int index, const QByteArray &bytes);
    void bindValue(int index, const sqlite3_value *value); // copied straight from another statement

    bool step(); // true while a row is ready
    void reset(); // also clears the bindings
    int changes() const;

    int columnCount() const;
    int columnType(
        int column) const; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    bool isNull(int column) const;
    qint64 columnInt64(int column) const;
    double columnDouble(int column) const;
    QString columnText(int column) const;
    QByteArray columnBlob(int column) const;
    sqlite3_value *columnValue(int column) const;

private:
    [[noreturn]] void raise() const;

    Database *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_sql;
};
