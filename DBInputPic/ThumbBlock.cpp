#include "DBInputPic/ThumbBlock.h"

#include <algorithm>
#include <cstring>
#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr std::align_val_t HugePage {ThumbBlock::Capacity};

} // namespace

ThumbBlock::ThumbBlock()
    : m_data(static_cast<char *>(::operator new(Capacity, HugePage))), m_capacity(Capacity),
      m_aligned(true)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // Only advice: where huge pages are off the block still works, a page at a time.
    madvise(m_data, Capacity, MADV_HUGEPAGE);
#endif
}

ThumbBlock::ThumbBlock(QByteArrayView bytes)
    : m_data(new char[std::max<qsizetype>(1, bytes.size())]), m_capacity(bytes.size())
{
    append(bytes);
}

ThumbBlock::~ThumbBlock()
{
    if (m_aligned)
        ::operator delete(m_data, HugePage);
    else
        delete[] m_data;
}

qsizetype ThumbBlock::append(QByteArrayView bytes)
{
    Q_ASSERT(bytes.size() <= room());
    const qsizetype offset = m_used;
    if (!bytes.isEmpty())
        std::memcpy(m_data + offset, bytes.data(), size_t(bytes.size()));
    m_used += bytes.size();
    return offset;
}

QByteArray ThumbBlock::view(qsizetype offset, qsizetype size) const
{
    // Not checked against the filled part: the filling thread may be moving it meanwhile.
    Q_ASSERT(offset >= 0 && size >= 0 && offset + size <= m_capacity);
    return QByteArray::fromRawData(m_data + offset, size);
}
