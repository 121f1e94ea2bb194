#include "engine/TDataSource.h"

#include "engine/TTable.h"

TDataSource::TDataSource(QObject *parent) : QObject(parent)
{ }

TTable *TDataSource::dataSet() const
{
    return m_table;
}

void TDataSource::setDataSet(TTable *table)
{
    if (m_table == table)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_table = table;
    if (table) {
        m_connections << connect(table, &TTable::dataSetChanged, this, &TDataSource::dataSetChanged)
                      << connect(table, &TTable::recordChanged, this, &TDataSource::recordChanged)
                      << connect(table, &TTable::stateChanged, this, &TDataSource::stateChanged)
                      << connect(table, &TTable::updateRecordRequested, this,
                             &TDataSource::updateRecordRequested)
                      << connect(
                             table, &TTable::recordListGrew, this, &TDataSource::recordListGrew);
    }
    emit dataSetSwitched();
}
