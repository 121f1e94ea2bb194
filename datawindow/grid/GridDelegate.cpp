#include "datawindow/grid/GridDelegate.h"

#include "common/Guarded.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TTable.h"

#include <QMetaProperty>
#include <QPainter>

GridDelegate::GridDelegate(DBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid)
{ }

void GridDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    TCanvas canvas;
    canvas.painter = painter;
    canvas.font = m_grid->font();
    const bool current = index == m_grid->currentIndex() && m_grid->hasFocus();
    canvas.brush = current ? m_grid->palette().color(QPalette::Highlight) : m_grid->color();
    canvas.fontColor
        = current ? m_grid->palette().color(QPalette::HighlightedText) : m_grid->fontColor();
    m_grid->paintingIndex = index;
    TTable *table = m_grid->table();
    TField *field = table && table->active() ? m_grid->displayedField(index.column()) : nullptr;
    m_grid->defaultDrawColumnCell(canvas, option.rect, index.column(), field, option.state);
    if (m_grid->OnDrawColumnCell) {
        // The hook works in the grid's client coordinates.
        const QRect client = option.rect.translated(m_grid->viewport()->pos());
        painter->save();
        painter->translate(-m_grid->viewport()->pos());
        m_grid->OnDrawColumnCell(canvas, client, index.column(), field, option.state);
        painter->restore();
    }
    m_grid->paintingIndex = {};
}

void GridDelegate::setModelData(
    QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Read the editor and write the model from this frame only: an error must not unwind through
    // Qt's own frames, which are built without exception support.
    const QByteArray property = editor->metaObject()->userProperty().name();
    const QVariant value = editor->property(property.isEmpty() ? "text" : property.constData());
    Guarded::run([&] { model->setData(index, value, Qt::EditRole); });
}
