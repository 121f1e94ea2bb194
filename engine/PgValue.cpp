#include "engine/PgValue.h"

#include "engine/FieldType.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace {

// "10:11:12.123456" → "10:11:12.123", "10:11:12.25" → "10:11:12.250": Qt reads exactly three
// digits of milliseconds, the server writes up to six and drops trailing zeros.
QString toMilliseconds(QString time)
{
    const qsizetype dot = time.indexOf(u'.');
    if (dot < 0)
        return time;
    time.truncate(dot + 4);
    return time.leftJustified(dot + 4, u'0');
}

} // namespace

namespace PgValue {

QVariant fromText(const QString &text, int code, bool *readable)
{
    *readable = true;
    bool ok = true;
    QVariant value;
    switch (code) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
        value = QVariant::fromValue<qlonglong>(text.toLongLong(&ok));
        break;
    case ftBoolean:
        ok = text == u"t" || text == u"f";
        value = text == u"t";
        break;
    case ftFloat:
    case ftBCD:
    case ftCurrency:
        value = text.toDouble(&ok);
        break;
    case ftDate:
        value = QDate::fromString(text, Qt::ISODate);
        ok = value.toDate().isValid();
        break;
    case ftTime:
        // The server's "24:00:00" (the end of a day) is no time of day the program can hold; Qt
        // would read it as midnight.
        value = QTime::fromString(toMilliseconds(text), Qt::ISODateWithMs);
        ok = value.toTime().isValid() && !text.startsWith(u"24:");
        break;
    case ftDateTime: {
        const QString date = text.section(u' ', 0, 0);
        const QString time = toMilliseconds(text.section(u' ', 1));
        value = QDateTime(QDate::fromString(date, Qt::ISODate),
            QTime::fromString(time, Qt::ISODateWithMs));
        ok = value.toDateTime().isValid() && !time.isEmpty();
        break;
    }
    default:
        return text;
    }
    if (!ok) {
        *readable = false;
        return text;
    }
    return value;
}

QString selectExpression(const QString &quotedColumn, const QString &typeName, bool asText)
{
    if (asText)
        return quotedColumn + QStringLiteral("::text");
    if (typeName == u"money")
        return quotedColumn + QStringLiteral("::numeric");
    if (typeName == u"timestamptz")
        return quotedColumn + QStringLiteral("::timestamp");
    return quotedColumn;
}

} // namespace PgValue
