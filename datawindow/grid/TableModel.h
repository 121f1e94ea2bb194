#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class TDataSource;
class TTable;

// The grid's model over a table: one row per record (plus the pending insert), one column per
// field. Cells of memo and picture-like fields show their type name, never their content, so
// painting reads no picture bytes. The vertical header is the record indicator. The rows are the
// records loaded so far: while a big table's list is still loading, rows are added at the end as
// its parts arrive, so the current row and the rows on screen stay where they are. A view spends
// time on every row it is given, so they go in at most RowsPerStep at a time, one step per turn
// of the event loop; the current record's row is always there at once.
class TableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TableModel(TDataSource *source, QObject *parent = nullptr);

    TTable *table() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The text a memo or picture-like cell shows: "(Graphic)" when empty, "(GRAPHIC)" otherwise.
    static QString typeNameCellText(int fieldType, bool empty);

    static constexpr int RowsPerStep = 100000;

private:
    void resync();
    void onRecordChanged();
    void onRecordListGrew();
    void addLoadedRows(); // a step, and the next one scheduled while rows are missing
    void attach();

    QPointer<TDataSource> m_source;
    QPointer<TTable> m_table;
    int m_rows = 0;
    int m_columns = 0;
    int m_lastCurrentRow = -1;
    bool m_stepScheduled = false;
};
