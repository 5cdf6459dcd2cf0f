// Lookup tables of the video renderer, built once per createFrame.
//
// Every per-pixel decision of renderFrame is a lookup into these tables (and
// PixelPalette); nothing is computed per pixel while drawing.
#pragma once

#include <cstdint>

namespace Video {

// One row of the graphics mode table: how a mode's bitmap data is laid out.
struct GraphicsMode {
    uint8_t colours;       // 4 (two bits a pixel) or 2 (one bit a pixel)
    uint8_t bytesPerRow;   // B: 16 (one byte spans two cells) or 32
    uint8_t linesPerRow;   // L: frame lines each data row is repeated on
    uint16_t width, height;  // resolution in the mode's own pixels
    uint16_t bytesUsed;
};

// Palette indices of the fixed colour roles.
constexpr int kTextBorderIndex = 4;
constexpr int kSemigraphicsBackground = 10;
constexpr int kSemigraphicsFirstColour = 11;
constexpr int kFourColourSet0 = 33;
constexpr int kFourColourSet1 = 37;
constexpr int kTwoColourSet0 = 41;  // 0 bit; the 1 bit is the next entry
constexpr int kTwoColourSet1 = 43;

constexpr int kBorderPixels = 12;
constexpr int kCellRows = 16, kCellColumns = 32;
constexpr int kCellWidth = 8, kCellHeight = 12;
constexpr int kAttributeBytes = 512;

extern const GraphicsMode GraphicsModeTable[8];
// Two bits (left half, right half) to the byte lighting those halves.
extern uint8_t QuarterMasks[4];
extern uint8_t Sg4Patterns[16][12];
extern uint8_t Sg6Patterns[64][12];
// [mode][colour set][data byte] -> 8 palette indices, leftmost first.
extern uint8_t GraphicsExpansionTable[8][2][256][8];
// Attribute byte -> palette index of the border it gives.
extern uint8_t BorderIndexTable[256];
// Attributes and data while the display is disabled.
extern uint8_t BlankPage[kAttributeBytes];

// Builds every derived table above (the mode table is stored data).
void buildTables();

}  // namespace Video
