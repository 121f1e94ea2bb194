#pragma once

#include "picture/PictureSource.h"

#include <QImage>

class QMimeData;

// A picture on the clipboard: the image for any program, and for Tabvale the stored bytes it came
// from, so a value copied between fields keeps its bytes where the target's form allows it.
namespace PictureMime {

// Sets the image, and the source's bytes when they are the picture itself (a value read from a
// field, or a file not converted by a gesture).
void put(QMimeData &data, const QImage &picture, const PictureSource &source);

// What the clipboard holds, as a source to store; an empty source when it holds no picture.
// *shown receives the image.
PictureSource take(const QMimeData *data, QImage *shown);

} // namespace PictureMime
