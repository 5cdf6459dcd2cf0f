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
#include "tests/devices_test_support.h"
#include "tests/dialog_view.h"
#include "tests/ini_test_support.h"

namespace hl = platform::headless;
using platform::Dialog;
using platform::DialogGetText;
using platform::DialogIsChecked;
using platform::DialogIsEnabled;
using devices_test::Chooser;

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

const std::vector<int> kTiming = {1500, 1501, 1502, 1503, 1504, 1505, 1506, 1507, 1508, 1509, 1510, 1511, 1512, 1513};
const std::vector<int> kRates = {1505, 1506, 1507, 1508};

// What the user sees after each step, then what OK stores.
TEST_F(ConfigDialogsTest, TimingShowsEachChoiceAndStoresIt) {
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, kTiming), "1500 1509");
        EXPECT_EQ(Greyed(d, kTiming), "1506 1507 1508 1511 1512");
        hl::Click(d, 1501);
        hl::MoveSlider(d, 1504, 800);
        EXPECT_EQ(Texts(d, kRates), "PAL * 800%|14566768|27490904|50");
        hl::Click(d, 1503);
        EXPECT_EQ(Texts(d, kRates), "PAL * 800%|n/a|n/a|n/a");
        EXPECT_EQ(Greyed(d, kTiming), "1504 1505 1506 1507 1508 1511 1512 1513");
        hl::Click(d, 1501);
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ((std::vector<long>{settings.cpuSpeedOption, settings.palPercent, settings.ntscPercent}),
              (std::vector<long>{1, 800, 100}));
    EXPECT_EQ(value("SPEED", "palmultiplierpct"), "800");

    settings.cpuSpeedOption = 2, settings.customActiveRate = 1000000, settings.customBlankRate = 2000000;
    settings.customFps = 75, settings.limitVideoUpdates = 1, settings.videoUpdatesPerSecond = 30;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, kTiming), "1502 1509 1510");
        EXPECT_EQ(Greyed(d, kTiming), "1504 1505 1513");
        EXPECT_EQ(Texts(d, {1506, 1507, 1508, 1512}), "1000000|2000000|75|30 fps ");
        EXPECT_EQ(platform::DialogSliderPosition(d, 1511), 30);
        hl::MoveSlider(d, 1511, 45);
        EXPECT_EQ(Texts(d, {1512}), "45 fps ");
        hl::Click(d, 1510);  // clearing it greys the slider
        EXPECT_EQ(Greyed(d, {1511, 1512}), "1511 1512");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ((std::vector<long>{settings.videoUpdatesPerSecond, settings.limitVideoUpdates, settings.customFps}),
              (std::vector<long>{45, 0, 75}));
}

// Custom entries out of range are corrected in place by the first OK (the
// dialog stays open, nothing stored); a second OK stores the corrected values.
TEST_F(ConfigDialogsTest, TimingCustomEntriesAreCorrectedInPlace) {
    const std::pair<const char*, const char*> rows[] = {  // typed, shown after the first OK
        {"10|10|50", "24|24|50"}, {"0|100|60", "24|100|60"},  // each rate is at least 24 on its own
        {"5000|23|60", "5000|24|60"},
        {"3000000|4000000|fifty", "3000000|4000000|1"},  // unreadable reads as 0
        {"3000000|4000000|100000", "3000000|4000000|600"},
    };
    for (const auto& [typed, shown] : rows) {
        SCOPED_TRACE(typed);
        settings = Settings::Defaults();
        const std::string fileBefore = SettingsFileText(), entry = typed, want = shown;
        hl::QueueDialogScript([&](Dialog* d) {
            hl::Click(d, 1502);
            size_t a = entry.find('|'), b = entry.rfind('|');
            hl::TypeText(d, 1506, entry.substr(0, a));
            hl::TypeText(d, 1507, entry.substr(a + 1, b - a - 1));
            hl::TypeText(d, 1508, entry.substr(b + 1));
            hl::Click(d, 1);
            EXPECT_TRUE(hl::IsOpen(d));
            EXPECT_EQ(Texts(d, {1506, 1507, 1508}), want);
            EXPECT_EQ(SettingsFileText(), fileBefore);
            hl::Click(d, 1);
            EXPECT_FALSE(hl::IsOpen(d));
        });
        EXPECT_TRUE(ConfigDialogs::Timing());
        EXPECT_EQ(std::to_string(settings.customActiveRate) + "|" + std::to_string(settings.customBlankRate) + "|" +
                      std::to_string(settings.customFps), want);
        EXPECT_EQ(value("SPEED", "cpuspeedopt") + value("SPEED", "activescancust") + "|" + value("SPEED", "vblankcust") +
                      "|" + value("SPEED", "fpscust"), "2" + want);
    }
}

TEST_F(ConfigDialogsTest, TimingFastTurnsOffSoundInTheRecordButNotInTheFile) {
    settings.clickerOn = 1, settings.ayOn = 1;
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1503);
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ((std::vector<long>{settings.cpuSpeedOption, settings.clickerOn, settings.ayOn}), (std::vector<long>{3, 0, 0}));
    EXPECT_EQ(value("SPEED", "cpuspeedopt") + value("SPEED", "speedupfilesflag") + value("SPEED", "activescancust"),
              "311820846");
    EXPECT_EQ(value("SOUND", "clickerflag") + value("SOUND", "ayflag") + value("SOUND", "clickervolpct"), "1180");
    // Leaving Fast gives the run its sound back, without a word to the file;
    // a sound choice made while Fast is the user's own and stays.
    auto dialog = [](bool (*run)(), int click) {
        hl::QueueDialogScript([click](Dialog* d) { hl::Click(d, click), hl::Click(d, 1); });
        EXPECT_TRUE(run());
    };
    dialog(ConfigDialogs::Timing, 1500);
    EXPECT_EQ(settings.clickerOn * 10 + settings.ayOn, 11);
    EXPECT_EQ(value("SOUND", "clickervolpct"), "80");
    dialog(ConfigDialogs::Timing, 1503);
    dialog(ConfigDialogs::Sound, 1400);  // key click on
    dialog(ConfigDialogs::Timing, 1501);
    EXPECT_EQ(settings.clickerOn * 10 + settings.ayOn, 10);
}

TEST_F(ConfigDialogsTest, TimingDefaultAndHundredPercentButtons) {
    settings.ntscPercent = 300;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Texts(d, {1506}), "5462538");  // 1820846 x 3
        hl::Click(d, 1513);
        EXPECT_EQ(Texts(d, {1505, 1506}), "NTSC * 100%|1820846");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.ntscPercent, 100);

    settings.cpuSpeedOption = 1, settings.ntscPercent = 250, settings.limitVideoUpdates = 1;
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1514);
        EXPECT_EQ(Checked(d, kTiming), "1500");
        EXPECT_EQ(platform::DialogSliderPosition(d, 1504), 100);
        EXPECT_EQ(Texts(d, kRates), "NTSC * 100%|1820846|3436363|60");
        EXPECT_EQ(Greyed(d, {1511}), "1511");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ((std::vector<long>{settings.cpuSpeedOption, settings.ntscPercent, settings.palPercent, settings.speedUpFiles,
                                 settings.limitVideoUpdates}),
              (std::vector<long>{0, 100, 100, 0, 0}));
}

TEST_F(ConfigDialogsTest, CancelLeavesTheSettingsAndTheFileUntouched) {
    settings.clickerOn = 1;
    const Settings before = settings;
    const std::string fileBefore = SettingsFileText();
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1501), hl::MoveSlider(d, 1504, 400), hl::Click(d, 1509), hl::Click(d, 2);
    });
    EXPECT_FALSE(ConfigDialogs::Timing());
    hl::QueueDialogScript([](Dialog* d) { hl::Click(d, 1400), hl::MoveSlider(d, 1405, 10), hl::Click(d, 2); });
    EXPECT_FALSE(ConfigDialogs::Sound());
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1001), hl::Click(d, 1003);
        hl::QueueFileAnswer(std::string("/x.bin"));
        hl::Click(d, 1008), hl::Click(d, 1009);
        hl::QueueFileAnswer(std::nullopt);  // a cancelled chooser changes nothing
        hl::Click(d, 1009);
        EXPECT_EQ(Texts(d, {1010}), "/x.bin");
    });  // left open: closed as Cancel
    EXPECT_FALSE(ConfigDialogs::Memory());
    ASSERT_EQ(hl::FileChoosers().size(), 2u);
    EXPECT_EQ(hl::FileChoosers()[1].request.presetPath, "/x.bin");
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof(Settings)), 0);
    EXPECT_EQ(SettingsFileText(), fileBefore);
}

// ---- Memory ----

const std::vector<int> kMemory = {1000, 1001, 1002, 1003, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

TEST_F(ConfigDialogsTest, MemoryEnhancedKeepsTheExpansionChoice) {
    settings.ramExpansion = 1;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, {1000, 1001, 1002, 1003}), "1000 1003");
        hl::Click(d, 1001);
        EXPECT_EQ(Checked(d, {1000, 1001, 1002, 1003}), "1001 1003");
        EXPECT_EQ(Greyed(d, {1000, 1001, 1002, 1003}), "1002 1003");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(settings.memoryEnhanced * 10 + settings.ramExpansion, 11);
    hl::QueueDialogScript([](Dialog* d) {  // back to normal: the expansion buttons work again
        hl::Click(d, 1000), hl::Click(d, 1002);
        EXPECT_EQ(Checked(d, {1000, 1001, 1002, 1003}), "1000 1002");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(settings.memoryEnhanced * 10 + settings.ramExpansion, 0);
}

TEST_F(ConfigDialogsTest, MemoryRomSourcesAndBrowse) {
    settings.useBuiltinCharRom = 0;
    setPath(settings.charRomPath, "roms/mychar.bin");
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Texts(d, {1010, 1014, 1018}), "ROM/ZELVEGA.BIN|roms/mychar.bin|ROM/VEGACHRX.BIN");
        EXPECT_EQ(Checked(d, kMemory), "1000 1002 1007 1012 1015");
        EXPECT_EQ(Greyed(d, kMemory), "1009 1010 1017 1018");
        hl::Click(d, 1009);  // greyed: no chooser
        EXPECT_TRUE(hl::FileChoosers().empty());
        hl::Click(d, 1016);
        hl::QueueFileAnswer(std::string("/roms/ext.bin"));
        hl::Click(d, 1017);
        hl::Click(d, 1011);
        EXPECT_EQ(Texts(d, {1018}), "/roms/ext.bin");
        EXPECT_EQ(Greyed(d, kMemory), "1009 1010 1013 1014");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(Chooser(0), "open existing bin ROM/VEGACHRX.BIN | ROM Files (*.ROM, *.BIN) *.rom;*.bin | All Files (*.*) *.*");
    EXPECT_EQ(Chooser(1), "no chooser 1");
    EXPECT_STREQ(settings.charxRomPath, "/roms/ext.bin");
    EXPECT_STREQ(settings.charRomPath, "roms/mychar.bin");
    EXPECT_EQ(value("MEMORY", "CHARXfilename") + value("MEMORY", "usebuiltincharflag") + value("MEMORY", "usebuiltincharxflag"),
              "/roms/ext.bin10");
    EXPECT_EQ(value("VIDEO", "windowscaling"), "(missing)");  // only its own section
}

// ---- Sound ----

TEST_F(ConfigDialogsTest, SoundSlidersAndSwitches) {
    settings.clickerOn = 1, settings.ayOn = 0, settings.clickerVolumePercent = 70;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, {1400, 1401}), "1400");
        EXPECT_EQ(Texts(d, {1402, 1403}), "70% Volume|50% Volume");
        EXPECT_EQ(platform::DialogSliderPosition(d, 1404), 70);
        hl::MoveSlider(d, 1405, 20);
        hl::MoveSlider(d, 1404, 100);
        EXPECT_EQ(Texts(d, {1402, 1403}), "100% Volume|20% Volume");
        hl::Click(d, 1400), hl::Click(d, 1401), hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Sound());
    EXPECT_EQ((std::vector<long>{settings.clickerOn, settings.ayOn, settings.clickerVolumePercent, settings.ayVolumePercent}),
              (std::vector<long>{0, 1, 100, 20}));
    EXPECT_EQ(SettingsFileText(), "[SOUND]\nclickerflag=0\nayflag=1\nclickervolpct=100\nayvolpct=20\n[SPEED]\ncpuspeedopt=0\n");
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
           {1001, K::RadioButton, "Emulator enhanced 4000-FFFF"}, {1002, K::RadioButton, "+ No RAM Expansion present"},
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
