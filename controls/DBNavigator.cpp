#include "controls/DBNavigator.h"

#include "common/Guarded.h"
#include "common/Prompts.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace {

// Small drawn glyphs, so the navigator needs no picture files.
QIcon navigatorGlyph(DBNavigator::Button which)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    auto triangle = [&](bool left, int x) {
        QPolygon t;
        if (left)
            t << QPoint(x + 6, 3) << QPoint(x, 8) << QPoint(x + 6, 13);
        else
            t << QPoint(x, 3) << QPoint(x + 6, 8) << QPoint(x, 13);
        p.drawPolygon(t);
    };
    switch (which) {
    case DBNavigator::First:
        p.drawRect(3, 3, 2, 10);
        triangle(true, 6);
        break;
    case DBNavigator::Prior:
        triangle(true, 5);
        break;
    case DBNavigator::Next:
        triangle(false, 5);
        break;
    case DBNavigator::Last:
        triangle(false, 4);
        p.drawRect(11, 3, 2, 10);
        break;
    case DBNavigator::Insert:
        p.drawRect(7, 3, 2, 10);
        p.drawRect(3, 7, 10, 2);
        break;
    case DBNavigator::Delete:
        p.drawRect(3, 7, 10, 2);
        break;
    case DBNavigator::Edit:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.drawLine(4, 12, 12, 4);
        break;
    case DBNavigator::Post:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(7, 12), QPoint(13, 4)}));
        break;
    case DBNavigator::Cancel:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(128, 0, 0), 2));
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
        break;
    case DBNavigator::Refresh:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.drawArc(QRect(3, 3, 10, 10), 30 * 16, 300 * 16);
        break;
    case DBNavigator::Count:
        break;
    }
    return QIcon(pm);
}

const char *const ButtonHints[DBNavigator::Count]
    = {"First record", "Prior record", "Next record", "Last record", "Insert record",
        "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"};

} // namespace

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < Count; ++i) {
        auto *b = new QToolButton(this);
        b->setIcon(navigatorGlyph(Button(i)));
        b->setToolTip(QString::fromLatin1(ButtonHints[i]));
        b->setFixedSize(24, 36);
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this,
            [this, i] { Guarded::run([this, i] { click(Button(i)); }); });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    setFixedSize(240, 36);
    updateButtons();
}

void DBNavigator::setDataSource(TDataSource *source)
{
    m_source = source;
    connect(source, &TDataSource::dataSetChanged, this, &DBNavigator::updateButtons);
    connect(source, &TDataSource::recordChanged, this, &DBNavigator::updateButtons);
    connect(source, &TDataSource::stateChanged, this, &DBNavigator::updateButtons);
    connect(source, &TDataSource::recordListGrew, this, &DBNavigator::updateButtons);
    connect(source, &TDataSource::dataSetSwitched, this, &DBNavigator::updateButtons);
    updateButtons();
}

TTable *DBNavigator::table() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void DBNavigator::click(Button which)
{
    TTable *t = table();
    if (!t || !t->active())
        return;
    switch (which) {
    case First:
        t->first();
        break;
    case Prior:
        t->prior();
        break;
    case Next:
        t->next();
        break;
    case Last:
        t->last();
        break;
    case Insert:
        t->insert();
        break;
    case Delete:
        confirmAndDelete(this, t);
        break;
    case Edit:
        t->edit();
        break;
    case Post:
        t->post();
        break;
    case Cancel:
        t->cancel();
        break;
    case Refresh:
        t->refresh();
        break;
    case Count:
        break;
    }
}

void DBNavigator::updateButtons()
{
    TTable *t = table();
    const bool open = t && t->active();
    const bool editing = open && (t->state() == TTable::Edit || t->state() == TTable::Insert);
    const bool browse = open && !editing;
    // While the record list loads there are records after the loaded ones.
    const bool any = open && t->loadedRecordCount() > 0;
    const bool atFirst = !any || t->recNo() <= 0;
    const bool atLast
        = !any || (t->recordListComplete() && t->recNo() >= t->loadedRecordCount() - 1);
    m_buttons[First]->setEnabled(browse && !atFirst);
    m_buttons[Prior]->setEnabled(browse && !atFirst);
    m_buttons[Next]->setEnabled(browse && !atLast);
    m_buttons[Last]->setEnabled(browse && !atLast);
    m_buttons[Insert]->setEnabled(browse);
    m_buttons[Delete]->setEnabled(browse && any);
    m_buttons[Edit]->setEnabled(browse);
    m_buttons[Post]->setEnabled(editing);
    m_buttons[Cancel]->setEnabled(editing);
    m_buttons[Refresh]->setEnabled(browse);
}

bool DBNavigator::confirmAndDelete(QWidget *parent, TTable *table)
{
    if (!table || !table->active() || table->loadedRecordCount() == 0)
        return false;
    if (Prompts::message(parent, QStringLiteral("Delete record?"), QStringLiteral("Confirm"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question)
        != QMessageBox::Ok)
        return false;
    table->deleteRecord();
    return true;
}
