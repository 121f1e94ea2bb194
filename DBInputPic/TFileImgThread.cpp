#include "DBInputPic/TFileImgThread.h"

#include "picture/Thumbnail.h"

#include <thread>

namespace {

// How far the decoders may run ahead of delivery: keeps memory bounded when the receiver is slow.
constexpr int RunAhead = 32;

} // namespace

TFileImgThread::TFileImgThread(quint64 generation, QStringList paths, int decoders, QObject *parent)
    : QThread(parent), m_generation(generation), m_paths(std::move(paths)),
      m_decoders(std::max(1, decoders))
{ }

TFileImgThread::~TFileImgThread()
{
    abort();
    wait();
}

int TFileImgThread::defaultDecoders()
{
    return std::clamp(QThread::idealThreadCount(), 1, 4);
}

void TFileImgThread::abort()
{
    {
        const std::lock_guard lock(m_mutex);
        m_abort = true;
    }
    m_wake.notify_all();
    m_throttle.wake();
}

void TFileImgThread::decodeLoop()
{
    const int count = int(m_paths.size());
    for (;;) {
        int index = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock,
                [&] { return m_abort || m_next >= count || m_next < m_delivered + RunAhead; });
            if (m_abort || m_next >= count)
                return;
            index = m_next++;
        }
        QByteArray thumbnail;
        try {
            thumbnail = Thumbnail::pack(m_cache.thumbnailOf(m_paths.at(index)));
        } catch (const std::exception &) {
            // Skipped: the file gets no thumbnail and no message.
        }
        {
            const std::lock_guard lock(m_mutex);
            m_slots[size_t(index)] = {true, std::move(thumbnail)};
        }
        m_wake.notify_all();
    }
}

void TFileImgThread::run()
{
    const int count = int(m_paths.size());
    {
        const std::lock_guard lock(m_mutex);
        m_slots.assign(size_t(count), Slot());
        m_next = m_delivered = 0;
    }
    std::vector<std::thread> decoders;
    for (int i = 0; i < m_decoders; ++i)
        decoders.emplace_back([this] { decodeLoop(); });
    for (int i = 0; i < count; ++i) {
        Slot slot;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_abort || m_slots[size_t(i)].ready; });
            if (m_abort)
                break;
            slot = std::move(m_slots[size_t(i)]);
            m_slots[size_t(i)] = {};
            m_delivered = i + 1;
        }
        m_wake.notify_all();
        if (!slot.thumbnail.isEmpty() && m_throttle.reserve(m_abort))
            emit thumbnailReady(m_generation, i, slot.thumbnail);
    }
    {
        // Decoders still waiting for room must see the end.
        const std::lock_guard lock(m_mutex);
        m_delivered = count;
        m_next = m_abort ? count : m_next;
    }
    m_wake.notify_all();
    for (std::thread &t : decoders)
        t.join();
    if (!m_abort)
        emit runFinished(m_generation);
}
