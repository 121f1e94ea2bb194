#pragma once

#include "picture/Thumbnail.h"

#include <QByteArray>
#include <QImage>

// One thumbnail of the file strip: its file's index in the file list and its 58 × 58 picture,
// kept packed.
struct FileThumb
{
    int Tag = 0;
    QByteArray packed;
    QImage picture() const { return Thumbnail::unpack(packed); }
};
