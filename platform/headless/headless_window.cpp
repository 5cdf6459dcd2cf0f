// Headless main window: no pixels, only a record of what was asked.
#include "platform/headless/headless_window.h"

namespace platform {

namespace headless {
WindowRecord& Window() {
    static WindowRecord record;
    return record;
}
void ResetWindow() { Window() = WindowRecord{}; }
}  // namespace headless

namespace window {

using headless::Window;

bool Exists() { return Window().exists; }

void DrawFrame(FrameBitmap*, int originX, int originY, int scale) {
    ++Window().framesDrawn;
    Window().lastOriginX = originX;
    Window().lastOriginY = originY;
    Window().lastScale = scale;
}

void FillBlack() { ++Window().blackFills; }
void DrawSpeedText(const std::string& text) { Window().speedText = text; }
void SetTitleSpeed(const std::string& text) { Window().titleSpeed = text; }

void ClientSize(int* width, int* height) {
    if (Window().fullScreen) {
        *width = kFullScreenWidth;
        *height = kFullScreenHeight;
        return;
    }
    *width = Window().clientWidth;
    *height = Window().clientHeight;
}

void SetClientSize(int width, int height) {
    ++Window().setClientSizeCalls;
    Window().clientWidth = width;
    Window().clientHeight = height;
}

bool EnterFullScreen(std::string* failure) {
    if (Window().fullScreenRefused) {
        *failure = "SetDisplayMode FAILED";
        return false;
    }
    Window().fullScreen = true;
    Window().menuShown = false;
    return true;
}

void LeaveFullScreen() {
    Window().fullScreen = false;
    Window().menuShown = true;
}

bool HasMenu() { return Window().menuShown; }
void ShowMenu(bool show) { Window().menuShown = show; }

}  // namespace window
}  // namespace platform
