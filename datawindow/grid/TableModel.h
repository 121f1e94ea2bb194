#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class TDataSource;
class TTable;

// The grid's model over a table: one row per record (plus the pending insert), one column per
// field. Cells of memo and picture-like fields show their type name, never their content, so
// painting reads no picture bytes. The vertical header is the record indicator.
//
// The rows are a window of at most WindowRows consecutive records (all of them in a smaller
// table): a view keeps a header section for every row it is given and walks all of them after
// each change, which would cost a big table tens of megabytes and a pause at every part of its
// loading record list. The window always holds the current record; when the current record
// leaves it, or the grid asks (moveWindow), it moves, and the model is reset. While a list loads,
// rows are added at the end until the window is full, so the rows there keep their records.
class TableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int WindowRows = 100000;

    explicit TableModel(TDataSource *source, QObject *parent = nullptr);

    TTable *table() const;

    // Rows against records (record numbers as the table counts them, from 0).
    int firstRecord() const { return m_first; }
    int recordOf(int row) const { return m_first + row; }
    int rowOf(int record) const; // -1 when the record has no row in the window
    // Rows the whole table takes: its loaded records and the pending insert.
    int recordRows() const { return m_recordRows; }
    bool windowed() const { return m_rows < m_recordRows; }
    // Moves the window to start at first (kept within the table); resets the model when it
    // moves. The current record may be left outside: the grid scrolls where the user takes it.
    void moveWindow(int first);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The text a memo or picture-like cell shows: "(Graphic)" when empty, "(GRAPHIC)" otherwise.
    static QString typeNameCellText(int fieldType, bool empty);

signals:
    void recordRowsChanged(); // the whole table's rows changed in number

private:
    void resync();
    void onRecordChanged();
    void onRecordListGrew();
    void attach();
    // Puts the window where first asks (with the current record in it when keepCurrent); rows
    // are added or removed at the end when it stays, the model is reset when it moves.
    void fitWindow(int first, bool keepCurrent);
    void noteRecordRows(int rows);

    QPointer<TDataSource> m_source;
    QPointer<TTable> m_table;
    int m_first = 0;
    int m_rows = 0;
    int m_recordRows = 0;
    int m_columns = 0;
    int m_lastCurrentRecord = -1;
};
