#include "picture/Exif.h"

#include <QTransform>
#include <libexif/exif-data.h>
#include <memory>

namespace Exif {

namespace {

struct ExifDataUnref
{
    void operator()(ExifData *data) const { exif_data_unref(data); }
};

bool turnsByQuarter(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace

Info read(const QByteArray &jpegFile)
{
    Info info;
    // Only JPEG files carry the block this reads; anything else would be scanned for nothing.
    if (jpegFile.size() < 4 || !jpegFile.startsWith("\xff\xd8"))
        return info;
    std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
    if (!data)
        return info;
    // Reading only: no "fixing" the block to the standard, which would add entries for nothing.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char *>(jpegFile.constData()),
        unsigned(qMin<qsizetype>(jpegFile.size(), std::numeric_limits<unsigned>::max())));
    if (ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data
        && entry->size >= 2) {
        const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
        if (value >= 1 && value <= 8)
            info.orientation = value;
    }
    if (data->data && data->size > 0)
        info.thumbnail = QByteArray(reinterpret_cast<const char *>(data->data), int(data->size));
    return info;
}

QImage oriented(const QImage &image, int orientation)
{
    if (image.isNull())
        return image;
    // Quarter turns of a raster are exact: Qt moves pixels without resampling them.
    const auto rotated = [&](qreal degrees) {
        return image.transformed(QTransform().rotate(degrees), Qt::FastTransformation);
    };
    switch (orientation) {
    case 2: // mirrored left to right
        return image.mirrored(true, false);
    case 3: // upside down
        return image.mirrored(true, true);
    case 4: // mirrored top to bottom
        return image.mirrored(false, true);
    case 5: // mirrored along the top-left to bottom-right diagonal
        return rotated(90).mirrored(true, false);
    case 6: // the top of the picture is on its right
        return rotated(90);
    case 7: // mirrored along the other diagonal
        return rotated(90).mirrored(false, true);
    case 8: // the top of the picture is on its left
        return rotated(270);
    default:
        return image;
    }
}

QSize orientedSize(QSize size, int orientation)
{
    return turnsByQuarter(orientation) ? size.transposed() : size;
}

} // namespace Exif
