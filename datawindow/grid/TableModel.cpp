#include "datawindow/grid/TableModel.h"

#include "engine/FieldType.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <algorithm>

namespace {

int rowsOf(const TTable &t)
{
    return t.loadedRecordCount() + (t.state() == TTable::Insert ? 1 : 0);
}

// The record the indicator points at: the pending insert's row while inserting.
int currentRecordOf(const TTable &t)
{
    return t.state() == TTable::Insert ? t.loadedRecordCount() : t.recNo();
}

} // namespace

TableModel::TableModel(TDataSource *source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source)
{
    connect(source, &TDataSource::dataSetSwitched, this, &TableModel::attach);
    connect(source, &TDataSource::dataSetChanged, this, &TableModel::resync);
    connect(source, &TDataSource::stateChanged, this, &TableModel::resync);
    connect(source, &TDataSource::recordChanged, this, &TableModel::onRecordChanged);
    connect(source, &TDataSource::recordListGrew, this, &TableModel::onRecordListGrew);
    attach();
}

TTable *TableModel::table() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

int TableModel::rowOf(int record) const
{
    const int row = record - m_first;
    return row >= 0 && row < m_rows ? row : -1;
}

void TableModel::noteRecordRows(int rows)
{
    if (rows == m_recordRows)
        return;
    m_recordRows = rows;
    emit recordRowsChanged();
}

void TableModel::attach()
{
    beginResetModel();
    m_table = table();
    m_first = 0;
    m_rows = 0;
    m_columns = 0;
    int recordRows = 0;
    m_lastCurrentRecord = -1;
    if (m_table && m_table->active()) {
        recordRows = rowsOf(*m_table);
        m_columns = m_table->fieldCount();
        m_lastCurrentRecord = currentRecordOf(*m_table);
        if (m_lastCurrentRecord >= WindowRows)
            m_first = std::min(m_lastCurrentRecord - WindowRows / 2, recordRows - WindowRows);
        m_rows = std::min(WindowRows, recordRows - m_first);
    }
    endResetModel();
    noteRecordRows(recordRows);
}

void TableModel::fitWindow(int first, bool keepCurrent)
{
    TTable *t = table();
    const int recordRows = rowsOf(*t);
    const int current = currentRecordOf(*t);
    if (keepCurrent && current >= 0 && (current < first || current >= first + WindowRows))
        first = current - WindowRows / 2;
    first = std::clamp(first, 0, std::max(0, recordRows - WindowRows));
    const int rows = std::min(WindowRows, recordRows - first);
    if (first != m_first) {
        beginResetModel();
        m_first = first;
        m_rows = rows;
        endResetModel();
    } else if (rows > m_rows) {
        // New records after the last row: the rows there are keep their records.
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    noteRecordRows(recordRows);
}

void TableModel::moveWindow(int first)
{
    TTable *t = table();
    if (t && t == m_table && t->active() && t->fieldCount() == m_columns)
        fitWindow(first, false);
}

void TableModel::resync()
{
    TTable *t = table();
    const bool open = t && t->active();
    const int columns = open ? t->fieldCount() : 0;
    if (t != m_table || columns != m_columns || !open) {
        attach();
        return;
    }
    // Same fields: keep the view's scroll position and selection; only the row count may move.
    const int first = m_first;
    fitWindow(m_first, true);
    if (m_first == first) {
        if (m_rows > 0 && m_columns > 0)
            emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
        // An empty table has no row header to change.
        if (m_rows > 0)
            emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
    m_lastCurrentRecord = currentRecordOf(*t);
}

void TableModel::onRecordChanged()
{
    TTable *t = table();
    if (!t || !t->active())
        return;
    if (t != m_table || t->fieldCount() != m_columns) {
        attach();
        return;
    }
    const int first = m_first;
    fitWindow(m_first, true);
    const int current = currentRecordOf(*t);
    if (m_first == first) {
        for (int record : {m_lastCurrentRecord, current}) {
            const int row = rowOf(record);
            if (row >= 0) {
                emit dataChanged(index(row, 0), index(row, m_columns - 1));
                emit headerDataChanged(Qt::Vertical, row, row);
            }
        }
    }
    m_lastCurrentRecord = current;
}

void TableModel::onRecordListGrew()
{
    TTable *t = table();
    if (!t || t != m_table || !t->active() || t->fieldCount() != m_columns)
        return;
    fitWindow(m_first, false);
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QString TableModel::typeNameCellText(int fieldType, bool empty)
{
    const QString text = QStringLiteral("(%1)").arg(fieldTypeName(fieldType));
    return empty ? text : text.toUpper();
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    TTable *t = table();
    if (!index.isValid() || !t || !t->active() || index.row() >= m_rows
        || index.column() >= m_columns)
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const TField *f = t->field(index.column());
    const int record = recordOf(index.row());
    if (fieldClassOf(f->dataType()) != FieldClass::Ordinary)
        return typeNameCellText(f->dataType(), t->isNullAt(record, index.column()));
    if (role == Qt::EditRole) {
        const QVariant v = t->valueAt(record, index.column());
        return v.isValid() ? QVariant(t->displayTextAt(record, index.column())) : QVariant();
    }
    return t->displayTextAt(record, index.column());
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    TTable *t = table();
    if (role != Qt::DisplayRole || !t || !t->active())
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_columns ? t->field(section)->fieldName() : QVariant();
    if (recordOf(section) != t->recNo())
        return QString();
    switch (t->state()) {
    case TTable::Edit:
        return QStringLiteral("I");
    case TTable::Insert:
        return QStringLiteral("*");
    default:
        return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags TableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    TTable *t = table();
    if (index.isValid() && t && t->active()
        && fieldClassOf(t->field(index.column())->dataType()) == FieldClass::Ordinary)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    TTable *t = table();
    if (role != Qt::EditRole || !index.isValid() || !t || !t->active())
        return false;
    if (recordOf(index.row()) != t->recNo())
        t->moveTo(recordOf(index.row()));
    TField *f = t->field(index.column());
    if (f->value().isValid() && f->displayText() == value.toString())
        return false; // the editor was opened and left unchanged
    t->edit();
    f->setValue(value);
    return true;
}
