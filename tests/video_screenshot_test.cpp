// Screenshots: the 8-bit BMP layout, the reverse colour lookup, the counter
// and the "screenshots" folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <png.h>
#include <unistd.h>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "video/renderer.h"
#include "video/screenshot.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
uint32_t u32(const std::vector<uint8_t>& f, size_t at) {
    return uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 | uint32_t(f[at + 2]) << 16 | uint32_t(f[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& f, size_t at) { return uint16_t(f[at] | f[at + 1] << 8); }

class VideoScreenshot : public ::testing::Test {
protected:
    fs::path folder;
    std::string savedStart, savedIniPath;

    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        folder = fs::temp_directory_path() / ("vz_shot_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        savedStart = Machine::startDirectory;
        savedIniPath = iniPath;
        iniPath = (folder / "test.ini").string();
        Machine::startDirectory = folder.string();
        std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
        std::memset(Machine::CharRomImage, 0, sizeof Machine::CharRomImage);
        Machine::state = Machine::State{};
        ASSERT_NE(createFrame(), nullptr);
    }
    void TearDown() override {
        destroyFrame();
        Machine::startDirectory = savedStart;
        iniPath = savedIniPath;
        settings = Settings::Defaults();
        fs::remove_all(folder);
    }
    fs::path shot(int n) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot_%04d.bmp", n);
        return folder / "screenshots" / name;
    }
};

}  // namespace

TEST_F(VideoScreenshot, FirstShotCreatesTheFolderAndWritesTheBmpLayout) {
    uint8_t* attributes = Machine::MemoryImage + 0xC000;
    attributes[511] = 0x92;  // top border: entry 1, buff, last shared by entry 44
    attributes[31] = 0x80;   // bottom border: entry 2, light green, last shared by entry 42
    Machine::state.videoDirty = 1;
    renderFrame();
    ASSERT_FALSE(fs::exists(folder / "screenshots"));
    saveScreenshot();
    ASSERT_TRUE(fs::exists(shot(0)));
    EXPECT_EQ(settings.screenshotCounter, 1);
    EXPECT_EQ(platform::IniGetString(iniPath, "FILES", "nscreenshot", ""), "1");

    std::vector<uint8_t> f = readFile(shot(0));
    ASSERT_EQ(f.size(), 61558u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    // Little-endian header fields: offset, width in bytes, value.
    const struct {
        size_t at;
        int size;
        uint32_t value;
    } fields[] = {{2, 4, 61558}, {6, 4, 0},  {10, 4, 1078}, {14, 4, 40}, {18, 4, 280}, {22, 4, 216}, {26, 2, 1},
                  {28, 2, 8},    {30, 4, 0}, {34, 4, 60480}, {38, 4, 0}, {42, 4, 0},   {46, 4, 45},  {50, 4, 45}};
    for (const auto& h : fields) EXPECT_EQ(h.size == 2 ? u16(f, h.at) : u32(f, h.at), h.value) << "offset " << h.at;
    // Colour table: blue, green, red, 0 for the 45 entries, zero after.
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 4 * 17, f.begin() + 54 + 4 * 18),
              (std::vector<uint8_t>{250, 97, 211, 0}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 4 * 19, f.begin() + 54 + 4 * 20),
              (std::vector<uint8_t>{64, 176, 240, 0}));
    for (size_t i = 54 + 4 * 45; i < 1078; ++i) ASSERT_EQ(f[i], 0) << i;
    // Bottom-up: the file's first row is the bottom border, its last the top border.
    for (int x = 0; x < 280; ++x) {
        ASSERT_EQ(f[1078 + x], 42) << x;
        ASSERT_EQ(f[1078 + 215 * 280 + x], 44) << x;
    }
    // Frame row 12 (the first picture line) is file row 203: left border of row 0 (byte 31, four-colour
    // set 0: light green, 42), then text background of pair 00 (dark green: entries 6, 9, 41 -> 41).
    EXPECT_EQ(f[1078 + 203 * 280 + 0], 42);
    EXPECT_EQ(f[1078 + 203 * 280 + 12], 41);
    EXPECT_EQ(f[1078 + 203 * 280 + 275], 44);
}

TEST_F(VideoScreenshot, DisplayOffAndUnknownPixels) {
    Machine::state.portCLatch = 0xFD;
    Machine::state.videoDirty = 1;
    renderFrame();
    Video::framePixels[0] = platform::ColourToPixel(Rgb{255, 255, 255});  // in no palette entry
    ASSERT_TRUE(writeScreenshotFile((folder / "off.bmp").string().c_str()));
    EXPECT_EQ(settings.screenshotCounter, 0);  // a named file takes no number
    std::vector<uint8_t> f = readFile(folder / "off.bmp");
    ASSERT_EQ(f.size(), 61558u);
    // Border in entry 4 (16,16,16: also 5, 10, 23, 32, 43), picture in entry 6 (16,96,16: also 9, 41).
    EXPECT_EQ(f[1078 + 215 * 280 + 0], 0);  // frame pixel (0, 0): unknown colour
    EXPECT_EQ(f[1078 + 215 * 280 + 1], 43);
    EXPECT_EQ(f[1078 + 0], 43);
    EXPECT_EQ(f[1078 + 100 * 280 + 140], 41);
    EXPECT_EQ(f[1078 + 100 * 280 + 5], 43);
}

TEST_F(VideoScreenshot, CounterWrapsAfter9999WithoutOverwriting) {
    settings.screenshotCounter = 9999;
    saveScreenshot();
    EXPECT_TRUE(fs::exists(shot(9999)));
    EXPECT_EQ(settings.screenshotCounter, 0);
    EXPECT_EQ(platform::IniGetString(iniPath, "FILES", "nscreenshot", ""), "0");
    {
        std::ofstream old(shot(0), std::ios::binary);
        old << "old";
    }
    // The wrapped counter names an earlier screenshot: it stays, the next free number is used.
    saveScreenshot();
    EXPECT_EQ(fs::file_size(shot(0)), 3u);
    EXPECT_EQ(fs::file_size(shot(1)), 61558u);
    EXPECT_EQ(settings.screenshotCounter, 2);
    EXPECT_EQ(platform::IniGetString(iniPath, "FILES", "nscreenshot", ""), "2");
}

TEST_F(VideoScreenshot, FreshCounterPassesOverEarlierShots) {
    // A new INI file starts the counter at 0 while shots 0000-0002 and 0004 exist.
    fs::create_directories(folder / "screenshots");
    for (int n : {0, 1, 2, 4}) {
        std::ofstream old(shot(n), std::ios::binary);
        old << n;
    }
    saveScreenshot();
    EXPECT_EQ(fs::file_size(shot(3)), 61558u);
    for (int n : {0, 1, 2, 4}) EXPECT_EQ(fs::file_size(shot(n)), 1u) << n;
    EXPECT_EQ(settings.screenshotCounter, 4);
    saveScreenshot();
    EXPECT_EQ(fs::file_size(shot(5)), 61558u);
    EXPECT_EQ(settings.screenshotCounter, 6);
}

TEST_F(VideoScreenshot, NothingWrittenLeavesTheCounter) {
    // "screenshots" is a plain file here, so no folder and no file can be made.
    {
        std::ofstream blocker(folder / "screenshots");
        blocker << "x";
    }
    settings.screenshotCounter = 41;
    saveScreenshot();
    EXPECT_EQ(settings.screenshotCounter, 41);
    EXPECT_FALSE(fs::exists(iniPath));  // the counter was not saved either
    EXPECT_FALSE(writeScreenshotFile((folder / "screenshots" / "x.bmp").string().c_str()));

    fs::remove(folder / "screenshots");
    destroyFrame();  // no bitmap: nothing to save
    saveScreenshot();
    EXPECT_EQ(settings.screenshotCounter, 41);
    EXPECT_FALSE(fs::exists(shot(41)));
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

    const std::vector<uint8_t> bmp = readFile(shot(0));
    ASSERT_EQ(bmp.size(), 61558u);
    for (int n : {1, 2}) {
        const int scale = n == 1 ? 1 : 3;
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        fs::path png = shot(n).replace_extension(".png");
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
    EXPECT_FALSE(fs::exists(shot(1)));  // no BMP beside a PNG
    EXPECT_EQ(settings.screenshotCounter, 3);
}
