// Stand-ins until the display output lands.
#include "video/display.h"

namespace Display {
int displayScale = 2;
bool fullScreen = false;
int clearCount = 2;
}  // namespace Display

void presentFrame(bool) {}
void resizeToScale() {}
void toggleFullScreen() {}
void leaveFullScreen() {}
void toggleFullScreenMenu() {}
void trackPointer(int, int, bool) {}
void showCursor(bool) {}
