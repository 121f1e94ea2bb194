#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// Keeps a worker from running more than a few deliveries ahead of the thread that takes them, so
// the receiving event loop never meets a flood of queued results in one go. The worker calls
// reserve() before each delivery; the receiver calls taken() for each one it has handled.
class DeliveryThrottle
{
public:
    explicit DeliveryThrottle(int limit) : m_limit(limit) { }

    // Waits for room; false when abort was set meanwhile (nothing is to be delivered then).
    bool reserve(const std::atomic_bool &abort)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return abort || m_pending < m_limit; });
        if (abort)
            return false;
        ++m_pending;
        return true;
    }

    void taken()
    {
        {
            const std::lock_guard lock(m_mutex);
            if (m_pending > 0)
                --m_pending;
        }
        m_room.notify_all();
    }

    // Wakes a waiting worker so that it sees its abort.
    void wake()
    {
        {
            const std::lock_guard lock(m_mutex);
        }
        m_room.notify_all();
    }

private:
    const int m_limit;
    int m_pending = 0;
    std::mutex m_mutex;
    std::condition_variable m_room;
};
