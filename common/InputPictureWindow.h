#pragma once

#include <functional>

// The picture input window as the data window opens and closes it from its menu. The data window
// must not know that window's class, so app/ installs the handlers at start-up; until then the
// calls do nothing.
namespace InputPictureWindow {

struct Handlers
{
    std::function<void()> open; // creates the window, keeps it in FDBInputPic, shows it
    std::function<void()> close; // closes it when open (it frees itself), empties FDBInputPic
    std::function<void()> free; // frees it at once when open, empties FDBInputPic
};

void install(Handlers handlers);

void open();
void close();
void free(); // the main window's destroy

} // namespace InputPictureWindow
