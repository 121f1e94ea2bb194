#pragma once

// Connects the windows that must not include each other: the data window opens the picture input
// window through InputPictureWindow, the picture input window reaches the main window through
// MainWindowLink. Called once at start-up, before the main window is made (tests call it too).
namespace WindowWiring {

void install();

} // namespace WindowWiring
