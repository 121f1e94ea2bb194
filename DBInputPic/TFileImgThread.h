#pragma once

#include "DBInputPic/DeliveryThrottle.h"
#include "picture/ThumbnailCache.h"

#include <QByteArray>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

// Makes the strip thumbnails of a list of picture files, on worker threads. The file list is the
// one given at the start; the run never touches a widget. Each thumbnail that could be made is
// delivered in file order by thumbnailReady (queued to the receiver's thread); a file that cannot
// be read is skipped. Thumbnails come packed (Thumbnail::pack). The receiver calls
// thumbnailTaken() for each one it has handled: the run stays only a few thumbnails ahead of it.
// runFinished ends every run that was not aborted. Decoding may run ahead on a few helper
// threads; abort() ends all of them and nothing is delivered after it. Thumbnails come from the
// desktop's thumbnail cache where it holds them, and the ones made are added to it.
class TFileImgThread : public QThread
{
    Q_OBJECT
public:
    TFileImgThread(quint64 generation, QStringList paths, int decoders = defaultDecoders(),
        QObject *parent = nullptr);
    ~TFileImgThread() override; // aborts, then waits for the run to end

    quint64 generation() const { return m_generation; }
    void abort();
    void thumbnailTaken() { m_throttle.taken(); }
    static int defaultDecoders(); // one per core, at most four
    // The desktop's cache unless set otherwise; before start() only.
    void setThumbnailCache(const ThumbnailCache &cache) { m_cache = cache; }

signals:
    void thumbnailReady(quint64 generation, int index, const QByteArray &thumbnail);
    void runFinished(quint64 generation);

protected:
    void run() override;

private:
    struct Slot
    {
        bool ready = false;
        QByteArray thumbnail; // packed; empty: the file could not be read
    };
    void decodeLoop();

    const quint64 m_generation;
    const QStringList m_paths;
    const int m_decoders;
    ThumbnailCache m_cache = ThumbnailCache::desktop();
    std::atomic_bool m_abort {false};
    DeliveryThrottle m_throttle {32};

    // Shared by the run and its decoders.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Slot> m_slots;
    int m_next = 0; // the next file a decoder takes
    int m_delivered = 0; // files handed on so far
};
