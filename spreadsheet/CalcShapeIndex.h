#pragma once

#include <QString>
#include <QStringList>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XShape.hpp>

#include <optional>
#include <vector>

// The shapes of one sheet by name. Asking the office for every shape's name costs a round trip per
// shape, so the names are kept here and kept up to date by our own changes; the index is rebuilt
// when the sheet's shape count shows that someone else added or deleted one. Only inside a call.
class CalcShapeIndex
{
public:
    struct Entry
    {
        css::uno::Reference<css::drawing::XShape> shape;
        QString name;
        bool picture = false;
    };

    explicit CalcShapeIndex(const css::uno::Reference<css::drawing::XDrawPage> &page) : m_page(page)
    { }

    const css::uno::Reference<css::drawing::XDrawPage> &page() const { return m_page; }
    // Without regard to letter case, as names are matched in the workbook.
    std::optional<Entry> find(const QString &name);
    QStringList names();

    void added(const Entry &entry);
    void renamed(const css::uno::Reference<css::drawing::XShape> &shape, const QString &name);
    void removed(const css::uno::Reference<css::drawing::XShape> &shape);

private:
    void rebuild();
    void refreshIfStale();

    css::uno::Reference<css::drawing::XDrawPage> m_page;
    std::vector<Entry> m_entries;
    sal_Int32 m_count = -1;
};
