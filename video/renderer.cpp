// The video renderer: video memory and cell attributes into the frame bitmap.
#include "video/renderer.h"

#include <cstring>

#include "config/settings.h"
#include "machine/machine.h"
#include "video/video_tables.h"

namespace Video {
platform::FrameBitmap* frameBitmap = nullptr;
uint16_t* framePixels = nullptr;
uint16_t PixelPalette[45];
}  // namespace Video

using namespace Video;

namespace {

constexpr int kStride = platform::kFrameWidth;
constexpr int kPictureWidth = kCellColumns * kCellWidth;    // 256
constexpr int kPictureHeight = kCellRows * kCellHeight;     // 192
constexpr int kDataOffset = kAttributeBytes;                // data follows the attributes
constexpr uint8_t kZeroGlyph[kCellHeight] = {};

// Background and foreground palette indices of the four text colour pairs, by attribute bits 1-0.
constexpr uint8_t kTextColours[4][2] = {{6, 7}, {8, 9}, {21, 22}, {19, 20}};

void fillRow(uint16_t* out, int count, uint16_t pixel) {
    for (int i = 0; i < count; ++i) out[i] = pixel;
}

// Draws a 12-row glyph or pattern: a 1 bit in the foreground, bit 7 leftmost.
inline void drawGlyph(uint16_t* out, const uint8_t* rows, uint16_t background, uint16_t foreground) {
    const uint16_t pair[2] = {background, foreground};
    for (int k = 0; k < kCellHeight; ++k, out += kStride) {
        unsigned b = rows[k];
        out[0] = pair[(b >> 7) & 1];
        out[1] = pair[(b >> 6) & 1];
        out[2] = pair[(b >> 5) & 1];
        out[3] = pair[(b >> 4) & 1];
        out[4] = pair[(b >> 3) & 1];
        out[5] = pair[(b >> 2) & 1];
        out[6] = pair[(b >> 1) & 1];
        out[7] = pair[b & 1];
    }
}

void drawGraphicsCell(uint16_t* out, const uint8_t* data, int r, int c, uint8_t attribute) {
    const int mode = (attribute >> 2) & 7;
    const int set = (attribute >> 1) & 1;
    const int bytesPerRow = GraphicsModeTable[mode].bytesPerRow;
    const int linesPerRow = GraphicsModeTable[mode].linesPerRow;
    const uint8_t(*expansion)[8] = GraphicsExpansionTable[mode][set];
    const uint8_t* source = data + (bytesPerRow * kCellHeight * r) / linesPerRow + (bytesPerRow * c) / 32;

    for (int k = 0; k < kCellHeight / linesPerRow; ++k, source += bytesPerRow) {
        const uint8_t* entry = expansion[*source];
        if (bytesPerRow == 32) {
            for (int i = 0; i < 8; ++i) out[i] = PixelPalette[entry[i]];
        } else {
            // One byte spans two cells: the even cell shows its left half, each entry 2 pixels wide.
            entry += (c & 1) * 4;
            for (int i = 0; i < 4; ++i) out[2 * i] = out[2 * i + 1] = PixelPalette[entry[i]];
        }
        uint16_t* line = out;
        out += kStride;
        for (int repeat = 1; repeat < linesPerRow; ++repeat, out += kStride)
            std::memcpy(out, line, kCellWidth * sizeof(uint16_t));
    }
}

}  // namespace

platform::FrameBitmap* createFrame() {
    destroyFrame();
    buildTables();
    platform::FrameBitmap* bitmap = platform::CreateFrameBitmap();
    uint16_t* pixels = bitmap ? platform::FramePixels(bitmap) : nullptr;
    if (bitmap && !pixels) {
        platform::ReleaseFrameBitmap(bitmap);
        bitmap = nullptr;
    }
    if (!bitmap) return nullptr;
    frameBitmap = bitmap;
    framePixels = pixels;
    // The palette goes through the host's colour conversion by way of the
    // bitmap's top row (border, overwritten by the next render).
    for (int i = 0; i < kPaletteSize; ++i) framePixels[i] = platform::ColourToPixel(settings.colors[i]);
    std::memcpy(PixelPalette, framePixels, sizeof PixelPalette);
    return frameBitmap;
}

void destroyFrame() {
    if (frameBitmap) platform::ReleaseFrameBitmap(frameBitmap);
    frameBitmap = nullptr;
    framePixels = nullptr;
}

void renderFrame() {
    if (!framePixels || !Machine::state.videoDirty) return;
    Machine::state.videoDirty = 0;

    const bool displayOn = Machine::displayEnabled();
    const uint8_t* attributes = BlankPage;
    const uint8_t* data = BlankPage;
    if (displayOn) {
        attributes = Machine::MemoryImage + Machine::state.videoBase;
        data = attributes + kDataOffset;
    }
    uint16_t* const pixels = framePixels;

    // Borders: top and right follow the last cell of the last row, bottom the
    // last cell of the first row, left the last cell of each character row.
    const uint16_t topRight = PixelPalette[BorderIndexTable[attributes[511]]];
    const uint16_t bottom = PixelPalette[BorderIndexTable[attributes[31]]];
    for (int y = 0; y < kBorderPixels; ++y) {
        fillRow(pixels + y * kStride, kStride, topRight);
        fillRow(pixels + (kBorderPixels + kPictureHeight + y) * kStride, kStride, bottom);
    }
    for (int y = 0; y < kPictureHeight; ++y) {
        uint16_t* row = pixels + (kBorderPixels + y) * kStride;
        fillRow(row, kBorderPixels, PixelPalette[BorderIndexTable[attributes[(y / kCellHeight) * 32 + 31]]]);
        fillRow(row + kBorderPixels + kPictureWidth, kBorderPixels, topRight);
    }

    for (int r = 0; r < kCellRows; ++r) {
        for (int c = 0; c < kCellColumns; ++c) {
            const int cell = r * kCellColumns + c;
            const uint8_t a = attributes[cell];
            uint16_t* out = pixels + (kBorderPixels + kCellHeight * r) * kStride + kBorderPixels + kCellWidth * c;
            if (a & 0x80) {
                drawGraphicsCell(out, data, r, c, a);
                continue;
            }
            const uint8_t code = data[cell];
            if (!(a & 0x40)) {
                const uint8_t* rows;
                if (!displayOn)
                    rows = kZeroGlyph;
                else if (a & 0x20)
                    rows = Machine::ExtCharRomImage + code * 16;
                else
                    rows = Machine::CharRomImage + (code & 63) * 12;
                drawGlyph(out, rows, PixelPalette[kTextColours[a & 3][0]], PixelPalette[kTextColours[a & 3][1]]);
            } else if (a & 0x20) {
                const int colour = kSemigraphicsFirstColour + (code >> 6) + ((a & 0x02) ? 4 : 0);
                drawGlyph(out, Sg6Patterns[code & 63], PixelPalette[kSemigraphicsBackground], PixelPalette[colour]);
            } else {
                const int colour = kSemigraphicsFirstColour + ((code >> 4) & 7);
                drawGlyph(out, Sg4Patterns[code & 15], PixelPalette[kSemigraphicsBackground], PixelPalette[colour]);
            }
        }
    }
}
