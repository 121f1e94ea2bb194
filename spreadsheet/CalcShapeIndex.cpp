#include "spreadsheet/CalcShapeIndex.h"

#include "spreadsheet/CalcConvert.h"

#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>

#include <algorithm>

using namespace css;
using CalcConvert::toQString;

namespace {

bool sameShape(const uno::Reference<drawing::XShape> &a, const uno::Reference<drawing::XShape> &b)
{
    return uno::Reference<uno::XInterface>(a, uno::UNO_QUERY)
        == uno::Reference<uno::XInterface>(b, uno::UNO_QUERY);
}

} // namespace

void CalcShapeIndex::rebuild()
{
    m_entries.clear();
    m_count = m_page->getCount();
    for (sal_Int32 i = 0; i < m_count; ++i) {
        Entry e;
        e.shape.set(m_page->getByIndex(i), uno::UNO_QUERY);
        if (!e.shape.is())
            continue;
        uno::Reference<container::XNamed> named(e.shape, uno::UNO_QUERY);
        e.name = named.is() ? toQString(named->getName()) : QString();
        uno::Reference<lang::XServiceInfo> info(e.shape, uno::UNO_QUERY);
        e.picture = info.is() && info->supportsService("com.sun.star.drawing.GraphicObjectShape");
        m_entries.push_back(e);
    }
}

void CalcShapeIndex::refreshIfStale()
{
    if (m_count < 0 || m_page->getCount() != m_count)
        rebuild();
}

std::optional<CalcShapeIndex::Entry> CalcShapeIndex::find(const QString &name)
{
    refreshIfStale();
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (const Entry &e : m_entries) {
            if (e.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            // Renamed in the office meanwhile? Then the index is stale: read it again.
            uno::Reference<container::XNamed> named(e.shape, uno::UNO_QUERY);
            if (named.is() && toQString(named->getName()) == e.name)
                return e;
            break;
        }
        if (attempt == 0 && std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry &e) {
                return e.name.compare(name, Qt::CaseInsensitive) == 0;
            }))
            rebuild();
        else
            break;
    }
    return std::nullopt;
}

QStringList CalcShapeIndex::names()
{
    rebuild();
    QStringList result;
    for (const Entry &e : m_entries)
        result << e.name;
    return result;
}

void CalcShapeIndex::added(const Entry &entry)
{
    // Called after the shape went onto the page: one more than we knew means it is the only change.
    if (m_count >= 0 && m_page->getCount() == m_count + 1) {
        m_entries.push_back(entry);
        ++m_count;
    } else {
        rebuild();
    }
}

void CalcShapeIndex::renamed(const uno::Reference<drawing::XShape> &shape, const QString &name)
{
    for (Entry &e : m_entries) {
        if (sameShape(e.shape, shape))
            e.name = name;
    }
}

void CalcShapeIndex::removed(const uno::Reference<drawing::XShape> &shape)
{
    const auto before = m_entries.size();
    std::erase_if(m_entries, [&](const Entry &e) { return sameShape(e.shape, shape); });
    if (m_entries.size() != before)
        --m_count;
}
