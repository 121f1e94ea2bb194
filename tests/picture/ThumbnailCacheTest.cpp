// The desktop's thumbnail cache: keys exactly as GLib makes them, thumbnails GLib's check accepts,
// stale and damaged ones replaced, and a cache that cannot be written never in the way.
#include "picture/ThumbnailCache.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <sys/stat.h>
#include <unistd.h>

#undef signals // a GIO structure has a member of that name
#include <gio/gio.h>
#include <glib.h>
#define signals Q_SIGNALS

using Kind = ThumbnailCache::Kind;
using PictureSamples::JpegKind;
using PictureSamples::near;
using PictureSamples::solid;

namespace {

const QRgb Red = qRgb(255, 0, 0); // the quadrants' top-left
const QRgb Yellow = qRgb(255, 255, 0);
constexpr int Tolerance = 40; // a cached thumbnail is a JPEG of a JPEG

QByteArray glibUri(const QByteArray &path)
{
    gchar *uri = g_filename_to_uri(path.constData(), nullptr, nullptr);
    const QByteArray result(uri);
    g_free(uri);
    return result;
}

QString glibFileName(const QByteArray &uri)
{
    gchar *md5 = g_compute_checksum_for_string(G_CHECKSUM_MD5, uri.constData(), -1);
    const QString result = QString::fromLatin1(md5) + QStringLiteral(".png");
    g_free(md5);
    return result;
}

// What GIO, as file managers ask it, says of a file's thumbnail: its path, and whether it is valid.
std::pair<QString, bool> gioThumbnail(const QString &file)
{
    GFile *g = g_file_new_for_path(QFile::encodeName(file).constData());
    GFileInfo *info = g_file_query_info(g,
        G_FILE_ATTRIBUTE_THUMBNAIL_PATH "," G_FILE_ATTRIBUTE_THUMBNAIL_IS_VALID,
        G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    std::pair<QString, bool> result;
    if (info) {
        const char *path
            = g_file_info_get_attribute_byte_string(info, G_FILE_ATTRIBUTE_THUMBNAIL_PATH);
        result = {QFile::decodeName(path),
            g_file_info_get_attribute_boolean(info, G_FILE_ATTRIBUTE_THUMBNAIL_IS_VALID) != 0};
        g_object_unref(info);
    }
    g_object_unref(g);
    return result;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

int modeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// The text chunks of a PNG by chunk type and key ("tEXt Thumb::URI"), read byte by byte as GLib's
// check of a thumbnail reads them.
QMap<QByteArray, QByteArray> pngTexts(const QByteArray &png)
{
    QMap<QByteArray, QByteArray> texts;
    qsizetype i = 8;
    while (i + 12 <= png.size()) {
        const auto length = qsizetype(qFromBigEndian<quint32>(png.constData() + i));
        const QByteArray type = png.mid(i + 4, 4);
        const QByteArray data = png.mid(i + 8, length);
        const qsizetype nul = data.indexOf('\0');
        if (nul > 0)
            texts.insert(type + ' ' + data.left(nul), data.mid(nul + 1));
        i += 12 + length;
    }
    return texts;
}

// A thumbnail as other programs write it, through Qt, with the given keys.
void writeThumbnail(const QString &path, const QImage &image, const QMap<QString, QString> &texts)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage tagged = image;
    for (auto it = texts.begin(); it != texts.end(); ++it)
        tagged.setText(it.key(), it.value());
    QVERIFY(tagged.save(path, "png"));
}

} // namespace

class ThumbnailCacheTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString cacheRoot() const { return m_dir.filePath(QStringLiteral("cache/thumbnails")); }
    ThumbnailCache cache() const { return ThumbnailCache(cacheRoot()); }

    // A JPEG of four coloured quadrants, red at the top left.
    QString camera(const QString &name = QStringLiteral("camera.jpg"), QSize size = {640, 480})
    {
        const QString path = m_dir.filePath(name);
        writeFile(
            path, PictureSamples::jpeg(PictureSamples::quadrants(size), JpegKind::Baseline, 95));
        return path;
    }

    // The keys a valid thumbnail of file carries.
    static QMap<QString, QString> validKeys(const QString &file)
    {
        const QFileInfo info(file);
        return {{QStringLiteral("Thumb::URI"),
                    QString::fromLatin1(glibUri(QFile::encodeName(info.absoluteFilePath())))},
            {QStringLiteral("Thumb::MTime"),
                QString::number(info.lastModified().toSecsSinceEpoch())},
            {QStringLiteral("Thumb::Size"), QString::number(info.size())}};
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir.path()));
    }

    void keysAreGLibsForOddFileNames_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("plain") << QByteArray("/home/ann/Pictures/photo.jpg");
        QTest::newRow("spaces") << QByteArray("/tmp/my photos/a  b.jpg");
        QTest::newRow("percent") << QByteArray("/tmp/100%25 off%.jpg");
        QTest::newRow("hash and question mark") << QByteArray("/tmp/#1?.jpg");
        QTest::newRow("semicolon") << QByteArray("/tmp/a;b.jpg");
        QTest::newRow("brackets") << QByteArray("/tmp/[2024]/x[1].jpg");
        QTest::newRow("plus, ampersand, equals") << QByteArray("/tmp/a+b&c=d.jpg");
        QTest::newRow("apostrophe and parentheses") << QByteArray("/tmp/Ann's (copy).jpg");
        QTest::newRow("other marks kept") << QByteArray("/tmp/!$*,:@-_.~.jpg");
        QTest::newRow("other marks escaped") << QByteArray("/tmp/\"<>\\^`{|}.jpg");
        QTest::newRow("unicode") << QString::fromUtf8("/tmp/照片/café ñ.jpg").toUtf8();
        QTest::newRow("non-UTF-8 bytes") << QByteArray("/tmp/caf\xe9/\xff\xfe.jpg");
        QTest::newRow("leading tilde") << QByteArray("/~ann/~backup.jpg");
        QTest::newRow("newline, tab, DEL") << QByteArray("/tmp/a\nb\tc\x7f.jpg");
    }

    void keysAreGLibsForOddFileNames()
    {
        QFETCH(QByteArray, path);
        const QByteArray uri = ThumbnailCache::uriOf(path);
        QCOMPARE(uri, glibUri(path));
        QCOMPARE(ThumbnailCache::fileNameOf(uri), glibFileName(glibUri(path)));
    }

    void pathsAreMadeAbsoluteAndCleanedAsGLibDoes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("relative") << QStringLiteral("pictures/a.jpg");
        QTest::newRow("dot segments") << QStringLiteral("/tmp/a/./b/../c.jpg");
        QTest::newRow("doubled slashes") << QStringLiteral("/tmp//a///c.jpg");
    }

    void pathsAreMadeAbsoluteAndCleanedAsGLibDoes()
    {
        QFETCH(QString, path);
        gchar *canonical = g_canonicalize_filename(QFile::encodeName(path).constData(),
            QFile::encodeName(QDir::currentPath()).constData());
        const QByteArray uri = glibUri(canonical);
        g_free(canonical);
        QCOMPARE(cache().thumbnailPath(path, Kind::Large),
            cacheRoot() + QStringLiteral("/large/") + glibFileName(uri));
    }

    void aWrittenThumbnailReadsBackValidWithItsKeysAsText()
    {
        // A long name: Qt would compress a text this long, which GLib's check does not read.
        const QString file = camera(QStringLiteral("a rather long file name; [for] the URI.jpg"));
        QVERIFY(cache().store(file, solid({128, 96}, Yellow), Kind::Normal, {640, 480}));

        const QImage found = cache().find(file, Kind::Normal);
        QCOMPARE(found.size(), QSize(128, 96));
        QVERIFY(near(found.pixel(5, 5), Yellow, Tolerance));

        const QString path = cache().thumbnailPath(file, Kind::Normal);
        QFile png(path);
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QMap<QByteArray, QByteArray> texts = pngTexts(png.readAll());
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(texts.value("tEXt Thumb::URI"), glibUri(QFile::encodeName(file)));
        QCOMPARE(texts.value("tEXt Thumb::MTime"), QByteArray::number(qint64(st.st_mtime)));
        QCOMPARE(texts.value("tEXt Thumb::Size"), QByteArray::number(qint64(st.st_size)));
        QCOMPARE(texts.value("tEXt Thumb::Image::Width"), QByteArray("640"));
        QCOMPARE(texts.value("tEXt Thumb::Image::Height"), QByteArray("480"));
        QCOMPARE(texts.value("tEXt Software"), QByteArray("Tabvale"));

        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(modeOf(cacheRoot()), 0700);
        QCOMPARE(modeOf(cacheRoot() + QStringLiteral("/normal")), 0700);
        QCOMPARE(QDir(cacheRoot() + QStringLiteral("/normal")).entryList(QDir::Files).size(), 1);
    }

    void theDesktopTakesTheThumbnailsWrittenAsValid()
    {
        // GIO finds thumbnails in the user's cache: here the test's own ($XDG_CACHE_HOME).
        const ThumbnailCache desktop = ThumbnailCache::desktop();
        const QString file = camera(QStringLiteral("shared with the desktop; [1] #2.jpg"));
        QVERIFY(desktop.store(file, solid({128, 96}, Yellow), Kind::Normal));
        const QString path = desktop.thumbnailPath(file, Kind::Normal);
        QCOMPARE(gioThumbnail(file), std::make_pair(path, true));

        QFile touched(file); // changed since: stale for both
        QVERIFY(touched.open(QIODevice::Append));
        QVERIFY(touched.setFileTime(
            QFileInfo(file).lastModified().addSecs(100), QFileDevice::FileModificationTime));
        touched.close();
        QCOMPARE(gioThumbnail(file), std::make_pair(path, false));
        QVERIFY(desktop.find(file, Kind::Normal).isNull());

        QVERIFY(near(desktop.thumbnailOf(file).pixel(10, 10), Red, Tolerance));
        QCOMPARE(gioThumbnail(file), std::make_pair(path, true));
        QFile::remove(path);
    }

    void aThumbnailIsScaledDownToItsKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("normal") << int(Kind::Normal) << QSize(128, 64);
        QTest::newRow("large") << int(Kind::Large) << QSize(256, 128);
    }

    void aThumbnailIsScaledDownToItsKind()
    {
        QFETCH(int, kind);
        QFETCH(QSize, expected);
        const QString file = camera();
        QVERIFY(cache().store(file, solid({600, 300}, Yellow), Kind(kind)));
        QCOMPARE(cache().find(file, Kind(kind)).size(), expected);
    }

    void aThumbnailAnotherProgramWroteIsRead()
    {
        const QString file = camera(QStringLiteral("written elsewhere with a long name.jpg"));
        writeThumbnail(
            cache().thumbnailPath(file, Kind::Normal), solid({128, 96}, Yellow), validKeys(file));
        QVERIFY(near(cache().find(file, Kind::Normal).pixel(1, 1), Yellow, Tolerance));
        QVERIFY(near(cache().thumbnailOf(file).pixel(10, 10), Yellow, Tolerance));
    }

    void aStaleThumbnailIsIgnoredAndReplaced_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("another modification time")
            << QStringLiteral("Thumb::MTime") << QStringLiteral("1000000000");
        QTest::newRow("another size") << QStringLiteral("Thumb::Size") << QStringLiteral("12");
        QTest::newRow("another file's URI")
            << QStringLiteral("Thumb::URI") << QStringLiteral("file:///tmp/other.jpg");
        QTest::newRow("no modification time") << QStringLiteral("Thumb::MTime") << QString();
    }

    void aStaleThumbnailIsIgnoredAndReplaced()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString file = camera();
        QMap<QString, QString> keys = validKeys(file);
        if (value.isEmpty())
            keys.remove(key);
        else
            keys[key] = value;
        const QString path = cache().thumbnailPath(file, Kind::Normal);
        writeThumbnail(path, solid({128, 96}, Yellow), keys);

        QVERIFY(cache().find(file, Kind::Normal).isNull());
        QVERIFY(near(cache().thumbnailOf(file).pixel(10, 10), Red, Tolerance)); // decoded

        const QImage replaced = cache().find(file, Kind::Normal);
        QCOMPARE(replaced.size(), QSize(128, 96));
        QVERIFY(near(replaced.pixel(10, 10), Red, Tolerance));
    }

    void aCachedThumbnailStandsInOnlyWhenItCoversTheStrip_data()
    {
        QTest::addColumn<QSize>("normal"); // empty: none
        QTest::addColumn<QSize>("large");
        QTest::addColumn<bool>("used");
        QTest::newRow("a normal one") << QSize(128, 96) << QSize() << true;
        QTest::newRow("a large one") << QSize() << QSize(256, 192) << true;
        QTest::newRow("a normal one too thin") << QSize(128, 40) << QSize() << false;
        QTest::newRow("a large one where the normal one is too thin")
            << QSize(128, 40) << QSize(256, 80) << true;
    }

    void aCachedThumbnailStandsInOnlyWhenItCoversTheStrip()
    {
        QFETCH(QSize, normal);
        QFETCH(QSize, large);
        QFETCH(bool, used);
        const QString file = camera();
        if (!normal.isEmpty())
            writeThumbnail(
                cache().thumbnailPath(file, Kind::Normal), solid(normal, Yellow), validKeys(file));
        if (!large.isEmpty())
            writeThumbnail(
                cache().thumbnailPath(file, Kind::Large), solid(large, Yellow), validKeys(file));
        const QImage strip = cache().thumbnailOf(file);
        QCOMPARE(strip.size(), Thumbnail::StripSize);
        QVERIFY(near(strip.pixel(10, 10), used ? Yellow : Red, Tolerance));
        // A valid normal thumbnail is the desktop's and stays, even when too thin for the strip.
        if (!normal.isEmpty())
            QCOMPARE(cache().find(file, Kind::Normal).size(), normal);
    }

    void aDamagedThumbnailIsIgnoredAndReplaced_data()
    {
        QTest::addColumn<QByteArray>("damage"); // what the thumbnail file becomes
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a PNG") << QByteArray("\x89PNG\r\n\x1a\n but nothing after");
        QTest::newRow("cut after its keys") << QByteArray("cut");
        QTest::newRow("bigger than its kind allows") << QByteArray("big");
    }

    void aDamagedThumbnailIsIgnoredAndReplaced()
    {
        QFETCH(QByteArray, damage);
        const QString file = camera();
        const QString path = cache().thumbnailPath(file, Kind::Normal);
        if (damage == "cut" || damage == "big") {
            writeThumbnail(path, solid(damage == "big" ? QSize(600, 450) : QSize(128, 96), Yellow),
                validKeys(file));
            if (damage == "cut")
                QVERIFY(QFile::resize(path, QFileInfo(path).size() - 40));
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            writeFile(path, damage);
        }
        QVERIFY(cache().find(file, Kind::Normal).isNull());
        QVERIFY(near(cache().thumbnailOf(file).pixel(10, 10), Red, Tolerance));
        QVERIFY(near(cache().find(file, Kind::Normal).pixel(10, 10), Red, Tolerance));
    }

    void aCacheThatCannotBeWrittenIsTolerated_data()
    {
        QTest::addColumn<QString>("blocked"); // made a file, or for "" a folder, to block writes
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("a file where the cache folder should be")
            << QStringLiteral("cache/thumbnails") << false;
        QTest::newRow("a file where the normal folder should be")
            << QStringLiteral("cache/thumbnails/normal") << false;
        QTest::newRow("a folder where the thumbnail should be") << QString() << true;
        QTest::newRow("a read-only normal folder")
            << QStringLiteral("cache/thumbnails/normal") << true;
    }

    void aCacheThatCannotBeWrittenIsTolerated()
    {
        QFETCH(QString, blocked);
        QFETCH(bool, asFolder);
        const QString file = camera();
        const QString target = blocked.isEmpty() ? cache().thumbnailPath(file, Kind::Normal)
                                                 : m_dir.filePath(blocked);
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        if (asFolder) {
            QVERIFY(QDir().mkpath(target));
            if (!blocked.isEmpty()) {
                if (::geteuid() == 0)
                    QSKIP("Permissions do not stop root from writing.");
                QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
            }
        } else {
            writeFile(target, "in the way");
        }

        QVERIFY(!cache().store(file, solid({128, 96}, Yellow), Kind::Normal));
        const QImage strip = cache().thumbnailOf(file); // no exception
        QVERIFY(near(strip.pixel(10, 10), Red, Tolerance));
        QVERIFY(cache().find(file, Kind::Normal).isNull());
        const QStringList leftovers = QDir(cacheRoot() + QStringLiteral("/normal"))
                                          .entryList({QStringLiteral("*.png.*")}, QDir::Files);
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u' '))); // no temporary files
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void theCachedThumbnailIsUprightAndFitsTheNormalSize_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QSize>("picture"); // upright
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<QRgb>("topLeft"); // of the cached thumbnail
        const QRgb Blue = qRgb(0, 0, 255); // the quadrants' bottom-left
        const QByteArray landscape
            = PictureSamples::jpeg(PictureSamples::quadrants({1600, 1200}), JpegKind::Baseline, 95);
        const auto quadrantsJpeg = [](QSize size) {
            return PictureSamples::jpeg(PictureSamples::quadrants(size), JpegKind::Baseline, 95);
        };
        const auto embedded = [](QSize size) {
            return PictureSamples::jpeg(solid(size, Yellow), JpegKind::Baseline, 95);
        };
        QTest::newRow("a camera picture")
            << landscape << "jpg" << QSize(1600, 1200) << QSize(128, 96) << Red;
        // Orientation 6 turns the stored picture a quarter clockwise: its bottom-left comes up.
        QTest::newRow("a camera picture taken sideways")
            << PictureSamples::withExif(landscape, 6) << "jpg" << QSize(1200, 1600)
            << QSize(96, 128) << Blue;
        QTest::newRow("a small picture, never enlarged")
            << quadrantsJpeg({100, 80}) << "jpg" << QSize(100, 80) << QSize(100, 80) << Red;
        QTest::newRow("a picture whose strip decode is too small for the cache")
            << quadrantsJpeg({640, 480}) << "jpg" << QSize(640, 480) << QSize(128, 96) << Red;
        QTest::newRow("an embedded thumbnail large enough")
            << PictureSamples::withExif(landscape, 1, embedded({160, 120})) << "jpg"
            << QSize(1600, 1200) << QSize(128, 96) << Yellow;
        QTest::newRow("an embedded thumbnail too small for the cache")
            << PictureSamples::withExif(landscape, 1, embedded({80, 60})) << "jpg"
            << QSize(1600, 1200) << QSize(128, 96) << Red;
        QTest::newRow("a bitmap") << PictureSamples::bmp(
            PictureSamples::quadrants({300, 200}), PictureSamples::BmpKind::Rgb24)
                                  << "bmp" << QSize(300, 200) << QSize(128, 85) << Red;
    }

    void theCachedThumbnailIsUprightAndFitsTheNormalSize()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, suffix);
        QFETCH(QSize, picture);
        QFETCH(QSize, thumbnail);
        QFETCH(QRgb, topLeft);
        const QString file = m_dir.filePath(QStringLiteral("picture.") + suffix);
        writeFile(file, bytes);
        QCOMPARE(cache().thumbnailOf(file), Thumbnail::fromFile(file)); // the strip unchanged

        const QImage cached = cache().find(file, Kind::Normal);
        QCOMPARE(cached.size(), thumbnail);
        QVERIFY2(
            near(cached.pixel(4, 4), topLeft, Tolerance), qPrintable(QString::number(cached.pixel(4, 4), 16)));
        QFile png(cache().thumbnailPath(file, Kind::Normal));
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QMap<QByteArray, QByteArray> texts = pngTexts(png.readAll());
        QCOMPARE(texts.value("tEXt Thumb::Image::Width").toInt(), picture.width());
        QCOMPARE(texts.value("tEXt Thumb::Image::Height").toInt(), picture.height());
    }

    void noCacheReadsAndWritesNothing()
    {
        const QString file = camera();
        const ThumbnailCache none {QString()};
        QCOMPARE(none.thumbnailOf(file), Thumbnail::fromFile(file));
        QVERIFY(!none.store(file, solid({128, 96}, Yellow), Kind::Normal));
        QVERIFY(none.find(file, Kind::Normal).isNull());
    }
};

TABVALE_TEST_MAIN(ThumbnailCacheTest, QCoreApplication)
#include "ThumbnailCacheTest.moc"
