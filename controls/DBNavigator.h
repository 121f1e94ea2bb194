#pragma once

#include <QWidget>

class QToolButton;
class TDataSource;
class TTable;

// The record navigator: first, prior, next, last, insert, delete (asks first), edit, post, cancel,
// refresh. Buttons are enabled as the table's position and state allow.
class DBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    explicit DBNavigator(QWidget *parent = nullptr);

    void setDataSource(TDataSource *source);
    QToolButton *button(Button which) const { return m_buttons[which]; }
    void click(Button which); // what a click on the button does

    // Asks, then deletes the current record (the delete button, and the grid's Ctrl+Delete).
    static bool confirmAndDelete(QWidget *parent, TTable *table);

private:
    void updateButtons();
    TTable *table() const;

    TDataSource *m_source = nullptr;
    QToolButton *m_buttons[Count] = {};
};
