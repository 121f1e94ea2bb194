#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Thumbnails for the picture strips: the whole picture stretched over size (the aspect ratio is not
// kept), smoothly scaled, opaque (transparent parts over white) and in the compact Format_RGB888,
// as strips of many thousand thumbnails keep them all. Pictures are upright by their EXIF
// orientation. A JPEG's thumbnail is made from the one its camera embedded when that covers size
// (its short side at least the larger side of size) and has the picture's proportions (within
// 1 %: some cameras letterbox theirs); else the JPEG is decoded at the smallest DCT scale that
// still covers size, so a camera picture costs about an eighth-scale decode. Pure functions, safe
// on any thread; failures raise PictureError.
namespace Thumbnail {

constexpr QSize StripSize(58, 58);

QImage fromFile(const QString &path, QSize size = StripSize); // decoder chosen by extension
QImage fromBytes(const QByteArray &bytes, QSize size = StripSize); // decoder chosen by signature
// A picture field's value (the stored form, or a picture file another program stored), always
// from the picture itself: a value whose picture does not decode has no thumbnail.
QImage fromStoredValue(const QByteArray &value, QSize size = StripSize);
QImage fromImage(const QImage &image, QSize size = StripSize);

// What fromFile makes its thumbnail from: the picture upright, as the embedded thumbnail or the
// reduced decode fromFile chooses for size (else at full size), with the whole picture's upright
// size. A cache of larger thumbnails reuses the decode this way.
struct Reduced
{
    QImage image;
    QSize pictureSize;
};
Reduced reducedFromFile(const QString &path, QSize size = StripSize);

// A thumbnail kept compactly: strips and columns of many thousand thumbnails hold them packed (a
// small JPEG, about a fifth of the pixels' size) and unpack the few they show. Empty packs a null
// image and unpacks to one.
QByteArray pack(const QImage &thumbnail);
QImage unpack(const QByteArray &packed);
// A picture field value's strip thumbnail packed, given that thumbnail (fromStoredValue(value)).
// A value no larger than KeptValueBytes is kept itself instead: it costs no more to hold than the
// JPEG, and making its thumbnail again when it is shown costs less than encoding one for every
// record of a column that shows only a few. unpack() takes either form.
constexpr qsizetype KeptValueBytes = 2048;
QByteArray packStoredValue(const QByteArray &value, const QImage &thumbnail);

// Whether an embedded thumbnail of size thumb (upright) may stand for a picture of size picture.
bool embeddedThumbnailFits(QSize thumb, QSize picture, QSize size = StripSize);

} // namespace Thumbnail
