#include "TTable.h"

#include "Engine.h"
#include "EngineError.h"
#include "FieldType.h"
#include "FieldValue.h"
#include "TTablePrivate.h"
#include "TableSchema.h"

#include <QStringDecoder>
#include <algorithm>
#include <sqlite3.h>

namespace {
// The open table objects of this thread, so a table is not deleted from under another window.
thread_local QList<const TTable *> openTables;
} // namespace

// ---- Private ---------------------------------------------------------------------------------

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
    // Reading a field that lies behind a memo or picture follows that value's overflow pages, so
    // such tables fetch fewer rows at a time (still more than a screen).
    windowRows = WindowRows;
    bool largeValueSeen = false;
    for (const auto &f : fields) {
        const bool ordinary = fieldClassOf(f->dataType()) == FieldClass::Ordinary;
        if (ordinary && largeValueSeen)
            windowRows = ShortWindowRows;
        largeValueSeen = largeValueSeen || !ordinary;
    }
    prepareWindowQuery();
}

void TTable::Private::prepareWindowQuery()
{
    QStringList selected;
    for (const auto &f : fields) {
        const QString col = Database::quote(f->fieldName());
        // typeof() is answered from the record header: no memo text or picture is read.
        selected << (fieldClassOf(f->dataType()) == FieldClass::Ordinary
                ? col
                : QStringLiteral("typeof(%1)").arg(col));
    }
    windowQuery.reset();
    windowQuery.emplace(*db,
        QStringLiteral("SELECT %1%2 FROM %3 WHERE %1 BETWEEN ?1 AND ?2 ORDER BY %1")
            .arg(rowidName,
                selected.isEmpty() ? QString() : QStringLiteral(", ") + selected.join(u", "),
                table()));
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

const TTable::Private::Window &TTable::Private::window(int row)
{
    const int first = row / windowRows * windowRows;
    for (Window &w : windows) {
        if (w.first == first) {
            w.lastUse = ++useCounter;
            return w;
        }
    }
    const size_t fieldCount = fields.size();
    Window w;
    w.first = first;
    w.count = std::min(windowRows, count() - first);
    w.values.resize(size_t(w.count) * fieldCount);
    w.flags.assign(size_t(w.count) * fieldCount, CellNull); // rows gone meanwhile read as empty
    w.lastUse = ++useCounter;

    Statement &query = *windowQuery;
    query.reset();
    query.bindInt64(1, rowids[size_t(first)]);
    query.bindInt64(2, rowids[size_t(first + w.count - 1)]);
    int i = 0;
    while (query.step() && i < w.count) {
        const qint64 rowid = query.columnInt64(0);
        while (i < w.count && rowids[size_t(first + i)] < rowid)
            ++i;
        if (i >= w.count || rowids[size_t(first + i)] != rowid)
            continue; // a record another connection added: not ours until a refresh
        for (size_t f = 0; f < fieldCount; ++f) {
            const size_t cell = size_t(i) * fieldCount + f;
            const int column = int(f) + 1;
            const int code = fields[f]->dataType();
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

    if (windows.size() >= size_t(MaxWindows)) {
        const auto oldest = std::min_element(windows.begin(), windows.end(),
            [](const Window &a, const Window &b) { return a.lastUse < b.lastUse; });
        windows.erase(oldest);
    }
    windows.push_back(std::move(w));
    return windows.back();
}

void TTable::Private::dropValues()
{
    windows.clear();
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

// ---- Opening and closing ---------------------------------------------------------------------

TTable::TTable(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{ }

TTable::~TTable()
{
    openTables.removeOne(this);
}

int TTable::openElsewhere() const
{
    const auto db = connection();
    int count = 0;
    for (const TTable *other : std::as_const(openTables)) {
        count += other != this && other->d->db == db
            && other->m_tableName.compare(m_tableName, Qt::CaseInsensitive) == 0;
    }
    return count;
}

void TTable::setDatabaseName(const QString &alias)
{
    if (active() && alias != m_databaseName)
        throw EngineError(
            QStringLiteral("The table “%1” is open: close it before choosing another database.")
                .arg(m_tableName));
    m_databaseName = alias;
}

void TTable::setTableName(const QString &name)
{
    if (active() && name != m_tableName)
        throw EngineError(
            QStringLiteral("The table “%1” is open: close it before choosing another table.")
                .arg(m_tableName));
    m_tableName = name;
}

std::shared_ptr<Database> TTable::connection() const
{
    if (active())
        return d->db;
    if (m_databaseName.isEmpty())
        throw EngineError(
            QStringLiteral("No database has been chosen for the table “%1”.").arg(m_tableName));
    if (m_tableName.isEmpty())
        throw EngineError(QStringLiteral("No table name has been given."));
    return Engine::database(m_databaseName);
}

void TTable::open()
{
    if (active())
        return;
    auto p = std::make_unique<Private>(this);
    p->db = connection();
    Database &db = *p->db;
    // Versions first: a change that lands while the records are read shows at the next refresh.
    p->seenDataVersion = db.dataVersion();
    p->seenSchemaVersion = db.schemaVersion();
    p->seenGeneration = db.tableGeneration(m_tableName);
    const QList<TFieldDef> defs = TableSchema::readFields(db, m_tableName, m_databaseName);
    const QList<TIndexDef> indexes = TableSchema::readIndexes(db, m_tableName);
    p->readStructure(defs);
    p->readRowids();
    p->pos = p->rowids.empty() ? -1 : 0;
    p->bof = true;
    p->eof = p->rowids.empty();

    d = std::move(p);
    fieldDefs = defs;
    indexDefs = indexes;
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
        throw EngineError(QStringLiteral("The table “%1” is not open.").arg(m_tableName));
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
            QStringLiteral("The table “%1” has no field number %2.").arg(m_tableName).arg(index));
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
    throw EngineError(QStringLiteral("The table “%1” has no field “%2”.").arg(m_tableName, name));
}

// ---- Navigation ------------------------------------------------------------------------------

int TTable::recordCount() const
{
    return active() ? d->count() : 0;
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

void TTable::checkBrowseMode()
{
    if (m_state != Edit && m_state != Insert)
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
    checkBrowseMode();
    d->setPosition(d->count() > 0 ? 0 : -1);
    d->bof = true;
    d->eof = d->count() == 0;
}

void TTable::last()
{
    checkActive();
    checkBrowseMode();
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
    checkBrowseMode();
    const int count = d->count();
    if (count == 0) {
        d->bof = d->eof = true;
        return 0;
    }
    if (n == 0)
        return 0;
    const int target = int(std::clamp<qint64>(qint64(d->pos) + n, 0, count - 1));
    const int moved = target - d->pos;
    d->bof = n < 0 && moved != n;
    d->eof = n > 0 && moved != n;
    d->setPosition(target);
    return moved;
}

void TTable::moveTo(int position)
{
    checkActive();
    checkBrowseMode();
    const int count = d->count();
    d->setPosition(count == 0 ? -1 : std::clamp(position, 0, count - 1));
    d->bof = d->eof = count == 0;
}

TBookmark TTable::bookmark() const
{
    if (!active() || m_state == Insert || d->pos < 0)
        return {};
    return {d->rowids[size_t(d->pos)], true};
}

std::vector<qint64> TTable::bookmarks() const
{
    return active() ? d->rowids : std::vector<qint64>();
}

void TTable::gotoBookmark(const TBookmark &mark)
{
    checkActive();
    if (!mark.valid)
        throw EngineError(QStringLiteral("The bookmark marks no record."));
    checkBrowseMode();
    const int position = d->positionOf(mark.rowid);
    bool stored = false;
    if (position >= 0) {
        Statement s = d->db->prepare(
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(d->table(), d->rowidName));
        s.bindInt64(1, mark.rowid);
        stored = s.step();
    }
    if (!stored)
        throw EngineError(
            QStringLiteral("The marked record is no longer in the table “%1”.").arg(m_tableName));
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
    d->db->checkWritable(QStringLiteral("changing the table “%1”").arg(m_tableName));
    d->startBuffer();
    m_state = Edit;
    emit stateChanged();
}

void TTable::insert()
{
    checkActive();
    checkBrowseMode();
    d->db->checkWritable(QStringLiteral("adding a record to the table “%1”").arg(m_tableName));
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
    Database &db = *d->db;
    const State was = m_state;
    QStringList columns;
    std::vector<int> written;
    for (size_t f = 0; f < d->fields.size(); ++f) {
        if (d->changed[f]) {
            columns << Database::quote(d->fields[f]->fieldName());
            written.push_back(int(f));
        }
    }
    bool recordSetChanged = false;
    if (was == Edit && !written.empty()) {
        db.checkWritable(QStringLiteral("changing the table “%1”").arg(m_tableName));
        QStringList assignments;
        for (int i = 0; i < columns.size(); ++i)
            assignments << QStringLiteral("%1 = ?%2").arg(columns[i]).arg(i + 1);
        Statement s = db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                                     .arg(d->table(), assignments.join(u", "), d->rowidName)
                                     .arg(columns.size() + 1));
        for (size_t i = 0; i < written.size(); ++i)
            s.bind(int(i) + 1, FieldValue::toStorage(d->buffer[size_t(written[i])]));
        const qint64 rowid = d->rowids[size_t(d->pos)];
        s.bindInt64(int(written.size()) + 1, rowid);
        s.step();
        if (s.changes() == 0)
            throw EngineError(
                QStringLiteral("The record being changed is no longer in the table “%1”; "
                               "the change was not saved.")
                    .arg(m_tableName));
        if (d->rowidAliasField >= 0 && d->changed[size_t(d->rowidAliasField)]) {
            // The key is the rowid: the record moves to the place of its new key.
            const qint64 newRowid = d->buffer[size_t(d->rowidAliasField)].toLongLong();
            d->rowids.erase(d->rowids.begin() + d->pos);
            d->pos = d->insertRowid(newRowid);
            d->recordSetChangedHere();
            recordSetChanged = true;
        }
    } else if (was == Insert) {
        db.checkWritable(QStringLiteral("adding a record to the table “%1”").arg(m_tableName));
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d->table());
        } else {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?%1").arg(i + 1);
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(d->table(), columns.join(u", "), marks.join(u", "));
        }
        Statement s = db.prepare(sql);
        for (size_t i = 0; i < written.size(); ++i)
            s.bind(int(i) + 1, FieldValue::toStorage(d->buffer[size_t(written[i])]));
        s.step();
        const qint64 newRowid = db.lastInsertRowid();
        d->pos = d->insertRowid(newRowid);
        d->recordSetChangedHere();
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
            QStringLiteral("The table “%1” has no record to delete.").arg(m_tableName));
    d->db->checkWritable(QStringLiteral("deleting a record of the table “%1”").arg(m_tableName));
    Statement s = d->db->prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(d->table(), d->rowidName));
    s.bindInt64(1, d->rowids[size_t(d->pos)]);
    s.step();
    d->rowids.erase(d->rowids.begin() + d->pos);
    d->recordSetChangedHere();
    d->dropValues();
    if (d->pos >= d->count())
        d->pos = d->count() - 1;
    d->bof = d->eof = d->count() == 0;
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
    Database &db = *d->db;
    if (!db.tableExists(m_tableName))
        throw EngineError(QStringLiteral("The table “%1” is no longer in the database “%2”.")
                              .arg(m_tableName, m_databaseName));
    const qint64 dataVersion = db.dataVersion();
    const qint64 schemaVersion = db.schemaVersion();
    const quint64 generation = db.tableGeneration(m_tableName);
    bool recordSetChanged = dataVersion != d->seenDataVersion || generation != d->seenGeneration;
    if (structureMayHaveChanged || schemaVersion != d->seenSchemaVersion) {
        const QList<TFieldDef> defs = TableSchema::readFields(db, m_tableName, m_databaseName);
        bool same = defs.size() == fieldCount();
        for (int i = 0; same && i < defs.size(); ++i)
            same = defs[i].name == d->fields[size_t(i)]->fieldName()
                && defs[i].declaredType == d->fields[size_t(i)]->declaredType();
        if (!same) {
            // Another table object rebuilt this table: the old fields are gone with it.
            d->readStructure(defs);
            fieldDefs = defs;
            indexDefs = TableSchema::readIndexes(db, m_tableName);
            recordSetChanged = true;
        } else {
            d->prepareWindowQuery(); // same fields, a statement made for the new schema
        }
        d->seenSchemaVersion = schemaVersion;
    }
    if (recordSetChanged) {
        const qint64 current = d->pos >= 0 ? d->rowids[size_t(d->pos)] : 0;
        d->readRowids();
        const auto at = std::lower_bound(d->rowids.begin(), d->rowids.end(), current);
        int position = int(at - d->rowids.begin());
        if (position >= d->count())
            position = d->count() - 1;
        d->pos = position;
        d->bof = d->eof = d->count() == 0;
        d->seenDataVersion = dataVersion;
        d->seenGeneration = generation;
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

void TTable::notifyDataSetChanged()
{
    if (m_disableCount > 0)
        m_pendingNotify = true;
    else
        emit dataSetChanged();
}

// ---- Values ----------------------------------------------------------------------------------

QVariant TTable::valueAt(int row, int fieldIndex) const
{
    if (!active() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return {};
    const bool ordinary
        = fieldClassOf(d->fields[size_t(fieldIndex)]->dataType()) == FieldClass::Ordinary;
    const size_t f = size_t(fieldIndex);
    if (m_state == Insert && row == d->count())
        return ordinary && d->changed[f] ? d->buffer[f] : QVariant();
    if (row < 0 || row >= d->count() || !ordinary)
        return {};
    if (m_state == Edit && row == d->pos && d->changed[f])
        return d->buffer[f];
    const Private::Window &w = d->window(row);
    return w.values[size_t(row - w.first) * d->fields.size() + f];
}

bool TTable::isNullAt(int row, int fieldIndex) const
{
    if (!active() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return true;
    const size_t f = size_t(fieldIndex);
    if (m_state == Insert && row == d->count())
        return !d->changed[f] || !d->buffer[f].isValid();
    if (row < 0 || row >= d->count())
        return true;
    if (m_state == Edit && row == d->pos && d->changed[f])
        return !d->buffer[f].isValid();
    const Private::Window &w = d->window(row);
    return w.flags[size_t(row - w.first) * d->fields.size() + f] & Private::CellNull;
}

bool TTable::readOnly() const
{
    return active() && d->db->isReadOnly();
}

QString TTable::readOnlyMessage() const
{
    return active() ? d->db->readOnlyMessage() : QString();
}

QString TTable::displayTextAt(int row, int fieldIndex) const
{
    if (!active() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return {};
    const int code = d->fields[size_t(fieldIndex)]->dataType();
    if (fieldClassOf(code) != FieldClass::Ordinary) {
        const QString text = QStringLiteral("(%1)").arg(fieldTypeName(code));
        return isNullAt(row, fieldIndex) ? text : text.toUpper();
    }
    return FieldValue::displayText(valueAt(row, fieldIndex), code);
}

QVariant TTable::currentValue(int fieldIndex) const
{
    checkActive();
    const TField *f = field(fieldIndex);
    const size_t i = size_t(fieldIndex);
    if (m_state == Insert)
        return d->changed[i] ? d->buffer[i] : QVariant();
    if (m_state == Edit && d->changed[i])
        return d->buffer[i];
    if (d->pos < 0)
        return {};
    const int code = f->dataType();
    if (isPictureLike(code)) {
        const QByteArray bytes = currentBytes(fieldIndex);
        return bytes.isEmpty() ? QVariant() : QVariant(bytes);
    }
    const qint64 rowid = d->rowids[size_t(d->pos)];
    if (code == ftMemo) {
        if (d->memoRowid != rowid) {
            d->memoTexts.clear();
            d->memoRowid = rowid;
        }
        const auto cached = d->memoTexts.constFind(fieldIndex);
        if (cached != d->memoTexts.constEnd())
            return *cached;
        Statement s
            = d->db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                 .arg(Database::quote(f->fieldName()), d->table(), d->rowidName));
        s.bindInt64(1, rowid);
        QVariant text;
        if (s.step() && !s.isNull(0)) {
            if (s.columnType(0) == SQLITE_BLOB) {
                QStringDecoder decoder(QStringDecoder::Utf8);
                const QString decoded = decoder(s.columnBlob(0));
                if (decoder.hasError())
                    throw EngineError(
                        QStringLiteral("The memo field “%1” of record %2 in the table “%3” "
                                       "holds data that is not text.")
                            .arg(f->fieldName())
                            .arg(d->pos + 1)
                            .arg(m_tableName));
                text = decoded;
            } else {
                text = s.columnText(0);
            }
        }
        d->memoTexts.insert(fieldIndex, text);
        return text;
    }
    const Private::Window &w = d->window(d->pos);
    const size_t cell = size_t(d->pos - w.first) * d->fields.size() + i;
    if (w.flags[cell] & Private::CellUnreadable)
        throw EngineError(
            QStringLiteral("The value “%1” of the field “%2” in record %3 of the table “%4” "
                           "cannot be read as %5.")
                .arg(w.values[cell].toString(), f->fieldName())
                .arg(d->pos + 1)
                .arg(m_tableName, FieldValue::kindDescription(code)));
    return w.values[cell];
}

QByteArray TTable::currentBytes(int fieldIndex) const
{
    checkActive();
    const TField *f = field(fieldIndex);
    const size_t i = size_t(fieldIndex);
    const int code = f->dataType();
    if (!isPictureLike(code)) {
        const QVariant v = currentValue(fieldIndex);
        return code == ftMemo ? v.toString().toUtf8() : FieldValue::displayText(v, code).toUtf8();
    }
    if (m_state == Insert || (m_state == Edit && d->changed[i]))
        return d->changed[i] ? d->buffer[i].toByteArray() : QByteArray();
    if (d->pos < 0)
        return {};
    Statement s
        = d->db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                             .arg(Database::quote(f->fieldName()), d->table(), d->rowidName));
    s.bindInt64(1, d->rowids[size_t(d->pos)]);
    if (!s.step() || s.isNull(0))
        return {};
    return s.columnType(0) == SQLITE_BLOB ? s.columnBlob(0) : s.columnText(0).toUtf8();
}

bool TTable::currentIsNull(int fieldIndex) const
{
    checkActive();
    field(fieldIndex);
    return isNullAt(recNo(), fieldIndex);
}

void TTable::setCurrentValue(int fieldIndex, const QVariant &value)
{
    checkActive();
    const TField *f = field(fieldIndex);
    if (m_state != Edit && m_state != Insert)
        throw EngineError(
            QStringLiteral("The table “%1” is not being edited: the field “%2” cannot be changed.")
                .arg(m_tableName, f->fieldName()));
    const QVariant converted
        = FieldValue::fromInput(value, f->dataType(), f->size(), f->fieldName());
    d->buffer[size_t(fieldIndex)] = converted;
    d->changed[size_t(fieldIndex)] = 1;
    notifyRecordChanged();
}
