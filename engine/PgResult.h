#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

struct pg_result;

// The result of one command on a PostgreSQL connection (RAII over PGresult). Rows and columns
// count from 0. Results come in text form, or in binary form when asked (pictures: bytea as it
// is stored, with no escaping either way). Usable on any thread once made.
class PgResult
{
    Q_DECLARE_TR_FUNCTIONS(PgResult)

public:
    enum class Format { Text = 0, Binary = 1 };

    explicit PgResult(pg_result *result = nullptr) : m_result(result) { }
    ~PgResult();
    PgResult(PgResult &&other) noexcept;
    PgResult &operator=(PgResult &&other) noexcept;
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;

    pg_result *handle() const { return m_result; }

    int rowCount() const;
    int columnCount() const;
    QString columnName(int column) const;
    unsigned int columnType(int column) const; // the type's OID (see PgOid.h)
    // Rows an INSERT, UPDATE or DELETE touched (or a SELECT returned).
    qint64 affectedRows() const;

    bool isNull(int row, int column) const;
    // The value as text: text-form results, and binary results of text types.
    QString text(int row, int column) const;
    // The value's bytes: a bytea's own bytes in either form; the raw bytes of other values.
    QByteArray bytes(int row, int column) const;
    // The bytes of a value in binary form without a copy: valid while this result lives.
    QByteArray rawBytes(int row, int column) const;
    // A whole number: any integer column in text form, int2/int4/int8 in binary form. Raises
    // EngineError for any other value.
    qint64 int64(int row, int column) const;

private:
    pg_result *m_result = nullptr;
};
