#pragma once

#include <QObject>
#include <QPointer>

class TTable;

// Links bound controls to a table. Controls connect to the table through the data source, so a
// data source can be switched to another table (or none) without the controls knowing.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);

    TTable *dataSet() const;
    void setDataSet(TTable *table);

signals:
    // Re-emitted from the current table; dataSetSwitched when the table itself changes.
    void dataSetChanged(); // opened, closed, refreshed: show everything again
    void recordChanged(); // the current record moved or its values changed
    void stateChanged(); // browse / edit / insert
    void updateRecordRequested(); // a post is under way: write pending control changes now
    void recordListGrew(); // more of the record list is loaded, or all of it
    void dataSetSwitched();

private:
    QPointer<TTable> m_table;
    QList<QMetaObject::Connection> m_connections;
};
