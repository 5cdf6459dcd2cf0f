// The display output's operations, for code that also sees the Qt headers:
// those declare a global X11 `Display` type that hides video/display.h's
// namespace, so the Qt side uses these declarations and App::DisplayScale.
#pragma once

void presentFrame(bool fromPaint);
void resizeToScale();
void toggleFullScreen();
void leaveFullScreen();
void toggleFullScreenMenu();
void trackPointer(int x, int y, bool leftButton);
