#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

// What a copy gesture stores of the current file picture. Pure functions, GUI-free.
namespace PictureToStore {

// Pictures up to this size in both directions are stored as they are; larger ones are scaled or
// cut to it. Equal to the side of the file picture view.
constexpr int SizeLimit = 200;

// The size a picture larger than the limit is scaled to: the longer side becomes the limit, the
// other follows the proportion, rounded to nearest with halves to the even neighbour (never below
// one pixel, so a sliver of a picture is not stored as no picture).
QSize scaledSize(QSize picture);

// Unchanged when it fits the limit, else stretched over scaledSize().
QImage fitted(const QImage &picture);

// The limit × limit part of the picture that the view shows when the picture's top-left corner
// stands at viewPos (both 0 or negative); what lies outside the picture is white.
QImage visiblePart(const QImage &picture, QPoint viewPos);

// The column copy's rule: unchanged when it fits, else fitted in fit mode and the visible part in
// full-size mode. The strip and list copies always use fitted().
QImage forColumnCopy(const QImage &picture, bool fitMode, QPoint viewPos);

} // namespace PictureToStore
