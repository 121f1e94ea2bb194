#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// What a JPEG's EXIF block tells about showing the picture: how the camera was held, and the small
// picture it embedded. Read with libexif. Pure functions, safe on any thread.
namespace Exif {

struct Info
{
    int orientation = 1; // 1–8 as the EXIF tag has it; 1 when absent, damaged or out of range
    QByteArray thumbnail; // the embedded JPEG thumbnail; empty when there is none
};

// Never throws: a file without EXIF, or with a damaged block, gives the defaults.
Info read(const QByteArray &jpegFile);

// The upright picture for an image decoded as stored under the given orientation.
QImage oriented(const QImage &image, int orientation);
// The upright size of a picture stored as size (orientations 5–8 turn it by a quarter).
QSize orientedSize(QSize size, int orientation);

} // namespace Exif
