// Derived tables of the video renderer.
#include "video/video_tables.h"

#include <cstring>

namespace Video {

const GraphicsMode GraphicsModeTable[8] = {
    //  colours  B   L   width height bytes
    {4, 16, 3, 64, 64, 1024},
    {4, 32, 2, 128, 96, 3072},
    {4, 32, 3, 128, 64, 2048},
    {4, 32, 1, 128, 192, 6144},
    {2, 16, 3, 128, 64, 1024},
    {2, 16, 1, 128, 192, 3072},
    {2, 16, 2, 128, 96, 1536},
    {2, 32, 1, 256, 192, 6144},
};

uint8_t QuarterMasks[4];
uint8_t Sg4Patterns[16][12];
uint8_t Sg6Patterns[64][12];
uint8_t GraphicsExpansionTable[8][2][256][8];
uint8_t BorderIndexTable[256];
uint8_t BlankPage[kAttributeBytes];

void buildTables() {
    QuarterMasks[0] = 0x00;
    QuarterMasks[1] = 0x0F;
    QuarterMasks[2] = 0xF0;
    QuarterMasks[3] = 0xFF;

    // Semigraphics-4: two bands of 6 lines; semigraphics-6: three bands of 4.
    for (int p = 0; p < 16; ++p)
        for (int row = 0; row < 12; ++row)
            Sg4Patterns[p][row] = QuarterMasks[row < 6 ? (p >> 2) & 3 : p & 3];
    for (int p = 0; p < 64; ++p)
        for (int row = 0; row < 12; ++row)
            Sg6Patterns[p][row] = QuarterMasks[(p >> (4 - 2 * (row / 4))) & 3];

    for (int mode = 0; mode < 8; ++mode) {
        bool fourColour = GraphicsModeTable[mode].colours == 4;
        for (int set = 0; set < 2; ++set) {
            for (int b = 0; b < 256; ++b) {
                uint8_t* entry = GraphicsExpansionTable[mode][set][b];
                if (fourColour) {
                    int base = set ? kFourColourSet1 : kFourColourSet0;
                    for (int pixel = 0; pixel < 4; ++pixel) {
                        int v = (b >> (6 - 2 * pixel)) & 3;
                        entry[2 * pixel] = entry[2 * pixel + 1] = uint8_t(base + v);
                    }
                } else {
                    int base = set ? kTwoColourSet1 : kTwoColourSet0;
                    for (int bit = 0; bit < 8; ++bit) entry[bit] = uint8_t(base + ((b >> (7 - bit)) & 1));
                }
            }
        }
    }

    for (int a = 0; a < 256; ++a) {
        int index;
        if (!(a & 0x80))
            index = kTextBorderIndex;
        else if (a & 0x10)
            index = (a & 0x02) ? 1 : 0;  // two-colour modes 4-7
        else
            index = (a & 0x02) ? 3 : 2;  // four-colour modes 0-3
        BorderIndexTable[a] = uint8_t(index);
    }

    std::memset(BlankPage, 0, sizeof BlankPage);
}

}  // namespace Video
