#include "datawindow/grid/DBGrid.h"

#include "controls/DBNavigator.h"

#include "common/Guarded.h"
#include "common/Prompts.h"
#include "datawindow/grid/GridDelegate.h"
#include "datawindow/grid/TableModel.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolTip>

DBGrid::DBGrid(QWidget *parent) : QTableView(parent)
{
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setMinimumSectionSize(12);
    verticalHeader()->setDefaultSectionSize(18);
    applyStyle();
    // Buttonless moves matter to the drags; the headers and the corner belong to the grid.
    setMouseTracking(true);
    for (QWidget *part : std::initializer_list<QWidget *> {horizontalHeader()->viewport(),
             verticalHeader()->viewport(), findChild<QAbstractButton *>()}) {
        if (part) {
            part->setMouseTracking(true);
            part->installEventFilter(this);
        }
    }
    m_recordBar = new QScrollBar(Qt::Vertical, this);
    m_recordBar->hide();
    connect(m_recordBar, &QScrollBar::valueChanged, this, &DBGrid::onRecordBarMoved);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DBGrid::onViewScrolled);
    verticalScrollBar()->installEventFilter(this); // the record bar goes where it goes
}

void DBGrid::setDataSource(TDataSource *source)
{
    m_source = source;
    delete m_model;
    m_model = new TableModel(source, this);
    setModel(m_model);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followTable);
    connect(m_model, &TableModel::recordRowsChanged, this, &DBGrid::placeRecordBar);
    connect(source, &TDataSource::recordChanged, this, &DBGrid::followTable);
    connect(source, &TDataSource::dataSetChanged, this, &DBGrid::followTable);
    followTable();
}

TTable *DBGrid::table() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void DBGrid::setColor(const QColor &color)
{
    m_color = color;
    applyStyle();
}

void DBGrid::setFixedColor(const QColor &color)
{
    m_fixedColor = color;
    applyStyle();
}

void DBGrid::setFontColor(const QColor &color)
{
    m_fontColor = color;
    viewport()->update();
}

void DBGrid::setTitleFont(const QFont &font)
{
    horizontalHeader()->setFont(font);
    verticalHeader()->setFont(font);
}

void DBGrid::applyStyle()
{
    const QString sheet
        = QStringLiteral("QTableView { background-color: %1; gridline-color: #808080; }"
                         "QHeaderView::section { background-color: %2; color: palette(window-text);"
                         " border: 1px solid #808080; padding: 0 2px; }"
                         "QTableCornerButton::section { background-color: %2;"
                         " border: 1px solid #808080; }")
              .arg(m_color.name(), m_fixedColor.name());
    setStyleSheet(sheet);
    viewport()->update();
}

void DBGrid::setEditingOption(bool on)
{
    m_editing = on;
    if (!on && state() == QAbstractItemView::EditingState)
        closePersistentEditor(currentIndex());
    setEditTriggers(on ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                | QAbstractItemView::EditKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}

DBGrid::GridCoord DBGrid::mouseCoord(const QPoint &p) const
{
    GridCoord c;
    const QRect vp = viewport()->geometry();
    const QHeaderView *h = horizontalHeader();
    const QHeaderView *v = verticalHeader();
    const int topRow = rowAt(0);
    const int leftCol = columnAt(0);
    // Column: indicator column, a data column, or nothing.
    if (v->isVisible() && p.x() >= v->geometry().left() && p.x() < v->geometry().right() + 1)
        c.x = 0;
    else if (p.x() >= vp.left() && p.x() <= vp.right()) {
        const int col = columnAt(p.x() - vp.left());
        c.x = col < 0 ? -1 : col - std::max(leftCol, 0) + 1;
    }
    if (h->isVisible() && p.y() >= h->geometry().top() && p.y() < h->geometry().bottom() + 1)
        c.y = 0;
    else if (p.y() >= vp.top() && p.y() <= vp.bottom()) {
        const int row = rowAt(p.y() - vp.top());
        c.y = row < 0 ? -1 : row - std::max(topRow, 0) + 1;
    }
    if (c.x < 0 || c.y < 0)
        return {-1, -1};
    return c;
}

int DBGrid::recordAtRow(int row) const
{
    const int top = std::max(rowAt(0), 0);
    return (m_model ? m_model->recordOf(top) : top) + row - 1;
}

QRect DBGrid::cellRect(int col, int row) const
{
    if (col < 1 || row < 1 || !m_model)
        return {};
    const int leftCol = std::max(columnAt(0), 0);
    const QModelIndex index = m_model->index(std::max(rowAt(0), 0) + row - 1, leftCol + col - 1);
    if (!index.isValid())
        return {};
    return visualRect(index).translated(viewport()->pos());
}

int DBGrid::selectedIndex() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void DBGrid::setSelectedIndex(int dataColumn)
{
    TTable *t = table();
    if (!m_model || !t || !t->active() || dataColumn < 0 || dataColumn >= m_model->columnCount())
        return;
    setCurrentIndex(m_model->index(std::max(m_model->rowOf(t->recNo()), 0), dataColumn));
}

TField *DBGrid::selectedField() const
{
    return displayedField(selectedIndex());
}

TField *DBGrid::displayedField(int dataColumn) const
{
    TTable *t = table();
    if (!t || !t->active() || dataColumn < 0 || dataColumn >= t->fieldCount())
        return nullptr;
    return t->field(dataColumn);
}

void DBGrid::defaultDrawColumnCell(
    TCanvas &canvas, const QRect &rect, int, TField *, QStyle::State) const
{
    QPainter *p = canvas.painter;
    p->fillRect(rect, canvas.brush);
    if (!paintingIndex.isValid())
        return;
    p->setFont(canvas.font);
    p->setPen(canvas.fontColor);
    const QString text = paintingIndex.data(Qt::DisplayRole).toString();
    p->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        fontMetrics().elidedText(text, Qt::ElideRight, rect.width() - 4));
}

QString DBGrid::hiddenTextAt(const QPoint &viewportPoint) const
{
    const QModelIndex index = indexAt(viewportPoint);
    if (!index.isValid())
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    const int room = visualRect(index).width() - 4;
    if (text.contains(QLatin1Char('\n')) || fontMetrics().horizontalAdvance(text) > room)
        return text;
    return {};
}

bool DBGrid::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString text = hiddenTextAt(help->pos());
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // A long text goes as rich text, which wraps, instead of a tip as wide as the text.
    const bool wrap = text.size() > 100 || text.contains(QLatin1Char('\n'));
    QToolTip::showText(help->globalPos(),
        wrap ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text, viewport(),
        visualRect(indexAt(help->pos())));
    return true;
}

void DBGrid::mouseHook(QMouseEvent *event, QPoint clientPos)
{
    if (event->type() == QEvent::MouseMove && OnMouseMove) {
        const MouseMoveHandler hook = OnMouseMove;
        Guarded::run([&] { hook(event->buttons(), event->modifiers(), clientPos); });
    } else if (event->type() == QEvent::MouseButtonRelease && OnMouseUp) {
        const MouseUpHandler hook = OnMouseUp;
        Guarded::run([&] { hook(event->button(), event->modifiers(), clientPos); });
    }
}

bool DBGrid::event(QEvent *event)
{
    // The grid itself gets mouse events of its own only while it holds the grab (otherwise they
    // go to its viewport or headers, and reach it here only when those pass them on).
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (mouseGrabber() != this)
            return QTableView::event(event);
        auto *mouse = static_cast<QMouseEvent *>(event);
        mouseHook(mouse, mouse->position().toPoint());
        event->accept();
        return true;
    }
    default:
        return QTableView::event(event);
    }
}

bool DBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalScrollBar()) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            placeRecordBar();
        return QTableView::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *part = static_cast<QWidget *>(watched);
        mouseHook(mouse, mapFromGlobal(part->mapToGlobal(mouse->position().toPoint())));
    }
    return QTableView::eventFilter(watched, event);
}

void DBGrid::mouseMoveEvent(QMouseEvent *event)
{
    mouseHook(event, event->position().toPoint() + viewport()->pos());
    // A drag that has taken the mouse keeps the current cell where the press put it.
    if (mouseGrabber() != this)
        QTableView::mouseMoveEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    mouseHook(event, event->position().toPoint() + viewport()->pos());
}

void DBGrid::keyPressEvent(QKeyEvent *event)
{
    Guarded::run([&] {
        TTable *t = table();
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
            DBNavigator::confirmAndDelete(this, t);
            return;
        }
        if (event->key() == Qt::Key_Escape && t
            && (t->state() == TTable::Edit || t->state() == TTable::Insert)) {
            t->cancel();
            return;
        }
        if (event->key() == Qt::Key_Insert && m_editing && t && t->active()) {
            t->insert();
            return;
        }
        // The view knows only its window of rows: the table's first and last record are the
        // table's to find.
        const bool toEnd = event->key() == Qt::Key_End || event->key() == Qt::Key_Home;
        if (toEnd && (event->modifiers() & Qt::ControlModifier) && m_model && m_model->windowed()
            && t && t->active()) {
            if (event->key() == Qt::Key_End)
                t->last();
            else
                t->first();
            return;
        }
        QTableView::keyPressEvent(event);
    });
}

void DBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    // An inserted row the user never typed into goes away when the grid is left.
    TTable *t = table();
    QWidget *focus = QApplication::focusWidget();
    if (t && t->state() == TTable::Insert && !t->modified() && !(focus && isAncestorOf(focus)))
        Guarded::run([t] { t->cancel(); });
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    TTable *t = table();
    if (m_following || !current.isValid() || !t || !t->active() || !m_model)
        return;
    const int record = m_model->recordOf(current.row());
    if (record == t->recNo())
        return;
    Guarded::run([&] {
        if (record >= t->loadedRecordCount() && t->state() == TTable::Insert)
            return;
        t->moveTo(record);
    });
    followTable();
}

void DBGrid::followTable()
{
    TTable *t = table();
    if (!m_model || !t || !t->active() || m_model->rowCount() == 0)
        return;
    const int row
        = m_model->rowOf(t->state() == TTable::Insert ? t->loadedRecordCount() : t->recNo());
    if (row < 0)
        return;
    const int column = std::max(currentIndex().column(), 0);
    const QModelIndex target = m_model->index(row, std::min(column, m_model->columnCount() - 1));
    if (target == currentIndex())
        return;
    m_following = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_following = false;
    scrollTo(target);
}

int DBGrid::visibleRows() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

void DBGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeRecordBar();
}

// The view's own scroll bar covers the model's window only: while the table has more records,
// the record bar lies over it, in its place, and the view's bar is kept shown underneath so that
// its place stays.
void DBGrid::placeRecordBar()
{
    if (m_placingRecordBar || !m_recordBar) // not yet made while the constructor sets up
        return;
    m_placingRecordBar = true;
    const bool windowed = m_model && m_model->windowed();
    const Qt::ScrollBarPolicy policy = windowed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
    if (verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
    if (windowed) {
        const QScrollBar *own = verticalScrollBar();
        m_recordBar->setGeometry(QRect(own->mapTo(this, QPoint(0, 0)), own->size()));
        m_recordBar->raise();
    }
    m_recordBar->setVisible(windowed);
    m_placingRecordBar = false;
    updateRecordBar();
}

void DBGrid::updateRecordBar()
{
    if (!m_model || !m_model->windowed())
        return;
    // The view's own bar knows how many rows fit at the end of its window; the table ends the
    // same way.
    const int fitAtEnd = m_model->rowCount() - verticalScrollBar()->maximum();
    const QSignalBlocker quiet(m_recordBar);
    m_recordBar->setRange(0, std::max(0, m_model->recordRows() - fitAtEnd));
    m_recordBar->setPageStep(std::max(1, verticalScrollBar()->pageStep()));
    m_recordBar->setValue(m_model->recordOf(std::max(rowAt(0), 0)));
}

void DBGrid::onRecordBarMoved(int topRecord)
{
    if (!m_model || !m_model->windowed())
        return;
    const int first = m_model->firstRecord();
    if (topRecord < first || topRecord + visibleRows() > first + m_model->rowCount())
        showFromRecord(topRecord, true);
    else
        showFromRecord(topRecord, false);
}

void DBGrid::showFromRecord(int topRecord, bool moveWindow)
{
    m_movingWindow = true;
    // A window that moves resets the model; the grid takes up the current record again then
    // (followTable), and is scrolled back to where it is asked to be.
    if (moveWindow)
        m_model->moveWindow(topRecord - TableModel::WindowRows / 2);
    verticalScrollBar()->setValue(topRecord - m_model->firstRecord());
    m_movingWindow = false;
}

// Scrolling within the window (wheel, keys, a move of the table): the record bar follows, and a
// window whose end comes near moves on, so the view never stops at it.
void DBGrid::onViewScrolled()
{
    if (!m_model || !m_model->windowed() || m_movingWindow)
        return;
    const int top = std::max(rowAt(0), 0);
    const int margin = TableModel::WindowRows / 4;
    const int rows = m_model->rowCount();
    const bool nearStart = top < margin && m_model->firstRecord() > 0;
    const bool nearEnd = top + visibleRows() > rows - margin
        && m_model->firstRecord() + rows < m_model->recordRows();
    if (nearStart || nearEnd)
        showFromRecord(m_model->recordOf(top), true);
    updateRecordBar();
}
