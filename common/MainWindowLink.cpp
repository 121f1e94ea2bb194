#include "common/MainWindowLink.h"

#include "common/SharedState.h"

namespace MainWindowLink {

namespace {
Handlers &installed()
{
    static Handlers handlers;
    return handlers;
}
} // namespace

void install(Handlers handlers)
{
    installed() = std::move(handlers);
}

bool exists()
{
    return !Form1.isNull();
}

QString alias()
{
    return exists() && installed().alias ? installed().alias() : QString();
}

QString table()
{
    return exists() && installed().table ? installed().table() : QString();
}

void uncheckInputPicture()
{
    if (exists() && installed().uncheckInputPicture)
        installed().uncheckInputPicture();
}

void refreshTable()
{
    if (exists() && installed().refreshTable)
        installed().refreshTable();
}

void pictureMouseUp(DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos)
{
    if (exists() && installed().pictureMouseUp)
        installed().pictureMouseUp(image, button, shift, pos);
}

void setPictureLoadedHandler(std::function<void()> handler)
{
    if (exists() && installed().setPictureLoadedHandler)
        installed().setPictureLoadedHandler(std::move(handler));
}

} // namespace MainWindowLink
