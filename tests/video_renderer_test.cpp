// The renderer against frames worked out pixel by pixel from the video rules
// (picture line y shows character row y / 12 and graphics data row y / L; a
// B = 16 byte covers 16 picture pixels), and the documented examples.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "video/renderer.h"

namespace {

constexpr int W = 280, H = 216;
constexpr int kModeBytes[8] = {16, 32, 32, 32, 16, 16, 16, 32};  // B of modes 0-7
constexpr int kModeLines[8] = {3, 2, 3, 1, 3, 1, 2, 1};          // L

uint32_t seed = 7;
uint8_t Random() {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
}

int BorderIndex(uint8_t a) {
    if (a < 0x80) return 4;
    return ((a >> 2) & 7) >= 4 ? (a & 2 ? 1 : 0) : (a & 2 ? 3 : 2);
}

// The palette index of picture pixel (x, y) from the attribute and data bytes.
int PicturePixel(const uint8_t* attr, const uint8_t* dat, int x, int y) {
    int cell = (y / 12) * 32 + x / 8, line = y % 12;
    uint8_t a = attr[cell], code = dat[cell];
    if (a & 0x80) {
        int mode = (a >> 2) & 7, set = (a >> 1) & 1, b = kModeBytes[mode];
        int pixelsPerByte = b == 32 ? 8 : 16, within = x % pixelsPerByte;
        uint8_t byte = dat[(y / kModeLines[mode]) * b + x / pixelsPerByte];
        if (mode < 4) return (set ? 37 : 33) + ((byte >> (6 - 2 * (within * 4 / pixelsPerByte))) & 3);
        return (set ? 43 : 41) + ((byte >> (7 - within * 8 / pixelsPerByte)) & 1);
    }
    if (!(a & 0x40)) {
        const int bg[4] = {6, 8, 21, 19}, fg[4] = {7, 9, 22, 20};
        uint8_t row = a & 0x20 ? Machine::ExtCharRomImage[code * 16 + line] : Machine::CharRomImage[(code % 64) * 12 + line];
        return (row >> (7 - x % 8)) & 1 ? fg[a & 3] : bg[a & 3];
    }
    int right = x % 8 >= 4;
    bool lit = a & 0x20 ? (code >> (5 - 2 * (line / 4) - right)) & 1 : (code >> (3 - 2 * (line / 6) - right)) & 1;
    int colour = a & 0x20 ? 11 + (code >> 6) + (a & 2 ? 4 : 0) : 11 + ((code >> 4) & 7);
    return lit ? colour : 10;
}

std::vector<int> ExpectedFrame(const uint8_t* attr, const uint8_t* dat) {
    std::vector<int> frame(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            frame[y * W + x] = y < 12 || (y < 204 && x >= 268) ? BorderIndex(attr[511])
                               : y >= 204                   ? BorderIndex(attr[31])
                               : x < 12                     ? BorderIndex(attr[((y - 12) / 12) * 32 + 31])
                                                            : PicturePixel(attr, dat, x - 12, y - 12);
    return frame;
}

class VideoRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        // Every entry a colour of its own, so each frame pixel names one palette index.
        for (int i = 0; i < kPaletteSize; ++i)
            settings.colors[i] = Rgb{uint8_t((i % 6) * 50), uint8_t(((i / 6) % 8) * 36), uint8_t(i < 23 ? 0 : 200)};
        for (uint8_t& b : Machine::CharRomImage) b = Random();
        for (uint8_t& b : Machine::ExtCharRomImage) b = Random();
        std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
        Machine::state = Machine::State{};
        ASSERT_NE(createFrame(), nullptr);
    }
    void TearDown() override {
        destroyFrame();
        settings = Settings::Defaults();
    }
    uint8_t* Attributes() { return Machine::MemoryImage + Machine::state.videoBase; }
    uint8_t* Data() { return Attributes() + 512; }
    // The frame as palette indices (-1 where no entry matches), after a render.
    std::vector<int> Render() {
        Machine::state.videoDirty = 1;
        renderFrame();
        return Indices();
    }
    std::vector<int> Indices() {
        std::vector<int> index(65536, -1), frame(W * H);
        for (int i = 0; i < kPaletteSize; ++i) index[platform::ColourToPixel(settings.colors[i])] = i;
        for (int p = 0; p < W * H; ++p) frame[p] = index[Video::framePixels[p]];
        return frame;
    }
    void ExpectFrame(const std::vector<int>& expected) {
        std::vector<int> actual = Render();
        int differing = 0;
        for (int p = 0; p < W * H; ++p)
            if (actual[p] != expected[p] && differing++ < 6)
                ADD_FAILURE() << "pixel " << p % W << "," << p / W << ": " << actual[p] << ", expected " << expected[p];
    }
};

}  // namespace

// Screens of random attributes (text in both ROMs and colour pairs, both
// semigraphics, all graphics modes in both colour sets, unused bits set) on every video page.
TEST_F(VideoRenderer, MixedScreensOnEveryPage) {
    const uint16_t pages[4] = {0xC000, 0xE000, 0x8000, 0xA000};
    for (int screen = 0; screen < 20; ++screen) {
        SCOPED_TRACE(screen);
        Machine::state.videoBase = pages[screen % 4];
        for (int i = 0; i < 6656; ++i) Attributes()[i] = Random();
        int mode = screen - 4;  // then one graphics mode and colour set over the whole screen
        if (mode >= 0) std::memset(Attributes(), 0x80 | mode << 1 | (mode & 1 ? 0x61 : 0), 512);
        ExpectFrame(ExpectedFrame(Attributes(), Data()));
    }
}

// The documented expansions and semigraphics patterns (the borders: the mixed screens).
TEST_F(VideoRenderer, DocumentedExamples) {
    const struct { uint8_t attribute, byte; int cell, line; std::array<int, 8> expected; } cases[] = {
        {0x80 | 3 << 2, 0xE4, 0, 0, {36, 36, 35, 35, 34, 34, 33, 33}},     // four-colour set 0, B = 32
        {0x80 | 7 << 2 | 2, 0x81, 0, 0, {44, 43, 43, 43, 43, 43, 43, 44}},  // two-colour set 1, B = 32
        {0x80, 0xE4, 0, 2, {36, 36, 36, 36, 35, 35, 35, 35}},               // mode 0: B = 16, rows 3 lines high
        {0x80, 0xE4, 1, 2, {34, 34, 34, 34, 33, 33, 33, 33}},
        {0x80, 0xE4, 0, 3, {33, 33, 33, 33, 33, 33, 33, 33}},
        {0x80 | 5 << 2 | 2, 0x81, 1, 0, {43, 43, 43, 43, 43, 43, 44, 44}},  // mode 5: pixels 2 wide
        {0x40, 0x9A, 0, 5, {12, 12, 12, 12, 10, 10, 10, 10}},              // semigraphics-4, yellow left blocks
        {0x40, 0x9A, 0, 6, {12, 12, 12, 12, 10, 10, 10, 10}},
        {0x62, 0xC5, 0, 3, {10, 10, 10, 10, 10, 10, 10, 10}},              // semigraphics-6: orange right blocks
        {0x62, 0xC5, 0, 4, {10, 10, 10, 10, 18, 18, 18, 18}},              // of the middle and bottom bands
        {0x62, 0xC5, 0, 11, {10, 10, 10, 10, 18, 18, 18, 18}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "attribute " << int(c.attribute) << " cell " << c.cell << " line " << c.line);
        std::memset(Attributes(), c.attribute, 512);
        Data()[0] = c.byte;
        std::vector<int> frame = Render();
        std::array<int, 8> line;
        for (int i = 0; i < 8; ++i) line[size_t(i)] = frame[(12 + c.line) * W + 12 + 8 * c.cell + i];
        EXPECT_EQ(line, c.expected);
    }
}

// With the display disabled: a plain picture in entry 6 inside a border of entry 4.
TEST_F(VideoRenderer, DisplayOffShowsAPlainPicture) {
    for (int i = 0; i < 6656; ++i) Attributes()[i] = Random();
    Machine::state.portCLatch = 0xFD;
    std::vector<int> expected(W * H, 4);
    for (int y = 12; y < 204; ++y)
        for (int x = 12; x < 268; ++x) expected[y * W + x] = 6;
    ExpectFrame(expected);
}
