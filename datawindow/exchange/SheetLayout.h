#pragma once

#include <QList>
#include <QString>

// Where a table's fields go in its worksheet. Row 1 holds the field names, row 2 on one record
// each; memos and pictures lie over their cells as objects named after row and field.
namespace SheetLayout {

constexpr int HeaderRow = 1;
constexpr int FirstDataRow = 2;

// Column numbers for a table's field types, in field order: the ordinary fields take 1 to P, the
// memo and picture-like fields follow from P + 1.
QList<int> exportColumns(const QList<int> &fieldTypes);
// On the way back only the ordinary fields have columns (1 to P); the others get 0.
QList<int> writeBackColumns(const QList<int> &fieldTypes);
// The name of a record's memo text box or picture: the sheet row, then the field name ("2Remark").
QString objectName(int row, const QString &fieldName);

} // namespace SheetLayout
