#include "spreadsheet/CalcConvert.h"

#include "spreadsheet/SpreadsheetError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace CalcConvert {

rtl::OUString fileUrl(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return toOUString(QString::fromLatin1(QUrl::fromLocalFile(absolute).toEncoded()));
}

QString fileNameOfUrl(const rtl::OUString &url)
{
    return QUrl(toQString(url)).fileName();
}

QString localPathOfUrl(const rtl::OUString &url)
{
    return QUrl(toQString(url)).toLocalFile();
}

rtl::OUString filterForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xls"))
        return "MS Excel 97";
    if (suffix == QLatin1String("xlsx"))
        return "Calc MS Excel 2007 XML";
    if (suffix == QLatin1String("ods"))
        return "calc8";
    throw SpreadsheetError(
        QCoreApplication::translate("CalcConvert", "cannot save a workbook as \"%1\": use .xls, .xlsx or .ods").arg(path));
}

css::uno::Sequence<css::beans::PropertyValue> properties(
    std::initializer_list<std::pair<const char *, css::uno::Any>> values)
{
    css::uno::Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(values.size()));
    auto *out = result.getArray();
    for (const auto &[name, value] : values) {
        out->Name = rtl::OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return result;
}

} // namespace CalcConvert
