#include "DBInputPic/TDataFieldPicThread.h"

#include "engine/EngineError.h"
#include "engine/FieldBytesReader.h"
#include "picture/PictureError.h"
#include "picture/Thumbnail.h"

TDataFieldPicThread::TDataFieldPicThread(quint64 generation, QString databasePath, QString table,
    QString field, RecordList bookmarks, QObject *parent)
    : QThread(parent), m_generation(generation), m_databasePath(std::move(databasePath)),
      m_table(std::move(table)), m_field(std::move(field)), m_bookmarks(std::move(bookmarks))
{ }

TDataFieldPicThread::~TDataFieldPicThread()
{
    abort();
    wait();
}

void TDataFieldPicThread::run()
{
    QString error;
    try {
        // Made and destroyed on this thread: its connection belongs to it.
        FieldBytesReader reader(m_databasePath, m_table, m_field);
        reader.setInterruptCheck([this] { return m_abort.load(); });
        for (int r = 0; r < m_bookmarks.count() && !m_abort; ++r) {
            const std::optional<QByteArray> value = reader.read(m_bookmarks.keyAt(r));
            QByteArray thumbnail;
            bool unreadable = false;
            // A record deleted meanwhile shows as empty, like an empty field.
            if (value && !value->isEmpty()) {
                try {
                    thumbnail = Thumbnail::pack(Thumbnail::fromStoredValue(*value));
                } catch (const PictureError &) {
                    unreadable = true;
                }
            }
            if (!m_throttle.reserve(m_abort))
                break;
            if (unreadable)
                emit thumbnailUnreadable(m_generation, r);
            else
                emit thumbnailReady(m_generation, r, thumbnail);
        }
    } catch (const EngineError &e) {
        error = e.message();
    }
    if (!m_abort)
        emit runFinished(m_generation, error);
}
