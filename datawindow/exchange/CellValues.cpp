#include "datawindow/exchange/CellValues.h"

#include "engine/FieldType.h"
#include "spreadsheet/Cells.h"

#include <QDate>
#include <cmath>

namespace {

// Doubles hold every whole number up to 2^53 exactly.
constexpr qlonglong ExactInCell = qlonglong(1) << 53;

bool isTrimmed(QChar c)
{
    return c.unicode() <= 0x20 || c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

namespace CellValues {

QString trimmed(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isTrimmed(text.at(first)))
        ++first;
    while (last > first && isTrimmed(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

bool isBlank(const QVariant &cell)
{
    if (!cell.isValid() || cell.isNull())
        return true;
    if (cell.typeId() == QMetaType::QString)
        return trimmed(cell.toString()).isEmpty();
    return false;
}

QVariant toCell(const QVariant &value, int fieldType)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (fieldType) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc: {
        const qlonglong v = value.toLongLong();
        if (v > ExactInCell || v < -ExactInCell)
            return QString::number(v);
        return double(v);
    }
    case ftFloat:
    case ftBCD:
        return value.toDouble();
    case ftCurrency:
        return QVariant::fromValue(CurrencyValue {value.toDouble()});
    case ftBoolean:
        return value.toBool();
    case ftDate:
        return value.toDate();
    case ftTime:
        return value.toTime();
    case ftDateTime:
        return value.toDateTime();
    default:
        return value.toString();
    }
}

QVariant toField(const QVariant &cell, int fieldType)
{
    // A yes/no cell the user typed as 1 or 0 reads as a number.
    if (fieldType == ftBoolean && cell.typeId() == QMetaType::Double) {
        const double d = cell.toDouble();
        if (d == 0 || d == 1)
            return d == 1;
    }
    return cell;
}

} // namespace CellValues
