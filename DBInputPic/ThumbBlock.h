#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The bytes of many packed thumbnails in one allocation. A column of a hundred thousand small
// pictures holds about a hundred megabytes of them: one allocation per thumbnail fragments the
// worker's heap and costs a page fault every few thumbnails (tens of microseconds each on a
// virtual machine), where a block asks the system for huge pages. One thread fills a block; the
// ranges it filled are read by other threads only after they were handed over (a queued signal
// orders the two). A block never moves, so every range stays valid while the block lives.
class ThumbBlock
{
public:
    static constexpr qsizetype Capacity = 2 * 1024 * 1024; // one huge page on x86-64 Linux

    ThumbBlock(); // empty, Capacity bytes of room
    explicit ThumbBlock(QByteArrayView bytes); // exactly these bytes, no room left
    ~ThumbBlock();
    ThumbBlock(const ThumbBlock &) = delete;
    ThumbBlock &operator=(const ThumbBlock &) = delete;

    qsizetype room() const { return m_capacity - m_used; }
    // Copies bytes in; returns their offset. The caller made sure they fit (room()).
    qsizetype append(QByteArrayView bytes);
    // The bytes at offset, without a copy: valid while this block lives.
    QByteArray view(qsizetype offset, qsizetype size) const;

private:
    char *m_data = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_used = 0;
    bool m_aligned = false; // allocated with huge-page alignment
};
