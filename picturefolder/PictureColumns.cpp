#include "picturefolder/PictureColumns.h"

#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TableSchema.h"

namespace {

struct FieldCode
{
    QString name;
    int code = 0;
};

QList<FieldCode> fieldCodes(Database &db, const QString &alias, const QString &table)
{
    QList<FieldCode> fields;
    for (const TFieldDef &def : TableSchema::readFields(db, table, alias))
        fields << FieldCode {def.name, TableSchema::fieldCode(db, table, def, nullptr)};
    return fields;
}

// Field names are matched as SQLite matches them: without regard to ASCII letter case.
FieldCode findField(const QList<FieldCode> &fields, const QString &name, const QString &table)
{
    for (const FieldCode &f : fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    throw EngineError(
        PictureColumns::tr("The table “%1” has no field “%2”.").arg(table, name));
}

} // namespace

PictureColumns PictureColumns::resolve(const QString &alias, const QString &table,
    const QString &pictureField, const QString &namingField)
{
    PictureColumns c;
    c.alias = alias;
    c.table = table;
    c.db = Engine::database(alias);
    c.form = Engine::pictureForm(alias);
    const QList<FieldCode> fields = fieldCodes(*c.db, alias, table);
    const FieldCode picture = findField(fields, pictureField, table);
    if (!isPictureLike(picture.code))
        throw EngineError(tr("The field “%1” holds no pictures: choose a picture field (declared "
                             "GRAPHIC, IMAGE, PICTURE, TYPEDBINARY or BLOB).")
                              .arg(picture.name));
    const FieldCode naming = findField(fields, namingField, table);
    if (isPictureLike(naming.code))
        throw EngineError(tr("The field “%1” holds pictures, so its values cannot name files: "
                             "choose a field of text or numbers.")
                              .arg(naming.name));
    c.pictureField = picture.name;
    c.pictureCode = picture.code;
    c.namingField = naming.name;
    c.namingCode = naming.code;
    c.rowid = TableSchema::rowidColumn(*c.db, TableSchema::readFields(*c.db, table, alias), table);
    return c;
}

QStringList PictureColumns::pictureFields(const QString &alias, const QString &table)
{
    QStringList names;
    for (const FieldCode &f : fieldCodes(*Engine::database(alias), alias, table)) {
        if (isPictureLike(f.code))
            names << f.name;
    }
    return names;
}

QStringList PictureColumns::namingFields(const QString &alias, const QString &table)
{
    QStringList names;
    for (const FieldCode &f : fieldCodes(*Engine::database(alias), alias, table)) {
        if (!isPictureLike(f.code))
            names << f.name;
    }
    return names;
}
