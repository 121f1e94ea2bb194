#pragma once

#include <QtGlobal>
#include <functional>
#include <optional>

struct LoadPlan;

// Loads a folder into the records a dry run matched (see LoadPlan), as one transaction: each
// matched file is read, checked by its headers to be the picture its signature says (camera photos
// are not decoded for the file form), turned into the value of the alias's picture form
// (StoredPicture::valueFor) and written; the value it replaces is kept for the undo (LoadUndo).
// When anything fails — a file gone or damaged, a record deleted since the dry run, a value the
// field refuses, a full disk — nothing is loaded and the error names the file. Same thread as the
// plan's connection.
namespace PictureLoad {

struct Result
{
    int loaded = 0;
    int replaced = 0; // of those, records that held a picture before
};

// Told after each file; returning false stops the load, which then changes nothing.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Nothing when stopped.
std::optional<Result> apply(const LoadPlan &plan, const Progress &progress = {});

} // namespace PictureLoad
