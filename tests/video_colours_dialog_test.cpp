// The "Colors" dialog driven as a user would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "resources/colours_dialog_layout.h"
#include "video/colours_dialog.h"
#include "video/display.h"
#include "video/renderer.h"
#include "tests/ini_test_support.h"

namespace hl = platform::headless;
using platform::Dialog;

namespace {

// OK writes the settings file: it lives in a scratch folder.
class VideoColoursDialog : public ::testing::Test {
protected:
    ScratchSettingsFile scratch;

    void SetUp() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        Display::displayScale = 2;
        Machine::state.videoDirty = 0;
        ASSERT_NE(createFrame(), nullptr);
    }
    void TearDown() override {
        destroyFrame();
        hl::ResetAll();
        settings = Settings::Defaults();
        Display::displayScale = 2;
    }
};

// Palette entries without a swatch.
bool hasSwatch(int entry) { return entry != 5 && (entry < 23 || entry > 32); }

}  // namespace

TEST_F(VideoColoursDialog, OpensWithTheRecordsColoursAndScale) {
    settings.colors[17] = Rgb{1, 2, 3};
    hl::QueueDialogScript([](Dialog* d) {
        for (int entry = 0; entry < kPaletteSize; ++entry)
            if (hasSwatch(entry)) {
                EXPECT_EQ(hl::SwatchColour(d, 1325 + entry), settings.colors[entry]) << entry;
            }
        EXPECT_EQ(hl::SwatchColour(d, 1342), (Rgb{1, 2, 3}));
        EXPECT_FALSE(platform::DialogIsChecked(d, 1370));
        EXPECT_TRUE(platform::DialogIsChecked(d, 1371));
        EXPECT_FALSE(platform::DialogIsChecked(d, 1372));
        hl::QueueColourAnswer(std::nullopt);
        hl::Click(d, 1340);
        hl::Click(d, 2);
    });
    EXPECT_EQ(editColours(), platform::kDialogCancel);
    EXPECT_EQ(hl::LastDialogTitle(), "Colors");
    // The chooser offers the default colours as its custom colours.
    const Rgb custom[16] = {{16, 16, 16},  {40, 224, 40},   {240, 240, 112}, {32, 32, 216}, {168, 32, 32}, {240, 240, 240},
                            {40, 168, 168}, {211, 97, 250}, {240, 136, 40},  {16, 96, 16},  {128, 48, 16}, {240, 176, 64},
                            {0, 0, 0},      {0, 0, 0},      {0, 0, 0},       {0, 0, 0}};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(hl::LastCustomColours()[i], custom[i]) << i;

    settings.windowScale = 7;  // out of range: no button checked
    hl::QueueDialogScript([](Dialog* d) {
        for (int id : {1370, 1371, 1372}) EXPECT_FALSE(platform::DialogIsChecked(d, id));
        hl::Click(d, 2);
    });
    editColours();
}

TEST_F(VideoColoursDialog, ChangingASwatchAndTheScale) {
    hl::QueueDialogScript([](Dialog* d) {
        hl::QueueColourAnswer(Rgb{200, 100, 50});
        hl::Click(d, 1332);  // entry 7, text foreground of pair 00
        EXPECT_EQ(hl::SwatchColour(d, 1332), (Rgb{200, 100, 50}));
        hl::QueueColourAnswer(std::nullopt);  // chooser cancelled
        hl::Click(d, 1361);                   // entry 36
        EXPECT_EQ(hl::SwatchColour(d, 1361), (Rgb{168, 32, 32}));
        hl::Click(d, 1330);  // entry 5 has no swatch
        hl::Click(d, 1372);
        EXPECT_TRUE(platform::DialogIsChecked(d, 1372));
        EXPECT_FALSE(platform::DialogIsChecked(d, 1371));
        hl::Click(d, 1);
    });
    EXPECT_EQ(editColours(), platform::kDialogOk);
    EXPECT_EQ(settings.colors[7], (Rgb{200, 100, 50}));
    EXPECT_EQ(settings.colors[36], (Rgb{168, 32, 32}));
    EXPECT_EQ(settings.colors[5], (Rgb{16, 16, 16}));
    EXPECT_EQ(settings.windowScale, 3);
    EXPECT_EQ(Display::displayScale, 3);
    // The frame was rebuilt with the new colour: 200,100,50 rounds to 24,12,6 in five bits.
    ASSERT_NE(Video::framePixels, nullptr);
    EXPECT_EQ(Video::PixelPalette[7], uint16_t(24 << 10 | 12 << 5 | 6));
}

TEST_F(VideoColoursDialog, CancelChangesNothingAndOkAlwaysRebuildsTheFrame) {
    Video::framePixels[100 * 280 + 100] = 0x1234;
    settings.colors[23] = Rgb{9, 9, 9};  // a spare entry passes through untouched
    const Settings before = settings;
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
    EXPECT_EQ(Machine::state.videoDirty, 0);

    hl::QueueDialogScript([](Dialog* d) { hl::Click(d, 1); });
    EXPECT_EQ(editColours(), platform::kDialogOk);
    ASSERT_NE(Video::framePixels, nullptr);
    EXPECT_EQ(Video::framePixels[100 * 280 + 100], 0);  // a fresh, black bitmap
    EXPECT_EQ(Machine::state.videoDirty, 1);           // drawn at the next presentation
    EXPECT_EQ(settings.colors[23], (Rgb{9, 9, 9}));
    EXPECT_EQ(Display::displayScale, 2);
}

namespace {

class VideoColoursDialogFile : public VideoColoursDialog {
protected:
    void SetUp() override {
        VideoColoursDialog::SetUp();
        std::ofstream(iniPath, std::ios::binary) << "[VIDEO]\nwindowscaling=2\n[COLOR]\nc05=001002003\n";
    }
};

}  // namespace

TEST_F(VideoColoursDialogFile, OkWritesTheScaleAndAllColours) {
    settings.colors[5] = Rgb{1, 2, 3};  // as the file gave it
    hl::QueueDialogScript([](Dialog* d) {
        hl::QueueColourAnswer(Rgb{240, 5, 60});
        hl::Click(d, 1367);  // entry 42
        hl::Click(d, 1370);
        hl::Click(d, 1);
    });
    ASSERT_EQ(editColours(), platform::kDialogOk);
    EXPECT_EQ(SettingsFileValue("VIDEO", "windowscaling"), "1");
    EXPECT_EQ(SettingsFileValue("COLOR", "c2a"), "240005060");
    EXPECT_EQ(SettingsFileValue("COLOR", "c05"), "001002003");
    EXPECT_EQ(SettingsFileValue("COLOR", "c00"), "040224040");
    EXPECT_EQ(SettingsFileValue("COLOR", "c2c"), "240240240");
    EXPECT_EQ(SettingsFileValue("COLOR", "c11"), "211097250");  // entry 17
}

TEST_F(VideoColoursDialogFile, CancelLeavesTheFileAndOkWithoutChangesRewritesIt) {
    const std::string before = SettingsFileText();
    hl::QueueDialogScript([](Dialog* d) {
        hl::QueueColourAnswer(Rgb{9, 9, 9});
        hl::Click(d, 1325);
        hl::Click(d, 1372);
        hl::Click(d, 2);
    });
    EXPECT_EQ(editColours(), platform::kDialogCancel);
    EXPECT_EQ(SettingsFileText(), before);

    hl::QueueDialogScript([](Dialog* d) { hl::Click(d, 1); });
    EXPECT_EQ(editColours(), platform::kDialogOk);
    EXPECT_EQ(SettingsFileValue("COLOR", "c00"), "040224040");
    EXPECT_EQ(SettingsFileValue("COLOR", "c05"), "016016016");  // the record's value, as no file was loaded
    EXPECT_EQ(SettingsFileValue("VIDEO", "windowscaling"), "2");
}

namespace {
const platform::ControlDef* findControl(const platform::DialogLayout& layout, int id) {
    for (int i = 0; i < layout.controlCount; ++i)
        if (layout.controls[i].id == id) return &layout.controls[i];
    return nullptr;
}
const platform::ControlDef* findText(const platform::DialogLayout& layout, const char* text) {
    for (int i = 0; i < layout.controlCount; ++i)
        if (std::strcmp(layout.controls[i].text, text) == 0) return &layout.controls[i];
    return nullptr;
}
}  // namespace

TEST(VideoColoursDialogLayout, SwatchesButtonsAndTextsStandWhereTheResourcePutsThem) {
    const platform::DialogLayout& layout = ColoursDialog::kLayout;
    EXPECT_STREQ(layout.title, "Colors");
    EXPECT_EQ(layout.width, 295);
    EXPECT_EQ(layout.height, 305);
    // id, x, y of every swatch, and the label to its right (empty: none).
    struct Swatch {
        int id, x, y;
        const char* label;
    };
    const Swatch swatches[] = {
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
    int swatchCount = 0;
    for (int i = 0; i < layout.controlCount; ++i) swatchCount += layout.controls[i].kind == platform::ControlKind::Swatch;
    EXPECT_EQ(swatchCount, 34);
    for (const Swatch& s : swatches) {
        const platform::ControlDef* c = findControl(layout, s.id);
        ASSERT_NE(c, nullptr) << s.id;
        EXPECT_EQ(c->kind, platform::ControlKind::Swatch) << s.id;
        EXPECT_EQ(c->x, s.x) << s.id;
        EXPECT_EQ(c->y, s.y) << s.id;
        EXPECT_EQ(c->width, 8);
        EXPECT_EQ(c->height, 8);
        if (!*s.label) continue;
        bool found = false;  // a label 12 or 13 units to the right on the same line
        for (int i = 0; i < layout.controlCount; ++i) {
            const platform::ControlDef& t = layout.controls[i];
            if (std::strcmp(t.text, s.label) == 0 && t.y == s.y && (t.x == s.x + 12 || t.x == s.x + 13)) found = true;
        }
        EXPECT_TRUE(found) << s.label;
    }
    const struct {
        int id;
        const char* text;
        int x, y, w, h;
    } buttons[] = {{1370, "100%", 12, 231, 33, 10}, {1371, "200% (best)", 12, 241, 53, 10},
                   {1372, "300%", 12, 252, 33, 10}, {1, "OK", 7, 278, 50, 14}, {2, "Cancel", 147, 278, 50, 14}};
    for (const auto& b : buttons) {
        const platform::ControlDef* c = findControl(layout, b.id);
        ASSERT_NE(c, nullptr) << b.id;
        EXPECT_STREQ(c->text, b.text);
        EXPECT_EQ((std::array<int, 4>{c->x, c->y, c->width, c->height}), (std::array<int, 4>{b.x, b.y, b.w, b.h}));
    }
    EXPECT_EQ(findControl(layout, 1)->kind, platform::ControlKind::DefaultButton);
    for (const char* group : {"Alpha Semigraphics", "Four Color Graphics", "Two Color Graphics", "Window size"})
        EXPECT_NE(findText(layout, group), nullptr) << group;
    const platform::ControlDef* centred = findText(layout, "Buff on Black");
    ASSERT_NE(centred, nullptr);
    EXPECT_TRUE(centred->centred);
    EXPECT_EQ(centred->x, 15);
    EXPECT_EQ(centred->y, 186);
}
