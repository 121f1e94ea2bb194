#include "engine/RecordWindowCache.h"

#include "engine/Database.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TField.h"

#include <QStringList>
#include <algorithm>

void RecordWindowCache::prepare(Database &db, const QString &quotedTable, const QString &rowidName,
    const std::vector<std::unique_ptr<TField>> &fields)
{
    clear();
    m_codes.clear();
    m_windowRows = WindowRows;
    bool largeValueSeen = false;
    QStringList selected;
    for (const auto &f : fields) {
        const bool ordinary = fieldClassOf(f->dataType()) == FieldClass::Ordinary;
        if (ordinary && largeValueSeen)
            m_windowRows = ShortWindowRows; // still more than a screen
        largeValueSeen = largeValueSeen || !ordinary;
        m_codes.push_back(f->dataType());
        const QString column = Database::quote(f->fieldName());
        selected << (ordinary ? column : QStringLiteral("typeof(%1)").arg(column));
    }
    m_query.reset();
    m_query.emplace(db,
        QStringLiteral("SELECT %1%2 FROM %3 WHERE %1 BETWEEN ?1 AND ?2 ORDER BY %1")
            .arg(rowidName,
                selected.isEmpty() ? QString() : QStringLiteral(", ") + selected.join(u", "),
                quotedTable));
}

const RecordWindowCache::Window &RecordWindowCache::window(int row, const RecordList &keys)
{
    const int first = row / m_windowRows * m_windowRows;
    const int count = std::min(m_windowRows, keys.count() - first);
    for (auto w = m_windows.begin(); w != m_windows.end(); ++w) {
        if (w->first != first)
            continue;
        if (w->count == count) {
            w->lastUse = ++m_useCounter;
            return *w;
        }
        m_windows.erase(w); // read while the list was shorter
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
    Statement &query = *m_query;
    query.reset();
    query.bindInt64(1, rowids.front());
    query.bindInt64(2, rowids.back());
    int i = 0;
    while (query.step() && i < w.count) {
        const qint64 rowid = query.columnInt64(0);
        while (i < w.count && rowids[size_t(i)] < rowid)
            ++i;
        if (i >= w.count || rowids[size_t(i)] != rowid)
            continue; // a record another connection added: not ours until a refresh
        for (size_t f = 0; f < fieldCount; ++f) {
            const size_t cell = size_t(i) * fieldCount + f;
            const int column = int(f) + 1;
            const int code = m_codes[f];
            if (fieldClassOf(code) != FieldClass::Ordinary) {
                w.flags[cell] = query.columnText(column) == u"null" ? CellNull : 0;
                continue;
            }
            bool readable = true;
            w.values[cell] = FieldValue::fromStorage(query, column, code, &readable);
            w.flags[cell] = quint8(
                (w.values[cell].isValid() ? 0 : CellNull) | (readable ? 0 : CellUnreadable));
        }
        ++i;
    }
    query.reset();

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
