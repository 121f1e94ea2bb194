// The column's worker: every record's thumbnail arrives once, in record order, whole, and stays
// whole after the worker is gone, however the thumbnails were batched and blocked together.
#include "DBInputPic/FieldThumb.h"
#include "DBInputPic/TDataFieldPicThread.h"
#include "DBInputPic/ThumbBlock.h"
#include "engine/Database.h"
#include "engine/Statement.h"
#include "picture/StoredPicture.h"
#include "picture/Thumbnail.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>
#include <numeric>

namespace {

// What row r of a test table holds.
enum class Value { Small, Photo, Empty, Unreadable };

struct Layout
{
    int rows = 0;
    QList<int> photos; // rows holding a picture too big to be kept as it is
    QList<int> empty;
    QList<int> unreadable;

    Value at(int r) const
    {
        if (photos.contains(r))
            return Value::Photo;
        if (empty.contains(r))
            return Value::Empty;
        return unreadable.contains(r) ? Value::Unreadable : Value::Small;
    }
};

// A colour of its own for every row of a few thousand.
QRgb colourOf(int r)
{
    return qRgb(r % 256, (r / 256) * 16 % 256, 200 - r % 7 * 20);
}

} // namespace

Q_DECLARE_METATYPE(Layout)

class FieldPicThreadTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_tables = 0;

    // A table "Photos" laid out as given; its rowids start at 10 and skip every hundredth, so
    // rows and rowids differ.
    static std::pair<QString, RecordList> makeTable(const QString &path, const Layout &layout)
    {
        Database::create(path);
        auto db = Database::open(path);
        db->exec(QStringLiteral("CREATE TABLE Photos (Pic GRAPHIC)"));
        db->exec(QStringLiteral("BEGIN"));
        Statement insert
            = db->prepare(QStringLiteral("INSERT INTO Photos (rowid, Pic) VALUES (?, ?)"));
        RecordList keys;
        qint64 rowid = 10;
        for (int r = 0; r < layout.rows; ++r, ++rowid) {
            if (rowid % 100 == 0)
                ++rowid;
            QVariant value;
            switch (layout.at(r)) {
            case Value::Small:
                value = StoredPicture::encode(PictureSamples::solid({16, 16}, colourOf(r)), 17);
                break;
            case Value::Photo:
                value = StoredPicture::encode(PictureSamples::solid({400, 300}, colourOf(r)), 17);
                break;
            case Value::Empty:
                break;
            case Value::Unreadable:
                value = QByteArray("no picture at all");
                break;
            }
            insert.bindInt64(1, rowid);
            insert.bind(2, value);
            insert.step();
            insert.reset();
            keys.append(rowid);
        }
        db->exec(QStringLiteral("COMMIT"));
        return {path, keys};
    }

    static QList<FieldThumb> runOver(const QString &path, const RecordList &keys, int *batches)
    {
        QList<FieldThumb> thumbs;
        bool finished = false;
        QString error;
        {
            TDataFieldPicThread worker(
                7, RecordSource {path, {}, {}}, QStringLiteral("Photos"), QStringLiteral("Pic"), keys);
            QObject receiver;
            connect(&worker, &TDataFieldPicThread::thumbnailsReady, &receiver,
                [&](quint64 generation, const QList<FieldThumb> &batch) {
                    QCOMPARE(generation, quint64(7));
                    QVERIFY(!batch.isEmpty());
                    QVERIFY(batch.size() <= TDataFieldPicThread::BatchRows);
                    thumbs += batch;
                    ++*batches;
                    worker.batchTaken();
                });
            connect(&worker, &TDataFieldPicThread::runFinished, &receiver,
                [&](quint64, const QString &e) {
                    finished = true;
                    error = e;
                });
            worker.start();
            [&] {
                QTRY_VERIFY_WITH_TIMEOUT(finished, 60000);
            }();
            worker.wait();
        } // the worker goes: the thumbnails must hold their bytes themselves
        [&] {
            QCOMPARE(error, QString());
        }();
        return thumbs;
    }

private slots:
    void everyRecordArrivesOnceInOrderAndWhole_data()
    {
        QTest::addColumn<Layout>("layout");
        // 3,000 kept values of about 800 bytes fill more than one block.
        QTest::newRow("small pictures over more than one block") << Layout {3000, {}, {}, {}};
        QTest::newRow("photos, empty and unreadable values among small ones")
            << Layout {300, {0, 1, 150, 299}, {2, 151, 298}, {3, 152}};
        QTest::newRow("one record") << Layout {1, {}, {}, {}};
        QTest::newRow("no record") << Layout {0, {}, {}, {}};
    }

    void everyRecordArrivesOnceInOrderAndWhole()
    {
        QFETCH(Layout, layout);
        const QString path = m_dir.filePath(QStringLiteral("table%1.sqlite").arg(++m_tables));
        const auto [db, keys] = makeTable(path, layout);
        int batches = 0;
        const QList<FieldThumb> thumbs = runOver(db, keys, &batches);
        QCOMPARE(thumbs.size(), layout.rows);
        if (layout.rows > 2 * TDataFieldPicThread::BatchRows)
            QVERIFY(batches > 1); // handed over a batch at a time, not all at the end
        for (int r = 0; r < layout.rows; ++r) {
            const FieldThumb &thumb = thumbs.at(r);
            QCOMPARE(thumb.Tag, r);
            const QImage picture = thumb.picture();
            switch (layout.at(r)) {
            case Value::Small:
                QCOMPARE(picture.size(), Thumbnail::StripSize);
                QVERIFY2(
                    PictureSamples::near(picture.pixel(29, 29), colourOf(r), 2), qPrintable(QString::number(r)));
                QVERIFY(!thumb.unreadable);
                break;
            case Value::Photo:
                QCOMPARE(picture.size(), Thumbnail::StripSize);
                QVERIFY2(
                    PictureSamples::near(picture.pixel(29, 29), colourOf(r), 12), qPrintable(QString::number(r)));
                break;
            case Value::Empty:
                QVERIFY(picture.isNull());
                QVERIFY(!thumb.unreadable);
                break;
            case Value::Unreadable:
                QVERIFY(picture.isNull());
                QVERIFY(thumb.unreadable);
                break;
            }
        }
    }

    void aBlockKeepsEveryRangeItWasGiven()
    {
        ThumbBlock block;
        QCOMPARE(block.room(), ThumbBlock::Capacity);
        QList<QByteArray> parts;
        QList<qsizetype> offsets;
        for (int i = 0; block.room() >= 5000; ++i) {
            parts << QByteArray(1 + i * 37 % 4999, char('a' + i % 26));
            offsets << block.append(parts.last());
        }
        QVERIFY(parts.size() > 100);
        QCOMPARE(block.room(),
            ThumbBlock::Capacity
                - std::accumulate(parts.cbegin(), parts.cend(), qsizetype(0),
                    [](qsizetype n, const QByteArray &p) { return n + p.size(); }));
        for (int i = 0; i < parts.size(); ++i)
            QCOMPARE(block.view(offsets.at(i), parts.at(i).size()), parts.at(i));
    }

    void aThumbnailSetAfterwardsReplacesTheRunsOne_data()
    {
        QTest::addColumn<QByteArray>("packed");
        QTest::addColumn<QRgb>("centre"); // 0: no picture
        QTest::newRow("a packed thumbnail")
            << Thumbnail::pack(PictureSamples::solid(Thumbnail::StripSize, qRgb(0, 160, 0))) << qRgb(0, 160, 0);
        QTest::newRow("a small stored value kept as it is") << Thumbnail::packStoredValue(
            StoredPicture::encode(PictureSamples::solid(Thumbnail::StripSize, qRgb(200, 90, 0)), 17),
            PictureSamples::solid(Thumbnail::StripSize, qRgb(200, 90, 0))) << qRgb(200, 90, 0);
        QTest::newRow("nothing: the field was emptied") << QByteArray() << QRgb(0);
    }

    void aThumbnailSetAfterwardsReplacesTheRunsOne()
    {
        QFETCH(QByteArray, packed);
        QFETCH(QRgb, centre);
        // A thumbnail the run placed in a shared block, as a copy gesture then replaces it.
        auto block = std::make_shared<ThumbBlock>();
        const QByteArray before = Thumbnail::pack(PictureSamples::solid(Thumbnail::StripSize, qRgb(0, 0, 255)));
        FieldThumb thumb;
        thumb.offset = qint32(block->append(QByteArray(100, 'x')));
        thumb.offset = qint32(block->append(before));
        thumb.size = qint32(before.size());
        thumb.block = block;
        QVERIFY(PictureSamples::near(thumb.picture().pixel(29, 29), qRgb(0, 0, 255), 10));
        thumb.setPacked(packed);
        block.reset();
        const QImage picture = thumb.picture();
        if (centre == 0) {
            QVERIFY(picture.isNull());
        } else {
            QCOMPARE(picture.size(), Thumbnail::StripSize);
            QVERIFY(PictureSamples::near(picture.pixel(29, 29), centre, 10));
        }
    }
};

TABVALE_TEST_MAIN(FieldPicThreadTest, QCoreApplication)
#include "tst_FieldPicThread.moc"
