// The display output's state for the Qt side of the program, whose headers
// declare a global X11 `Display` type that hides the display namespace.
#include <algorithm>

#include "app/app.h"
#include "video/display.h"

namespace App {
int DisplayScale() { return Display::displayScale; }
void SetDisplayScale(int scale) { Display::displayScale = std::clamp(scale, 1, 3); }
bool FullScreen() { return Display::fullScreen; }
}  // namespace App
