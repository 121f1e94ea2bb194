#include "controls/DataLink.h"

#include "engine/TDataSource.h"
#include "engine/TTable.h"

DataLink::DataLink(QObject *parent) : QObject(parent)
{ }

void DataLink::setDataSource(TDataSource *source)
{
    if (m_source == source)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_source = source;
    m_modified = false;
    if (source) {
        m_connections << connect(source, &TDataSource::dataSetChanged, this,
            [this] {
                m_modified = false;
                emit reloadNeeded();
            }) << connect(source, &TDataSource::dataSetSwitched, this, &DataLink::reloadNeeded)
                      << connect(source, &TDataSource::recordChanged, this,
                             [this] {
                                 if (!m_modified)
                                     emit reloadNeeded();
                             })
                      << connect(
                             source, &TDataSource::stateChanged, this, &DataLink::onStateChanged)
                      << connect(source, &TDataSource::updateRecordRequested, this, [this] {
                             if (m_modified && field())
                                 emit updateData();
                         });
    }
    emit reloadNeeded();
}

void DataLink::setDataField(const QString &name)
{
    m_field = name;
    m_modified = false;
    emit reloadNeeded();
}

TTable *DataLink::table() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

TField *DataLink::field() const
{
    TTable *t = table();
    if (!t || !t->active() || m_field.isEmpty())
        return nullptr;
    return t->findField(m_field);
}

bool DataLink::editing() const
{
    TTable *t = table();
    return t && (t->state() == TTable::Edit || t->state() == TTable::Insert);
}

void DataLink::beginUserChange()
{
    m_modified = true;
    if (TTable *t = table(); t && t->state() == TTable::Browse)
        t->edit();
}

void DataLink::onStateChanged()
{
    // Back in browse state: the change was written or dropped; show what the record holds.
    if (!editing() && m_modified) {
        m_modified = false;
        emit reloadNeeded();
    }
}
