#include "engine/PgParameters.h"

#include "engine/PgOid.h"
#include "engine/VariantKind.h"

#include <QLocale>
#include <QString>
#include <cmath>

namespace {

constexpr int TextFormat = 0;
constexpr int BinaryFormat = 1;

// The server's spelling of the float values C++ spells otherwise; the rest in the fewest digits
// that read back as the same double, so a numeric column stores 9.8 and not 9.8000000000000007.
QByteArray floatText(double value)
{
    if (std::isnan(value))
        return QByteArrayLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    return QString::number(value, 'g', QLocale::FloatingPointShortest).toLatin1();
}

QByteArray textOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    if (VariantKind::isIntegral(value))
        return value.metaType().id() == QMetaType::ULongLong
            ? QByteArray::number(value.toULongLong())
            : QByteArray::number(value.toLongLong());
    if (VariantKind::isFloating(value))
        return floatText(value.toDouble());
    return value.toString().toUtf8();
}

} // namespace

PgParameters::PgParameters(std::initializer_list<QVariant> values)
{
    m_data.reserve(qsizetype(values.size()));
    for (const QVariant &v : values)
        add(v);
}

void PgParameters::add(const QVariant &value)
{
    if (!value.isValid()) {
        m_values.push_back(nullptr);
        m_lengths.push_back(0);
        m_formats.push_back(TextFormat);
        m_types.push_back(PgOid::Unknown);
        return;
    }
    const bool bytes = value.metaType().id() == QMetaType::QByteArray;
    m_data.append(bytes ? value.toByteArray() : textOf(value));
    // Earlier pointers stay valid: a QByteArray's data does not move when the list grows.
    const QByteArray &data = m_data.constLast();
    m_values.push_back(data.constData());
    m_lengths.push_back(int(data.size()));
    m_formats.push_back(bytes ? BinaryFormat : TextFormat);
    m_types.push_back(bytes ? PgOid::Bytea : PgOid::Unknown);
}
