#include "picture/ThumbnailCache.h"

#include "picture/PictureError.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtEndian>
#include <cstdio>
#include <zlib.h>

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QString folderOf(ThumbnailCache::Kind kind)
{
    return kind == ThumbnailCache::Kind::Normal ? QStringLiteral("normal")
                                                : QStringLiteral("large");
}

// A PNG tEXt chunk. Qt writes long texts as zTXt, which GLib's check of a thumbnail does not
// read, so the keys are written here by hand.
QByteArray textChunk(const QByteArray &key, const QByteArray &value)
{
    const QByteArray body = "tEXt" + key + '\0' + value;
    QByteArray chunk(4, Qt::Uninitialized);
    qToBigEndian(quint32(body.size() - 4), chunk.data());
    chunk += body;
    const auto crc = quint32(crc32(crc32(0, nullptr, 0),
        reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size())));
    QByteArray crcBytes(4, Qt::Uninitialized);
    qToBigEndian(crc, crcBytes.data());
    return chunk + crcBytes;
}

// The image as a PNG whose text chunks follow its header, where readers look for them first.
QByteArray pngWithText(const QImage &image, const QList<std::pair<QByteArray, QByteArray>> &texts)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(80); // light compression: files as small, in half the time
    if (!writer.write(image))
        return {};
    QByteArray png = buffer.data();
    constexpr qsizetype HeaderEnd = 8 + 4 + 4 + 13 + 4; // signature, then the IHDR chunk
    if (png.size() < HeaderEnd || png.mid(12, 4) != "IHDR")
        return {};
    QByteArray chunks;
    for (const auto &[key, value] : texts)
        chunks += textChunk(key, value);
    return png.insert(HeaderEnd, chunks);
}

// The picture's size scaled down to fit side × side; a smaller picture keeps its size.
QSize fitted(QSize picture, int side)
{
    if (picture.width() <= side && picture.height() <= side)
        return picture;
    return picture.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool covers(const QImage &image, QSize size)
{
    return !image.isNull() && image.width() >= size.width() && image.height() >= size.height();
}

// The normal thumbnail from what the strip decoded. That is usually large enough (an eighth of a
// camera picture, a 160-px embedded thumbnail); a small picture or a tiny embedded thumbnail is
// decoded again, once, at the scale the normal size needs.
QImage normalThumbnail(const QString &file, const Thumbnail::Reduced &reduced)
{
    const QSize target
        = fitted(reduced.pictureSize, ThumbnailCache::sideOf(ThumbnailCache::Kind::Normal));
    QImage source = reduced.image;
    if (!covers(source, target) && reduced.pictureSize != source.size())
        source = Thumbnail::reducedFromFile(file, target).image;
    return source.size() == target
        ? source
        : source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

ThumbnailCache ThumbnailCache::desktop()
{
    return ThumbnailCache(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/thumbnails"));
}

QByteArray ThumbnailCache::uriOf(const QByteArray &absolutePath)
{
    // GLib leaves these unescaped in a path besides letters, digits and "-._~"; it escapes
    // every other byte, ";", "[" and "]" among them, where a URL encoder would not.
    return "file://" + absolutePath.toPercentEncoding("!$&'()*+,/:=@");
}

QString ThumbnailCache::fileNameOf(const QByteArray &uri)
{
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex())
        + QStringLiteral(".png");
}

QString ThumbnailCache::thumbnailPath(const QString &file, Kind kind) const
{
    return pathFor(stampOf(file), kind);
}

QImage ThumbnailCache::find(const QString &file, Kind kind) const
{
    return m_root.isEmpty() ? QImage() : findValid(stampOf(file), kind);
}

bool ThumbnailCache::store(
    const QString &file, const QImage &thumbnail, Kind kind, QSize pictureSize) const
{
    return !m_root.isEmpty() && storeWith(stampOf(file), thumbnail, kind, pictureSize);
}

QImage ThumbnailCache::thumbnailOf(const QString &file, QSize size) const
{
    if (m_root.isEmpty())
        return Thumbnail::fromFile(file, size);
    // Taken before decoding: a file changed meanwhile is recorded as older and made again.
    const Stamp stamp = stampOf(file);
    const QImage normal = findValid(stamp, Kind::Normal);
    if (covers(normal, size))
        return Thumbnail::fromImage(normal, size);
    // A long panorama's normal thumbnail may be too thin for the strip.
    const QImage large = findValid(stamp, Kind::Large);
    if (covers(large, size))
        return Thumbnail::fromImage(large, size);
    const Thumbnail::Reduced reduced = Thumbnail::reducedFromFile(file, size);
    if (normal.isNull()) {
        try {
            storeWith(stamp, normalThumbnail(file, reduced), Kind::Normal, reduced.pictureSize);
        } catch (const PictureError &) {
            // A second decode for the cache failed (the file changed meanwhile): not cached.
        }
    }
    return Thumbnail::fromImage(reduced.image, size);
}

ThumbnailCache::Stamp ThumbnailCache::stampOf(const QString &file)
{
    const QFileInfo info(file);
    Stamp stamp;
    stamp.uri = uriOf(QFile::encodeName(QDir::cleanPath(info.absoluteFilePath())));
    stamp.exists = info.exists();
    if (!stamp.exists)
        return stamp;
    const qint64 ms = info.lastModified().toMSecsSinceEpoch();
    stamp.mtime = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000); // stat() rounds down
    stamp.size = info.size();
    return stamp;
}

QString ThumbnailCache::pathFor(const Stamp &stamp, Kind kind) const
{
    return m_root + u'/' + folderOf(kind) + u'/' + fileNameOf(stamp.uri);
}

QImage ThumbnailCache::findValid(const Stamp &stamp, Kind kind) const
{
    if (!stamp.exists)
        return {};
    QImageReader reader(pathFor(stamp, kind), "png");
    reader.setDecideFormatFromContent(false);
    // Whatever declares more than its kind allows is not a thumbnail of this cache.
    const QSize declared = reader.size();
    const int side = sideOf(kind);
    if (declared.isEmpty() || declared.width() > side || declared.height() > side)
        return {};
    // The keys are taken from the image read: QImageReader::text() splits keys at their first
    // colon. Any kind of PNG text chunk counts, as other writers (Qt among them) compress long
    // ones; the checks are GLib's.
    QImage image;
    if (!reader.read(&image))
        return {};
    const QString size = image.text(QStringLiteral("Thumb::Size"));
    if (image.text(QStringLiteral("Thumb::URI")) != QLatin1String(stamp.uri)
        || image.text(QStringLiteral("Thumb::MTime")) != QString::number(stamp.mtime)
        || (!size.isEmpty() && size != QString::number(stamp.size)))
        return {};
    return image;
}

bool ThumbnailCache::storeWith(
    const Stamp &stamp, QImage thumbnail, Kind kind, QSize pictureSize) const
{
    if (!stamp.exists || thumbnail.isNull() || !makeFolder(kind))
        return false;
    const int side = sideOf(kind);
    if (thumbnail.width() > side || thumbnail.height() > side)
        thumbnail = thumbnail.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QList<std::pair<QByteArray, QByteArray>> texts {{"Thumb::URI", stamp.uri},
        {"Thumb::MTime", QByteArray::number(stamp.mtime)},
        {"Thumb::Size", QByteArray::number(stamp.size)}};
    if (pictureSize.isValid()) {
        texts.emplace_back("Thumb::Image::Width", QByteArray::number(pictureSize.width()));
        texts.emplace_back("Thumb::Image::Height", QByteArray::number(pictureSize.height()));
    }
    texts.emplace_back("Software", "Tabvale");
    const QByteArray png = pngWithText(thumbnail, texts);
    if (png.isEmpty())
        return false;
    // Written beside the thumbnail and renamed over it, so that a reader never sees half a
    // thumbnail. Not QSaveFile: it syncs every file to disk (2 ms a thumbnail, measured), which
    // a cache that may be lost at any time does not need. QTemporaryFile makes the file
    // owner-only; POSIX rename() replaces a stale thumbnail in one step.
    const QString path = pathFor(stamp, kind);
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(png) != png.size() || !file.flush())
        return false;
    file.close();
    if (std::rename(
            QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData())
        != 0)
        return false;
    file.setAutoRemove(false); // it is the thumbnail now
    return true;
}

bool ThumbnailCache::makeFolder(Kind kind) const
{
    const QString folder = m_root + u'/' + folderOf(kind);
    if (QFileInfo(folder).isDir())
        return true;
    const QDir dir;
    if (!QFileInfo(m_root).isDir()) {
        dir.mkpath(QFileInfo(m_root).path()); // the user's cache folder
        dir.mkdir(m_root, QFile::ExeOwner | OwnerOnly);
    }
    dir.mkdir(folder, QFile::ExeOwner | OwnerOnly);
    return QFileInfo(folder).isDir(); // another thread may have made it meanwhile
}
