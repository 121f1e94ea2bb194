#pragma once

#include "engine/RecordList.h"
#include "engine/TableDriver.h"

#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// Reads the rest of a table's record list, after the keys its table read itself, on a worker
// thread with a connection of its own. It reads a part at a time, each in a statement of its own,
// so no read lock is held between parts and the table's own writes never wait long. The parts
// gather until the table takes them: take() hands over everything read since the last take.
// partReady (queued to the table's thread) says that something waits to be taken; it is sent
// again only after a take, and at most every NoticeIntervalMs (the first one too) unless the run
// has finished.
// stop() ends the run at once, breaking a read in progress; nothing is delivered after it, and
// the generation lets the table drop a notice that was already on its way.
class RecordListLoader : public QThread
{
    Q_OBJECT
public:
    static constexpr int PartKeys = 65536; // keys a statement reads
    static constexpr int NoticeIntervalMs = 200;

    // The run makes its reader with openReader (on its own thread) and reads the keys greater
    // than after.
    RecordListLoader(quint64 generation, std::function<std::unique_ptr<KeyReader>()> openReader,
        RecordKey after, QObject *parent = nullptr);
    ~RecordListLoader() override; // stops, then waits for the run to end

    // What was read since the last take: the keys after the previous part up to and including
    // through. The last part has finished set; its through is the largest key there can be, and
    // error says why the list could not be read to its end (empty when it was).
    struct Part
    {
        RecordList keys;
        RecordKey through = 0;
        bool finished = false;
        QString error;
    };

    quint64 generation() const { return m_generation; }
    Part take();
    // Blocks until there is something to take. Tells the run that its table waits for it, so a
    // test hold no longer holds it.
    void waitForPart();
    void stop();

    // Tests make "still loading" certain: while held, loaders read nothing beyond what they have
    // unless their table waits for them. The read hook runs on a loader's thread after each part
    // is read and before it is handed over, so a test can change records after a read it knows.
    static void holdForTests(bool hold);
    static void setReadHookForTests(std::function<void()> hook);

signals:
    void partReady(quint64 generation);

protected:
    void run() override;

private:
    void readAll();
    void publish(RecordList &&keys, RecordKey through, bool finished, const QString &error);
    bool mayRead() const; // false while a test hold holds this run

    const quint64 m_generation;
    const std::function<std::unique_ptr<KeyReader>()> m_openReader;
    const RecordKey m_after;
    std::atomic_bool m_stop {false};
    std::atomic_bool m_waitedFor {false};
    QElapsedTimer m_clock; // the run's own

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_changed;
    RecordList m_keys;
    RecordKey m_through = 0;
    bool m_finished = false;
    bool m_ready = false; // something to take
    bool m_noticeSent = false; // a partReady not yet answered by a take
    QString m_error;
    qint64 m_lastNoticeMs = 0; // the first notice waits too: a window opening has work to do
};
