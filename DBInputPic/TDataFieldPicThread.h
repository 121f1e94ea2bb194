#pragma once

#include "DBInputPic/DeliveryThrottle.h"
#include "DBInputPic/FieldThumb.h"
#include "engine/FieldBytesReader.h"
#include "engine/RecordList.h"

#include <QList>
#include <QString>
#include <QThread>
#include <atomic>

// Makes the column thumbnails of one picture field, record after record, on a worker thread with
// a database connection of its own. The records are the bookmarks given at the start, so the run
// never touches the window's table or a widget. It delivers (queued to the receiver's thread) the
// thumbnails of consecutive rows a batch at a time, in row order: each with its 58 × 58 thumbnail
// packed (Thumbnail::packStoredValue), empty for an empty field, or marked unreadable for a value
// that is no readable picture. A batch goes when it holds BatchRows or has waited BatchMs, so a
// column of many small pictures costs one delivery for many rows while big pictures still show
// one by one. The receiver calls batchTaken() for each batch it has handled: the run stays only
// a few batches ahead of it. runFinished ends every run that was not aborted; error is empty
// unless the database could not be read. abort() breaks even a read in progress; nothing is
// delivered after it.
class TDataFieldPicThread : public QThread
{
    Q_OBJECT
public:
    static constexpr int BatchRows = 256;
    static constexpr int BatchMs = 20;
    // Records whose values are asked for in one go: a server then answers in one command, not
    // one round trip per record. Fewer when the values are big, so an answer holds about
    // AheadBytes (a few camera photos, or ReadAhead small pictures).
    static constexpr int ReadAhead = 32;
    static constexpr qint64 AheadBytes = 16 * 1024 * 1024;

    TDataFieldPicThread(quint64 generation, RecordSource source, QString table, QString field,
        RecordList bookmarks, QObject *parent = nullptr);
    ~TDataFieldPicThread() override; // aborts, then waits for the run to end

    quint64 generation() const { return m_generation; }
    void abort()
    {
        m_abort = true;
        m_throttle.wake();
    }
    void batchTaken() { m_throttle.taken(); }

signals:
    void thumbnailsReady(quint64 generation, const QList<FieldThumb> &batch);
    void runFinished(quint64 generation, const QString &error);

protected:
    void run() override;

private:
    bool deliver(QList<FieldThumb> &batch); // false when aborted meanwhile

    const quint64 m_generation;
    const RecordSource m_source;
    const QString m_table;
    const QString m_field;
    const RecordList m_bookmarks;
    std::atomic_bool m_abort {false};
    DeliveryThrottle m_throttle {8};
};
