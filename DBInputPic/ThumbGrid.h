#pragma once

#include <QPoint>
#include <QRect>

// Where the thumbnails of the file strip and of the field column stand: `columns` to a row, one
// every Pitch pixels across and down, Side pixels square, the first at origin. Positions are in
// their panel's coordinates, moved down by the panel's scroll offset (≤ 0).
struct ThumbGrid
{
    static constexpr int Pitch = 60;
    static constexpr int Side = 58;

    int columns = 1;
    QPoint origin;

    static constexpr ThumbGrid fileStrip() { return {8, {2, 2}}; }
    static constexpr ThumbGrid fieldColumn() { return {1, {80, 2}}; }

    constexpr int rowTop(int row, int offset = 0) const { return row * Pitch + offset; }
    QRect itemRect(int n, int offset = 0) const;
    // The item under pos among items 0..last, -1 for none (the gaps between items included).
    int itemAt(QPoint pos, int offset, int last) const;
    // The rows that may show in the band top..bottom (never fewer than the rows that do).
    int firstRowIn(int top, int offset) const;
    int lastRowIn(int bottom, int offset) const;
    // The height the items 0..last need, with a margin below the last row.
    constexpr int contentHeight(int last) const { return last / columns * Pitch + 70; }
};
