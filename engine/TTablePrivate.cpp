// The open table's working state: its fields, its record list and the values it keeps.
#include "engine/TTablePrivate.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TableSchema.h"

#include <algorithm>
#include <functional>

void TTable::Private::readStructure(const TableDriver::Structure &structure)
{
    fields.clear();
    for (int i = 0; i < structure.defs.size(); ++i) {
        const TFieldDef &def = structure.defs.at(i);
        fields.push_back(std::make_unique<TField>(
            q, i, def.name, structure.codes[size_t(i)], structure.sizes[size_t(i)], def.declaredType));
    }
    keyField = structure.keyField;
    keyFields = structure.keyFields;
    prepareWindowQuery();
}

void TTable::Private::prepareWindowQuery()
{
    values.prepare(*driver, fields);
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
        keys = driver->readKeys(std::nullopt, *throughKey, -1);
    }
    RecordList first = driver->readKeys(throughKey, std::nullopt, FirstKeys);
    const int read = first.count();
    keys.append(std::move(first));
    if (read < FirstKeys)
        return; // that was all of it
    through = keys.lastKey();
    loader = std::make_unique<RecordListLoader>(++loaderRuns, driver->keyReaderFactory(), through);
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

QString TTable::Private::currentVersion()
{
    if (pos < 0 || pos >= count())
        return {};
    const RecordWindowCache::Window &w = values.window(pos, keys);
    return w.versions.empty() ? QString() : w.versions[size_t(pos - w.first)];
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
    const bool inStep = driver->generation() == seenGeneration;
    log();
    if (inStep)
        seenGeneration = driver->generation();
}
