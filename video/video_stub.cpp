// Stand-ins until the renderer, display output and screenshots land.
#include "video/display.h"
#include "video/renderer.h"
#include "video/screenshot.h"

namespace Video {
platform::FrameBitmap* frameBitmap = nullptr;
uint16_t* framePixels = nullptr;
uint16_t PixelPalette[45];
}  // namespace Video

platform::FrameBitmap* createFrame() { return nullptr; }
void destroyFrame() {}
void renderFrame() {}

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
void saveScreenshot() {}
bool writeScreenshotFile(const char*) { return false; }
