#pragma once

#include <QString>

class QWidget;

// The picture file dialog: a file-open dialog whose filter list is given as
// "Display|patterns|Display|patterns", the first entry selected, no title and no initial folder.
namespace PictureDialog {

QString qtFilterList(const QString &filter, QString *first = nullptr);
QString getOpenFileName(QWidget *parent, const QString &filter);

} // namespace PictureDialog
