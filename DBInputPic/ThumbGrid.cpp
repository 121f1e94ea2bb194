#include "DBInputPic/ThumbGrid.h"

#include <algorithm>

QRect ThumbGrid::itemRect(int n, int offset) const
{
    return {origin.x() + n % columns * Pitch, origin.y() + rowTop(n / columns, offset), Side, Side};
}

int ThumbGrid::itemAt(QPoint pos, int offset, int last) const
{
    const int x = pos.x() - origin.x();
    const int y = pos.y() - offset - origin.y();
    if (x < 0 || y < 0 || x % Pitch >= Side || y % Pitch >= Side || x / Pitch >= columns)
        return -1;
    const int n = y / Pitch * columns + x / Pitch;
    return n <= last ? n : -1;
}

int ThumbGrid::firstRowIn(int top, int offset) const
{
    return std::max(0, (top - offset - origin.y()) / Pitch);
}

int ThumbGrid::lastRowIn(int bottom, int offset) const
{
    return std::max(-1, (bottom - offset) / Pitch);
}
