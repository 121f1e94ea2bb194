#pragma once

#include <QList>
#include <QMetaType>
#include <QVariant>

// A sum of money. Written as a number in the currency format; reads back as a double.
struct CurrencyValue
{
    double amount = 0;
    bool operator==(const CurrencyValue &other) const = default;
};
Q_DECLARE_METATYPE(CurrencyValue)

// The cells of one worksheet; rows and columns are 1-based.
//
// Values: numbers come back as double, text as QString (an empty cell reads as ""), cells formatted
// as dates or times as QDate, QDateTime or QTime, booleans as bool. Text is stored as text even
// when it looks like a number.
class Cells
{
public:
    virtual ~Cells() = default;

    virtual QVariant item(int row, int column) = 0;
    virtual void setItem(int row, int column, const QVariant &value) = 0;

    // Whole blocks in one call each, for speed: rows of equal length starting at (row, column).
    // Writing takes the values setItem takes. Reading gives numbers and text only (dates read back
    // as their day numbers); typedDataArray gives what item() would for every cell of the block.
    virtual QList<QVariantList> dataArray(int row, int column, int rows, int columns) = 0;
    virtual QList<QVariantList> typedDataArray(int row, int column, int rows, int columns) = 0;
    virtual void setDataArray(int row, int column, const QList<QVariantList> &values) = 0;
};
