#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "engine/TDataSource.h"

class TField;
class TTable;

// What a bound control shares: its data source, its field name, and the "changed since loaded"
// flag. The owning control reloads on the callbacks and writes its change on updateData.
class DataLink : public QObject
{
    Q_OBJECT
public:
    explicit DataLink(QObject *parent = nullptr);

    TDataSource *dataSource() const { return m_source; }
    void setDataSource(TDataSource *source);
    QString dataField() const { return m_field; }
    void setDataField(const QString &name);

    TTable *table() const;
    TField *field() const; // nullptr when unbound, closed or the name is unknown
    bool editing() const; // the table is in edit or insert state

    bool modified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    // Puts the table into edit mode for a change the user is making (marks modified first, so
    // the reload that the state change triggers does not throw the change away).
    void beginUserChange();

signals:
    void reloadNeeded(); // show the current record's value again
    void updateData(); // a post is under way: write the change into the field

private:
    void onStateChanged();

    QPointer<TDataSource> m_source;
    QString m_field;
    bool m_modified = false;
    QList<QMetaObject::Connection> m_connections;
};
