// Screenshots: the frame as last rendered, as an 8-bit BMP in "screenshots".
#pragma once

void saveScreenshot();
// Writes the frame as last rendered to a given BMP file; false when it cannot.
bool writeScreenshotFile(const char* path);
