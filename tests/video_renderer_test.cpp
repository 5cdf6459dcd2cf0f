// The video renderer against frames worked out pixel by pixel from the
// video rules: picture line y shows character row y / 12; graphics line y
// shows data row y / L; a B = 16 byte covers 16 picture pixels.
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
using IndexFrame = std::vector<int>;  // palette index per frame pixel, -1 when none matches

// Bytes per data row and lines per data row of modes 0-7.
constexpr int kModeBytes[8] = {16, 32, 32, 32, 16, 16, 16, 32};
constexpr int kModeLines[8] = {3, 2, 3, 1, 3, 1, 2, 1};

class VideoRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        // Every entry a colour of its own, so each frame pixel names one palette index.
        for (int i = 0; i < kPaletteSize; ++i)
            settings.colors[i] = Rgb{uint8_t((i % 6) * 50), uint8_t(((i / 6) % 8) * 36), uint8_t(i < 23 ? 0 : 200)};
        for (int g = 0; g < 768; ++g) Machine::CharRomImage[g] = uint8_t((g * 37 + 11) ^ 0xA5);
        for (int g = 0; g < 4096; ++g) Machine::ExtCharRomImage[g] = uint8_t((g * 91 + 3) ^ 0x3C);
        std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
        Machine::state = Machine::State{};
        Machine::state.portCLatch = 0xFF;  // display on
        Machine::state.videoBase = 0xC000;
        ASSERT_NE(createFrame(), nullptr);
    }
    void TearDown() override {
        destroyFrame();
        settings = Settings::Defaults();
    }

    uint8_t* attributes() { return Machine::MemoryImage + Machine::state.videoBase; }
    uint8_t* data() { return Machine::MemoryImage + Machine::state.videoBase + 512; }

    IndexFrame render() {
        Machine::state.videoDirty = 1;
        renderFrame();
        return indices();
    }

    // The frame as palette indices, through the host's conversion of each colour.
    IndexFrame indices() {
        IndexFrame frame(W * H, -1);
        for (int p = 0; p < W * H; ++p)
            for (int i = 0; i < kPaletteSize; ++i)
                if (Video::framePixels[p] == platform::ColourToPixel(settings.colors[i])) frame[p] = i;
        return frame;
    }
};

int borderIndex(uint8_t a) {
    if (a < 0x80) return 4;
    bool twoColour = (a >> 2 & 7) >= 4;
    bool set1 = a & 2;
    return twoColour ? (set1 ? 1 : 0) : (set1 ? 3 : 2);
}

// The palette index of picture pixel (x, y), 0 <= x < 256, 0 <= y < 192.
int expectedPicturePixel(const uint8_t* attr, const uint8_t* dat, int x, int y) {
    int cell = (y / 12) * 32 + x / 8;
    uint8_t a = attr[cell];
    int line = y % 12, bit = 7 - x % 8;
    if (a & 0x80) {
        int mode = a >> 2 & 7, set = a >> 1 & 1;
        int B = kModeBytes[mode], L = kModeLines[mode];
        int dataRow = y / L;
        bool four = mode < 4;
        if (B == 32) {
            uint8_t b = dat[dataRow * 32 + x / 8];
            if (four) return (set ? 37 : 33) + (b >> (6 - 2 * ((x % 8) / 2)) & 3);
            return (set ? 43 : 41) + (b >> (7 - x % 8) & 1);
        }
        uint8_t b = dat[dataRow * 16 + x / 16];
        if (four) return (set ? 37 : 33) + (b >> (6 - 2 * ((x % 16) / 4)) & 3);
        return (set ? 43 : 41) + (b >> (7 - (x % 16) / 2) & 1);
    }
    uint8_t code = dat[cell];
    if (!(a & 0x40)) {
        static const int bg[4] = {6, 8, 21, 19}, fg[4] = {7, 9, 22, 20};
        uint8_t row = (a & 0x20) ? Machine::ExtCharRomImage[code * 16 + line]
                                 : Machine::CharRomImage[(code % 64) * 12 + line];
        return (row >> bit & 1) ? fg[a & 3] : bg[a & 3];
    }
    bool right = x % 8 >= 4;
    int colour;
    bool lit;
    if (a & 0x20) {
        int band = line / 4;  // 0 top, 1 middle, 2 bottom
        lit = code >> (5 - 2 * band - (right ? 1 : 0)) & 1;
        colour = 11 + (code >> 6) + ((a & 2) ? 4 : 0);
    } else {
        int band = line / 6;
        lit = code >> (3 - 2 * band - (right ? 1 : 0)) & 1;
        colour = 11 + (code >> 4 & 7);
    }
    return lit ? colour : 10;
}

IndexFrame expectedFrame(const uint8_t* attr, const uint8_t* dat) {
    IndexFrame frame(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int index;
            if (y < 12) index = borderIndex(attr[511]);
            else if (y >= 204) index = borderIndex(attr[31]);
            else if (x < 12) index = borderIndex(attr[((y - 12) / 12) * 32 + 31]);
            else if (x >= 268) index = borderIndex(attr[511]);
            else index = expectedPicturePixel(attr, dat, x - 12, y - 12);
            frame[y * W + x] = index;
        }
    return frame;
}

// Reports the first few differing pixels rather than 60480 lines.
void expectFramesEqual(const IndexFrame& actual, const IndexFrame& expected) {
    int differing = 0;
    for (int p = 0; p < W * H; ++p)
        if (actual[p] != expected[p] && differing++ < 8)
            ADD_FAILURE() << "pixel x=" << p % W << " y=" << p / W << ": got " << actual[p] << ", expected " << expected[p];
    EXPECT_EQ(differing, 0);
}

// Eight palette indices of picture line y, cell column c.
std::array<int, 8> cellLine(const IndexFrame& frame, int c, int y) {
    std::array<int, 8> line{};
    for (int i = 0; i < 8; ++i) line[size_t(i)] = frame[(12 + y) * W + 12 + 8 * c + i];
    return line;
}

uint8_t pseudoRandom(uint32_t& seed) {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
}

}  // namespace

TEST_F(VideoRenderer, TextLineAboveGraphicsPicture) {
    uint32_t seed = 7;
    for (int c = 0; c < 32; ++c) {
        attributes()[c] = uint8_t((c & 3) | (c & 8 ? 0x20 : 0) | (c & 4 ? 0x1C : 0));  // all pairs, both ROMs, unused bits
        data()[c] = uint8_t('A' + c + (c & 16 ? 64 : 0));
    }
    for (int cell = 32; cell < 512; ++cell) attributes()[cell] = 0x80 | (3 << 2);  // four-colour 128 x 192
    for (int i = 32 * 12; i < 6144; ++i) data()[i] = pseudoRandom(seed);
    IndexFrame frame = render();
    expectFramesEqual(frame, expectedFrame(attributes(), data()));
    // The first graphics line shows data row 12 (the text row took the first 12 lines).
    EXPECT_EQ(frame[(12 + 12) * W + 12], 33 + (data()[12 * 32] >> 6));
}

TEST_F(VideoRenderer, EveryGraphicsModeInBothColourSets) {
    uint32_t seed = 1234;
    for (int i = 0; i < 6144; ++i) data()[i] = pseudoRandom(seed);
    for (int mode = 0; mode < 8; ++mode)
        for (int set = 0; set < 2; ++set) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " set " << set);
            // Bits 6, 5 and 0 vary and must change nothing.
            for (int cell = 0; cell < 512; ++cell)
                attributes()[cell] = uint8_t(0x80 | mode << 2 | set << 1 | (cell % 7 == 0 ? 0x61 : 0));
            expectFramesEqual(render(), expectedFrame(attributes(), data()));
        }
}

TEST_F(VideoRenderer, ByteExpansionExamples) {
    using Line = std::array<int, 8>;
    const struct {
        uint8_t attribute, byte;
        int cell, line;
        Line expected;
    } cases[] = {
        // Four-colour set 0, B = 32 (mode 3): E4h holds pixel values 3, 2, 1, 0.
        {0x80 | 3 << 2, 0xE4, 0, 0, {36, 36, 35, 35, 34, 34, 33, 33}},
        {0x80 | 3 << 2, 0xE4, 0, 1, {33, 33, 33, 33, 33, 33, 33, 33}},
        // Two-colour set 1, B = 32 (mode 7).
        {0x80 | 7 << 2 | 2, 0x81, 0, 0, {44, 43, 43, 43, 43, 43, 43, 44}},
        // Four-colour set 0, B = 16 (mode 0): spans cells 0 and 1, pixels 4 wide, rows 3 lines high.
        {0x80, 0xE4, 0, 2, {36, 36, 36, 36, 35, 35, 35, 35}},
        {0x80, 0xE4, 1, 2, {34, 34, 34, 34, 33, 33, 33, 33}},
        {0x80, 0xE4, 0, 3, {33, 33, 33, 33, 33, 33, 33, 33}},
        // Two-colour set 1, B = 16 (mode 5): pixels 2 wide.
        {0x80 | 5 << 2 | 2, 0x81, 0, 0, {44, 44, 43, 43, 43, 43, 43, 43}},
        {0x80 | 5 << 2 | 2, 0x81, 1, 0, {43, 43, 43, 43, 43, 43, 44, 44}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "attribute " << int(c.attribute) << " cell " << c.cell << " line " << c.line);
        std::memset(attributes(), c.attribute, 512);
        data()[0] = c.byte;
        EXPECT_EQ(cellLine(render(), c.cell, c.line), c.expected);
    }
}

TEST_F(VideoRenderer, SemigraphicsExamples) {
    // Semigraphics-4 code 9Ah: colour 1 (yellow, 12), left blocks lit.
    attributes()[0] = 0x40;
    data()[0] = 0x9A;
    // Semigraphics-6 code C5h with attribute bit 1: colour 3 + 4 (orange, 18), right of middle and bottom bands.
    attributes()[1] = 0x62;
    data()[1] = 0xC5;
    IndexFrame frame = render();
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(cellLine(frame, 0, y), (std::array<int, 8>{12, 12, 12, 12, 10, 10, 10, 10})) << y;
        std::array<int, 8> sg6 = y < 4 ? std::array<int, 8>{10, 10, 10, 10, 10, 10, 10, 10}
                                       : std::array<int, 8>{10, 10, 10, 10, 18, 18, 18, 18};
        EXPECT_EQ(cellLine(frame, 1, y), sg6) << y;
    }
    // Every code in both kinds, with attribute bit 1 both ways.
    for (int cell = 0; cell < 512; ++cell) {
        attributes()[cell] = uint8_t(0x40 | (cell & 1 ? 0x20 : 0) | (cell & 2 ? 0x02 : 0) | (cell & 4 ? 0x1C : 0));
        data()[cell] = uint8_t(cell * 3 + (cell >> 8));
    }
    expectFramesEqual(render(), expectedFrame(attributes(), data()));
}

TEST_F(VideoRenderer, BordersFollowTheirAttributeBytes) {
    for (int r = 0; r < 16; ++r) attributes()[r * 32 + 31] = (r % 3 == 0) ? 0x00 : (r % 3 == 1) ? 0x82 : 0x90;
    attributes()[511] = 0x92;  // two-colour set 1: entry 1 for top and right
    attributes()[31] = 0x80;   // four-colour set 0: entry 2 for bottom (and row 0's left)
    IndexFrame frame = render();
    expectFramesEqual(frame, expectedFrame(attributes(), data()));
    EXPECT_EQ(frame[100 * W + 275], 1);
    EXPECT_EQ(frame[215 * W + 0], 2);
    EXPECT_EQ(frame[12 * W + 0], 2);             // row 0: byte 31
    EXPECT_EQ(frame[(12 + 12) * W + 5], 3);      // row 1: 82h, four-colour set 1
    EXPECT_EQ(frame[(12 + 24) * W + 11], 0);     // row 2: 90h, two-colour set 0
    EXPECT_EQ(frame[(12 + 36) * W + 11], 4);     // row 3: text
}

TEST_F(VideoRenderer, UniformAttributesGiveOneBorderColour) {
    const std::pair<uint8_t, int> cases[] = {{0x00, 4}, {0x40, 4}, {0x90, 0}, {0x92, 1}, {0x80, 2}, {0x8E, 3}};
    for (auto [a, index] : cases) {
        std::memset(attributes(), a, 512);
        IndexFrame frame = render();
        for (int p : {0, 12 * W, 12 * W + 270, 215 * W + 139}) EXPECT_EQ(frame[p], index) << "attribute " << int(a) << " pixel " << p;
    }
}

TEST_F(VideoRenderer, DisplayOffShowsPlainPictureInBlackBorder) {
    uint32_t seed = 99;
    for (int i = 0; i < 6656; ++i) attributes()[i] = pseudoRandom(seed);
    Machine::state.portCLatch = 0xFD;  // bit 1 clear
    IndexFrame frame = render();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool picture = x >= 12 && x < 268 && y >= 12 && y < 204;
            ASSERT_EQ(frame[y * W + x], picture ? 6 : 4) << x << "," << y;
        }
}

TEST_F(VideoRenderer, DrawsOnlyWhenDirtyAndClearsTheFlag) {
    std::memset(attributes(), 0x00, 512);
    std::memset(data(), 0x00, 6144);
    IndexFrame first = render();
    EXPECT_EQ(Machine::state.videoDirty, 0);
    attributes()[0] = 0x8C;  // would draw graphics
    data()[0] = 0xFF;
    renderFrame();  // not dirty: the frame stays as it was
    EXPECT_EQ(indices(), first);
    Machine::state.videoDirty = 1;
    renderFrame();
    EXPECT_EQ(Machine::state.videoDirty, 0);
    EXPECT_EQ(indices()[12 * W + 12], 36);

    destroyFrame();  // no bitmap: nothing drawn and the flag stays
    EXPECT_EQ(Video::framePixels, nullptr);
    Machine::state.videoDirty = 1;
    renderFrame();
    EXPECT_EQ(Machine::state.videoDirty, 1);
}

TEST_F(VideoRenderer, ReadsTheSelectedVideoPage) {
    for (uint16_t base : {0x8000, 0xA000, 0xE000}) {
        Machine::state.videoBase = base;
        uint32_t seed = base;
        for (int i = 0; i < 6656; ++i) attributes()[i] = pseudoRandom(seed);
        SCOPED_TRACE(base);
        expectFramesEqual(render(), expectedFrame(attributes(), data()));
    }
}

TEST_F(VideoRenderer, PixelPaletteComesFromTheHostConversion) {
    settings.colors[7] = Rgb{255, 0, 128};
    ASSERT_NE(createFrame(), nullptr);
    EXPECT_EQ(Video::PixelPalette[7], uint16_t(31 << 10 | 0 << 5 | 16));
}
