#pragma once

#include "DBInputPic/DeliveryThrottle.h"
#include "engine/RecordList.h"

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>

// Makes the column thumbnails of one picture field, record after record, on a worker thread with
// a database connection of its own. The records are the bookmarks given at the start, so the run
// never touches the window's table or a widget. For row r it delivers (queued to the receiver's
// thread) thumbnailReady with the 58 × 58 thumbnail packed (Thumbnail::pack), empty for an empty
// field, or thumbnailUnreadable for a value that is no readable picture. The receiver calls
// thumbnailTaken() for each delivery it has handled: the run stays only a few rows ahead of it.
// runFinished ends every run that was not aborted; error is empty unless the database could not
// be read. abort() breaks even a read in progress; nothing is delivered after it.
class TDataFieldPicThread : public QThread
{
    Q_OBJECT
public:
    TDataFieldPicThread(quint64 generation, QString databasePath, QString table, QString field,
        RecordList bookmarks, QObject *parent = nullptr);
    ~TDataFieldPicThread() override; // aborts, then waits for the run to end

    quint64 generation() const { return m_generation; }
    void abort()
    {
        m_abort = true;
        m_throttle.wake();
    }
    void thumbnailTaken() { m_throttle.taken(); }

signals:
    void thumbnailReady(quint64 generation, int row, const QByteArray &thumbnail);
    void thumbnailUnreadable(quint64 generation, int row);
    void runFinished(quint64 generation, const QString &error);

protected:
    void run() override;

private:
    const quint64 m_generation;
    const QString m_databasePath;
    const QString m_table;
    const QString m_field;
    const RecordList m_bookmarks;
    std::atomic_bool m_abort {false};
    DeliveryThrottle m_throttle {32};
};
