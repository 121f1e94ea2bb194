#pragma once

#include "picture/PictureSource.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

class TTable;

// One field of an open table. Values are those of the table's current record (the edit buffer
// while the record is being edited). Owned by its table; valid while the table stays open.
class TField
{
public:
    TField(TTable *table, int index, const QString &name, int dataType, int size,
        const QString &declaredType);

    TTable *table() const { return m_table; }
    int index() const { return m_index; }
    QString fieldName() const { return m_name; }
    int dataType() const { return m_dataType; } // see FieldTypeCode
    int size() const { return m_size; } // declared string size, 0 = none
    QString declaredType() const { return m_declaredType; }

    // Free for the program's own use (the windows keep control indexes and column numbers here).
    int Tag = 0;

    // Null is an invalid QVariant. Kinds: QString (strings, memos), qlonglong (integers), bool,
    // double (float, currency, BCD), QDate, QTime, QDateTime, QByteArray (picture-like fields).
    QVariant value() const;
    bool isNull() const;
    QString asString() const; // the value as text; null gives ""
    QString displayText() const; // as the grid shows an ordinary value
    QByteArray asBytes() const; // the stored bytes of a picture-like field; read on demand

    // Need the table in edit or insert state. A value the field cannot take raises EngineError
    // and leaves the field unchanged. An empty string sets a non-string field to null.
    void setValue(const QVariant &value);
    void setBytes(const QByteArray &bytes); // empty = null
    // A picture-like field: stores the picture in its alias's picture form (see
    // StoredPicture::valueFor); an empty source sets null. Raises PictureError for a source that
    // must be decoded and cannot be, EngineError for an unknown form; the field is then unchanged.
    void setPicture(const PictureSource &source);
    void clear();

private:
    TTable *m_table;
    int m_index;
    QString m_name;
    int m_dataType;
    int m_size;
    QString m_declaredType;
};
