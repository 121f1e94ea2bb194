#pragma once

#include "DBInputPic/FieldThumb.h"
#include "DBInputPic/ThumbGrid.h"

#include <QFrame>
#include <QList>
#include <QStringList>

// What the column panel paints: references to the window's reference labels, column thumbnails,
// current row and scroll offset, read at every paint and press.
struct FieldColumnView
{
    const QStringList &labels;
    const QList<FieldThumb> &thumbs;
    const int &currentRow;
    const int &offset; // how far the rows moved down (≤ 0)
};

// The column's panel: paints the reference labels and column thumbnails itself (a table can hold
// a hundred thousand records) at the places their controls would stand, with the current row's
// label highlighted, and reports presses on the thumbnails. Its real children (the restore
// button, the hidden scratch and buffer pictures) move with the column when it scrolls.
class FieldColumnPanel : public QFrame
{
    Q_OBJECT
public:
    FieldColumnPanel(FieldColumnView view, QWidget *parent);

    static constexpr ThumbGrid Grid = ThumbGrid::fieldColumn();
    static QRect labelRect(int row, int offset)
    {
        return {5, Grid.rowTop(row, offset) + 21, 72, 20};
    }

    void scrollContents(int dy); // moves every child; the view's offset moves the rows
    int thumbAt(QPoint pos) const; // the column index under pos, -1 for none
    void updateRow(int row);
    void updateRows(int first, int last); // repaints the part of them that shows

    static const QColor HighlightColor; // navy

signals:
    void thumbPressed(int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void paintLabel(QPainter &p, int row) const;
    void paintThumb(QPainter &p, int row) const;

    FieldColumnView m_view;
};
