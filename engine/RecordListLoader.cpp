#include "engine/RecordListLoader.h"

#include "engine/EngineError.h"

#include <limits>

namespace {

std::mutex holdMutex;
std::condition_variable holdChanged;
bool held = false;
std::function<void()> readHook; // set while no loader runs

} // namespace

RecordListLoader::RecordListLoader(quint64 generation,
    std::function<std::unique_ptr<KeyReader>()> openReader, RecordKey after, QObject *parent)
    : QThread(parent), m_generation(generation), m_openReader(std::move(openReader)),
      m_after(after), m_through(after)
{ }

RecordListLoader::~RecordListLoader()
{
    stop();
    wait();
}

void RecordListLoader::holdForTests(bool hold)
{
    {
        const std::lock_guard lock(holdMutex);
        held = hold;
    }
    holdChanged.notify_all();
}

void RecordListLoader::setReadHookForTests(std::function<void()> hook)
{
    readHook = std::move(hook);
}

bool RecordListLoader::mayRead() const
{
    std::unique_lock lock(holdMutex);
    holdChanged.wait(lock, [this] { return !held || m_stop || m_waitedFor; });
    return !m_stop;
}

void RecordListLoader::stop()
{
    m_stop = true;
    {
        const std::lock_guard lock(holdMutex);
    }
    holdChanged.notify_all();
    {
        const std::lock_guard lock(m_mutex);
    }
    m_changed.notify_all();
}

void RecordListLoader::waitForPart()
{
    m_waitedFor = true;
    {
        const std::lock_guard lock(holdMutex);
    }
    holdChanged.notify_all();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready || m_stop; });
}

RecordListLoader::Part RecordListLoader::take()
{
    const std::lock_guard lock(m_mutex);
    Part part;
    part.keys = std::move(m_keys);
    m_keys.clear();
    part.through = m_through;
    part.finished = m_finished;
    part.error = m_error;
    m_ready = false;
    m_noticeSent = false;
    return part;
}

void RecordListLoader::run()
{
    m_clock.start();
    QString error;
    try {
        readAll();
        return;
    } catch (const EngineError &e) {
        error = e.message();
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (!m_stop)
        publish({}, std::numeric_limits<RecordKey>::max(), true, error);
}

void RecordListLoader::readAll()
{
    // Made and destroyed on this thread: the connection belongs to it.
    const std::unique_ptr<KeyReader> reader = m_openReader();
    reader->setInterruptCheck([this] { return m_stop.load(); });
    RecordKey after = m_after;
    while (mayRead()) {
        RecordList part = reader->readAfter(after, PartKeys);
        const int read = part.count();
        if (m_stop)
            return;
        if (readHook)
            readHook();
        const bool finished = read < PartKeys;
        if (read > 0)
            after = part.lastKey();
        publish(std::move(part), finished ? std::numeric_limits<RecordKey>::max() : after, finished,
            {});
        if (finished)
            return;
    }
}

void RecordListLoader::publish(
    RecordList &&keys, RecordKey through, bool finished, const QString &error)
{
    bool notice = false;
    {
        const std::lock_guard lock(m_mutex);
        m_keys.append(std::move(keys));
        m_through = through;
        m_finished = finished;
        m_error = error;
        m_ready = true;
        const qint64 now = m_clock.elapsed();
        notice = !m_noticeSent && (finished || now - m_lastNoticeMs >= NoticeIntervalMs);
        if (notice) {
            m_noticeSent = true;
            m_lastNoticeMs = now;
        }
    }
    m_changed.notify_all();
    if (notice && !m_stop)
        emit partReady(m_generation);
}
