// Display output: the frame shown scaled in the window or full screen, the
// speed figure, and the host pointer turned into pointer coordinates.
#pragma once

namespace Display {
extern int displayScale;  // 1..3
extern bool fullScreen;
extern int clearCount;
extern bool cursorShown;         // what the host was last asked for
extern bool displayModeChanged;  // full screen entered; leaving restores menu and scale
}  // namespace Display

// Draws the frame; `fromPaint` when the window asked for a repaint.
void presentFrame(bool fromPaint);
void resizeToScale();
void toggleFullScreen();
void leaveFullScreen();
void toggleFullScreenMenu();
// Client coordinates and whether the left button is held.
void trackPointer(int x, int y, bool leftButton);
void showCursor(bool show);
