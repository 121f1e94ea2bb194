#pragma once

#include <QStyledItemDelegate>

class DBGrid;

// Paints data cells in the grid's colours, then hands each cell to the grid's drawing hook.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit GridDelegate(DBGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    // A value the field refuses is reported here: the model raises, Qt's frames must not see it.
    void setModelData(
        QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    DBGrid *m_grid;
};
