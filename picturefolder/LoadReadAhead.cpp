#include "picturefolder/LoadReadAhead.h"

#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "picturefolder/FolderListing.h"

namespace {

QByteArray valueOf(const PictureColumns &columns, const QByteArray &file)
{
    // The file form stores the file as it is: its headers must be those of a picture. The bitmap
    // form decodes it anyway.
    if (columns.form == PictureForm::File)
        PictureFile::declaredSize(file);
    return StoredPicture::valueFor(columns.form, columns.pictureCode, PictureSource::file(file));
}

} // namespace

LoadReadAhead::LoadReadAhead(const LoadPlan &plan) : m_plan(plan)
{
    start();
}

LoadReadAhead::~LoadReadAhead()
{
    if (m_reading.valid())
        m_reading.wait();
}

QByteArray LoadReadAhead::next()
{
    QByteArray value = m_reading.get(); // raises what the reading raised
    ++m_index;
    start();
    return value;
}

void LoadReadAhead::start()
{
    if (m_index >= m_plan.matched.size())
        return;
    QByteArray &buffer = m_buffers[m_index % 2];
    const LoadPlan::Match &match = m_plan.matched.at(m_index);
    m_reading = std::async(std::launch::async, [this, &buffer, &match] {
        FolderListing::readInto(m_plan.folder, match.file, buffer);
        return valueOf(m_plan.columns, buffer);
    });
}
