#pragma once

#include <QString>

// Field-type codes as the rest of the program knows them (stable numbers, stored nowhere).
enum FieldTypeCode : int {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftTypedBinary = 21,
};

// The three transfer classes every window works with.
enum class FieldClass { Ordinary, Memo, PictureLike };

FieldClass fieldClassOf(int code);
inline bool isPictureLike(int code)
{
    return fieldClassOf(code) == FieldClass::PictureLike;
}
inline bool isMemo(int code)
{
    return code == ftMemo;
}

// Maps a declared column type to a code; *size receives a declared string size (0 = none).
// An empty declared type gives ftString here; the table decides ftBlob from the content.
int fieldTypeCodeFor(const QString &declaredType, int *size = nullptr);

// "Blob", "Memo", "Graphic", "TypedBinary" for the picture-like and memo codes, else empty.
QString fieldTypeName(int code);
