#include "datawindow/exchange/SheetLayout.h"

#include "engine/FieldType.h"

#include <algorithm>

namespace SheetLayout {

QList<int> exportColumns(const QList<int> &fieldTypes)
{
    QList<int> columns = writeBackColumns(fieldTypes);
    int next = int(std::count_if(columns.begin(), columns.end(), [](int c) { return c > 0; }));
    for (int &c : columns) {
        if (c == 0)
            c = ++next;
    }
    return columns;
}

QList<int> writeBackColumns(const QList<int> &fieldTypes)
{
    QList<int> columns;
    int next = 0;
    for (int type : fieldTypes)
        columns << (fieldClassOf(type) == FieldClass::Ordinary ? ++next : 0);
    return columns;
}

QString objectName(int row, const QString &fieldName)
{
    return QString::number(row) + fieldName;
}

} // namespace SheetLayout
