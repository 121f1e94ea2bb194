#pragma once

#include "picture/PictureSource.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// The stored form of a picture in a picture-like field: a Windows bitmap file, preceded for the
// graphic (17) and typed-binary (21) codes by an 8-byte header (count 1, type 0x0100, size).
// Databases made by other programs hold picture files instead (JPEG, PNG, GIF), and reading takes
// those too. Pure functions, safe on any thread.
namespace StoredPicture {

QByteArray encode(const QImage &image, int fieldTypeCode); // null image → empty value
bool hasGraphicHeader(const QByteArray &value); // all three header values match
QByteArray bitmapPart(const QByteArray &value); // the picture inside a value (header skipped)
// What every reader of a picture value calls, and so what "readable" means: the picture after
// the optional header, told by its signature (bitmap, JPEG upright, PNG, GIF). An empty value
// gives a null image; a value none of the decoders reads raises PictureError. maxSize as for
// PictureFile::decode.
QImage decode(const QByteArray &value, QSize maxSize = {});

// The one rule for the bytes a picture-like field of this code receives in this form; every
// gesture that stores a picture, and the bulk load, asks it.
// - Bitmap: the source's image in the stored form above; without an image, a value that is
//   already a bitmap keeps its bytes (only the header follows the code), and anything else is
//   decoded (a picture with transparency drawn onto white, as the windows draw a file) and
//   encoded.
// - File: bytes that are a JPEG, PNG, GIF or bitmap file are stored as they are (a value read
//   from a field exactly as it was, graphic header and all, so a restore puts back its bytes); a
//   picture without such bytes becomes a PNG file.
// An empty source gives an empty value (null). Raises PictureError when the source must be
// decoded and cannot be.
QByteArray valueFor(PictureForm form, int fieldTypeCode, const PictureSource &source);

} // namespace StoredPicture
