#pragma once

#include "engine/RecordList.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class TField;
class TableDriver;

// The values of an open table's ordinary fields, fetched by key a window of consecutive records
// at a time through the table's driver; the few windows used last are kept. Memo and
// picture-like cells only say whether they are empty: their content is never read here.
// Same thread as the table's connection.
class RecordWindowCache
{
public:
    enum CellFlag : quint8 { CellNull = 1, CellUnreadable = 2 };

    // Records are fetched this many at a time (fewer when a memo or picture lies before an
    // ordinary field: reading past it follows that value's overflow pages), and this many windows
    // are kept.
    static constexpr int WindowRows = 200;
    static constexpr int ShortWindowRows = 50;
    static constexpr int MaxWindows = 4;

    struct Window
    {
        int first = 0; // record position of the first row
        int count = 0;
        std::vector<QVariant> values; // count × field count; memo and picture-like cells stay null
        std::vector<quint8> flags; // CellFlag bits, same layout
        // Each record's version as read, where the database keeps them (else empty): a write
        // names it, so it changes nothing when someone else changed the record since.
        std::vector<QString> versions;
        quint64 lastUse = 0;
        bool incomplete = false; // the read failed: cells left empty, read again when next asked

        size_t cell(int row, size_t field, size_t fieldCount) const
        {
            return size_t(row - first) * fieldCount + field;
        }
    };

    // Prepares the driver's window reads for the table's fields; drops what was kept. The driver
    // must outlive the cache's use of it.
    void prepare(TableDriver &driver, const std::vector<std::unique_ptr<TField>> &fields);
    // The window holding the record at position row of keys (the record order). A record that
    // is no longer stored reads as empty; one another connection added is not seen. A window
    // read at the end of a list still loading is read again once the list holds more of it.
    const Window &window(int row, const RecordList &keys);
    void clear(); // the values went stale
    int windowRows() const { return m_windowRows; }

private:
    std::vector<int> m_codes; // field-type codes, in field order
    int m_windowRows = WindowRows;
    std::vector<Window> m_windows;
    quint64 m_useCounter = 0;
    TableDriver *m_driver = nullptr;
};
