#pragma once

// What the running system's version decides for the look of windows.

namespace sx {

// True on every system of version 4 or later: the new window look (icons on captions,
// tool windows, no Move in the application window's system menu, sunken client edges
// on edit fields and panels).
bool NewStyleControls();

}  // namespace sx
