#include "spreadsheet/OfficeFailure.h"

#include <QRegularExpression>

QString OfficeFailure::errorClassIn(const QString &officeText)
{
    static const QRegularExpression errorClass(QStringLiteral("\\bClass:(\\w+)"));
    return errorClass.match(officeText).captured(1);
}

QString OfficeFailure::reason(const QString &officeText)
{
    const QString c = errorClassIn(officeText);
    if (c == u"Abort")
        return tr("the spreadsheet application broke off the work");
    if (c == u"NotExists")
        return tr("the file or its folder does not exist");
    if (c == u"AlreadyExists")
        return tr("the file already exists");
    if (c == u"Access")
        return tr("the file may not be read or written");
    if (c == u"Locking")
        return tr("another program is using the file");
    if (c == u"Space")
        return tr("the disk is full");
    if (c == u"Write" || c == u"Create" || c == u"Export")
        return tr("the file could not be written");
    if (c == u"Read" || c == u"Import" || c == u"Format" || c == u"Version")
        return tr("the file could not be read as a workbook");
    if (c == u"Path")
        return tr("the file name is not valid");
    if (c == u"NotSupported")
        return tr("the spreadsheet application cannot do this");
    return tr("the spreadsheet application refused the call");
}
