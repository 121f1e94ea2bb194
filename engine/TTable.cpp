#include "engine/TTable.h"

#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TTablePrivate.h"
#include "engine/TableDriver.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>

namespace {
// The open table objects of this thread, so a table is not deleted from under another window.
thread_local QList<const TTable *> openTables;
} // namespace

// ---- Opening and closing ---------------------------------------------------------------------

TTable::TTable(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{ }

TTable::~TTable()
{
    openTables.removeOne(this);
}

int TTable::openElsewhere() const
{
    const void *connection = active() ? d->driver->connectionId() : makeDriver()->connectionId();
    int count = 0;
    for (const TTable *other : std::as_const(openTables)) {
        count += other != this && other->d->driver->connectionId() == connection
            && other->m_tableName.compare(m_tableName, Qt::CaseInsensitive) == 0;
    }
    return count;
}

void TTable::setDatabaseName(const QString &alias)
{
    if (active() && alias != m_databaseName)
        throw EngineError(
            QCoreApplication::translate("TTable", "The table “%1” is open: close it before choosing another database.")
                .arg(m_tableName));
    m_databaseName = alias;
}

void TTable::setTableName(const QString &name)
{
    if (active() && name != m_tableName)
        throw EngineError(
            QCoreApplication::translate("TTable", "The table “%1” is open: close it before choosing another table.")
                .arg(m_tableName));
    m_tableName = name;
}

std::unique_ptr<TableDriver> TTable::makeDriver() const
{
    if (m_databaseName.isEmpty())
        throw EngineError(
            QCoreApplication::translate("TTable", "No database has been chosen for the table “%1”.").arg(m_tableName));
    if (m_tableName.isEmpty())
        throw EngineError(QCoreApplication::translate("TTable", "No table name has been given."));
    return Engine::tableDriver(m_databaseName, m_tableName);
}

void TTable::open()
{
    if (active())
        return;
    auto p = std::make_unique<Private>(this);
    p->driver = makeDriver();
    // Opening is an action too: a server connection that broke meanwhile connects again.
    p->driver->ensureConnected();
    // Versions first: a change that lands while the records are read shows at the next refresh.
    const TableDriver::Versions versions = p->driver->versions();
    p->seenDataVersion = versions.data;
    p->seenSchemaVersion = versions.schema;
    p->seenGeneration = versions.generation;
    p->readStructure(p->driver->readStructure());
    p->readKeys();
    p->pos = p->keys.isEmpty() ? -1 : 0;
    p->bof = true;
    p->eof = p->keys.isEmpty();

    d = std::move(p);
    m_state = Browse;
    openTables.append(this);
    emit stateChanged();
    notifyDataSetChanged();
}

void TTable::close()
{
    if (!active())
        return;
    m_state = Inactive;
    openTables.removeOne(this);
    d = std::make_unique<Private>(this);
    emit stateChanged();
    notifyDataSetChanged();
}

void TTable::checkActive() const
{
    if (!active())
        throw EngineError(QCoreApplication::translate("TTable", "The table “%1” is not open.").arg(m_tableName));
}

void TTable::deleteTable()
{
    if (active())
        throw EngineError(QCoreApplication::translate("TTable", "The table “%1” is open: close it before deleting it.")
                              .arg(m_tableName));
    const auto driver = makeDriver();
    driver->checkWritable(QCoreApplication::translate("TTable", "deleting the table “%1”").arg(m_tableName));
    if (!driver->tableExists())
        throw EngineError(QCoreApplication::translate("TTable", "The table “%1” does not exist in the database “%2”.")
                              .arg(m_tableName, m_databaseName));
    driver->dropTable();
}

std::unique_ptr<TableWork> TTable::beginWork()
{
    checkActive();
    return d->driver->beginWork();
}

// ---- Fields ----------------------------------------------------------------------------------

int TTable::fieldCount() const
{
    return int(d->fields.size());
}

TField *TTable::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw EngineError(
            QCoreApplication::translate("TTable", "The table “%1” has no field number %2.").arg(m_tableName).arg(index));
    return d->fields[size_t(index)].get();
}

TField *TTable::findField(const QString &name) const
{
    for (const auto &f : d->fields) {
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

TField *TTable::fieldByName(const QString &name) const
{
    if (TField *f = findField(name))
        return f;
    throw EngineError(QCoreApplication::translate("TTable", "The table “%1” has no field “%2”.").arg(m_tableName, name));
}

// ---- Navigation ------------------------------------------------------------------------------

int TTable::recordCount() const
{
    if (!active())
        return 0;
    d->ensureComplete();
    return d->count();
}

int TTable::loadedRecordCount() const
{
    return active() ? d->count() : 0;
}

bool TTable::recordListComplete() const
{
    return !active() || d->complete();
}

void TTable::waitForRecordList() const
{
    if (active())
        d->ensureComplete();
}

int TTable::recNo() const
{
    if (!active())
        return -1;
    return m_state == Insert ? d->count() : d->pos;
}

bool TTable::bof() const
{
    return !active() || d->bof;
}

bool TTable::eof() const
{
    return !active() || d->eof;
}

void TTable::storePendingEdit()
{
    if (m_state != Edit && m_state != Insert) // also: not open
        return;
    emit updateRecordRequested();
    if (modified())
        doPost();
    else
        cancel();
}

void TTable::first()
{
    checkActive();
    storePendingEdit();
    d->setPosition(d->count() > 0 ? 0 : -1);
    d->bof = true;
    d->eof = d->count() == 0;
}

void TTable::last()
{
    checkActive();
    storePendingEdit();
    d->ensureComplete();
    d->setPosition(d->count() - 1);
    d->eof = true;
    d->bof = d->count() == 0;
}

void TTable::next()
{
    moveBy(1);
}

void TTable::prior()
{
    moveBy(-1);
}

int TTable::moveBy(int n)
{
    checkActive();
    storePendingEdit();
    int count = d->count();
    if (count == 0) {
        d->bof = d->eof = true;
        return 0;
    }
    if (n == 0)
        return 0;
    const qint64 wanted = qint64(d->pos) + n;
    if (n > 0) {
        d->ensureLoaded(int(std::min<qint64>(wanted, std::numeric_limits<int>::max())));
        count = d->count();
    }
    const int target = int(std::clamp<qint64>(wanted, 0, count - 1));
    const int moved = target - d->pos;
    d->bof = n < 0 && moved != n;
    d->eof = n > 0 && moved != n;
    d->setPosition(target);
    return moved;
}

void TTable::moveTo(int position)
{
    checkActive();
    storePendingEdit();
    d->ensureLoaded(position);
    const int count = d->count();
    d->setPosition(count == 0 ? -1 : std::clamp(position, 0, count - 1));
    d->bof = d->eof = count == 0;
}

TBookmark TTable::bookmark() const
{
    if (!active() || m_state == Insert || d->pos < 0)
        return {};
    return {d->keys.keyAt(d->pos), true};
}

RecordList TTable::bookmarks() const
{
    if (!active())
        return {};
    d->ensureComplete();
    return d->keys;
}

RecordSource TTable::recordSource() const
{
    checkActive();
    RecordSource source = Engine::recordSource(m_databaseName);
    source.serverKeys = d->driver->sharedKeys();
    return source;
}

void TTable::gotoBookmark(const TBookmark &mark)
{
    checkActive();
    if (!mark.valid)
        throw EngineError(QCoreApplication::translate("TTable", "The bookmark marks no record."));
    storePendingEdit();
    d->ensureLoadedThrough(mark.rowid);
    const int position = d->keys.positionOf(mark.rowid);
    bool stored = false;
    if (position >= 0) {
        d->driver->ensureConnected();
        stored = d->driver->exists(mark.rowid);
    }
    if (!stored)
        throw EngineError(
            QCoreApplication::translate("TTable", "The marked record is no longer in the table “%1”.").arg(m_tableName));
    d->setPosition(position);
    d->bof = d->eof = false;
}

// ---- Editing ---------------------------------------------------------------------------------

bool TTable::modified() const
{
    return std::any_of(d->changed.begin(), d->changed.end(), [](char c) { return c != 0; });
}

void TTable::edit()
{
    checkActive();
    if (m_state == Edit || m_state == Insert)
        return;
    if (d->count() == 0) {
        insert();
        return;
    }
    d->driver->checkWritable(QCoreApplication::translate("TTable", "changing the table “%1”").arg(m_tableName));
    d->driver->ensureConnected();
    d->editVersion = d->currentVersion();
    d->startBuffer();
    m_state = Edit;
    emit stateChanged();
}

void TTable::insert()
{
    checkActive();
    storePendingEdit();
    d->driver->checkWritable(QCoreApplication::translate("TTable", "adding a record to the table “%1”").arg(m_tableName));
    // The new record comes after the last one: the whole list is needed to show it there.
    d->ensureComplete();
    d->startBuffer();
    m_state = Insert;
    emit stateChanged();
    notifyRecordChanged();
}

void TTable::post()
{
    checkActive();
    if (m_state != Edit && m_state != Insert)
        return;
    emit updateRecordRequested();
    doPost();
}

void TTable::doPost()
{
    TableDriver &driver = *d->driver;
    const State was = m_state;
    QStringList columns;
    std::vector<QVariant> written;
    for (size_t f = 0; f < d->fields.size(); ++f) {
        if (d->changed[f]) {
            columns << d->fields[f]->fieldName();
            written.push_back(d->buffer[f]);
        }
    }
    bool recordSetChanged = false;
    if (was == Edit && !written.empty()) {
        driver.checkWritable(QCoreApplication::translate("TTable", "changing the table “%1”").arg(m_tableName));
        driver.ensureConnected();
        const bool keyMoves = std::any_of(d->keyFields.begin(), d->keyFields.end(),
            [&](int f) { return d->changed[size_t(f)] != 0; });
        if (keyMoves)
            d->ensureComplete(); // the driver finds the new key's place among all records
        const qint64 rowid = d->keys.keyAt(d->pos);
        if (!driver.update(rowid, d->editVersion, columns, written))
            refuseChangedRecord(QCoreApplication::translate("TTable", "The record being changed is no longer in the table “%1”; "
                               "the change was not saved.")
                    .arg(m_tableName));
        std::optional<qint64> newRowid;
        if (d->keyField >= 0 && d->changed[size_t(d->keyField)])
            newRowid = d->buffer[size_t(d->keyField)].toLongLong(); // the key is the field's value
        else if (keyMoves)
            newRowid = driver.movedKey();
        if (newRowid) {
            // The record moves to the place of its new key.
            d->noteOwnChange([&] {
                driver.recordDeleted(rowid);
                driver.recordInserted(*newRowid);
            });
            d->applyChange(false, rowid);
            d->applyChange(true, *newRowid);
            d->pos = std::min(d->pos, d->count() - 1);
            d->ensureLoadedThrough(*newRowid);
            d->pos = d->keys.positionOf(*newRowid);
            recordSetChanged = true;
        }
    } else if (was == Insert) {
        driver.checkWritable(QCoreApplication::translate("TTable", "adding a record to the table “%1”").arg(m_tableName));
        driver.ensureConnected();
        const qint64 newRowid = driver.insert(columns, written);
        d->noteOwnChange([&] { driver.recordInserted(newRowid); });
        d->applyChange(true, newRowid);
        d->ensureLoadedThrough(newRowid);
        d->pos = d->keys.positionOf(newRowid);
        recordSetChanged = true;
    }
    d->dropValues();
    m_state = Browse;
    d->clearBuffer();
    d->bof = d->eof = false;
    emit stateChanged();
    if (recordSetChanged)
        notifyDataSetChanged();
    else
        notifyRecordChanged();
    if (AfterPost)
        AfterPost(*this);
}

void TTable::refuseChangedRecord(const QString &goneMessage)
{
    if (!d->driver->keepsVersions())
        throw EngineError(goneMessage);
    // Someone else changed or deleted the record since it was read: nothing was written, and the
    // record is shown as it is stored now.
    cancel();
    resync(false);
    notifyDataSetChanged();
    throw EngineError(QCoreApplication::translate("TTable",
        "Another user changed or deleted this record of the table “%1” after it was shown here; "
        "your change was not saved. The table now shows the records as they are stored.")
                          .arg(m_tableName));
}

void TTable::cancel()
{
    if (m_state != Edit && m_state != Insert)
        return;
    m_state = Browse;
    d->clearBuffer();
    emit stateChanged();
    notifyRecordChanged();
}

void TTable::deleteRecord()
{
    checkActive();
    if (m_state == Insert) {
        cancel();
        return;
    }
    cancel();
    if (d->count() == 0)
        throw EngineError(
            QCoreApplication::translate("TTable", "The table “%1” has no record to delete.").arg(m_tableName));
    d->driver->checkWritable(QCoreApplication::translate("TTable", "deleting a record of the table “%1”").arg(m_tableName));
    d->driver->ensureConnected();
    const qint64 rowid = d->keys.keyAt(d->pos);
    if (!d->driver->remove(rowid, d->currentVersion()) && d->driver->keepsVersions())
        refuseChangedRecord({});
    d->noteOwnChange([&] { d->driver->recordDeleted(rowid); });
    d->keys.erase(d->pos);
    d->dropValues();
    d->settleAt(d->pos); // the next record takes its place
    notifyDataSetChanged();
}

void TTable::refresh()
{
    checkActive();
    if (m_state == Edit || m_state == Insert)
        post();
    resync(false);
    notifyDataSetChanged();
}

void TTable::resync(bool structureMayHaveChanged)
{
    TableDriver &driver = *d->driver;
    driver.ensureConnected();
    if (!driver.tableExists())
        throw EngineError(QCoreApplication::translate("TTable", "The table “%1” is no longer in the database “%2”.")
                              .arg(m_tableName, m_databaseName));
    const TableDriver::Versions versions = driver.versions();
    const qint64 dataVersion = versions.data;
    const qint64 schemaVersion = versions.schema;
    const quint64 generation = versions.generation;
    // Another connection's commit may have changed anything; this connection's own changes are
    // known one by one, unless there were too many or one that said no more.
    bool readAgain = dataVersion != d->seenDataVersion;
    if (structureMayHaveChanged || schemaVersion != d->seenSchemaVersion) {
        const TableDriver::Structure structure = driver.readStructure();
        const QList<TFieldDef> &defs = structure.defs;
        bool same = defs.size() == fieldCount();
        for (int i = 0; same && i < defs.size(); ++i)
            same = defs[i].name == d->fields[size_t(i)]->fieldName()
                && defs[i].declaredType == d->fields[size_t(i)]->declaredType();
        if (!same) {
            // Another table object rebuilt this table: the old fields are gone with it.
            d->readStructure(structure);
            readAgain = true;
        } else {
            d->prepareWindowQuery(); // same fields, a statement made for the new schema
        }
        d->seenSchemaVersion = schemaVersion;
    }
    if (readAgain || generation != d->seenGeneration) {
        std::optional<RecordKey> current;
        if (d->pos >= 0)
            current = d->keys.keyAt(d->pos);
        std::optional<std::vector<TableDriver::RecordSetChange>> changes;
        if (!readAgain)
            changes = driver.changesSince(d->seenGeneration);
        if (changes) {
            for (const TableDriver::RecordSetChange &change : *changes)
                d->applyChange(change.inserted, change.key);
        } else {
            d->readKeys(current);
        }
        d->seenDataVersion = dataVersion;
        d->seenGeneration = generation;
        // The current record keeps its place, or the one after it takes it.
        d->settleAt(current ? d->keys.lowerBound(*current) : 0);
    }
    d->dropValues();
}

// ---- Bound controls --------------------------------------------------------------------------

void TTable::disableControls()
{
    ++m_disableCount;
}

void TTable::enableControls()
{
    if (m_disableCount > 0)
        --m_disableCount;
    if (m_disableCount == 0) {
        m_pendingNotify = false;
        emit dataSetChanged();
    }
}

void TTable::notifyRecordChanged()
{
    if (m_disableCount > 0)
        m_pendingNotify = true;
    else
        emit recordChanged();
}

void TTable::notifyRecordListGrew()
{
    if (m_disableCount > 0)
        m_pendingNotify = true;
    else
        emit recordListGrew();
}

void TTable::takeLoadedRecords(quint64 generation)
{
    if (!active() || !d->loader || d->loader->generation() != generation)
        return; // a notice from a run stopped meanwhile
    if (d->takeLoaded())
        notifyRecordListGrew();
    if (!d->loadError.isEmpty())
        d->raiseLoadError();
}

void TTable::notifyDataSetChanged()
{
    if (m_disableCount > 0)
        m_pendingNotify = true;
    else
        emit dataSetChanged();
}
