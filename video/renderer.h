// The video renderer: video memory and cell attributes into the 280 x 216 frame.
//
// createFrame builds the tables and the bitmap (and PixelPalette from the
// settings' colours); renderFrame redraws the whole frame when videoDirty is
// set; destroyFrame releases the bitmap.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace Video {

extern platform::FrameBitmap* frameBitmap;  // nullptr while there is none
extern uint16_t* framePixels;               // its pixels, or nullptr
extern uint16_t PixelPalette[45];

}  // namespace Video

platform::FrameBitmap* createFrame();
void destroyFrame();
void renderFrame();
