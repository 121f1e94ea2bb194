#pragma once

#include "DBInputPic/FileThumb.h"
#include "DBInputPic/ThumbGrid.h"

#include <QFrame>
#include <QList>

// The strip's panel: paints the strip's thumbnails itself (a folder can hold thousands of files)
// at the places a thumbnail control would stand, and reports presses on them. Its real children
// (the start button) move with the strip when it scrolls.
class FileThumbPanel : public QFrame
{
    Q_OBJECT
public:
    // thumbs: the window's list, read at every paint and press.
    FileThumbPanel(const QList<FileThumb> &thumbs, QWidget *parent);

    static constexpr ThumbGrid Grid = ThumbGrid::fileStrip();

    int scrollOffset() const { return m_offset; } // how far the contents moved down (≤ 0)
    void resetScrollOffset() { m_offset = 0; }
    void scrollContents(int dy); // moves the thumbnails and every child
    int thumbAt(QPoint pos) const; // the strip index under pos, -1 for none
    void updateThumb(int n);

signals:
    void thumbPressed(int n, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const QList<FileThumb> &m_thumbs;
    int m_offset = 0;
};
