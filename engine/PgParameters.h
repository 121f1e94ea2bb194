#pragma once

#include <QByteArray>
#include <QList>
#include <QVariant>
#include <initializer_list>
#include <vector>

// The values of one command ($1, $2, …), sent to the server apart from the command's text, so no
// value is ever read as SQL. Byte arrays go in binary form as bytea; every other value goes as
// text whose type the server infers from where it is used. An invalid QVariant is NULL.
class PgParameters
{
public:
    PgParameters() = default;
    PgParameters(std::initializer_list<QVariant> values);

    void add(const QVariant &value);
    int size() const { return int(m_values.size()); }

    // libpq's parallel arrays; valid while this object lives and is not changed.
    const char *const *values() const { return m_values.data(); }
    const int *lengths() const { return m_lengths.data(); }
    const int *formats() const { return m_formats.data(); }
    const unsigned int *types() const { return m_types.data(); }

private:
    QList<QByteArray> m_data; // owns the bytes m_values points into (QList keeps them in place)
    std::vector<const char *> m_values;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
    std::vector<unsigned int> m_types;
};
