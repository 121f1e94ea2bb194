#include "engine/FieldValue.h"
#include "engine/VariantKind.h"

#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/Statement.h"
#include "picture/StoredPicture.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <cmath>
#include <limits>
#include <sqlite3.h>

using VariantKind::isFloating;
using VariantKind::isIntegral;
using VariantKind::isTextual;

namespace {

const QStringList dateFormats
    = {QStringLiteral("yyyy-M-d"), QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy.M.d")};
const QStringList timeFormats
    = {QStringLiteral("H:m:s.z"), QStringLiteral("H:m:s"), QStringLiteral("H:m")};

bool isIntegerKind(int code)
{
    return code == ftSmallint || code == ftInteger || code == ftAutoInc;
}

bool isNumberKind(int code)
{
    return code == ftFloat || code == ftCurrency || code == ftBCD;
}

QString shown(const QVariant &value)
{
    QString text;
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return QCoreApplication::translate("FieldValue", "(%1 bytes of binary data)").arg(value.toByteArray().size());
    case QMetaType::QImage:
        return QCoreApplication::translate("FieldValue", "(a picture)");
    default:
        text = value.toString();
    }
    if (text.size() > 60)
        text = text.left(57) + QStringLiteral("...");
    return QStringLiteral("“%1”").arg(text);
}

[[noreturn]] void refuse(const QVariant &value, const QString &fieldName, const QString &reason)
{
    throw EngineError(QCoreApplication::translate("FieldValue", "The value %1 cannot be stored in the field “%2”: %3.")
                          .arg(shown(value), fieldName, reason));
}

std::optional<qlonglong> parseInteger(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (ok)
        return v;
    return std::nullopt;
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    double v = t.toDouble(&ok); // C locale first: what files and other programs write
    if (!ok)
        v = QLocale().toDouble(t, &ok);
    if (ok && std::isfinite(v))
        return v;
    return std::nullopt;
}

std::optional<bool> parseBoolean(const QString &text)
{
    const QString t = text.trimmed().toLower();
    static const QStringList yes = {QStringLiteral("true"), QStringLiteral("t"),
        QStringLiteral("yes"), QStringLiteral("y"), QStringLiteral("1"), QStringLiteral("是")};
    static const QStringList no = {QStringLiteral("false"), QStringLiteral("f"),
        QStringLiteral("no"), QStringLiteral("n"), QStringLiteral("0"), QStringLiteral("否")};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

QDate parseDate(const QString &text)
{
    for (const QString &f : dateFormats) {
        const QDate d = QDate::fromString(text, f);
        if (d.isValid())
            return d;
    }
    return {};
}

QTime parseTime(const QString &text)
{
    for (const QString &f : timeFormats) {
        const QTime t = QTime::fromString(text, f);
        if (t.isValid())
            return t;
    }
    return {};
}

// "date", "dateTtime" or "date time"; a date alone means its midnight.
QDateTime parseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    const qsizetype split = t.indexOf(QRegularExpression(QStringLiteral("[T ]")));
    if (split < 0) {
        const QDate d = parseDate(t);
        return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
    }
    const QDate d = parseDate(t.left(split));
    QString timePart = t.mid(split + 1).trimmed();
    if (timePart.endsWith(QLatin1Char('Z')))
        timePart.chop(1);
    const QTime tm = parseTime(timePart);
    if (!d.isValid() || !tm.isValid())
        return {};
    return QDateTime(d, tm);
}

QString timeText(const QTime &t)
{
    return t.toString(t.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

QVariant integerFromInput(const QVariant &value, int code, const QString &fieldName)
{
    qlonglong v = 0;
    if (value.metaType().id() == QMetaType::Bool) {
        v = value.toBool() ? 1 : 0;
    } else if (isIntegral(value)) {
        if (value.metaType().id() == QMetaType::ULongLong
            && value.toULongLong() > quint64(std::numeric_limits<qlonglong>::max()))
            refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is too large"));
        v = value.toLongLong();
    } else if (isFloating(value)) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.0e18)
            refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a whole number"));
        v = qlonglong(d);
    } else if (isTextual(value)) {
        const auto parsed = parseInteger(value.toString());
        if (!parsed)
            refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a whole number"));
        v = *parsed;
    } else {
        refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a whole number"));
    }
    if (code == ftSmallint && (v < -32768 || v > 32767))
        refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is outside -32768 to 32767"));
    return QVariant::fromValue<qlonglong>(v);
}

QVariant numberFromInput(const QVariant &value, const QString &fieldName)
{
    if (isIntegral(value) || isFloating(value)) {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a finite number"));
        return d;
    }
    if (isTextual(value)) {
        if (const auto parsed = parseNumber(value.toString()))
            return *parsed;
    }
    refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a number"));
}

QVariant booleanFromInput(const QVariant &value, const QString &fieldName)
{
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (isIntegral(value) && (value.toLongLong() == 0 || value.toLongLong() == 1))
        return value.toLongLong() == 1;
    if (isTextual(value)) {
        if (const auto parsed = parseBoolean(value.toString()))
            return *parsed;
    }
    refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a yes/no value (true or false)"));
}

QVariant dateFromInput(const QVariant &value, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        if (value.toDate().isValid())
            return value.toDate();
        break;
    case QMetaType::QDateTime:
        if (value.toDateTime().isValid())
            return value.toDateTime().date();
        break;
    default:
        if (isTextual(value)) {
            const QDateTime dt = parseDateTime(value.toString());
            if (dt.isValid())
                return dt.date();
        }
    }
    refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a valid date (year-month-day)"));
}

QVariant timeFromInput(const QVariant &value, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QTime:
        if (value.toTime().isValid())
            return value.toTime();
        break;
    case QMetaType::QDateTime:
        if (value.toDateTime().isValid())
            return value.toDateTime().time();
        break;
    default:
        if (isTextual(value)) {
            const QTime t = parseTime(value.toString().trimmed());
            if (t.isValid())
                return t;
        }
    }
    refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not a valid time (hours:minutes:seconds)"));
}

QVariant dateTimeFromInput(const QVariant &value, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        if (value.toDateTime().isValid())
            return value.toDateTime();
        break;
    case QMetaType::QDate:
        if (value.toDate().isValid())
            return QDateTime(value.toDate(), QTime(0, 0));
        break;
    default:
        if (isTextual(value)) {
            const QDateTime dt = parseDateTime(value.toString());
            if (dt.isValid())
                return dt;
        }
    }
    refuse(value, fieldName,
        QCoreApplication::translate("FieldValue", "it is not a valid date and time (year-month-day hours:minutes:seconds)"));
}

QString textFromInput(const QVariant &value, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return timeText(value.toTime());
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd "))
            + timeText(value.toDateTime().time());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        if (value.canConvert<QString>() && !value.metaType().flags().testFlag(QMetaType::IsPointer))
            return value.toString();
    }
    refuse(value, fieldName, QCoreApplication::translate("FieldValue", "it is not text"));
}

QVariant pictureFromInput(const QVariant &value, int code, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return value.toByteArray().isEmpty() ? QVariant() : value;
    case QMetaType::QImage: {
        const QByteArray stored = StoredPicture::encode(value.value<QImage>(), code);
        return stored.isEmpty() ? QVariant() : QVariant(stored);
    }
    default:
        refuse(value, fieldName, QCoreApplication::translate("FieldValue", "a picture field takes only pictures"));
    }
}

} // namespace

namespace FieldValue {

QVariant fromInput(const QVariant &value, int code, int size, const QString &fieldName)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QString && value.toString().isEmpty())
        return {};
    if (isPictureLike(code))
        return pictureFromInput(value, code, fieldName);
    if (code == ftMemo)
        return textFromInput(value, fieldName);
    if (isIntegerKind(code))
        return integerFromInput(value, code, fieldName);
    if (isNumberKind(code))
        return numberFromInput(value, fieldName);
    switch (code) {
    case ftBoolean:
        return booleanFromInput(value, fieldName);
    case ftDate:
        return dateFromInput(value, fieldName);
    case ftTime:
        return timeFromInput(value, fieldName);
    case ftDateTime:
        return dateTimeFromInput(value, fieldName);
    default:
        break;
    }
    const QString text = textFromInput(value, fieldName);
    if (size > 0 && text.size() > size)
        refuse(value, fieldName,
            QCoreApplication::translate("FieldValue", "it has %1 characters, the field holds at most %2")
                .arg(text.size())
                .arg(size));
    return text;
}

QVariant fromStorage(const Statement &row, int column, int code, bool *readable)
{
    *readable = true;
    const int type = row.columnType(column);
    if (type == SQLITE_NULL)
        return {};
    if (type == SQLITE_BLOB) {
        *readable = false;
        return QCoreApplication::translate("FieldValue", "(%1 bytes of binary data)").arg(row.columnBlob(column).size());
    }
    if (isIntegerKind(code)) {
        if (type == SQLITE_INTEGER)
            return QVariant::fromValue<qlonglong>(row.columnInt64(column));
        if (type == SQLITE_FLOAT) {
            const double d = row.columnDouble(column);
            if (d == std::floor(d) && std::fabs(d) < 9.0e18)
                return QVariant::fromValue<qlonglong>(qlonglong(d));
        } else if (const auto v = parseInteger(row.columnText(column))) {
            return QVariant::fromValue<qlonglong>(*v);
        }
    } else if (isNumberKind(code)) {
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return row.columnDouble(column);
        if (const auto v = parseNumber(row.columnText(column)))
            return *v;
    } else if (code == ftBoolean) {
        if (type == SQLITE_INTEGER)
            return row.columnInt64(column) != 0;
        if (type == SQLITE_TEXT) {
            if (const auto v = parseBoolean(row.columnText(column)))
                return *v;
        }
    } else if (code == ftDate || code == ftTime || code == ftDateTime) {
        if (type == SQLITE_TEXT) {
            const QString text = row.columnText(column).trimmed();
            if (code == ftTime) {
                const QTime t = parseTime(text);
                if (t.isValid())
                    return t;
            } else {
                const QDateTime dt = parseDateTime(text);
                if (dt.isValid())
                    return code == ftDate ? QVariant(dt.date()) : QVariant(dt);
            }
        }
    } else {
        // Strings and memos take anything textual.
        if (type == SQLITE_FLOAT)
            return QString::number(row.columnDouble(column), 'g', 15);
        return row.columnText(column);
    }
    *readable = false;
    return row.columnText(column);
}

QVariant toStorage(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime:
        return timeText(value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
            + timeText(dt.time());
    }
    case QMetaType::Bool:
        return QVariant::fromValue<qlonglong>(value.toBool() ? 1 : 0);
    default:
        return value;
    }
}

QString displayText(const QVariant &value, int code)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        if (code == ftCurrency)
            return QString::number(value.toDouble(), 'f', 2);
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray:
        return QStringLiteral("(%1 bytes)").arg(value.toByteArray().size());
    default:
        return value.toString();
    }
}

QString kindDescription(int code)
{
    switch (code) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
        return QCoreApplication::translate("FieldValue", "a whole number");
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return QCoreApplication::translate("FieldValue", "a number");
    case ftBoolean:
        return QCoreApplication::translate("FieldValue", "a yes/no value");
    case ftDate:
        return QCoreApplication::translate("FieldValue", "a date");
    case ftTime:
        return QCoreApplication::translate("FieldValue", "a time");
    case ftDateTime:
        return QCoreApplication::translate("FieldValue", "a date and time");
    case ftMemo:
        return QCoreApplication::translate("FieldValue", "text");
    default:
        return isPictureLike(code) ? QCoreApplication::translate("FieldValue", "a picture") : QCoreApplication::translate("FieldValue", "text");
    }
}

} // namespace FieldValue
