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

// Ids, kinds and texts as the resource gives them (the scripts above click the swatches by id).
TEST(VideoColoursDialogLayout, ControlsCarryTheirKindsAndTexts) {
    const platform::DialogLayout& layout = ColoursDialog::kLayout;
    EXPECT_STREQ(layout.title, "Colors");
    auto find = [&](auto match) -> const platform::ControlDef* {
        for (int i = 0; i < layout.controlCount; ++i)
            if (match(layout.controls[i])) return &layout.controls[i];
        return nullptr;
    };
    int count = 0;
    for (int i = 0; i < layout.controlCount; ++i) count += layout.controls[i].kind == platform::ControlKind::Swatch;
    EXPECT_EQ(count, 34);
    for (const char* text : {"Alpha Semigraphics Border (Black)", "Dark Green", "Light Green", "Light green", "Dark green",
                             "Black", "Green", "Buff", "Yellow", "Cyan", "Blue", "Magenta", "Red", "Orange",
                             "Green border", "Buff border", "Border (Light Green)", "Border (Buff)", "Buff on Black",
                             "Alpha Semigraphics", "Four Color Graphics", "Two Color Graphics", "Window size"})
        EXPECT_NE(find([&](const platform::ControlDef& d) { return std::strcmp(d.text, text) == 0; }), nullptr) << text;
    const struct { int id; const char* text; } buttons[] = {
        {1370, "100%"}, {1371, "200% (best)"}, {1372, "300%"}, {1, "OK"}, {2, "Cancel"}};
    for (const auto& b : buttons) {
        const platform::ControlDef* c = find([&](const platform::ControlDef& d) { return d.id == b.id; });
        ASSERT_NE(c, nullptr) << b.id;
        EXPECT_STREQ(c->text, b.text);
    }
    EXPECT_EQ(find([](const platform::ControlDef& d) { return d.id == 1; })->kind, platform::ControlKind::DefaultButton);
}
