#pragma once

#include "datawindow/grid/TCanvas.h"

#include <QStyle>
#include <QTableView>
#include <functional>

class TDataSource;
class TField;
class TTable;
class TableModel;

// The data grid. Grid coordinates are those users of such grids know: column 0 is the indicator
// column, row 0 the title row, data cells start at (1, 1), and a grid row is a row on screen (row 1
// is the top visible record). Client coordinates are the grid widget's own, headers included.
// When the table has more records than its model's window holds, a record bar over the whole
// table stands in for the view's own scroll bar, and the window follows where it is moved.
class QScrollBar;

class DBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);

    void setDataSource(TDataSource *source);
    TDataSource *dataSource() const { return m_source; }
    TTable *table() const;
    TableModel *tableModel() const { return m_model; }
    // The scroll bar over all the table's records; shown only while the model holds a window.
    QScrollBar *recordBar() const { return m_recordBar; }

    // Colours: data cells, title row and indicator column, cell font.
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &color);
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    void setTitleFont(const QFont &font);

    // In-place editing option (switched by the input lock).
    bool editingOption() const { return m_editing; }
    void setEditingOption(bool on);

    struct GridCoord
    {
        int x = -1; // column
        int y = -1; // row
    };
    GridCoord mouseCoord(const QPoint &clientPoint) const;
    QRect cellRect(int col, int row) const; // client coordinates; empty when not on screen
    int recordAtRow(int row) const; // the record (0-based) shown in grid row row

    int selectedIndex() const; // data column of the current column (0-based), -1 none
    void setSelectedIndex(int dataColumn);
    TField *selectedField() const;
    TField *displayedField(int dataColumn) const;

    // The cell-drawing hook: called for each data cell after the standard drawing.
    using DrawColumnCellHandler = std::function<void(
        TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state)>;
    DrawColumnCellHandler OnDrawColumnCell;
    // Draws the cell's text the standard way with the canvas's brush and font colour.
    void defaultDrawColumnCell(
        TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state) const;

    // Mouse hooks, which a window may swap while a drag lasts. pos is in client coordinates;
    // moves and releases over the title row and the indicator column come here too, and so do
    // the events the grid receives while it holds the mouse grab.
    using MouseMoveHandler
        = std::function<void(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos)>;
    using MouseUpHandler
        = std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos)>;
    MouseMoveHandler OnMouseMove;
    MouseUpHandler OnMouseUp;

    // The cell being painted (set by the delegate around the drawing calls).
    QModelIndex paintingIndex;

    // A cell's whole text when the cell shows only part of it (else empty): its tooltip.
    QString hiddenTextAt(const QPoint &viewportPoint) const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void updateGeometries() override;

private:
    // Runs the mouse hooks (on copies, so that a hook may replace itself).
    void mouseHook(QMouseEvent *event, QPoint clientPos);
    void followTable();
    void applyStyle();
    void placeRecordBar();
    void updateRecordBar();
    void onRecordBarMoved(int topRecord);
    void showFromRecord(int topRecord, bool moveWindow); // topRecord in grid row 1
    void onViewScrolled();
    int visibleRows() const;

    TDataSource *m_source = nullptr;
    TableModel *m_model = nullptr;
    QScrollBar *m_recordBar = nullptr;
    QColor m_color = Qt::white;
    QColor m_fixedColor = QColor(Qt::lightGray);
    QColor m_fontColor = Qt::black;
    bool m_editing = false;
    bool m_following = false;
    bool m_placingRecordBar = false;
    bool m_movingWindow = false;
};
