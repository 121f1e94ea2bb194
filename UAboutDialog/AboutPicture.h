#pragma once

#include <QImage>
#include <QSize>

// The About dialog's hidden picture, drawn by the program.
namespace AboutPicture {
QImage make(const QSize &size);
}
