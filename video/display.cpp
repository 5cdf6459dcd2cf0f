// Display output: the frame scaled into the window or the full screen, the
// speed figure, and host pointer positions turned into picture coordinates.
#include "video/display.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "video/renderer.h"

namespace Display {
int displayScale = 2;
bool fullScreen = false;
int clearCount = 2;
bool cursorShown = true;
// Set once the host has switched to the full-screen picture; only then does
// leaving restore the window's menu and scale.
bool displayModeChanged = false;
}  // namespace Display

namespace {

using namespace Display;

constexpr int kBorderPixels = 12;  // border around the 256 x 192 picture, in frame pixels

int windowScaleSetting() { return std::clamp(int(settings.windowScale), 1, 3); }

void originForScale(int* x, int* y) {
    if (!fullScreen) {
        *x = 0;
        *y = 0;
        return;
    }
    // Centred in the 640 x 480 screen; (40, 24) at scale 2.
    *x = (platform::window::kFullScreenWidth - platform::kFrameWidth * displayScale) / 2;
    *y = (platform::window::kFullScreenHeight - platform::kFrameHeight * displayScale) / 2;
}

std::string speedText() {
    if (FrameScheduler::state.paused) return " Paused  ";
    char text[32];
    std::snprintf(text, sizeof text, " %d%%  ", int(FrameScheduler::state.speedPercent));
    return text;
}

void enterFullScreen() {
    displayModeChanged = false;
    std::string failure;
    if (!platform::window::EnterFullScreen(&failure)) {
        platform::DebugOutput(failure.c_str());
        leaveFullScreen();
        return;
    }
    displayModeChanged = true;
    displayScale = 2;
    clearCount = 2;
    showCursor(false);
    fullScreen = true;
}

}  // namespace

void presentFrame(bool fromPaint) {
    if (!platform::window::Exists() || !Video::frameBitmap || !Video::framePixels) return;
    // An unchanged picture costs nothing unless the window asked for a repaint.
    if (!fromPaint && !Machine::state.videoDirty) return;
    int originX, originY;
    originForScale(&originX, &originY);
    renderFrame();
    if (clearCount > 0) {
        --clearCount;
        platform::window::FillBlack();
    }
    if (fullScreen) platform::window::DrawSpeedText(speedText());
    platform::window::DrawFrame(Video::frameBitmap, originX, originY, displayScale);
    if (!fullScreen) platform::window::SetTitleSpeed(speedText());
}

void resizeToScale() {
    int width = 0, height = 0;
    platform::window::ClientSize(&width, &height);
    int wantedWidth = platform::kFrameWidth * displayScale;
    int wantedHeight = platform::kFrameHeight * displayScale;
    if (width == wantedWidth && height == wantedHeight) return;
    platform::window::SetClientSize(wantedWidth, wantedHeight);
}

void toggleFullScreen() {
    if (!fullScreen)
        enterFullScreen();
    else
        leaveFullScreen();
    if (!fullScreen) resizeToScale();
}

void leaveFullScreen() {
    if (displayModeChanged) {
        platform::window::LeaveFullScreen();
        displayModeChanged = false;
        displayScale = windowScaleSetting();
    }
    showCursor(true);
    fullScreen = false;
}

void toggleFullScreenMenu() {
    if (!fullScreen) return;
    if (platform::window::HasMenu()) {
        showCursor(false);
        platform::window::ShowMenu(false);
    } else {
        showCursor(true);
        platform::window::ShowMenu(true);
    }
    clearCount = 2;
}

void trackPointer(int x, int y, bool leftButton) {
    if (!leftButton) {
        // Releases are not seen: the button counts as held until the pointer moves without it.
        Machine::state.pointerDown = 0;
        return;
    }
    Machine::state.pointerDown = 1;
    // Full screen: the picture sits at the centring origin, so the pointer is
    // mapped relative to it and lands where the picture is.
    int originX, originY;
    originForScale(&originX, &originY);
    int px = (x - originX - kBorderPixels * displayScale) / displayScale;
    int py = (y - originY - kBorderPixels * displayScale) / displayScale;
    Machine::state.pointerX = uint8_t(std::clamp(px, 0, 255));
    Machine::state.pointerY = uint8_t(std::clamp(py, 0, 255));
}

void showCursor(bool show) {
    if (show == cursorShown) return;
    platform::ShowCursor(show);
    cursorShown = show;
}
