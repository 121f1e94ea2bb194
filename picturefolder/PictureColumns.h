#pragma once

#include "picture/PictureSource.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

class Database;

// The two fields a bulk export or load works on: a picture-like field, and a field whose values
// name the files. Resolved once, with every check that gives the user a clear message before any
// file or record is touched. Same thread as its connection.
struct PictureColumns
{
    Q_DECLARE_TR_FUNCTIONS(PictureColumns)

public:
    std::shared_ptr<Database> db;
    QString alias;
    QString table;
    QString rowid; // the name the table's rowid is selected by
    QString pictureField;
    int pictureCode = 0;
    QString namingField;
    int namingCode = 0;
    PictureForm form = PictureForm::Bitmap;

    // Raises EngineError for an unknown alias, table or field, a picture field that holds no
    // pictures, a naming field that holds pictures, and an unknown picture form.
    static PictureColumns resolve(const QString &alias, const QString &table,
        const QString &pictureField, const QString &namingField);

    // The fields of a table that can be chosen: picture-like ones, and the others (which can name
    // files), each in field order.
    static QStringList pictureFields(const QString &alias, const QString &table);
    static QStringList namingFields(const QString &alias, const QString &table);
};
