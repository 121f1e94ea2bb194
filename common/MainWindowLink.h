#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class DBImage;

// The main window as the picture input window reaches it. Neither window's folder includes the
// other's, so app/ installs the handlers at start-up. Without a main window (or handlers) the
// questions are answered empty and the requests do nothing.
namespace MainWindowLink {

struct Handlers
{
    std::function<QString()> alias; // what the main window's 数据库 list shows
    std::function<QString()> table; // what its 数据表 list shows
    std::function<void()> uncheckInputPicture; // the 输入图形 menu item's mark off
    std::function<void()> refreshTable; // re-reads the main window's table when it is open
    // The main window's picture handler, run for a picture control of another window.
    std::function<void(DBImage *, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> pictureMouseUp;
    // What runs after that handler stored a picture file (nullptr: nothing).
    std::function<void(std::function<void()>)> setPictureLoadedHandler;
};

void install(Handlers handlers);

bool exists(); // the main window is open
QString alias();
QString table();
void uncheckInputPicture();
void refreshTable();
void pictureMouseUp(
    DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
void setPictureLoadedHandler(std::function<void()> handler);

} // namespace MainWindowLink
