// The settings file: locating it, reading every field with its clamps and
// formats, and what each section writer writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "resources/binary_loader_layout.h"
#include "resources/printer_dialog_layout.h"
#include "tests/ini_test_support.h"

namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(saved);
        settings = Settings::Defaults();
    }

    void put(const std::string& name, const std::string& text) const {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }
    std::string contents(const std::string& name) const {
        std::ifstream in(dir + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Every key line as "[SECTION] key=value".
    std::vector<std::string> lines(const std::string& name = "default.ini") const {
        std::vector<std::string> out;
        std::istringstream in(contents(name));
        std::string section;
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("[")) section = line;
            else if (!line.empty()) out.push_back(section + " " + line);
        return out;
    }
    // Locates and reads a default.ini with this text.
    void load(const std::string& text) {
        put("default.ini", text);
        Settings::LocateFile();
        Settings::LoadAll();
    }

    ScratchSettingsFile scratch;  // the folder, and the old settings path put back
    const std::string dir = scratch.folder().string();
    const fs::path saved = fs::current_path();
};

TEST_F(SettingsFile, WithoutAnyFileEveryFieldKeepsItsDefault) {
    Settings::LocateFile();
    EXPECT_EQ(iniPath, dir + "/default.ini");
    Settings::LoadAll();
    Settings defaults = Settings::Defaults();
    EXPECT_EQ(std::memcmp(&settings, &defaults, sizeof settings), 0);
    EXPECT_FALSE(fs::exists(dir + "/default.ini"));

    // The first confirmed dialog creates the file with its own section only.
    Settings::SaveSound();
    EXPECT_EQ(contents("default.ini"), "[SOUND]\nclickerflag=1\nayflag=1\nclickervolpct=50\nayvolpct=50\n");
    EXPECT_FALSE(fs::exists(dir + "/VZELVEGA.INI"));
}

TEST_F(SettingsFile, TheLocatorFileNamesAnotherSettingsFile) {
    put("VZELVEGA.INI", "[config]\nINI=other.ini\n");
    put("default.ini", "[VIDEO]\nwindowscaling=1\n");
    put("other.ini", "[VIDEO]\nwindowscaling=3\n");
    Settings::LocateFile();
    EXPECT_EQ(iniPath, dir + "/other.ini");
    Settings::LoadAll();
    EXPECT_EQ(settings.windowScale, 3);
    settings.windowScale = 1;
    Settings::SaveVideo();
    EXPECT_TRUE(contents("other.ini").starts_with("[VIDEO]\nwindowscaling=1\n\n[COLOR]\n")) << contents("other.ini");
    EXPECT_EQ(contents("VZELVEGA.INI"), "[config]\nINI=other.ini\n");
    EXPECT_EQ(contents("default.ini"), "[VIDEO]\nwindowscaling=1\n");
}

// Integers clamp to their ranges, flag words are read without regard to case
// (anything else keeps the value), colours need nine digits and keep each
// component's low byte, key assignments keep 16 bits. Each row starts from
// the defaults with the speed option moved off them.
TEST_F(SettingsFile, EveryKindOfValueIsReadWithItsRules) {
    using Get = long (*)(const Settings&);
#define FIELD(f) [](const Settings& s) { return long(s.f); }
#define COLOUR(i) [](const Settings& s) { return long(s.colors[i].r) << 16 | s.colors[i].g << 8 | s.colors[i].b; }
    struct Row {
        const char* text;
        Get get;
        long expected;
    };
    const Row rows[] = {
        {"[VIDEO]\nwindowscaling=7", FIELD(windowScale), 3}, {"[SOUND]\nayvolpct=-5", FIELD(ayVolumePercent), 0},
        {"[SPEED]\nactivescancust=10", FIELD(customActiveRate), 24},
        // Above the signed range, but a valid unsigned rate.
        {"[SPEED]\nvblankcust=3000000000", FIELD(customBlankRate), 3000000000L},
        // The speed option defaults to NTSC, not to the field's value.
        {"[SPEED]\nfpscust=50", FIELD(cpuSpeedOption), 0}, {"[SPEED]\ncpuspeedopt=9", FIELD(cpuSpeedOption), 3},
        {"[KEYBOARD]\nemulatedflag=Off", FIELD(keyboardEmulated), 0},
        {"[KEYBOARD]\nemulatedflag=maybe", FIELD(keyboardEmulated), 1},
        {"[MEMORY]\nenhancedflag=YES", FIELD(memoryEnhanced), 1},
        // A file that names the old mode keeps it; one without a mode gets the host layout.
        {"[KEYBOARD]\nemulatedflag=1", FIELD(keyboardHostLayout), 0},
        {"[KEYBOARD]\nn41=255", FIELD(keyboardHostLayout), 1},
        {"[COLOR]\nc05=12,34,56", COLOUR(5), 0x101010},
        {"[COLOR]\nc2c=300001002", COLOUR(44), 0x2C0102},  // 300 & FFh = 44
        {"[KEYBOARD]\nn20=70000", FIELD(sensibleKeyMap[0][0x20]), 70000 & 0xFFFF},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        settings = Settings::Defaults();
        settings.cpuSpeedOption = 2;
        load(std::string(r.text) + "\n");
        EXPECT_EQ(r.get(settings), r.expected);
    }
#undef FIELD
#undef COLOUR
}

TEST_F(SettingsFile, EverySectionReadsBackWhatWasSaved) {
    Settings::LocateFile();
    // Every field these writers write, off its default.
    settings.memoryEnhanced = 1, settings.ramExpansion = 1, settings.useBuiltinBasicRom = 0;
    settings.useBuiltinCharRom = 0, settings.useBuiltinCharxRom = 0;
    setPath(settings.basicRomPath, "b.rom"), setPath(settings.charRomPath, "my roms/char.bin");
    setPath(settings.charxRomPath, "x.rom"), setPath(settings.printerPath, "p.txt");
    settings.printerAutoLineFeed = 0, settings.printerFixedWidth = 1, settings.printerWidth = 80;
    settings.keyboardEmulated = 0, settings.keyboardHostLayout = 0, settings.sensibleKeyMap[2][0x70] = 0x0204;
    settings.windowScale = 3, settings.colors[7] = Rgb{1, 2, 3};
    settings.clickerOn = 0, settings.ayOn = 0, settings.clickerVolumePercent = 10, settings.ayVolumePercent = 90;
    settings.cpuSpeedOption = 2, settings.customActiveRate = 5000000, settings.customBlankRate = 3000000000u;
    settings.ntscPercent = 200, settings.palPercent = 300, settings.customFps = 50, settings.speedUpFiles = 0;
    settings.limitVideoUpdates = 1, settings.videoUpdatesPerSecond = 25;
    settings.execAddressIsHex = 0, settings.loadAddressIsHex = 0, settings.pokeExecAddress = 1;
    settings.binaryLoadAddress = 0x8000, settings.binaryExecAddress = 0x8010;
    setPath(settings.binaryPath, "c.bin"), setPath(settings.cassettePlayPath, "a b.cp6");
    setPath(settings.quickTypePath, "q.txt"), setPath(settings.cassetteRecordPath, "r.cp6");
    setPath(settings.gameRomPath, "g.rom"), settings.screenshotCounter = 41;
    Settings wanted = settings;
    SaveEverySection();

    settings = Settings::Defaults();
    Settings::LoadAll();
    EXPECT_EQ(std::memcmp(&settings, &wanted, sizeof settings), 0);
}

TEST_F(SettingsFile, SavingKeepsWhatTheProgramDoesNotKnow) {
    // Unknown lines keep their place; a key new to its section goes after the section's last line.
    load("; by hand\n[MINE]\nx = 1\n\n[sound]\n; louder\nAYVOLPCT=80\nextra=1\n\n[LAST]\nz=9\n");
    EXPECT_EQ(settings.ayVolumePercent, 80);
    settings.ayVolumePercent = 30;
    Settings::SaveSound();
    EXPECT_EQ(contents("default.ini"), "; by hand\n[MINE]\nx = 1\n\n[sound]\n; louder\nayvolpct=30\nextra=1\n"
                                       "clickerflag=1\nayflag=1\nclickervolpct=50\n\n[LAST]\nz=9\n");
}

// Never replaced by any writer, and without a message: the new values stay in memory.
TEST_F(SettingsFile, AReadOnlySettingsFileIsKept) {
    load("[SOUND]\nayvolpct=80\n");
    fs::permissions(dir + "/default.ini", fs::perms::owner_read | fs::perms::group_read);
    settings.ayVolumePercent = 70;
    SaveEverySection();
    EXPECT_EQ(settings.ayVolumePercent, 70);
    EXPECT_TRUE(platform::headless::MessageBoxes().empty());
    EXPECT_EQ(contents("default.ini"), "[SOUND]\nayvolpct=80\n");
    EXPECT_EQ(fs::status(dir + "/default.ini").permissions(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// Start-up removes the temporaries that killed writes left beside the
// settings file: only names of that pattern, only those older than a minute.
TEST_F(SettingsFile, StartUpRemovesStaleTemporariesOfTheSettingsFile) {
    struct Case {
        const char* name;
        int ageSeconds;
        bool removed;
    };
    const Case cases[] = {
        {"default.ini.tmp-Ab12Cd", 120, true},   {"default.ini.tmp-Ab12Cd0", 120, false},
        {"default.ini.tmp-Ab12C", 120, false},   {"default.ini.tmp-fresh1", 5, false},
        {"other.ini.tmp-Ab12Cd", 120, false},    {"default.ini.old-Ab12Cd", 120, false},
    };
    for (const Case& c : cases) {
        put(c.name, "[A]\nk=half");
        fs::last_write_time(dir + "/" + c.name, fs::file_time_type::clock::now() - std::chrono::seconds(c.ageSeconds));
    }
    load("[VIDEO]\nwindowscaling=2\n");
    EXPECT_EQ(settings.windowScale, 2);
    for (const Case& c : cases) EXPECT_EQ(fs::exists(dir + "/" + c.name), !c.removed) << c.name;
}

// Each user action that remembers something writes it to the file at once,
// and only that: the lines that changed, per action.
TEST_F(SettingsFile, EachActionWritesWhatItRemembers) {
    namespace hl = platform::headless;
    put("t.cp6", "tape"), put("c.rom", "cart"), put("q.txt", "10 REM\n"), put("b.bin", "bin");
    const std::string d = dir + "/";
    struct Action {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> changed;
    };
    const Action actions[] = {
        {"play cassette", [&] { hl::QueueFileAnswer(d + "t.cp6"), CassetteDeck::PlayFile(), CassetteDeck::Eject(); },
         {"[FILES] cassette=" + d + "t.cp6"}},
        {"record", [&] {
             hl::QueueFileAnswer(d + "r.cp6");
             CassetteDeck::BeginRecording();
             for (int i = 0; i < 20; ++i) CassetteDeck::WriteByte(0xD3);
             CassetteDeck::EndRecording();
         }, {"[FILES] cassettewr=" + d + "r.cp6"}},
        {"quick type", [&] { hl::QueueFileAnswer(d + "q.txt"), QuickType::TypeFile(), QuickType::Stop(); },
         {"[FILES] quicktype=" + d + "q.txt"}},
        {"cartridge", [&] { hl::QueueFileAnswer(d + "c.rom"), Machine::LoadGameRom(), Machine::RemoveGameRom(); },
         {"[FILES] gamerom=" + d + "c.rom"}},
        {"printer dialog", [] {
             hl::QueueDialogScript([](platform::Dialog* dialog) {
                 hl::Click(dialog, PrinterDialogLayout::kFixedWidth);
                 hl::TypeText(dialog, PrinterDialogLayout::kWidthField, "80");
                 hl::Click(dialog, platform::kDialogOk);
             });
             PrinterPort::ConfigureDialog();
         }, {"[PRINTER] fixedwidthflag=1", "[PRINTER] width=80"}},
        {"binary loader", [&] {
             hl::QueueFileAnswer(d + "b.bin");
             hl::QueueDialogScript([](platform::Dialog* dialog) {
                 hl::Click(dialog, BinaryLoaderLayout::kBrowse);
                 hl::TypeText(dialog, BinaryLoaderLayout::kLoadAddress, "32768");  // decimal
                 hl::Click(dialog, platform::kDialogOk);
             });
             BinaryLoader::Dialog();
         }, {"[LOADBINARY] loadaddrishex=0", "[LOADBINARY] bloadaddr=32768", "[LOADBINARY] bloadfilename=" + d + "b.bin"}},
    };
    Settings::LocateFile();
    SaveEverySection();
    for (const Action& a : actions) {
        SCOPED_TRACE(a.what);
        const std::vector<std::string> before = lines();
        a.act();
        std::vector<std::string> changed;
        for (const std::string& line : lines())
            if (std::find(before.begin(), before.end(), line) == before.end()) changed.push_back(line);
        EXPECT_EQ(changed, a.changed);
    }
}

}  // namespace
