// Values of the current record and of any row, as the fields and the grid ask for them.
#include "engine/TTable.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TTablePrivate.h"

#include <QCoreApplication>
#include <QStringDecoder>

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
    const RecordWindowCache::Window &w = d->values.window(row, d->keys);
    return w.values[w.cell(row, f, d->fields.size())];
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
    const RecordWindowCache::Window &w = d->values.window(row, d->keys);
    return w.flags[w.cell(row, f, d->fields.size())] & RecordWindowCache::CellNull;
}

bool TTable::readOnly() const
{
    return active() && d->driver->isReadOnly();
}

QString TTable::readOnlyMessage() const
{
    return active() ? d->driver->readOnlyMessage() : QString();
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
    const qint64 rowid = d->keys.keyAt(d->pos);
    if (code == ftMemo) {
        if (d->memoRowid != rowid) {
            d->memoTexts.clear();
            d->memoRowid = rowid;
        }
        const auto cached = d->memoTexts.constFind(fieldIndex);
        if (cached != d->memoTexts.constEnd())
            return *cached;
        d->driver->ensureConnected();
        const TableDriver::StoredValue stored = d->driver->readValue(rowid, f->fieldName());
        QVariant text;
        if (!stored.null) {
            if (stored.blob) {
                QStringDecoder decoder(QStringDecoder::Utf8);
                const QString decoded = decoder(stored.bytes);
                if (decoder.hasError())
                    throw EngineError(
                        QCoreApplication::translate("TTableValues", "The memo field “%1” of record %2 in the table “%3” "
                                       "holds data that is not text.")
                            .arg(f->fieldName())
                            .arg(d->pos + 1)
                            .arg(m_tableName));
                text = decoded;
            } else {
                text = QString::fromUtf8(stored.bytes);
            }
        }
        d->memoTexts.insert(fieldIndex, text);
        return text;
    }
    const RecordWindowCache::Window &w = d->values.window(d->pos, d->keys);
    const size_t cell = w.cell(d->pos, i, d->fields.size());
    if (w.flags[cell] & RecordWindowCache::CellUnreadable)
        throw EngineError(
            QCoreApplication::translate("TTableValues", "The value “%1” of the field “%2” in record %3 of the table “%4” "
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
    d->driver->ensureConnected();
    return d->driver->readValue(d->keys.keyAt(d->pos), f->fieldName()).bytes;
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
            QCoreApplication::translate("TTableValues", "The table “%1” is not being edited: the field “%2” cannot be changed.")
                .arg(m_tableName, f->fieldName()));
    const QVariant converted
        = FieldValue::fromInput(value, f->dataType(), f->size(), f->fieldName());
    d->buffer[size_t(fieldIndex)] = converted;
    d->changed[size_t(fieldIndex)] = 1;
    notifyRecordChanged();
}
