#include "datawindow/grid/TableModel.h"

#include "engine/FieldType.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QTimer>

namespace {

int rowsOf(const TTable &t)
{
    return t.loadedRecordCount() + (t.state() == TTable::Insert ? 1 : 0);
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

void TableModel::attach()
{
    beginResetModel();
    m_table = table();
    m_rows = 0;
    m_columns = 0;
    if (m_table && m_table->active()) {
        m_rows = rowsOf(*m_table);
        m_columns = m_table->fieldCount();
    }
    m_lastCurrentRow = m_table && m_table->active() ? m_table->recNo() : -1;
    endResetModel();
}

void TableModel::resync()
{
    TTable *t = table();
    const bool open = t && t->active();
    const int rows = open ? rowsOf(*t) : 0;
    const int columns = open ? t->fieldCount() : 0;
    if (t != m_table || columns != m_columns || !open) {
        attach();
        return;
    }
    // Same fields: keep the view's scroll position and selection; only the row count may move.
    if (rows > m_rows && t->state() != TTable::Insert) {
        addLoadedRows();
    } else if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    // An empty table has no row header to change.
    if (m_rows > 0)
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    m_lastCurrentRow = t->recNo();
}

void TableModel::onRecordChanged()
{
    TTable *t = table();
    if (!t || !t->active())
        return;
    const int rows = rowsOf(*t);
    if (rows > m_rows && t->state() != TTable::Insert) {
        addLoadedRows(); // the rows of records loaded meanwhile, up to the current one
    } else if (rows != m_rows) {
        resync();
        return;
    }
    const int current = t->recNo();
    for (int row : {m_lastCurrentRow, current}) {
        if (row >= 0 && row < m_rows) {
            emit dataChanged(index(row, 0), index(row, m_columns - 1));
            emit headerDataChanged(Qt::Vertical, row, row);
        }
    }
    m_lastCurrentRow = current;
}

void TableModel::onRecordListGrew()
{
    TTable *t = table();
    if (!t || t != m_table || !t->active() || t->fieldCount() != m_columns)
        return;
    if (rowsOf(*t) < m_rows || t->state() == TTable::Insert) {
        resync();
        return;
    }
    addLoadedRows();
}

void TableModel::addLoadedRows()
{
    TTable *t = table();
    if (!t || t != m_table || !t->active() || t->fieldCount() != m_columns
        || t->state() == TTable::Insert)
        return;
    const int rows = rowsOf(*t);
    if (rows <= m_rows)
        return;
    // New records after the last row: the rows there are keep their records.
    const int upTo = std::min(rows, std::max(t->recNo() + 1, m_rows + RowsPerStep));
    beginInsertRows({}, m_rows, upTo - 1);
    m_rows = upTo;
    endInsertRows();
    if (m_rows < rows && !m_stepScheduled) {
        m_stepScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_stepScheduled = false;
            addLoadedRows();
        });
    }
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
    if (fieldClassOf(f->dataType()) != FieldClass::Ordinary)
        return typeNameCellText(f->dataType(), t->isNullAt(index.row(), index.column()));
    if (role == Qt::EditRole) {
        const QVariant v = t->valueAt(index.row(), index.column());
        return v.isValid() ? QVariant(t->displayTextAt(index.row(), index.column())) : QVariant();
    }
    return t->displayTextAt(index.row(), index.column());
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    TTable *t = table();
    if (role != Qt::DisplayRole || !t || !t->active())
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_columns ? t->field(section)->fieldName() : QVariant();
    if (section != t->recNo())
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
    if (index.row() != t->recNo())
        t->moveTo(index.row());
    TField *f = t->field(index.column());
    if (f->value().isValid() && f->displayText() == value.toString())
        return false; // the editor was opened and left unchanged
    t->edit();
    f->setValue(value);
    return true;
}
