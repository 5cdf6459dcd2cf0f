// Screenshots: the frame as last rendered, as an 8-bit BMP in "screenshots".
#pragma once

void saveScreenshot();
