#include "DBInputPic/TDataFieldPicThread.h"

#include "engine/EngineError.h"
#include "engine/FieldBytesReader.h"
#include "picture/PictureError.h"
#include "picture/Thumbnail.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

// The thumbnail of row packed into the run's current block, which is renewed when full (one
// bigger than a whole block gets a block of its own).
FieldThumb storedThumb(int row, const QByteArray &packed, std::shared_ptr<ThumbBlock> &block)
{
    FieldThumb thumb;
    thumb.Tag = row;
    if (packed.size() > ThumbBlock::Capacity) {
        thumb.setPacked(packed);
        return thumb;
    }
    if (!block || block->room() < packed.size())
        block = std::make_shared<ThumbBlock>();
    thumb.offset = qint32(block->append(packed));
    thumb.size = qint32(packed.size());
    thumb.block = block;
    return thumb;
}

} // namespace

TDataFieldPicThread::TDataFieldPicThread(quint64 generation, RecordSource source, QString table,
    QString field, RecordList bookmarks, QObject *parent)
    : QThread(parent), m_generation(generation), m_source(std::move(source)),
      m_table(std::move(table)), m_field(std::move(field)), m_bookmarks(std::move(bookmarks))
{ }

TDataFieldPicThread::~TDataFieldPicThread()
{
    abort();
    wait();
}

bool TDataFieldPicThread::deliver(QList<FieldThumb> &batch)
{
    if (batch.isEmpty())
        return true;
    if (!m_throttle.reserve(m_abort))
        return false;
    emit thumbnailsReady(m_generation, batch);
    batch.clear();
    return true;
}

void TDataFieldPicThread::run()
{
    QString error;
    try {
        // Made and destroyed on this thread: its connection belongs to it.
        FieldBytesReader reader(m_source, m_table, m_field);
        reader.setInterruptCheck([this] { return m_abort.load(); });
        std::shared_ptr<ThumbBlock> block;
        QList<FieldThumb> batch;
        QElapsedTimer batchAge;
        int aheadEnd = 0;
        int ahead = 4; // grows once the first answer shows how big the values are
        qint64 aheadBytes = 0;
        for (int r = 0; r < m_bookmarks.count() && !m_abort; ++r) {
            if (r == aheadEnd) {
                if (r > 0) // the last answer's size tells how many the next may hold
                    ahead = int(std::clamp<qint64>(AheadBytes * ahead / std::max<qint64>(aheadBytes, 1), 1, ReadAhead));
                std::vector<qint64> next;
                for (int k = r; k < std::min(r + ahead, m_bookmarks.count()); ++k)
                    next.push_back(m_bookmarks.keyAt(k));
                reader.readAhead(next);
                aheadEnd = r + int(next.size());
                aheadBytes = 0;
            }
            const std::optional<QByteArray> value = reader.read(m_bookmarks.keyAt(r));
            aheadBytes += value ? value->size() : 0;
            FieldThumb thumb;
            thumb.Tag = r;
            // A record deleted meanwhile shows as empty, like an empty field.
            if (value && !value->isEmpty()) {
                try {
                    thumb = storedThumb(r,
                        Thumbnail::packStoredValue(*value, Thumbnail::fromStoredValue(*value)),
                        block);
                } catch (const PictureError &) {
                    thumb.unreadable = true;
                }
            }
            if (batch.isEmpty())
                batchAge.start();
            batch.append(std::move(thumb));
            if ((batch.size() >= BatchRows || batchAge.elapsed() >= BatchMs) && !deliver(batch))
                break;
        }
        if (!m_abort)
            deliver(batch);
    } catch (const EngineError &e) {
        error = e.message();
    }
    if (!m_abort)
        emit runFinished(m_generation, error);
}
