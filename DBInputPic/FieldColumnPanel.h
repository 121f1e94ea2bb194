#pragma once

#include <QFrame>

class TFDBInputPic;

// The column's panel: paints the window's reference labels and column thumbnails itself (a table
// can hold a hundred thousand records) at the places their controls would stand, with the current
// row's label highlighted, and reports presses on the thumbnails. Its real children (the restore
// button, the hidden scratch and buffer pictures) move with the column when it scrolls.
class FieldColumnPanel : public QFrame
{
    Q_OBJECT
public:
    FieldColumnPanel(const TFDBInputPic &window, QWidget *parent);

    void scrollContents(int dy); // moves every child; the window's ColumnOffset moves the rows
    int thumbAt(QPoint pos) const; // the column index under pos, -1 for none
    void updateRow(int row);

    static const QColor HighlightColor; // navy

signals:
    void thumbPressed(int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const TFDBInputPic &m_window;
};
