#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Picture files: JPEG and Windows bitmaps. Pure functions, safe on any thread. Failures (missing,
// unreadable, damaged, other format) raise PictureError.
namespace PictureFile {

// ".bmp", ".jpg" or ".jpeg" in any letter case.
bool isPictureFileName(const QString &fileName);

// Decodes by extension: ".bmp" as a bitmap, ".jpg"/".jpeg" as JPEG; a ".jpg" holding a bitmap is
// an error. maxSize lets a JPEG decode at a reduced scale that still covers it (see JpegCodec);
// bitmaps are always decoded at full size.
QImage load(const QString &path, QSize maxSize = {});

// Decodes bytes whose format is told by their signature ("BM" or the JPEG start marker).
QImage decode(const QByteArray &bytes, QSize maxSize = {});

} // namespace PictureFile
