#include "engine/RecordList.h"

#include <algorithm>

size_t RecordList::segmentHolding(int position) const
{
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), position,
        [](int p, const Segment &s) { return p < s.start; });
    return size_t(after - m_segments.begin()) - 1;
}

qsizetype RecordList::segmentFor(RecordKey key) const
{
    const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), key,
        [](RecordKey k, const Segment &s) { return k < s.first; });
    return qsizetype(after - m_segments.begin()) - 1;
}

void RecordList::renumberFrom(size_t segment)
{
    for (size_t i = segment; i < m_segments.size(); ++i)
        m_segments[i].start = i == 0 ? 0 : m_segments[i - 1].start + m_segments[i - 1].count;
}

RecordKey RecordList::keyAt(int position) const
{
    const Segment &s = m_segments[segmentHolding(position)];
    return s.at(position - s.start);
}

RecordKey RecordList::lastKey() const
{
    return m_segments.back().last();
}

int RecordList::positionOf(RecordKey key) const
{
    const qsizetype i = segmentFor(key);
    if (i < 0)
        return -1;
    const Segment &s = m_segments[size_t(i)];
    if (s.isRun())
        return key <= s.last() ? s.start + int(key - s.first) : -1;
    const auto at = std::lower_bound(s.keys.begin(), s.keys.end(), key);
    return at != s.keys.end() && *at == key ? s.start + int(at - s.keys.begin()) : -1;
}

int RecordList::lowerBound(RecordKey key) const
{
    const qsizetype i = segmentFor(key);
    if (i < 0)
        return 0;
    const Segment &s = m_segments[size_t(i)];
    if (s.isRun())
        return key <= s.last() ? s.start + int(key - s.first) : s.start + s.count;
    return s.start + int(std::lower_bound(s.keys.begin(), s.keys.end(), key) - s.keys.begin());
}

void RecordList::closeLastBlock()
{
    if (!m_segments.empty() && !m_segments.back().isRun())
        m_segments.back().keys.shrink_to_fit();
}

void RecordList::pushRun(RecordKey first, int count)
{
    if (!m_segments.empty() && m_segments.back().isRun() && m_segments.back().last() + 1 == first) {
        m_segments.back().count += count;
    } else {
        closeLastBlock();
        Segment run;
        run.first = first;
        run.count = count;
        run.start = m_count;
        m_segments.push_back(std::move(run));
    }
    m_count += count;
}

void RecordList::append(RecordKey key)
{
    if (!m_segments.empty()) {
        Segment &s = m_segments.back();
        if (s.isRun() && key == s.last() + 1) {
            ++s.count;
            ++m_count;
            return;
        }
        if (!s.isRun() && s.count < BlockKeys) {
            s.keys.push_back(key);
            ++s.count;
            ++m_count;
            // The block's last keys have become a run long enough to be worth a segment.
            if (s.count >= MinRun && s.keys[size_t(s.count - MinRun)] == key - (MinRun - 1)) {
                s.keys.resize(size_t(s.count - MinRun));
                s.count -= MinRun;
                m_count -= MinRun;
                if (s.count == 0)
                    m_segments.pop_back();
                pushRun(key - (MinRun - 1), MinRun);
            }
            return;
        }
    }
    closeLastBlock();
    Segment block;
    block.first = key;
    block.count = 1;
    block.start = m_count;
    block.keys.push_back(key);
    m_segments.push_back(std::move(block));
    ++m_count;
}

void RecordList::append(RecordList &&tail)
{
    for (Segment &s : tail.m_segments) {
        if (s.isRun()) {
            pushRun(s.first, s.count);
        } else {
            closeLastBlock();
            s.start = m_count;
            m_count += s.count;
            m_segments.push_back(std::move(s));
        }
    }
    tail.clear();
}

void RecordList::insertInto(size_t segment, RecordKey key)
{
    Segment &s = m_segments[segment];
    s.keys.insert(std::lower_bound(s.keys.begin(), s.keys.end(), key), key);
    ++s.count;
    s.first = s.keys.front();
    ++m_count;
    renumberFrom(segment + 1);
}

int RecordList::insert(RecordKey key)
{
    if (m_segments.empty() || key > lastKey()) {
        append(key);
        return m_count - 1;
    }
    const qsizetype i = segmentFor(key);
    if (i >= 0) {
        const size_t at = size_t(i);
        const int present = positionOf(key);
        if (present >= 0)
            return present;
        Segment &s = m_segments[at];
        if (!s.isRun() && s.count >= BlockKeys) {
            // A full block splits in two halves; the key then finds room in one of them.
            Segment upper;
            const int half = s.count / 2;
            upper.keys.assign(s.keys.begin() + half, s.keys.end());
            upper.count = s.count - half;
            upper.first = upper.keys.front();
            upper.start = s.start + half;
            s.keys.resize(size_t(half));
            s.count = half;
            m_segments.insert(m_segments.begin() + i + 1, std::move(upper));
            return insert(key);
        }
        if (!s.isRun()) {
            insertInto(at, key);
            return positionOf(key);
        }
        if (key == s.last() + 1) {
            ++s.count;
            ++m_count;
            const int position = s.start + s.count - 1;
            if (at + 1 < m_segments.size() && m_segments[at + 1].isRun()
                && m_segments[at + 1].first == key + 1) {
                s.count += m_segments[at + 1].count;
                m_segments.erase(m_segments.begin() + i + 1);
            }
            renumberFrom(at + 1);
            return position;
        }
    }
    // Between segment i (or the start) and the next one, which exists: key < lastKey().
    const size_t next = size_t(i + 1);
    Segment &n = m_segments[next];
    if (n.isRun() && n.first == key + 1) {
        --n.first;
        ++n.count;
        ++m_count;
        renumberFrom(next + 1);
        return n.start;
    }
    if (!n.isRun() && n.count < BlockKeys) {
        insertInto(next, key);
        return m_segments[next].start;
    }
    Segment block;
    block.first = key;
    block.count = 1;
    block.keys.push_back(key);
    m_segments.insert(m_segments.begin() + qsizetype(next), std::move(block));
    ++m_count;
    renumberFrom(next);
    return m_segments[next].start;
}

void RecordList::erase(int position)
{
    const size_t i = segmentHolding(position);
    Segment &s = m_segments[i];
    const int k = position - s.start;
    --m_count;
    if (s.count == 1) {
        m_segments.erase(m_segments.begin() + qsizetype(i));
        renumberFrom(i);
        return;
    }
    if (!s.isRun()) {
        s.keys.erase(s.keys.begin() + k);
        --s.count;
        s.first = s.keys.front();
    } else if (k == 0) {
        ++s.first;
        --s.count;
    } else if (k == s.count - 1) {
        --s.count;
    } else {
        // A key from the middle of a run leaves two runs.
        Segment tail;
        tail.first = s.first + k + 1;
        tail.count = s.count - k - 1;
        s.count = k;
        m_segments.insert(m_segments.begin() + qsizetype(i) + 1, std::move(tail));
    }
    renumberFrom(i + 1);
}

bool RecordList::remove(RecordKey key)
{
    const int position = positionOf(key);
    if (position < 0)
        return false;
    erase(position);
    return true;
}

void RecordList::clear()
{
    m_segments = {};
    m_count = 0;
}

size_t RecordList::bytes() const
{
    size_t total = sizeof(*this) + m_segments.capacity() * sizeof(Segment);
    for (const Segment &s : m_segments)
        total += s.keys.capacity() * sizeof(RecordKey);
    return total;
}

std::vector<RecordKey> RecordList::toVector() const
{
    std::vector<RecordKey> keys;
    keys.reserve(size_t(m_count));
    for (const Segment &s : m_segments) {
        for (int i = 0; i < s.count; ++i)
            keys.push_back(s.at(i));
    }
    return keys;
}
