// What the display output asked of the headless main window, for tests.
#pragma once

#include <string>

#include "platform/window.h"

namespace platform::headless {

struct WindowRecord {
    bool exists = true;
    int clientWidth = 560, clientHeight = 432;
    int setClientSizeCalls = 0;
    int framesDrawn = 0;
    int lastOriginX = 0, lastOriginY = 0, lastScale = 0;
    int blackFills = 0;
    std::string speedText;  // last full-screen speed text
    std::string titleSpeed;  // last title-bar speed text
    bool fullScreen = false;
    bool fullScreenRefused = false;  // EnterFullScreen fails when set
    bool menuShown = true;
};

// The record; tests may change `exists`, `clientWidth/Height` and `fullScreenRefused`.
WindowRecord& Window();
void ResetWindow();

}  // namespace platform::headless
