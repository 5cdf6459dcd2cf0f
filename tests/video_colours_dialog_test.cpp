// The "Colors" dialog driven as a user would, and its layout as the resource gives it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_window.h"
#include "resources/colours_dialog_layout.h"
#include "tests/ini_test_support.h"
#include "video/colours_dialog.h"
#include "video/display.h"
#include "video/renderer.h"

namespace hl = platform::headless;
using platform::Dialog;

namespace {

bool HasSwatch(int entry) { return entry != 5 && (entry < 23 || entry > 32); }

class VideoColoursDialog : public ::testing::Test {
protected:
    ScratchSettingsFile scratch;
    void SetUp() override {
        hl::ResetAll();
        hl::ResetWindow();
        settings = Settings::Defaults();
        Display::displayScale = 2;
        Machine::state.videoDirty = 0;
        ASSERT_NE(createFrame(), nullptr);
        std::ofstream(iniPath, std::ios::binary) << "[VIDEO]\nwindowscaling=2\n[COLOR]\nc05=001002003\n";
        settings.colors[5] = Rgb{1, 2, 3};  // as the file gave it
    }
    void TearDown() override {
        destroyFrame();
        hl::ResetAll();
        settings = Settings::Defaults();
        Display::displayScale = 2;
    }
};

}  // namespace

// Every swatch shows its entry, the scale's button is checked (none for a scale
// out of range), and the chooser gets the default colours as its custom colours.
TEST_F(VideoColoursDialog, OpensWithTheRecordsColoursAndScale) {
    settings.colors[17] = Rgb{1, 2, 3};
    for (int scale : {2, 7}) {
        settings.windowScale = scale;
        hl::QueueDialogScript([scale](Dialog* d) {
            for (int entry = 0; entry < kPaletteSize; ++entry)
                if (HasSwatch(entry)) EXPECT_EQ(hl::SwatchColour(d, 1325 + entry), settings.colors[entry]) << entry;
            for (int id : {1370, 1371, 1372}) EXPECT_EQ(platform::DialogIsChecked(d, id), scale == 2 && id == 1371) << id;
            hl::QueueColourAnswer(std::nullopt);
            hl::Click(d, 1340);
            hl::Click(d, 2);
        });
        EXPECT_EQ(editColours(), platform::kDialogCancel);
        EXPECT_EQ(hl::LastDialogTitle(), "Colors");
    }
    const Rgb custom[16] = {{16, 16, 16},  {40, 224, 40},   {240, 240, 112}, {32, 32, 216}, {168, 32, 32}, {240, 240, 240},
                            {40, 168, 168}, {211, 97, 250}, {240, 136, 40},  {16, 96, 16},  {128, 48, 16}, {240, 176, 64}};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(hl::LastCustomColours()[i], custom[i]) << i;
}

// OK applies the chosen colours and scale, writes the scale and all 45 colours,
// resizes the window and rebuilds the frame with the new palette.
TEST_F(VideoColoursDialog, OkAppliesAndSavesEverything) {
    hl::QueueDialogScript([](Dialog* d) {
        hl::QueueColourAnswer(Rgb{200, 100, 50});
        hl::Click(d, 1332);  // entry 7
        EXPECT_EQ(hl::SwatchColour(d, 1332), (Rgb{200, 100, 50}));
        hl::QueueColourAnswer(std::nullopt);  // chooser cancelled
        hl::Click(d, 1361);
        hl::Click(d, 1330);  // entry 5 has no swatch: no chooser
        hl::Click(d, 1372);
        EXPECT_TRUE(platform::DialogIsChecked(d, 1372));
        EXPECT_FALSE(platform::DialogIsChecked(d, 1371));
        hl::Click(d, 1);
    });
    EXPECT_EQ(editColours(), platform::kDialogOk);
    Settings expected = Settings::Defaults();
    expected.colors[5] = Rgb{1, 2, 3};
    expected.colors[7] = Rgb{200, 100, 50};
    expected.windowScale = 3;
    EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);
    EXPECT_EQ(Display::displayScale, 3);
    EXPECT_EQ((std::array{hl::Window().clientWidth, hl::Window().clientHeight}), (std::array{840, 648}));
    EXPECT_EQ(SettingsFileValue("VIDEO", "windowscaling"), "3");
    for (int i = 0; i < kPaletteSize; ++i) {
        char key[8], value[16];
        std::snprintf(key, sizeof key, "c%02x", i);
        std::snprintf(value, sizeof value, "%03d%03d%03d", expected.colors[i].r, expected.colors[i].g, expected.colors[i].b);
        EXPECT_EQ(SettingsFileValue("COLOR", key), value) << key;
    }
    ASSERT_NE(Video::framePixels, nullptr);
    EXPECT_EQ(Video::PixelPalette[7], uint16_t(24 << 10 | 12 << 5 | 6));
    EXPECT_EQ(Machine::state.videoDirty, 1);  // drawn at the next presentation
}

// Cancel leaves the record, the scale, the frame and the file as they were.
TEST_F(VideoColoursDialog, CancelChangesNothing) {
    Video::framePixels[100 * 280 + 100] = 0x1234;
    const Settings before = settings;
    const std::string file = SettingsFileText();
    hl::QueueDialogScript([](Dialog* d) {
        hl::QueueColourAnswer(Rgb{1, 1, 1});
        hl::Click(d, 1325);
        hl::Click(d, 1370);
        hl::Click(d, 2);
    });
    EXPECT_EQ(editColours(), platform::kDialogCancel);
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof(Settings)), 0);
    EXPECT_EQ(Display::displayScale, 2);
    EXPECT_EQ(Video::framePixels[100 * 280 + 100], 0x1234);
    EXPECT_EQ(SettingsFileText(), file);
    EXPECT_EQ(hl::Window().setClientSizeCalls, 0);
}

TEST(VideoColoursDialogLayout, SwatchesButtonsAndTextsWhereTheResourcePutsThem) {
    const platform::DialogLayout& layout = ColoursDialog::kLayout;
    EXPECT_STREQ(layout.title, "Colors");
    EXPECT_EQ((std::array{layout.width, layout.height}), (std::array{295, 305}));
    auto find = [&](auto match) -> const platform::ControlDef* {
        for (int i = 0; i < layout.controlCount; ++i)
            if (match(layout.controls[i])) return &layout.controls[i];
        return nullptr;
    };
    // id, x, y of every swatch and the label 12 or 13 units to its right ("" none).
    const struct { int id, x, y; const char* label; } swatches[] = {
        {1329, 15, 17, "Alpha Semigraphics Border (Black)"}, {1331, 15, 28, "Dark Green"}, {1332, 67, 28, "Light Green"},
        {1333, 15, 38, "Light green"}, {1334, 67, 38, "Dark green"}, {1344, 15, 48, ""}, {1345, 67, 48, ""},
        {1346, 15, 58, ""}, {1347, 67, 58, ""}, {1335, 15, 72, "Black"}, {1336, 15, 82, "Green"},
        {1340, 62, 82, "Buff"}, {1337, 109, 82, "Yellow"}, {1341, 156, 82, "Cyan"}, {1338, 15, 92, "Blue"},
        {1342, 62, 92, "Magenta"}, {1339, 109, 92, "Red"}, {1343, 156, 92, "Orange"}, {1327, 15, 120, "Green border"},
        {1358, 79, 120, "Green"}, {1359, 123, 120, "Yellow"}, {1360, 167, 120, "Blue"}, {1361, 211, 120, "Red"},
        {1328, 15, 133, "Buff border"}, {1364, 79, 133, "Magenta"}, {1365, 123, 133, "Orange"},
        {1362, 167, 133, "Buff"}, {1363, 211, 133, "Cyan"}, {1325, 15, 174, "Border (Light Green)"},
        {1366, 103, 174, "Dark Green"}, {1367, 159, 174, "Light Green"}, {1326, 15, 197, "Border (Buff)"},
        {1369, 103, 197, "Buff"}, {1368, 159, 197, "Black"},
    };
    int count = 0;
    for (int i = 0; i < layout.controlCount; ++i) count += layout.controls[i].kind == platform::ControlKind::Swatch;
    EXPECT_EQ(count, 34);
    for (const auto& s : swatches) {
        const platform::ControlDef* c = find([&](const platform::ControlDef& d) { return d.id == s.id; });
        ASSERT_NE(c, nullptr) << s.id;
        EXPECT_EQ((std::array{int(c->kind), c->x, c->y, c->width, c->height}),
                  (std::array{int(platform::ControlKind::Swatch), s.x, s.y, 8, 8})) << s.id;
        if (*s.label)
            EXPECT_NE(find([&](const platform::ControlDef& t) {
                          return std::strcmp(t.text, s.label) == 0 && t.y == s.y && (t.x == s.x + 12 || t.x == s.x + 13);
                      }), nullptr) << s.label;
    }
    const struct { int id; const char* text; int x, y, w, h; } buttons[] = {
        {1370, "100%", 12, 231, 33, 10}, {1371, "200% (best)", 12, 241, 53, 10}, {1372, "300%", 12, 252, 33, 10},
        {1, "OK", 7, 278, 50, 14},       {2, "Cancel", 147, 278, 50, 14}};
    for (const auto& b : buttons) {
        const platform::ControlDef* c = find([&](const platform::ControlDef& d) { return d.id == b.id; });
        ASSERT_NE(c, nullptr) << b.id;
        EXPECT_STREQ(c->text, b.text);
        EXPECT_EQ((std::array{c->x, c->y, c->width, c->height}), (std::array{b.x, b.y, b.w, b.h}));
    }
    EXPECT_EQ(find([](const platform::ControlDef& d) { return d.id == 1; })->kind, platform::ControlKind::DefaultButton);
    for (const char* text : {"Alpha Semigraphics", "Four Color Graphics", "Two Color Graphics", "Window size"})
        EXPECT_NE(find([&](const platform::ControlDef& d) { return std::strcmp(d.text, text) == 0; }), nullptr) << text;
    const platform::ControlDef* centred = find([](const platform::ControlDef& d) { return std::strcmp(d.text, "Buff on Black") == 0; });
    ASSERT_NE(centred, nullptr);
    EXPECT_EQ((std::array{int(centred->centred), centred->x, centred->y}), (std::array{1, 15, 186}));
}
