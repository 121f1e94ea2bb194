#pragma once

#include "picture/Thumbnail.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The desktop's shared thumbnail cache, as the freedesktop Thumbnail Managing Standard lays it
// out: PNG files in <root>/normal (at most 128 px a side) and <root>/large (at most 256 px),
// named by the MD5 of the picture file's URI, and valid while the URI, modification time and (when
// recorded) size written into them still match the file. File managers read what is written here
// and write what is read here, so the URI is made byte for byte as GLib makes it. The cache only
// ever saves time: a missing, read-only or full folder and a damaged thumbnail are misses, never
// errors. All methods are const and safe on any thread.
class ThumbnailCache
{
public:
    enum class Kind { Normal, Large };
    static int sideOf(Kind kind) { return kind == Kind::Normal ? 128 : 256; }

    // An empty root is no cache at all: every look-up misses and nothing is written.
    explicit ThumbnailCache(QString root) : m_root(std::move(root)) { }
    // $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails when it is not set).
    static ThumbnailCache desktop();
    QString root() const { return m_root; }

    // "file://" and the absolute path's bytes (QFile::encodeName), escaped as GLib's
    // g_filename_to_uri escapes them: file names need not be UTF-8.
    static QByteArray uriOf(const QByteArray &absolutePath);
    // The URI's MD5 in lower-case hex, then ".png".
    static QString fileNameOf(const QByteArray &uri);
    // Where the thumbnail of file (made absolute and cleaned, links kept) lives.
    QString thumbnailPath(const QString &file, Kind kind) const;

    // The cached thumbnail of file when a valid one is there; else a null image. It is upright,
    // as the desktop shows it.
    QImage find(const QString &file, Kind kind) const;
    // Caches thumbnail for file (scaled down to fit the kind's side when larger); pictureSize is
    // recorded when given. Written under a temporary name and renamed, readable by the owner
    // only. False when it could not be written, which callers may ignore.
    bool store(
        const QString &file, const QImage &thumbnail, Kind kind, QSize pictureSize = {}) const;

    // Thumbnail::fromFile(file, size), taken from a cached thumbnail when a valid one covers size;
    // otherwise decoded, and the normal thumbnail made on the way cached. Throws PictureError
    // when the file has to be decoded and cannot be.
    QImage thumbnailOf(const QString &file, QSize size = Thumbnail::StripSize) const;

private:
    struct Stamp
    {
        bool exists = false;
        QByteArray uri;
        qint64 mtime = 0; // whole seconds, as stat() gives them
        qint64 size = 0;
    };
    static Stamp stampOf(const QString &file);
    QString pathFor(const Stamp &stamp, Kind kind) const;
    QImage findValid(const Stamp &stamp, Kind kind) const;
    bool storeWith(const Stamp &stamp, QImage thumbnail, Kind kind, QSize pictureSize) const;
    bool makeFolder(Kind kind) const;

    QString m_root;
};
