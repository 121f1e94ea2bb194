#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Picture files: JPEG and Windows bitmaps by name; JPEG, bitmaps, PNG and GIF by content. Pure
// functions, safe on any thread. Failures (missing, unreadable, damaged, other format) raise
// PictureError.
namespace PictureFile {

// ".bmp", ".jpg" or ".jpeg" in any letter case.
bool isPictureFileName(const QString &fileName);

// Decodes by extension: ".bmp" as a bitmap, ".jpg"/".jpeg" as JPEG; a ".jpg" holding a bitmap is
// an error. maxSize lets a JPEG decode at a reduced scale that still covers it (see JpegCodec);
// bitmaps are always decoded at full size.
QImage load(const QString &path, QSize maxSize = {});
// load() in two steps, for a caller that keeps the file's bytes too: the whole file, then the
// bytes decoded as the file's extension says.
QByteArray read(const QString &path);
QImage decodeNamed(const QByteArray &bytes, const QString &path, QSize maxSize = {});

enum class Format { Unknown, Bitmap, Jpeg, Png, Gif };
// The format the bytes' signature names (nothing beyond the signature is checked).
Format formatOf(const QByteArray &bytes);

// Decodes bytes whose format is told by their signature: a Windows bitmap, a JPEG (upright, see
// JpegCodec), a PNG or a GIF (its first frame). maxSize lets a JPEG decode at a reduced scale that
// still covers it; the other formats are decoded at full size.
QImage decode(const QByteArray &bytes, QSize maxSize = {});

// The size the bytes declare, read from their headers (a bitmap is decoded whole): a cheap check
// that a file is a picture of its signature's format, for a bulk load that must not decode every
// camera photo. Raises PictureError as decode does.
QSize declaredSize(const QByteArray &bytes);

} // namespace PictureFile
