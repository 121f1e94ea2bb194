#pragma once

#include "picture/Thumbnail.h"

#include <QByteArray>
#include <QImage>

// One thumbnail of the field picture column: its row, and its 58 × 58 picture kept packed; no
// picture shows "无" (the field is empty) or "无效" (its value is no readable picture).
struct FieldThumb
{
    int Tag = 0;
    QByteArray packed;
    bool unreadable = false;
    QImage picture() const { return Thumbnail::unpack(packed); }
};
