// The open table's working state: its fields, its record list and the values it keeps.
#include "engine/TTablePrivate.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TableSchema.h"

#include <algorithm>

int TTable::Private::positionOf(qint64 rowid) const
{
    const auto it = std::lower_bound(rowids.begin(), rowids.end(), rowid);
    return it != rowids.end() && *it == rowid ? int(it - rowids.begin()) : -1;
}

int TTable::Private::insertRowid(qint64 rowid)
{
    const auto at = std::lower_bound(rowids.begin(), rowids.end(), rowid);
    const int position = int(at - rowids.begin());
    rowids.insert(at, rowid);
    return position;
}

void TTable::Private::readStructure(const QList<TFieldDef> &defs)
{
    fields.clear();
    rowidAliasField = -1;
    int keyColumns = 0;
    for (const TFieldDef &def : defs)
        keyColumns += def.primaryKey > 0 ? 1 : 0;
    for (int i = 0; i < defs.size(); ++i) {
        const TFieldDef &def = defs.at(i);
        int size = 0;
        const int code = TableSchema::fieldCode(*db, q->m_tableName, def, &size);
        fields.push_back(std::make_unique<TField>(q, i, def.name, code, size, def.declaredType));
        if (keyColumns == 1 && def.primaryKey == 1
            && def.declaredType.trimmed().compare(u"INTEGER", Qt::CaseInsensitive) == 0)
            rowidAliasField = i;
    }
    rowidName = TableSchema::rowidColumn(*db, defs, q->m_tableName);
    prepareWindowQuery();
}

void TTable::Private::prepareWindowQuery()
{
    values.prepare(*db, table(), rowidName, fields);
}

bool TTable::Private::recordsAreSmall()
{
    QStringList lengths;
    for (const auto &f : fields) {
        // Memo texts would have to be read to be measured (and behind a picture, that picture's
        // overflow chain too): pictures are what makes records large.
        if (isPictureLike(f->dataType()))
            lengths << QStringLiteral("ifnull(length(%1), 0)").arg(Database::quote(f->fieldName()));
    }
    if (lengths.isEmpty())
        return true;
    // length() of a blob is answered from the record header, so the sample reads no picture.
    Statement sample
        = db->prepare(QStringLiteral("SELECT avg(size) FROM (SELECT %1 AS size FROM %2 LIMIT 64)")
                          .arg(lengths.join(u" + "), table()));
    constexpr double LargeRecordBytes
        = 3000; // beyond this, records start to spill into overflow pages
    return !sample.step() || sample.columnDouble(0) < LargeRecordBytes;
}

void TTable::Private::readRowids()
{
    // The scan touches every leaf page of the table (or of its smallest index, which SQLite picks
    // when there is one). When records are small those pages are most of the file, and reading
    // them through a memory map saves a read call and a copy per page. With large records the
    // map's read-ahead would pull in the pictures' overflow pages too, so plain reads are kept.
    // The map goes again at once: an open table keeps no file pages resident.
    struct MappedScan
    {
        Database &db;
        bool on;
        MappedScan(Database &d, bool use) : db(d), on(use)
        {
            if (on)
                db.exec(QStringLiteral("PRAGMA mmap_size = 2147418112"));
        }
        ~MappedScan()
        {
            try {
                if (on)
                    db.exec(QStringLiteral("PRAGMA mmap_size = 0"));
            } catch (const EngineError &) {
                // Only the speed of later reads is at stake.
            }
        }
    } mapped(*db, recordsAreSmall());
    Statement s = db->prepare(QStringLiteral("SELECT %1 FROM %2").arg(rowidName, table()));
    rowids.clear();
    bool ascending = true;
    qint64 previous = std::numeric_limits<qint64>::min();
    while (s.step()) {
        const qint64 r = s.columnInt64(0);
        ascending = ascending && r > previous;
        previous = r;
        rowids.push_back(r);
    }
    if (!ascending)
        std::sort(rowids.begin(), rowids.end());
    rowids.shrink_to_fit();
}

void TTable::Private::dropValues()
{
    values.clear();
    memoRowid = -1;
    memoTexts.clear();
}

void TTable::Private::startBuffer()
{
    buffer.assign(fields.size(), QVariant());
    changed.assign(fields.size(), 0);
}

void TTable::Private::clearBuffer()
{
    buffer.clear();
    changed.clear();
}

void TTable::Private::setPosition(int position)
{
    if (position == pos)
        return;
    pos = position;
    memoRowid = -1;
    memoTexts.clear();
    q->notifyRecordChanged();
}

void TTable::Private::recordSetChangedHere()
{
    const bool inStep = db->tableGeneration(q->m_tableName) == seenGeneration;
    db->tableChanged(q->m_tableName);
    if (inStep)
        seenGeneration = db->tableGeneration(q->m_tableName);
}
