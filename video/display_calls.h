// The display output's operations. Kept apart from display.h because Qt's
// headers declare a global X11 `Display` type that hides display.h's
// namespace: the Qt side includes only this and uses App::DisplayScale.
#pragma once

// Draws the frame; `fromPaint` when the window asked for a repaint.
void presentFrame(bool fromPaint);
void resizeToScale();
void toggleFullScreen();
void leaveFullScreen();
void toggleFullScreenMenu();
// Client coordinates and whether the left button is held.
void trackPointer(int x, int y, bool leftButton);
void showCursor(bool show);
