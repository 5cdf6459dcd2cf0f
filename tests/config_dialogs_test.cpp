// The memory, sound and timing dialogs driven as a user would, and what
// their OK and Cancel leave in the settings and the settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/config_dialogs.h"
#include "config/settings.h"
#include "platform/headless/headless.h"
#include "resources/config_dialogs_layout.h"
#include "tests/ini_test_support.h"

namespace hl = platform::headless;
using platform::Dialog;
using platform::DialogGetText;
using platform::DialogIsChecked;
using platform::DialogIsEnabled;

namespace {

// Every OK writes a section: the settings file lives in a scratch folder,
// seeded with values that differ from the defaults.
class ConfigDialogsTest : public ::testing::Test {
protected:
    ScratchSettingsFile scratch;

    void SetUp() override {
        hl::ResetAll();
        settings = Settings::Defaults();
        std::ofstream(iniPath, std::ios::binary) << "[SOUND]\nclickerflag=1\nayflag=1\nclickervolpct=80\nayvolpct=60\n"
                                                    "[SPEED]\ncpuspeedopt=0\n";
    }
    void TearDown() override {
        hl::ResetAll();
        settings = Settings::Defaults();
    }
    static std::string value(const char* section, const char* key) { return SettingsFileValue(section, key); }
};

}  // namespace

// ---- Timing ----

TEST_F(ConfigDialogsTest, TimingPalAt800PercentShowsScaledRates) {
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1501);
        EXPECT_TRUE(DialogIsChecked(d, 1501));
        EXPECT_FALSE(DialogIsChecked(d, 1500));
        EXPECT_EQ(DialogGetText(d, 1508), "50");
        EXPECT_FALSE(DialogIsEnabled(d, 1506));
        hl::MoveSlider(d, 1504, 800);
        EXPECT_EQ(DialogGetText(d, 1506), "14566768");
        EXPECT_EQ(DialogGetText(d, 1507), "27490904");
        EXPECT_EQ(DialogGetText(d, 1505), "PAL * 800%");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(hl::LastDialogTitle(), "Configure CPU Timing");
    EXPECT_EQ(settings.cpuSpeedOption, 1);
    EXPECT_EQ(settings.palPercent, 800);
    EXPECT_EQ(settings.ntscPercent, 100);
}

TEST_F(ConfigDialogsTest, TimingOpensOnTheStoredChoices) {
    settings.cpuSpeedOption = 2;
    settings.customActiveRate = 1000000;
    settings.customBlankRate = 2000000;
    settings.customFps = 75;
    settings.limitVideoUpdates = 1;
    settings.videoUpdatesPerSecond = 30;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_TRUE(DialogIsChecked(d, 1502));
        EXPECT_EQ(DialogGetText(d, 1506), "1000000");
        EXPECT_EQ(DialogGetText(d, 1507), "2000000");
        EXPECT_EQ(DialogGetText(d, 1508), "75");
        EXPECT_TRUE(DialogIsEnabled(d, 1506));
        EXPECT_FALSE(DialogIsEnabled(d, 1504));
        EXPECT_FALSE(DialogIsEnabled(d, 1513));
        EXPECT_TRUE(DialogIsChecked(d, 1509));
        EXPECT_TRUE(DialogIsChecked(d, 1510));
        EXPECT_EQ(platform::DialogSliderPosition(d, 1511), 30);
        EXPECT_EQ(DialogGetText(d, 1512), "30 fps ");
        hl::MoveSlider(d, 1511, 45);
        EXPECT_EQ(DialogGetText(d, 1512), "45 fps ");
        EXPECT_TRUE(DialogIsEnabled(d, 1511));
        hl::Click(d, 1510);  // clearing it greys the slider
        EXPECT_FALSE(DialogIsEnabled(d, 1511));
        EXPECT_FALSE(DialogIsEnabled(d, 1512));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.videoUpdatesPerSecond, 45);
    EXPECT_EQ(settings.limitVideoUpdates, 0);
    EXPECT_EQ(settings.speedUpFiles, 1);
    EXPECT_EQ(settings.customFps, 75);
}

// Custom entries out of range are corrected in place by the first OK (the
// dialog stays open, nothing stored); a second OK stores the corrected values.
TEST_F(ConfigDialogsTest, TimingCustomEntriesAreCorrectedInPlace) {
    struct Row {
        const char *active, *blank, *fps;        // typed
        const char *wantActive, *wantBlank, *wantFps;  // shown after the first OK
    };
    static const Row rows[] = {
        {"10", "10", "50", "24", "24", "50"},
        {"0", "100", "60", "24", "100", "60"},  // each rate is at least 24 on its own
        {"5000", "23", "60", "5000", "24", "60"},
        {"3000000", "4000000", "fifty", "3000000", "4000000", "1"},  // unreadable reads as 0
        {"3000000", "4000000", "100000", "3000000", "4000000", "600"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.active << "/" << r.blank << "/" << r.fps);
        settings = Settings::Defaults();
        const Row* row = &r;
        const std::string fileBefore = SettingsFileText();
        hl::QueueDialogScript([row, fileBefore](Dialog* d) {
            hl::Click(d, 1502);
            hl::TypeText(d, 1506, row->active);
            hl::TypeText(d, 1507, row->blank);
            hl::TypeText(d, 1508, row->fps);
            hl::Click(d, 1);
            EXPECT_TRUE(hl::IsOpen(d));
            EXPECT_EQ(DialogGetText(d, 1506), row->wantActive);
            EXPECT_EQ(DialogGetText(d, 1507), row->wantBlank);
            EXPECT_EQ(DialogGetText(d, 1508), row->wantFps);
            EXPECT_EQ(settings.customActiveRate, 1820846u);  // nothing stored yet
            EXPECT_EQ(SettingsFileText(), fileBefore);
            hl::Click(d, 1);
            EXPECT_FALSE(hl::IsOpen(d));
        });
        EXPECT_TRUE(ConfigDialogs::Timing());
        EXPECT_EQ(settings.cpuSpeedOption, 2);
        EXPECT_EQ(std::to_string(settings.customActiveRate), r.wantActive);
        EXPECT_EQ(std::to_string(settings.customBlankRate), r.wantBlank);
        EXPECT_EQ(std::to_string(settings.customFps), r.wantFps);
        EXPECT_EQ(value("SPEED", "cpuspeedopt"), "2");
        EXPECT_EQ(value("SPEED", "activescancust"), r.wantActive);
        EXPECT_EQ(value("SPEED", "vblankcust"), r.wantBlank);
        EXPECT_EQ(value("SPEED", "fpscust"), r.wantFps);
    }
}

TEST_F(ConfigDialogsTest, TimingFastTurnsOffSoundInTheRecordButNotInTheFile) {
    settings.clickerOn = 1;
    settings.ayOn = 1;
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1503);
        for (int id : {1506, 1507, 1508}) {
            EXPECT_EQ(DialogGetText(d, id), "n/a");
            EXPECT_FALSE(DialogIsEnabled(d, id));
        }
        EXPECT_FALSE(DialogIsEnabled(d, 1504));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.cpuSpeedOption, 3);
    EXPECT_EQ(settings.clickerOn, 0);
    EXPECT_EQ(settings.ayOn, 0);
    EXPECT_EQ(value("SPEED", "cpuspeedopt"), "3");
    EXPECT_EQ(value("SPEED", "speedupfilesflag"), "1");
    EXPECT_EQ(value("SPEED", "activescancust"), "1820846");
    EXPECT_EQ(value("SOUND", "clickerflag"), "1");
    EXPECT_EQ(value("SOUND", "ayflag"), "1");
    EXPECT_EQ(value("SOUND", "clickervolpct"), "80");

    // Leaving Fast gives the run its sound back, without a word to the file;
    // a sound choice made while Fast is the user's own and stays.
    auto dialog = [](bool (*run)(), int click) {
        hl::QueueDialogScript([click](Dialog* d) {
            hl::Click(d, click);
            hl::Click(d, 1);
        });
        EXPECT_TRUE(run());
    };
    dialog(ConfigDialogs::Timing, 1500);
    EXPECT_EQ(settings.clickerOn + settings.ayOn, 2);
    EXPECT_EQ(value("SOUND", "clickervolpct"), "80");
    dialog(ConfigDialogs::Timing, 1503);
    dialog(ConfigDialogs::Sound, 1400);  // key click on
    dialog(ConfigDialogs::Timing, 1501);
    EXPECT_EQ(settings.clickerOn, 1);
    EXPECT_EQ(settings.ayOn, 0);
}

TEST_F(ConfigDialogsTest, TimingDefaultAndHundredPercentButtons) {
    settings.ntscPercent = 300;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(DialogGetText(d, 1506), "5462538");  // 1820846 x 3
        hl::Click(d, 1513);
        EXPECT_EQ(DialogGetText(d, 1506), "1820846");
        EXPECT_EQ(DialogGetText(d, 1505), "NTSC * 100%");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.ntscPercent, 100);

    settings.cpuSpeedOption = 1;
    settings.ntscPercent = 250;
    settings.limitVideoUpdates = 1;
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1514);
        EXPECT_TRUE(DialogIsChecked(d, 1500));
        EXPECT_FALSE(DialogIsChecked(d, 1501));
        EXPECT_EQ(platform::DialogSliderPosition(d, 1504), 100);
        EXPECT_EQ(DialogGetText(d, 1505), "NTSC * 100%");
        EXPECT_EQ(DialogGetText(d, 1506), "1820846");
        EXPECT_EQ(DialogGetText(d, 1507), "3436363");
        EXPECT_EQ(DialogGetText(d, 1508), "60");
        EXPECT_FALSE(DialogIsChecked(d, 1509));
        EXPECT_FALSE(DialogIsChecked(d, 1510));
        EXPECT_FALSE(DialogIsEnabled(d, 1511));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.cpuSpeedOption, 0);
    EXPECT_EQ(settings.ntscPercent, 100);
    EXPECT_EQ(settings.palPercent, 100);
    EXPECT_EQ(settings.speedUpFiles, 0);
    EXPECT_EQ(settings.limitVideoUpdates, 0);
}

TEST_F(ConfigDialogsTest, CancelLeavesTheSettingsAndTheFileUntouched) {
    settings.clickerOn = 1;
    const Settings before = settings;
    const std::string fileBefore = SettingsFileText();
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1501);
        hl::MoveSlider(d, 1504, 400);
        hl::Click(d, 1509);
        hl::Click(d, 2);
    });
    EXPECT_FALSE(ConfigDialogs::Timing());
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1400);
        hl::MoveSlider(d, 1405, 10);
        hl::Click(d, 2);
    });
    EXPECT_FALSE(ConfigDialogs::Sound());
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1001);
        hl::Click(d, 1003);
        hl::QueueFileAnswer(std::string("/x.bin"));
        hl::Click(d, 1008);
        hl::Click(d, 1009);
        EXPECT_EQ(DialogGetText(d, 1010), "/x.bin");
        hl::QueueFileAnswer(std::nullopt);  // a cancelled chooser changes nothing
        hl::Click(d, 1009);
        EXPECT_EQ(DialogGetText(d, 1010), "/x.bin");
    });  // left open: closed as Cancel
    EXPECT_FALSE(ConfigDialogs::Memory());
    ASSERT_EQ(hl::FileChoosers().size(), 2u);
    EXPECT_EQ(hl::FileChoosers()[1].request.presetPath, "/x.bin");
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof(Settings)), 0);
    EXPECT_EQ(SettingsFileText(), fileBefore);
}

// ---- Memory ----

TEST_F(ConfigDialogsTest, MemoryEnhancedKeepsTheExpansionChoice) {
    settings.ramExpansion = 1;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_TRUE(DialogIsChecked(d, 1000));
        EXPECT_TRUE(DialogIsChecked(d, 1003));
        hl::Click(d, 1001);
        EXPECT_FALSE(DialogIsEnabled(d, 1002));
        EXPECT_FALSE(DialogIsEnabled(d, 1003));
        EXPECT_TRUE(DialogIsChecked(d, 1003));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(hl::LastDialogTitle(), "Configure Zel Vega Memory");
    EXPECT_EQ(settings.memoryEnhanced, 1);
    EXPECT_EQ(settings.ramExpansion, 1);

    // Back to normal: the expansion buttons work again.
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_TRUE(DialogIsChecked(d, 1001));
        EXPECT_FALSE(DialogIsEnabled(d, 1002));
        hl::Click(d, 1000);
        hl::Click(d, 1002);
        EXPECT_FALSE(DialogIsChecked(d, 1003));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(settings.memoryEnhanced, 0);
    EXPECT_EQ(settings.ramExpansion, 0);
}

TEST_F(ConfigDialogsTest, MemoryRomSourcesAndBrowse) {
    settings.useBuiltinCharRom = 0;
    setPath(settings.charRomPath, "roms/mychar.bin");
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(DialogGetText(d, 1010), "ROM/ZELVEGA.BIN");
        EXPECT_EQ(DialogGetText(d, 1014), "roms/mychar.bin");
        EXPECT_TRUE(DialogIsChecked(d, 1007));
        EXPECT_FALSE(DialogIsEnabled(d, 1009));
        EXPECT_FALSE(DialogIsEnabled(d, 1010));
        EXPECT_TRUE(DialogIsChecked(d, 1012));
        EXPECT_TRUE(DialogIsEnabled(d, 1013));
        hl::Click(d, 1009);  // greyed: no chooser
        EXPECT_TRUE(hl::FileChoosers().empty());
        hl::Click(d, 1016);
        EXPECT_TRUE(DialogIsEnabled(d, 1017));
        hl::QueueFileAnswer(std::string("/roms/ext.bin"));
        hl::Click(d, 1017);
        EXPECT_EQ(DialogGetText(d, 1018), "/roms/ext.bin");
        hl::Click(d, 1011);
        EXPECT_FALSE(DialogIsEnabled(d, 1014));
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    ASSERT_EQ(hl::FileChoosers().size(), 1u);
    const platform::FileChooserRequest& request = hl::FileChoosers()[0].request;
    EXPECT_FALSE(hl::FileChoosers()[0].save);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].description, "ROM Files (*.ROM, *.BIN)");
    EXPECT_EQ(request.filters[0].patterns, "*.rom;*.bin");
    EXPECT_EQ(request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(request.defaultExtension, "bin");
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.presetPath, "ROM/VEGACHRX.BIN");
    EXPECT_EQ(settings.useBuiltinCharRom, 1);
    EXPECT_EQ(settings.useBuiltinCharxRom, 0);
    EXPECT_STREQ(settings.charxRomPath, "/roms/ext.bin");
    EXPECT_STREQ(settings.charRomPath, "roms/mychar.bin");
    EXPECT_EQ(value("MEMORY", "CHARXfilename"), "/roms/ext.bin");
    EXPECT_EQ(value("MEMORY", "usebuiltincharflag"), "1");
    EXPECT_EQ(value("VIDEO", "windowscaling"), "(missing)");  // only its own section
}

// ---- Sound ----

TEST_F(ConfigDialogsTest, SoundSlidersAndSwitches) {
    settings.clickerOn = 1;
    settings.ayOn = 0;
    settings.clickerVolumePercent = 70;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_TRUE(DialogIsChecked(d, 1400));
        EXPECT_FALSE(DialogIsChecked(d, 1401));
        EXPECT_EQ(DialogGetText(d, 1402), "70% Volume");
        EXPECT_EQ(DialogGetText(d, 1403), "50% Volume");
        EXPECT_EQ(platform::DialogSliderPosition(d, 1404), 70);
        hl::MoveSlider(d, 1405, 20);
        EXPECT_EQ(DialogGetText(d, 1403), "20% Volume");
        EXPECT_EQ(settingsCopy.ayVolumePercent, 20);  // stored in the copy at once
        hl::MoveSlider(d, 1404, 100);
        EXPECT_EQ(DialogGetText(d, 1402), "100% Volume");
        hl::Click(d, 1400);
        hl::Click(d, 1401);
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Sound());
    EXPECT_EQ(hl::LastDialogTitle(), "Configure Sound");
    EXPECT_EQ(settings.clickerOn, 0);
    EXPECT_EQ(settings.ayOn, 1);
    EXPECT_EQ(settings.clickerVolumePercent, 100);
    EXPECT_EQ(settings.ayVolumePercent, 20);
    EXPECT_EQ(value("SOUND", "clickervolpct"), "100");
    EXPECT_EQ(value("SOUND", "clickerflag"), "0");
    EXPECT_EQ(value("SPEED", "cpuspeedopt"), "0");
    EXPECT_EQ(value("MEMORY", "enhancedflag"), "(missing)");
}

// ---- Layouts: every control the dialogs address, with its kind and text ----

TEST(ConfigDialogsLayout, ControlsCarryTheirIdsKindsAndTexts) {
    using K = platform::ControlKind;
    struct Expected {
        int id;
        K kind;
        const char* text;
    };
    auto check = [](const platform::DialogLayout& layout, const char* title, std::initializer_list<Expected> controls) {
        EXPECT_STREQ(layout.title, title);
        for (const Expected& e : controls) {
            const platform::ControlDef* found = nullptr;
            for (int i = 0; i < layout.controlCount; ++i)
                if (layout.controls[i].id == e.id) found = &layout.controls[i];
            ASSERT_NE(found, nullptr) << title << " " << e.id;
            EXPECT_EQ(found->kind, e.kind) << e.id;
            if (e.text) {
                EXPECT_STREQ(found->text, e.text) << e.id;
            }
        }
    };
    const Expected ok{1, K::DefaultButton, "OK"}, cancel{2, K::PushButton, "Cancel"};
    check(MemoryDialog::kLayout, "Configure Zel Vega Memory",
          {{1000, K::RadioButton, "Normal (as sold in stores) C000-FFFF"},
           {1001, K::RadioButton, "Emulator enhanced 4000-FFFF"},
           {1002, K::RadioButton, "+ No RAM Expansion present"},
           {1003, K::RadioButton, "+ 16K RAM Expansion (As sold in stores) 8000-BFFF"},
           {1007, K::RadioButton, "Use built-in 16K BASIC ROM"}, {1008, K::RadioButton, "Load 16K BASIC ROM from disk"},
           {1009, K::PushButton, "Browse"}, {1010, K::StaticText, "(none)"},
           {1011, K::RadioButton, "Use built-in 768 byte Character  ROM"},
           {1012, K::RadioButton, "Load 768 byte Character ROM from disk"},
           {1013, K::PushButton, "Browse"}, {1014, K::StaticText, "(none)"},
           {1015, K::RadioButton, "Use built-in 4K Character  ROM"},
           {1016, K::RadioButton, "Load 4K Character ROM from disk"},
           {1017, K::PushButton, "Browse"}, {1018, K::StaticText, "(none)"}, ok, cancel});
    check(SoundDialog::kLayout, "Configure Sound",
          {{1400, K::CheckBox, "Key Click Sound"}, {1401, K::CheckBox, "AY-3-8910 Sound Chip Sound"},
           {1402, K::StaticText, "100% volume"}, {1403, K::StaticText, "100% volume"},
           {1404, K::Slider, nullptr}, {1405, K::Slider, nullptr}, ok, cancel});
    check(TimingDialog::kLayout, "Configure CPU Timing",
          {{1500, K::RadioButton, "NTSC"}, {1501, K::RadioButton, "Pal"}, {1502, K::RadioButton, "Custom"},
           {1503, K::RadioButton, "Fast!  (turns off sound)"}, {1504, K::Slider, nullptr},
           {1505, K::StaticText, "speed * 800%"}, {1506, K::NumberField, nullptr},
           {1507, K::NumberField, nullptr}, {1508, K::NumberField, nullptr},
           {1509, K::CheckBox, "Speed up when accessing files"},
           {1510, K::CheckBox, "Try to update this many times per second:"}, {1511, K::Slider, nullptr},
           {1512, K::StaticText, nullptr}, {1513, K::PushButton, "100%"}, {1514, K::PushButton, "Default"},
           {1515, K::StaticText, "cycles per second, screen ON"},
           {1516, K::StaticText, "cycles per second, screen OFF"}, {1517, K::StaticText, "frames per second"},
           ok, cancel});
}
