#pragma once

// The picture input window for the windows that must not know its class (the data window opens
// and closes it from its menu; the picture input window itself uses the data window).
namespace InputPictureWindow {

void open(); // creates the window, keeps it in FDBInputPic and shows it (not modally)
void close(); // closes it when open (it frees itself) and empties FDBInputPic
void free(); // frees it at once when open and empties FDBInputPic (the main window's destroy)

} // namespace InputPictureWindow
