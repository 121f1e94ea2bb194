#pragma once

#include "DBInputPic/ThumbBlock.h"

#include <QByteArray>
#include <QImage>
#include <memory>

// One thumbnail of the field picture column: its row, and its 58 × 58 picture kept packed
// (Thumbnail::pack) in a range of a block that many thumbnails share; no picture shows "无" (the
// field is empty) or "无效" (its value is no readable picture).
struct FieldThumb
{
    int Tag = 0;
    bool unreadable = false;
    std::shared_ptr<const ThumbBlock> block; // null for no picture
    qint32 offset = 0;
    qint32 size = 0;

    QImage picture() const;
    // Replaces the picture by this packed one, in a block of its own.
    void setPacked(const QByteArray &packed);
};
