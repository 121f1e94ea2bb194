#include "controls/DBMemo.h"

#include "controls/DataLink.h"
#include "engine/TField.h"
#include "engine/TTable.h"

#include <QKeyEvent>

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent), m_link(new DataLink(this))
{
    connect(m_link, &DataLink::reloadNeeded, this, &DBMemo::reload);
    connect(m_link, &DataLink::updateData, this, [this] {
        if (TField *f = field())
            f->setValue(toPlainText());
    });
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::onTextChanged);
}

TDataSource *DBMemo::dataSource() const
{
    return m_link->dataSource();
}
void DBMemo::setDataSource(TDataSource *source)
{
    m_link->setDataSource(source);
}
QString DBMemo::dataField() const
{
    return m_link->dataField();
}
void DBMemo::setDataField(const QString &name)
{
    m_link->setDataField(name);
}
TField *DBMemo::field() const
{
    return m_link->field();
}

void DBMemo::loadMemo()
{
    m_loading = true;
    TField *f = field();
    setPlainText(f ? f->asString() : QString());
    m_loading = false;
    m_link->setModified(false);
}

void DBMemo::reload()
{
    loadMemo();
}

void DBMemo::setTextColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

void DBMemo::pasteOver()
{
    selectAll();
    paste();
}

void DBMemo::onTextChanged()
{
    if (m_loading || !field())
        return;
    m_link->beginUserChange();
}

void DBMemo::keyPressEvent(QKeyEvent *event)
{
    // Escape drops the record's pending change, as in the grid.
    if (event->key() == Qt::Key_Escape && m_link->editing()) {
        m_link->table()->cancel();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
