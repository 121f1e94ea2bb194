#include "PictureFile.h"

#include "BmpCodec.h"
#include "JpegCodec.h"
#include "PictureError.h"

#include <QFile>
#include <QFileInfo>

namespace PictureFile {

bool isPictureFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == u"bmp" || suffix == u"jpg" || suffix == u"jpeg";
}

QImage load(const QString &path, QSize maxSize)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool bitmap = suffix == u"bmp";
    if (!bitmap && suffix != u"jpg" && suffix != u"jpeg")
        throw PictureError(QStringLiteral("\"%1\" is not a JPEG or bitmap file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QStringLiteral("Cannot open the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PictureError(QStringLiteral("Cannot read the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    return bitmap ? BmpCodec::decode(bytes) : JpegCodec::decode(bytes, maxSize);
}

QImage decode(const QByteArray &bytes, QSize maxSize)
{
    if (bytes.startsWith("BM"))
        return BmpCodec::decode(bytes);
    if (bytes.startsWith("\xff\xd8"))
        return JpegCodec::decode(bytes, maxSize);
    throw PictureError(QStringLiteral("The data is neither a JPEG nor a bitmap picture."));
}

} // namespace PictureFile
