#pragma once

#include <QByteArray>
#include <QImage>

// The stored form of a picture in a picture-like field: a Windows bitmap file, preceded for the
// graphic (17) and typed-binary (21) codes by an 8-byte header (count 1, type 0x0100, size).
// Pure functions, safe on any thread.
namespace StoredPicture {

QByteArray encode(const QImage &image, int fieldTypeCode); // null image → empty value
bool hasGraphicHeader(const QByteArray &value); // all three header values match
QByteArray bitmapPart(const QByteArray &value); // the bitmap file inside a value
QImage decode(const QByteArray &value); // empty value → null image; unreadable → PictureError

} // namespace StoredPicture
