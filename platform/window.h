// The main window's drawing surface, as the display output needs it.
//
// Coordinates are client pixels while windowed, the frame at the scale the
// window was sized for. The host shows the frame at the largest whole number of
// device pixels per frame pixel that fits the real client area (which the user
// may resize, on a screen of any pixel density), centred on black, and hands
// pointer positions back in these coordinates. In full screen the client is a
// logical 640 x 480 screen: the host centres it on the real screen, enlarges it
// by a whole number and blacks out the rest, and hands pointer positions back
// in the same logical coordinates.
// Use: Exists, then per presentation FillBlack (sometimes), DrawFrame,
// DrawSpeedText (full screen) or SetTitleSpeed (windowed).
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform::window {

constexpr int kFullScreenWidth = 640;
constexpr int kFullScreenHeight = 480;

// Whether the main window exists (between its creation and its destruction).
bool Exists();
// Shows the frame at `originX`, `originY`, each frame pixel as a scale x scale block.
void DrawFrame(FrameBitmap* bitmap, int originX, int originY, int scale);
// Blacks out the whole client area before the next frame.
void FillBlack();
// Speed text at the top left of the screen, grey on black (full screen).
void DrawSpeedText(const std::string& text);
// Speed text in the title bar (windowed).
void SetTitleSpeed(const std::string& text);
// Current client size in pixels.
void ClientSize(int* width, int* height);
// Gives the window the outer size that yields this client size, at (10, 10).
void SetClientSize(int width, int height);
// Covers the screen, without caption or menu. False and a reason when refused.
bool EnterFullScreen(std::string* failure);
// Back to the normal window with caption and menu.
void LeaveFullScreen();
bool HasMenu();
void ShowMenu(bool show);

}  // namespace platform::window
