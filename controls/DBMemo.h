#pragma once

#include <QPlainTextEdit>

class DataLink;
class TDataSource;
class TField;

// A bound memo control: shows its field's text; typing puts the record into edit mode and the
// text is written back when the record is posted.
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DBMemo(QWidget *parent = nullptr);

    int Tag = 0;

    TDataSource *dataSource() const;
    void setDataSource(TDataSource *source);
    QString dataField() const;
    void setDataField(const QString &name);
    TField *field() const;

    void loadMemo(); // reads the current record's text now
    void setTextColor(const QColor &color);

    void pasteOver(); // selects all and pastes the clipboard's text over it

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void reload();
    void onTextChanged();

    DataLink *m_link;
    bool m_loading = false;
};
