// The open table's working state: its fields, its record list and the values it keeps.
#include "engine/TTablePrivate.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TableSchema.h"

#include <algorithm>
#include <functional>

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

namespace {

// Each loader run has its own number, so a notice from a run that was stopped is recognised.
quint64 loaderRuns = 0;

std::function<void(bool)> &waitHook()
{
    static std::function<void(bool)> hook;
    return hook;
}

// The wait hook around a wait for records, so the windows show the busy cursor meanwhile.
struct Waiting
{
    Waiting()
    {
        if (waitHook())
            waitHook()(true);
    }
    ~Waiting()
    {
        if (waitHook())
            waitHook()(false);
    }
    Waiting(const Waiting &) = delete;
    Waiting &operator=(const Waiting &) = delete;
};

} // namespace

void TTable::setWaitHook(std::function<void(bool waiting)> hook)
{
    waitHook() = std::move(hook);
}

void TTable::Private::readKeys(std::optional<RecordKey> throughKey)
{
    stopLoading();
    keys.clear();
    beyond.clear();
    loadError.clear();
    through = std::numeric_limits<RecordKey>::max();
    if (throughKey) {
        // Everything up to the current record, so that it keeps its place (a record far down a
        // big table makes this a wait).
        const Waiting waiting;
        Statement upTo = db->prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE %1 <= ?1 ORDER BY %1").arg(rowidName, table()));
        upTo.bindInt64(1, *throughKey);
        while (upTo.step())
            keys.append(upTo.columnInt64(0));
    }
    Statement first = db->prepare(
        QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %1 LIMIT %4")
            .arg(rowidName, table(),
                throughKey ? QStringLiteral(" WHERE %1 > ?1").arg(rowidName) : QString())
            .arg(FirstKeys));
    if (throughKey)
        first.bindInt64(1, *throughKey);
    int read = 0;
    while (first.step()) {
        keys.append(first.columnInt64(0));
        ++read;
    }
    if (read < FirstKeys)
        return; // that was all of it
    through = keys.lastKey();
    loader
        = std::make_unique<RecordListLoader>(++loaderRuns, db->path(), table(), rowidName, through);
    QObject::connect(loader.get(), &RecordListLoader::partReady, q, &TTable::takeLoadedRecords,
        Qt::QueuedConnection);
    loader->start();
}

void TTable::Private::stopLoading()
{
    loader.reset(); // stops it at once and waits for its thread
}

bool TTable::Private::takeLoaded()
{
    if (!loader)
        return false;
    RecordListLoader::Part part = loader->take();
    // Records added or deleted here meanwhile, among those this part brings.
    for (auto it = beyond.begin(); it != beyond.end() && it->first <= part.through;
         it = beyond.erase(it)) {
        if (it->second)
            part.keys.insert(it->first);
        else
            part.keys.remove(it->first);
    }
    const bool grew = !part.keys.isEmpty();
    keys.append(std::move(part.keys));
    through = part.through;
    if (!part.finished)
        return grew;
    loader.reset();
    loadError = part.error;
    return true;
}

void TTable::Private::raiseLoadError() const
{
    throw EngineError(TTable::tr("Only the first %1 records of the table “%2” could be read: "
                                 "%3 Refresh the table to read it again.")
                          .arg(count())
                          .arg(q->m_tableName, loadError));
}

void TTable::Private::ensureLoaded(int position)
{
    if (loader && position >= count()) {
        const Waiting waiting;
        bool grew = false;
        while (loader && position >= count()) {
            loader->waitForPart();
            grew = takeLoaded() || grew;
        }
        if (grew)
            q->notifyRecordListGrew();
    }
    if (!loadError.isEmpty() && position >= count())
        raiseLoadError();
}

void TTable::Private::ensureLoadedThrough(RecordKey key)
{
    if (loader && key > through) {
        const Waiting waiting;
        bool grew = false;
        while (loader && key > through) {
            loader->waitForPart();
            grew = takeLoaded() || grew;
        }
        if (grew)
            q->notifyRecordListGrew();
    }
    if (!loadError.isEmpty())
        raiseLoadError();
}

void TTable::Private::applyChange(bool inserted, RecordKey key)
{
    if (key > through) {
        beyond[key] = inserted; // the part that brings it settles it
    } else if (inserted) {
        keys.insert(key);
    } else {
        keys.remove(key);
    }
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

void TTable::Private::settleAt(int position)
{
    auto place = [&] {
        pos = std::min(position, count() - 1);
        bof = eof = count() == 0;
    };
    place();
    ensureLoaded(position);
    place();
}

void TTable::Private::noteOwnChange(const std::function<void()> &log)
{
    // A table that had seen every change before its own stays in step: its own change is already
    // in its list. One that had not applies the log at its next refresh, its own change included
    // (applying a change twice changes nothing).
    const bool inStep = db->tableGeneration(q->m_tableName) == seenGeneration;
    log();
    if (inStep)
        seenGeneration = db->tableGeneration(q->m_tableName);
}
