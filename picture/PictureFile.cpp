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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureError(QStringLiteral("Cannot open the picture file \"%1\": %2")
                               .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"bmp")
        return BmpCodec::decode(bytes);
    if (suffix == u"jpg" || suffix == u"jpeg")
        return JpegCodec::decode(bytes, maxSize);
    throw PictureError(QStringLiteral("\"%1\" is not a JPEG or bitmap file.").arg(path));
}

} // namespace PictureFile
