#include "controls/PictureMime.h"

#include <QMimeData>

namespace PictureMime {

namespace {
// Tabvale's own format beside the image; other programs ignore it.
const QString ValueFormat = QStringLiteral("application/x-tabvale-picture-value");
} // namespace

void put(QMimeData &data, const QImage &picture, const PictureSource &source)
{
    data.setImageData(picture);
    if (!source.bytes.isEmpty() && source.image.isNull())
        data.setData(ValueFormat, source.bytes);
}

PictureSource take(const QMimeData *data, QImage *shown)
{
    *shown = {};
    if (!data || !data->hasImage())
        return {};
    *shown = qvariant_cast<QImage>(data->imageData());
    if (shown->isNull())
        return {};
    // The bytes travel only beside the image they were put with: another program that took the
    // clipboard over since has left no bytes of ours.
    const QByteArray bytes = data->data(ValueFormat);
    return bytes.isEmpty() ? PictureSource::picture(*shown) : PictureSource::value(bytes);
}

} // namespace PictureMime
