#pragma once

#include <QScrollBar>

// A scroll bar with the classic parameters: Min, Max and PageSize, where the thumb covers PageSize
// of the Min..Max range, so the last position is Max - PageSize + 1 (Qt's maximum is that).
class TScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit TScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    int Max() const { return m_max; }
    int PageSize() const { return m_pageSize; }
    void setParams(int min, int max, int pageSize);
    void setMax(int max) { setParams(minimum(), max, m_pageSize); }
    void setPageSize(int pageSize) { setParams(minimum(), m_max, pageSize); }
    // Qt ties the page click to the thumb size; the classic bar moves by its own large step.
    int LargeChange = 10;

private:
    int m_max = 100;
    int m_pageSize = 0;
};
