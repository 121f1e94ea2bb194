#include "engine/RecordWindowCache.h"

#include "engine/FieldType.h"
#include "engine/TField.h"
#include "engine/TableDriver.h"

#include <algorithm>

void RecordWindowCache::prepare(
    TableDriver &driver, const std::vector<std::unique_ptr<TField>> &fields)
{
    clear();
    m_codes.clear();
    m_windowRows = WindowRows;
    bool largeValueSeen = false;
    for (const auto &f : fields) {
        const bool ordinary = fieldClassOf(f->dataType()) == FieldClass::Ordinary;
        if (ordinary && largeValueSeen)
            m_windowRows = ShortWindowRows; // still more than a screen
        largeValueSeen = largeValueSeen || !ordinary;
        m_codes.push_back(f->dataType());
    }
    m_driver = &driver;
    driver.prepareWindow(fields);
}

const RecordWindowCache::Window &RecordWindowCache::window(int row, const RecordList &keys)
{
    const int first = row / m_windowRows * m_windowRows;
    const int count = std::min(m_windowRows, keys.count() - first);
    for (auto w = m_windows.begin(); w != m_windows.end(); ++w) {
        if (w->first != first)
            continue;
        if (w->count == count && !w->incomplete) {
            w->lastUse = ++m_useCounter;
            return *w;
        }
        m_windows.erase(w); // read while the list was shorter, or not read
        break;
    }
    const size_t fieldCount = m_codes.size();
    Window w;
    w.first = first;
    w.count = count;
    w.values.resize(size_t(w.count) * fieldCount);
    w.flags.assign(size_t(w.count) * fieldCount, CellNull); // records gone meanwhile read as empty
    w.lastUse = ++m_useCounter;

    std::vector<RecordKey> rowids(size_t(w.count));
    for (int i = 0; i < w.count; ++i)
        rowids[size_t(i)] = keys.keyAt(first + i);
    m_driver->fillWindow(rowids, w);

    if (m_windows.size() >= size_t(MaxWindows)) {
        const auto oldest = std::min_element(m_windows.begin(), m_windows.end(),
            [](const Window &a, const Window &b) { return a.lastUse < b.lastUse; });
        m_windows.erase(oldest);
    }
    m_windows.push_back(std::move(w));
    return m_windows.back();
}

void RecordWindowCache::clear()
{
    m_windows.clear();
}
