#pragma once

#include <QImage>

// The small pictures of the tool bar and hidden picture holders, drawn by the program.
namespace Glyphs {

QImage inputLocked(); // 18 x 36: a closed padlock
QImage inputUnlocked(); // 18 x 36: an open padlock
QImage lookData(); // tool bar: a magnifier over a table
QImage inputPicture(); // tool bar: a picture with an arrow
QImage compact(); // tool bar: a press
QImage deleteImage(); // image list entry 0: a picture struck out
QImage placeholder(); // 8 x 8, one bit per pixel

} // namespace Glyphs
