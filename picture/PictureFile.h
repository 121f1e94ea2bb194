#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Picture files by extension: ".bmp" as a bitmap, ".jpg"/".jpeg" as JPEG (any letter case).
// Failures (missing, unreadable, damaged, other extension) raise PictureError.
namespace PictureFile {

bool isPictureFileName(const QString &fileName);
QImage load(const QString &path, QSize maxSize = {});

} // namespace PictureFile
