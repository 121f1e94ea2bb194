#include "engine/TField.h"

#include "engine/Engine.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TTable.h"
#include "picture/StoredPicture.h"

TField::TField(TTable *table, int index, const QString &name, int dataType, int size,
    const QString &declaredType)
    : m_table(table), m_index(index), m_name(name), m_dataType(dataType), m_size(size),
      m_declaredType(declaredType)
{ }

QVariant TField::value() const
{
    return m_table->currentValue(m_index);
}

bool TField::isNull() const
{
    return m_table->currentIsNull(m_index);
}

QString TField::asString() const
{
    if (isPictureLike(m_dataType))
        return {};
    const QVariant v = value();
    return m_dataType == ftMemo ? v.toString() : FieldValue::displayText(v, m_dataType);
}

QString TField::displayText() const
{
    if (fieldClassOf(m_dataType) != FieldClass::Ordinary) {
        const QString text = QStringLiteral("(%1)").arg(fieldTypeName(m_dataType));
        return isNull() ? text : text.toUpper();
    }
    return FieldValue::displayText(value(), m_dataType);
}

QByteArray TField::asBytes() const
{
    return m_table->currentBytes(m_index);
}

void TField::setValue(const QVariant &value)
{
    m_table->setCurrentValue(m_index, value);
}

void TField::setBytes(const QByteArray &bytes)
{
    m_table->setCurrentValue(m_index, bytes.isEmpty() ? QVariant() : QVariant(bytes));
}

void TField::setPicture(const PictureSource &source)
{
    if (source.isEmpty()) {
        clear();
        return;
    }
    const PictureForm form = Engine::pictureForm(m_table->databaseName());
    setBytes(StoredPicture::valueFor(form, m_dataType, source));
}

void TField::clear()
{
    m_table->setCurrentValue(m_index, QVariant());
}
