#include "engine/FieldType.h"

#include <QRegularExpression>

FieldClass fieldClassOf(int code)
{
    switch (code) {
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return FieldClass::PictureLike;
    case ftMemo:
        return FieldClass::Memo;
    default:
        return FieldClass::Ordinary;
    }
}

int fieldTypeCodeFor(const QString &declaredType, int *size)
{
    const QString t = declaredType.trimmed().toUpper();
    if (size)
        *size = 0;
    // First match wins, so the longer names come before the names they contain.
    if (t.contains(u"GRAPHIC") || t.contains(u"IMAGE") || t.contains(u"PICTURE"))
        return ftGraphic;
    if (t.contains(u"TYPEDBINARY"))
        return ftTypedBinary;
    if (t.contains(u"BLOB") || t.contains(u"BINARY"))
        return ftBlob;
    // Long-text names before TEXT, which they contain: TEXT itself is a plain string field, as
    // SQLite tools show it.
    if (t.contains(u"MEMO") || t.contains(u"CLOB") || t.contains(u"LONGTEXT")
        || t.contains(u"MEDIUMTEXT") || t.contains(u"NTEXT"))
        return ftMemo;
    if (t.contains(u"TEXT"))
        return ftString;
    if (t.contains(u"CHAR") || t.contains(u"STRING")) {
        static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        const auto m = sizePattern.match(t);
        if (m.hasMatch() && size)
            *size = m.captured(1).toInt();
        return ftString;
    }
    if (t.contains(u"AUTOINC"))
        return ftAutoInc;
    if (t.contains(u"SMALLINT"))
        return ftSmallint;
    if (t.contains(u"INT"))
        return ftInteger;
    if (t.contains(u"BOOL") || t.contains(u"LOGICAL"))
        return ftBoolean;
    if (t.contains(u"MONEY") || t.contains(u"CURRENCY"))
        return ftCurrency;
    if (t.contains(u"DECIMAL") || t.contains(u"NUMERIC"))
        return ftBCD;
    if (t.contains(u"REAL") || t.contains(u"FLOA") || t.contains(u"DOUB"))
        return ftFloat;
    if (t.contains(u"DATETIME") || t.contains(u"TIMESTAMP"))
        return ftDateTime;
    if (t.contains(u"DATE"))
        return ftDate;
    if (t.contains(u"TIME"))
        return ftTime;
    return ftString;
}

QString fieldTypeName(int code)
{
    switch (code) {
    case ftBlob:
        return QStringLiteral("Blob");
    case ftMemo:
        return QStringLiteral("Memo");
    case ftGraphic:
        return QStringLiteral("Graphic");
    case ftTypedBinary:
        return QStringLiteral("TypedBinary");
    default:
        return {};
    }
}
