// The strip's worker and the desktop's thumbnail cache: a folder listed again is read from the
// cache, in file order, and a file changed since is decoded again.
#include "DBInputPic/TFileImgThread.h"
#include "picture/JpegCodec.h"
#include "picture/ThumbnailCache.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

bool near(QRgb actual, QRgb expected, int tolerance = 30)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QRgb colourOf(int i)
{
    return QColor::fromHsv(i * 50 % 360, 220, 220).rgb();
}

struct Listing
{
    QList<int> indexes;
    QList<QRgb> centres; // of each thumbnail delivered
};

} // namespace

class FileImgThreadTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_paths;

    ThumbnailCache cache() const
    {
        return ThumbnailCache(m_dir.filePath(QStringLiteral("cache/thumbnails")));
    }

    // A camera-sized picture of one colour.
    static void writePhoto(const QString &path, QRgb colour)
    {
        QImage image(1600, 1200, QImage::Format_RGB32);
        image.fill(colour);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(JpegCodec::encode(image)) > 0);
    }

    static void list(const QStringList &paths, const ThumbnailCache &cache, Listing *listing)
    {
        TFileImgThread worker(1, paths, 2);
        worker.setThumbnailCache(cache);
        bool finished = false;
        QObject receiver;
        connect(&worker, &TFileImgThread::thumbnailReady, &receiver,
            [&](quint64, int index, const QByteArray &packed) {
                listing->indexes << index;
                listing->centres << Thumbnail::unpack(packed).pixel(29, 29);
                worker.thumbnailTaken();
            });
        connect(&worker, &TFileImgThread::runFinished, &receiver, [&] { finished = true; });
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(finished, 30000);
    }

    static QList<int> upTo(int count)
    {
        QList<int> all;
        for (int i = 0; i < count; ++i)
            all << i;
        return all;
    }

private slots:
    void init()
    {
        m_paths.clear();
        QDir(m_dir.filePath(QStringLiteral("cache"))).removeRecursively();
        for (int i = 0; i < 6; ++i) {
            m_paths << m_dir.filePath(QStringLiteral("photo %1.jpg").arg(i));
            writePhoto(m_paths.last(), colourOf(i));
        }
    }

    void aSecondListingReadsTheCacheInsteadOfTheFiles()
    {
        Listing first;
        list(m_paths, cache(), &first);
        QCOMPARE(first.indexes, upTo(6));
        for (int i = 0; i < 6; ++i)
            QVERIFY(near(first.centres[i], colourOf(i)));
        QCOMPARE(QDir(cache().root() + QStringLiteral("/normal")).entryList(QDir::Files).size(), 6);

        // Every file made unreadable, its size and time kept: only the cache can show it now.
        for (const QString &path : std::as_const(m_paths)) {
            const QDateTime modified = QFileInfo(path).lastModified();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.write(QByteArray(f.size(), 'x')) > 0);
            QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
        }
        Listing uncached;
        list(m_paths, ThumbnailCache(QString()), &uncached);
        QCOMPARE(uncached.indexes, QList<int>());

        Listing second;
        list(m_paths, cache(), &second);
        QCOMPARE(second.indexes, upTo(6));
        for (int i = 0; i < 6; ++i)
            QVERIFY(near(second.centres[i], first.centres[i], 8));
    }

    void aFileChangedSinceIsDecodedAgainAndRecached()
    {
        Listing first;
        list(m_paths, cache(), &first);
        const QRgb newColour = qRgb(250, 250, 250);
        writePhoto(m_paths[2], newColour);
        QFile f(m_paths[2]); // a camera's rewrite a second later
        QVERIFY(f.open(QIODevice::Append));
        QVERIFY(f.setFileTime(
            QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime));
        f.close();

        Listing second;
        list(m_paths, cache(), &second);
        QCOMPARE(second.indexes, upTo(6));
        QVERIFY(near(second.centres[2], newColour));
        QVERIFY(near(second.centres[3], first.centres[3], 8));
        QVERIFY(
            near(cache().find(m_paths[2], ThumbnailCache::Kind::Normal).pixel(5, 5), newColour));
    }
};

TABVALE_TEST_MAIN(FileImgThreadTest, QCoreApplication)
#include "tst_FileImgThread.moc"
