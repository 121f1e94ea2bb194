#pragma once

#include <QtGlobal>
#include <cstddef>
#include <vector>

// A record's key within its table: the rowid on SQLite. Keys are ordered, and the record order is
// the key order; a table keyed otherwise brings its own key type and keeps this list's interface.
using RecordKey = qint64;

// The records of an open table in record order, position (0-based) against key. Held compactly: a
// run of consecutive keys is stored as its first key and its length, so a table without gaps costs
// a few bytes whatever its size; keys that form no long run are kept in blocks of plain keys, so
// scattered keys cost no more than a plain array of them. Positions and keys are found by binary
// search over the segments; inserting or erasing one key touches one segment and renumbers the
// ones after it. A value type: copies are independent (workers read from their own copy).
class RecordList
{
public:
    int count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    RecordKey keyAt(int position) const; // 0 <= position < count()
    RecordKey lastKey() const; // the list is not empty
    int positionOf(RecordKey key) const; // -1 when the key is not in the list
    // The position of the first key not less than key (count() when there is none).
    int lowerBound(RecordKey key) const;

    // Returns the key's position; a key already in the list is not added again.
    int insert(RecordKey key);
    void erase(int position); // 0 <= position < count()
    bool remove(RecordKey key); // false when it was not in the list
    // Keys greater than every key held (the loader's parts, in order).
    void append(RecordKey key);
    void append(RecordList &&tail);
    void clear();

    size_t bytes() const; // the memory it holds
    std::vector<RecordKey> toVector() const;

private:
    // While appending, a run leaves its block of plain keys only from this length: its own
    // segment and the block that follows it cost about as much as ten plain keys. Blocks of plain
    // keys hold at most BlockKeys.
    static constexpr int MinRun = 12;
    static constexpr int BlockKeys = 1024;

    struct Segment
    {
        RecordKey first = 0;
        int count = 0;
        int start = 0; // position of its first key
        std::vector<RecordKey> keys; // a block's keys; empty for a run (first, first + 1, ...)

        bool isRun() const { return keys.empty(); }
        RecordKey last() const { return isRun() ? first + count - 1 : keys.back(); }
        RecordKey at(int i) const { return isRun() ? first + i : keys[size_t(i)]; }
    };

    size_t segmentHolding(int position) const;
    // The last segment whose first key is not greater than key; -1 when key precedes them all.
    qsizetype segmentFor(RecordKey key) const;
    void renumberFrom(size_t segment);
    void pushRun(RecordKey first, int count);
    void closeLastBlock(); // a block no longer appended to gives back its spare room
    void insertInto(size_t segment, RecordKey key); // the segment is a block with room

    std::vector<Segment> m_segments;
    int m_count = 0;
};
