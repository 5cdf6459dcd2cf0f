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
        hl::MoveSlider(d, 1511, 45);
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Timing());
    EXPECT_EQ(settings.videoUpdatesPerSecond, 45);
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
    // Leaving Fast gives the run its sound back, without a word to the file.
    auto dialog = [](bool (*run)(), int click) {
        hl::QueueDialogScript([click](Dialog* d) { hl::Click(d, click), hl::Click(d, 1); });
        EXPECT_TRUE(run());
    };
    dialog(ConfigDialogs::Timing, 1500);
    EXPECT_EQ(settings.clickerOn * 10 + settings.ayOn, 11);
    EXPECT_EQ(value("SOUND", "clickervolpct"), "80");
}

TEST_F(ConfigDialogsTest, TimingHundredPercentAndDefaultButtons) {
    settings.cpuSpeedOption = 1, settings.ntscPercent = 250, settings.palPercent = 300, settings.limitVideoUpdates = 1;
    hl::QueueDialogScript([](Dialog* d) {
        hl::Click(d, 1513);
        EXPECT_EQ(Texts(d, {1505}), "PAL * 100%");
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
    hl::QueueDialogScript([](Dialog* d) { hl::Click(d, 1001), hl::Click(d, 1003); });  // left open: closed as Cancel
    EXPECT_FALSE(ConfigDialogs::Memory());
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof(Settings)), 0);
    EXPECT_EQ(SettingsFileText(), fileBefore);
}

// ---- Memory ----

const std::vector<int> kMemory = {1000, 1001, 1002, 1003, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

TEST_F(ConfigDialogsTest, MemoryEnhancedKeepsTheExpansionChoice) {
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, {1000, 1001, 1002, 1003}), "1000 1002");
        hl::Click(d, 1003), hl::Click(d, 1001);
        EXPECT_EQ(Checked(d, {1000, 1001, 1002, 1003}), "1001 1003");
        EXPECT_EQ(Greyed(d, {1000, 1001, 1002, 1003}), "1002 1003");
        hl::Click(d, 1);
    });
    EXPECT_TRUE(ConfigDialogs::Memory());
    EXPECT_EQ(settings.memoryEnhanced * 10 + settings.ramExpansion, 11);
}

TEST_F(ConfigDialogsTest, MemoryRomSourcesAndBrowse) {
    settings.useBuiltinCharRom = 0;
    setPath(settings.charRomPath, "roms/mychar.bin");
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Texts(d, {1010, 1014, 1018}), "ROM/ZELVEGA.BIN|roms/mychar.bin|ROM/VEGACHRX.BIN");
        EXPECT_EQ(Checked(d, kMemory), "1000 1002 1007 1012 1015");
        EXPECT_EQ(Greyed(d, kMemory), "1009 1010 1017 1018");
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
    EXPECT_EQ(value("MEMORY", "CHARXfilename") + value("MEMORY", "usebuiltincharflag") + value("MEMORY", "usebuiltincharxflag"),
              "/roms/ext.bin10");
}

// ---- Sound ----

TEST_F(ConfigDialogsTest, SoundSlidersAndSwitches) {
    settings.clickerOn = 1, settings.ayOn = 0, settings.clickerVolumePercent = 70;
    hl::QueueDialogScript([](Dialog* d) {
        EXPECT_EQ(Checked(d, {1400, 1401}), "1400");
        EXPECT_EQ(Texts(d, {1402, 1403}), "70% Volume|50% Volume");
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

// "id kind text" of each control in `ids` (kinds by name, in the order the platform lists them;
// no text where it has none).
std::string Controls(const platform::DialogLayout& layout, const std::vector<int>& ids) {
    static const char* const kKinds[] = {"radio",  "check", "push", "default", "edit",   "number",
                                         "static", "group", "list", "slider",  "swatch", "prompt"};
    std::string out;
    for (int id : ids)
        for (int i = 0; i < layout.controlCount; ++i)
            if (const platform::ControlDef& c = layout.controls[i]; c.id == id)
                out += std::to_string(id) + " " + kKinds[int(c.kind)] + (c.text && *c.text ? std::string(" ") + c.text : "") + "|";
    return out;
}

TEST(ConfigDialogsLayout, ControlsCarryTheirIdsKindsAndTexts) {
    EXPECT_EQ(Controls(MemoryDialog::kLayout, kMemory),
              "1000 radio Normal (as sold in stores) C000-FFFF|1001 radio Emulator enhanced 4000-FFFF|"
              "1002 radio + No RAM Expansion present|1003 radio + 16K RAM Expansion (As sold in stores) 8000-BFFF|"
              "1007 radio Use built-in 16K BASIC ROM|1008 radio Load 16K BASIC ROM from disk|1009 push Browse|"
              "1010 static (none)|1011 radio Use built-in 768 byte Character  ROM|"
              "1012 radio Load 768 byte Character ROM from disk|1013 push Browse|1014 static (none)|"
              "1015 radio Use built-in 4K Character  ROM|1016 radio Load 4K Character ROM from disk|1017 push Browse|"
              "1018 static (none)|");
    EXPECT_EQ(Controls(SoundDialog::kLayout, {1400, 1401, 1402, 1403, 1404, 1405}),
              "1400 check Key Click Sound|1401 check AY-3-8910 Sound Chip Sound|1402 static 100% volume|"
              "1403 static 100% volume|1404 slider|1405 slider|");
    EXPECT_EQ(Controls(TimingDialog::kLayout, {1500, 1501, 1502, 1503, 1504, 1505, 1506, 1507, 1508, 1509, 1510,
                                               1511, 1513, 1514, 1515, 1516, 1517}),
              "1500 radio NTSC|1501 radio Pal|1502 radio Custom|1503 radio Fast!  (turns off sound)|1504 slider|"
              "1505 static speed * 800%|1506 number|1507 number|1508 number|1509 check Speed up when accessing files|"
              "1510 check Try to update this many times per second:|1511 slider|1513 push 100%|"
              "1514 push Default|1515 static cycles per second, screen ON|"
              "1516 static cycles per second, screen OFF|1517 static frames per second|");
}
