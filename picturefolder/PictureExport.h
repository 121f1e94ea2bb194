#pragma once

#include <QStringList>
#include <functional>
#include <optional>

struct PictureColumns;

// Writes every picture of a field as a file of a folder, named by another field (FileNameRule):
// the stored bytes for JPEG, PNG and GIF values, the bitmap file (graphic header dropped) for the
// bitmap form. A value whose headers are no picture's is counted unreadable and not written. An
// existing file is never replaced unless the caller says so: the first time the export meets one
// it asks what to do with all of them. Files are written one at a time: a stop or a failure
// leaves those written so far, whole. Same thread as the columns' connection.
namespace PictureExport {

enum class Existing {
    Skip, // leave the existing file, write nothing
    Replace, // write over it
    KeepBoth, // write under the next free numbered name
};

struct Summary
{
    int written = 0;
    int skipped = 0; // existing files left as they were
    int unreadable = 0;
    int empty = 0; // records without a picture
    QStringList writtenFiles; // file names, in record order
    QStringList skippedFiles;
    QStringList unreadableRecords; // the records' names
    bool stopped = false;
};

// Asked once, at the first file that exists already (its name): what to do with existing files.
// Nothing stops the export there.
using ExistingFiles = std::function<std::optional<Existing>(const QString &fileName)>;
// Told after each record; returning false stops the export.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Raises EngineError when the folder is missing or a file cannot be written (the summary of what
// was written so far is then lost with the stack, but the files stay).
Summary run(const PictureColumns &columns, const QString &folder, const ExistingFiles &existing,
    const Progress &progress = {});

} // namespace PictureExport
