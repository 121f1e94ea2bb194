#pragma once

#include "picturefolder/FolderListing.h"
#include "picturefolder/PictureColumns.h"
#include "picturefolder/RecordNames.h"

#include <QList>
#include <QString>
#include <optional>

// The dry run of a folder load: which file goes into which record, and what is left over. Made
// from the names alone (files are only opened to read their first bytes), so it can be shown and
// confirmed before anything changes.
//
// A file and a record match when FileNameRule::safeBase gives the same text for the file's name
// without its extension and for the record's name (letter case counts): an exported folder
// matches the records it came from.
struct LoadPlan
{
    Q_DECLARE_TR_FUNCTIONS(LoadPlan)

public:
    struct Match
    {
        FolderListing::File file;
        RecordNames::Named record;
    };
    // A name no load can decide: carried by several records, or by several files.
    struct Ambiguous
    {
        QString name;
        QList<RecordNames::Named> records;
        QList<FolderListing::File> files;
    };

    PictureColumns columns;
    QString folder; // absolute
    QList<Match> matched; // in record order
    QList<FolderListing::File> filesWithoutRecord;
    QList<RecordNames::Named> recordsWithoutFile; // records with an empty name included
    QList<Ambiguous> ambiguous;
    QList<FolderListing::File> notPictures; // matched, but their bytes are no picture file

    int replacing() const; // matched records whose picture the load replaces

    static LoadPlan make(const PictureColumns &columns, const QString &folder);
};
