// Display output: the frame shown scaled in the window or full screen, the
// speed figure, and the host pointer turned into pointer coordinates.
#pragma once

#include "video/display_calls.h"

namespace Display {
extern int displayScale;  // 1..3
extern bool fullScreen;
extern int clearCount;
extern bool cursorShown;         // what the host was last asked for
extern bool displayModeChanged;  // full screen entered; leaving restores menu and scale
}  // namespace Display
