// Stand-ins until the renderer and screenshots land.
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

void saveScreenshot() {}
bool writeScreenshotFile(const char*) { return false; }
