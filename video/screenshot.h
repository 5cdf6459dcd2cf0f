// Screenshots: the frame as last rendered, as an 8-bit BMP or a PNG in "screenshots".
#pragma once

// Settings field screenshotFormat.
enum ScreenshotFormat { kScreenshotBmp = 0, kScreenshotPngFrame = 1, kScreenshotPngShown = 2 };

// One numbered file in the format the setting picks.
void saveScreenshot();
// Writes the frame as last rendered to a given file: PNG (1:1) when the name
// ends in ".png", any case, else BMP; false when it cannot.
bool writeScreenshotFile(const char* path);
