// Screenshots: the 8-bit BMP layout, the default palette in its colour table,
// the reverse colour lookup, the counter and the "screenshots" folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <png.h>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "tests/ini_test_support.h"
#include "video/renderer.h"
#include "video/screenshot.h"

namespace fs = std::filesystem;

namespace {

// The 45 default colours (red, green, blue) as the colour documentation lists them.
const uint8_t kDefaultPalette[45][3] = {
    {40, 224, 40},   {240, 240, 240}, {40, 224, 40},   {240, 240, 240}, {16, 16, 16},    {16, 16, 16},
    {16, 96, 16},    {40, 224, 40},   {40, 224, 40},   {16, 96, 16},    {16, 16, 16},    {40, 224, 40},
    {240, 240, 112}, {32, 32, 216},   {168, 32, 32},   {240, 240, 240}, {40, 168, 168},  {211, 97, 250},
    {240, 136, 40},  {240, 176, 64},  {128, 48, 16},   {128, 48, 16},   {240, 176, 64},  {16, 16, 16},
    {40, 224, 40},   {240, 240, 112}, {32, 32, 216},   {168, 32, 32},   {240, 240, 240}, {40, 168, 168},
    {211, 97, 250},  {240, 136, 40},  {16, 16, 16},    {40, 224, 40},   {240, 240, 112}, {32, 32, 216},
    {168, 32, 32},   {240, 240, 240}, {40, 168, 168},  {211, 97, 250},  {240, 136, 40},  {16, 96, 16},
    {40, 224, 40},   {16, 16, 16},    {240, 240, 240},
};

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
uint32_t Field(const std::vector<uint8_t>& f, size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | f[at + size_t(i)];
    return v;
}

class VideoScreenshot : public ::testing::Test {
protected:
    ScratchSettingsFile scratch;
    fs::path folder = scratch.folder();
    std::string savedStart = Machine::startDirectory;

    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        Machine::startDirectory = folder.string();
        std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
        std::memset(Machine::CharRomImage, 0, sizeof Machine::CharRomImage);
        Machine::state = Machine::State{};
        ASSERT_NE(createFrame(), nullptr);
    }
    void TearDown() override {
        destroyFrame();
        Machine::startDirectory = savedStart;
        settings = Settings::Defaults();
    }
    fs::path Shot(int n) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot_%04d.bmp", n);
        return folder / "screenshots" / name;
    }
};

}  // namespace

TEST_F(VideoScreenshot, FirstShotWritesTheLayoutWithTheDefaultPalette) {
    Machine::MemoryImage[0xC000 + 511] = 0x92;  // top border: entry 1, buff, also entry 44
    Machine::MemoryImage[0xC000 + 31] = 0x80;   // bottom border: entry 2, light green, also 0, 7, 8, 11, 24, 33, 42
    Machine::state.videoDirty = 1;
    renderFrame();
    saveScreenshot();
    EXPECT_EQ(settings.screenshotCounter, 1);
    EXPECT_EQ(SettingsFileValue("FILES", "nscreenshot"), "1");
    std::vector<uint8_t> f = ReadFile(Shot(0));
    ASSERT_EQ(f.size(), 61558u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 2), "BM");
    const struct { size_t at; int size; uint32_t value; } fields[] = {
        {2, 4, 61558}, {6, 4, 0}, {10, 4, 1078}, {14, 4, 40}, {18, 4, 280}, {22, 4, 216}, {26, 2, 1},
        {28, 2, 8},    {30, 4, 0}, {34, 4, 60480}, {38, 4, 0}, {42, 4, 0}, {46, 4, 45}, {50, 4, 45}};
    for (const auto& h : fields) EXPECT_EQ(Field(f, h.at, h.size), h.value) << "offset " << h.at;
    std::vector<uint8_t> table(1024);
    for (int i = 0; i < 45; ++i)
        for (int k = 0; k < 3; ++k) table[size_t(4 * i + k)] = kDefaultPalette[i][2 - k];  // blue, green, red, 0
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54, f.begin() + 1078), table);
    // Bottom-up, each pixel the highest entry of its colour: bottom border 42, top border 44;
    // frame row 12 (file row 203): left border 42, then the text background 6 (also 9, 41) as 41.
    for (int x = 0; x < 280; ++x) {
        ASSERT_EQ(f[1078 + x], 42) << x;
        ASSERT_EQ(f[1078 + 215 * 280 + x], 44) << x;
    }
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 1078 + 203 * 280, f.begin() + 1078 + 203 * 280 + 14),
              (std::vector<uint8_t>{42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 42, 41, 41}));
    EXPECT_EQ(f[1078 + 203 * 280 + 275], 44);
}

// Numbers already taken are passed over, never overwritten.
TEST_F(VideoScreenshot, CounterPassesOverEarlierShots) {
    fs::create_directories(folder / "screenshots");
    for (int n : {0, 1, 3}) std::ofstream(Shot(n), std::ios::binary) << n;
    saveScreenshot();
    saveScreenshot();
    for (int n : {0, 1, 3}) EXPECT_EQ(fs::file_size(Shot(n)), 1u) << n;
    EXPECT_EQ(fs::file_size(Shot(2)), 61558u);
    EXPECT_EQ(fs::file_size(Shot(4)), 61558u);
    EXPECT_EQ(settings.screenshotCounter, 5);
    EXPECT_EQ(SettingsFileValue("FILES", "nscreenshot"), "5");
}

// Nothing written (the folder cannot be made): the counter stays, unsaved.
TEST_F(VideoScreenshot, NothingWrittenLeavesTheCounter) {
    std::ofstream(folder / "screenshots") << "x";
    settings.screenshotCounter = 41;
    saveScreenshot();
    EXPECT_EQ(settings.screenshotCounter, 41);
    EXPECT_EQ(SettingsFileValue("FILES", "nscreenshot"), "(missing)");
}

// The PNG choices decode to the BMP's colours, pixel for pixel (each pixel a
// scale-sized square as shown), under the next numbers; the choice is kept in the settings file.
TEST_F(VideoScreenshot, PngFormatsShowTheBmpsPixels) {
    uint32_t seed = 12345;
    for (int a = 0xC000; a < 0x10000; ++a) Machine::MemoryImage[a] = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    Machine::state.videoDirty = 1;
    renderFrame();
    saveScreenshot();
    settings.screenshotFormat = kScreenshotPngFrame;
    saveScreenshot();
    settings.screenshotFormat = kScreenshotPngShown;
    platform::headless::SetShownPictureScale(3);
    saveScreenshot();
    Settings::SaveCapture();
    settings = Settings::Defaults();
    Settings::LoadAll();
    EXPECT_EQ(settings.screenshotFormat, kScreenshotPngShown);

    const std::vector<uint8_t> bmp = ReadFile(Shot(0));
    ASSERT_EQ(bmp.size(), 61558u);
    for (int n : {1, 2}) {
        const int scale = n == 1 ? 1 : 3;
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        fs::path png = Shot(n).replace_extension(".png");
        ASSERT_TRUE(png_image_begin_read_from_file(&image, png.string().c_str())) << png;
        ASSERT_EQ(image.width, 280u * scale);
        ASSERT_EQ(image.height, 216u * scale);
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
        int differing = 0;
        for (int y = 0; y < 216 * scale; ++y)
            for (int x = 0; x < 280 * scale; ++x) {
                const uint8_t index = bmp[1078 + (215 - y / scale) * 280 + x / scale];
                const uint8_t* colour = &bmp[54 + 4 * index];  // blue, green, red
                const uint8_t* got = &rgb[(size_t(y) * 280 * scale + x) * 3];
                differing += got[0] != colour[2] || got[1] != colour[1] || got[2] != colour[0];
            }
        EXPECT_EQ(differing, 0) << png;
    }
    EXPECT_FALSE(fs::exists(Shot(1)));  // no BMP beside a PNG
    EXPECT_EQ(settings.screenshotCounter, 3);
}
