#include "engine/PgKeyMap.h"

#include "engine/EngineError.h"

#include <QMutexLocker>
#include <limits>

PgKeyMap::PgKeyMap(QString table, QStringList columns, RecordKey gap)
    : m_table(std::move(table)), m_columns(std::move(columns)), m_gap(std::max<RecordKey>(gap, 2))
{ }

std::optional<PgKeyMap::Tuple> PgKeyMap::tupleOf(RecordKey key) const
{
    const QMutexLocker lock(&m_mutex);
    if (const auto it = m_live.find(key); it != m_live.end())
        return it->second;
    if (const auto it = m_retired.constFind(key); it != m_retired.cend())
        return *it;
    return std::nullopt;
}

std::optional<RecordKey> PgKeyMap::keyOf(const Tuple &tuple) const
{
    const QMutexLocker lock(&m_mutex);
    if (const auto it = m_keys.constFind(tuple); it != m_keys.cend())
        return *it;
    return std::nullopt;
}

bool PgKeyMap::isLive(RecordKey key) const
{
    const QMutexLocker lock(&m_mutex);
    return m_live.count(key) > 0;
}

RecordList PgKeyMap::takeOrdered(std::optional<RecordKey> after, std::optional<RecordKey> upTo,
    const std::vector<Tuple> &tuples, bool complete)
{
    const QMutexLocker lock(&m_mutex);
    RecordList keys;
    std::optional<RecordKey> previous = after;
    std::vector<const Tuple *> run; // new tuples since the last known one
    const auto placeRun = [&](std::optional<RecordKey> cap, bool open) {
        const std::vector<RecordKey> given = allocate(previous, cap, int(run.size()), open);
        for (size_t i = 0; i < run.size(); ++i) {
            add(given[i], *run[i]);
            keys.append(given[i]);
        }
        if (!given.empty())
            previous = given.back();
        run.clear();
    };
    for (const Tuple &tuple : tuples) {
        const auto known = m_keys.constFind(tuple);
        if (known == m_keys.cend()) {
            run.push_back(&tuple);
            continue;
        }
        const RecordKey key = *known;
        if ((previous && key <= *previous) || (upTo && key > *upTo)) {
            // Out of the order this map holds (the server's order of the key changed under
            // it): a new number, in its place now.
            retireKey(key);
            run.push_back(&tuple);
            continue;
        }
        // What was known between the last one and this one did not come back: it is gone.
        retireBetween(previous, key, false);
        placeRun(key, false);
        keys.append(key);
        previous = key;
    }
    if (complete)
        retireBetween(previous, upTo, true);
    // Past upTo the numbers belong to what comes after it.
    placeRun(upTo, !complete);
    return keys;
}

RecordKey PgKeyMap::place(std::optional<RecordKey> predecessor, const Tuple &tuple)
{
    const QMutexLocker lock(&m_mutex);
    if (const auto it = m_keys.constFind(tuple); it != m_keys.cend())
        return *it;
    const RecordKey key = allocate(predecessor, std::nullopt, 1, false).front();
    add(key, tuple);
    return key;
}

void PgKeyMap::retire(RecordKey key)
{
    const QMutexLocker lock(&m_mutex);
    retireKey(key);
}

void PgKeyMap::retireKey(RecordKey key)
{
    const auto it = m_live.find(key);
    if (it == m_live.end())
        return;
    m_keys.remove(it->second);
    m_retired.insert(key, it->second);
    m_live.erase(it);
}

std::vector<RecordKey> PgKeyMap::allocate(
    std::optional<RecordKey> lo, std::optional<RecordKey> cap, int count, bool open) const
{
    std::vector<RecordKey> keys;
    if (count == 0)
        return keys;
    const RecordKey base = lo.value_or(0); // numbers start above 0
    std::optional<RecordKey> hi = cap;
    if (const auto next = m_live.upper_bound(base);
        next != m_live.end() && (!hi || next->first < *hi))
        hi = next->first;
    const auto exhausted = [&] {
        return EngineError(tr("Too many records were added between the same two records of the "
                              "table “%1” while it was open here. Close the table and open it "
                              "again to go on.")
                               .arg(m_table));
    };
    RecordKey step = m_gap;
    if (hi) {
        // Evenly over the gap; a run that may go on takes its first half only.
        const RecordKey span = *hi - base;
        step = span / (RecordKey(count) + 1) / (open ? 2 : 1);
    } else if (base > std::numeric_limits<RecordKey>::max() - m_gap * RecordKey(count)) {
        throw exhausted();
    }
    if (step < 1)
        throw exhausted();
    RecordKey last = base;
    for (int i = 1; i <= count; ++i) {
        RecordKey key = std::max(base + step * i, last + 1);
        while (m_retired.contains(key) || m_live.count(key))
            ++key; // a retired number is never given again
        if (hi && key >= *hi)
            throw exhausted();
        keys.push_back(key);
        last = key;
    }
    return keys;
}

void PgKeyMap::retireBetween(
    std::optional<RecordKey> lo, std::optional<RecordKey> hi, bool hiIncluded)
{
    auto it = lo ? m_live.upper_bound(*lo) : m_live.begin();
    auto end = m_live.end();
    if (hi)
        end = hiIncluded ? m_live.upper_bound(*hi) : m_live.lower_bound(*hi);
    while (it != end) {
        m_keys.remove(it->second);
        m_retired.insert(it->first, it->second);
        it = m_live.erase(it);
    }
}

void PgKeyMap::add(RecordKey key, const Tuple &tuple)
{
    m_live.emplace(key, tuple);
    m_keys.insert(tuple, key);
}
