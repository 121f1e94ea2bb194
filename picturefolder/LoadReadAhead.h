#pragma once

#include "picturefolder/LoadPlan.h"

#include <QByteArray>
#include <future>

// The values a load stores, one per matched file in the plan's order: each file is read (and, for
// the bitmap form, decoded) on another thread while SQLite stores the one before, so reading a
// folder of photos costs the load next to nothing. Two buffers take turns: a file's memory is
// reused for the file after next, so a load of many large files allocates (and faults in) its
// memory twice rather than for every file.
class LoadReadAhead
{
public:
    explicit LoadReadAhead(const LoadPlan &plan);
    ~LoadReadAhead(); // waits for the file being read
    LoadReadAhead(const LoadReadAhead &) = delete;
    LoadReadAhead &operator=(const LoadReadAhead &) = delete;

    // The value for the next matched file, and the file after it is started. Raises what reading
    // or decoding it raised (EngineError, PictureError). The caller lets go of the value before it
    // asks for the one after next.
    QByteArray next();

private:
    void start();

    const LoadPlan &m_plan;
    QByteArray m_buffers[2];
    qsizetype m_index = 0; // the file being read
    std::future<QByteArray> m_reading;
};
