#pragma once

#include "engine/RecordList.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

// The record keys of a server table whose primary key is not one whole number: each primary-key
// value (the key columns' text forms, a "tuple") gets a number whose order is the server's order
// of the keys, so the record list, windows and bookmarks work as with number keys. Numbers are
// given only while reading keys in the server's order, never by comparing tuples here (the
// server's collations decide): the first read spaces them widely, a tuple found between two known
// ones gets a number between theirs, and a known tuple a read passed without returning it is
// gone (retired: its number is never given again, and its key, stored again later, gets a new
// one). When no number is left between two known ones, the table has to be opened again.
// Shared by a table's driver and the workers reading its keys: every member locks.
class PgKeyMap
{
    Q_DECLARE_TR_FUNCTIONS(PgKeyMap)

public:
    using Tuple = QStringList;
    static constexpr RecordKey DefaultGap = RecordKey(1) << 32;

    // columns says which key this is (names and types), so a changed key makes a new map.
    PgKeyMap(QString table, QStringList columns, RecordKey gap = DefaultGap);
    PgKeyMap(const PgKeyMap &) = delete;
    PgKeyMap &operator=(const PgKeyMap &) = delete;

    const QString &table() const { return m_table; }
    const QStringList &columns() const { return m_columns; }

    // The tuple a number stands for, also once retired (a read may start after it); nullopt for
    // a number never given.
    std::optional<Tuple> tupleOf(RecordKey key) const;
    // The number of a tuple known to be stored; nullopt when unknown or retired.
    std::optional<RecordKey> keyOf(const Tuple &tuple) const;
    bool isLive(RecordKey key) const;

    // Takes what a read in key order returned: the tuples after `after` (from the first when
    // none) up to and including `upTo` (to the last when none). complete: the read was not cut
    // short by a limit, so what it did not return in that range is gone. Returns their numbers.
    RecordList takeOrdered(std::optional<RecordKey> after, std::optional<RecordKey> upTo,
        const std::vector<Tuple> &tuples, bool complete);
    // A tuple just stored, whose nearest known predecessor in key order is predecessor (none:
    // it comes before every known one). Its number; the one it has when already known.
    RecordKey place(std::optional<RecordKey> predecessor, const Tuple &tuple);
    // A record known to be gone (deleted, or its key changed).
    void retire(RecordKey key);

private:
    // count new numbers above lo (none: the start), below the next live number above it and
    // below cap; open: more may follow them later in the same gap, so they leave half of it free.
    std::vector<RecordKey> allocate(
        std::optional<RecordKey> lo, std::optional<RecordKey> cap, int count, bool open) const;
    void retireKey(RecordKey key); // the lock held
    void retireBetween(std::optional<RecordKey> lo, std::optional<RecordKey> hi, bool hiIncluded);
    void add(RecordKey key, const Tuple &tuple);

    const QString m_table;
    const QStringList m_columns;
    const RecordKey m_gap;
    mutable QMutex m_mutex;
    std::map<RecordKey, Tuple> m_live;
    QHash<Tuple, RecordKey> m_keys;
    QHash<RecordKey, Tuple> m_retired;
};
