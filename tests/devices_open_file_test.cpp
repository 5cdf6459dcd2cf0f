// Opening any file: the kind decided by name and content, refusals that leave
// the machine as it was, command-line words, and the recent list.

#include <cstring>

#include "devices/open_file.h"
#include "machine_fixture.h"
#include "devices/cassette.h"
#include "devices/quick_type.h"
#include "state/save_state.h"

namespace {

using OpenFile::Kind;

class OpenFileTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        QuickType::Stop();
        CassetteDeck::Eject();
    }
    void TearDown() override {
        QuickType::Stop();
        CassetteDeck::Eject();
        MachineTest::TearDown();
    }
};

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
std::vector<uint8_t> Repeat(size_t n, uint8_t b) { return std::vector<uint8_t>(n, b); }
std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(OpenFileTest, KindByNameAndContent) {
    const auto tape = Join(Repeat(10, 0xD3), Bytes(std::string("CATCH\0\0", 7)));
    const auto signedRom = Join(Bytes("ZVGR"), Repeat(100, 0xC9));
    const auto state = Join(std::vector<uint8_t>(SaveState::kMagic, SaveState::kMagic + 8), Repeat(40, 0));
    const auto text = Bytes("10 PRINT 1\nRUN\n");
    const auto binary = Bytes(std::string("\x3E\x01\x00\xC9", 4));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        Kind kind;
        const char* problem;  // a word of the refusal
    } const cases[] = {
        {"game.cp6", Bytes("any bytes play"), Kind::Tape, ""},
        {"game.rom", Repeat(16384, 0), Kind::Cartridge, ""}, {"big.rom", Repeat(16385, 0), Kind::None, "too large"},
        {"code.obj", Repeat(65536, 0), Kind::Binary, ""}, {"huge.bin", Repeat(65537, 0), Kind::None, "too large"},
        {"prog.bas", Bytes("10 REM \x1f\xe9\n"), Kind::Text, ""}, {"moment.vzs", state, Kind::State, ""},
        // Wrong or no extension: the content decides.
        {"moment.cp6", state, Kind::State, ""}, {"tape.txt", tape, Kind::Tape, ""},
        {"rom.txt", signedRom, Kind::Cartridge, ""}, {"prog", text, Kind::Text, ""},
        {"fake.vzs", text, Kind::None, "save state"}, {"code", binary, Kind::None, "FILE@ADDR"},
        {"empty.cp6", {}, Kind::None, "empty"},
    };
    for (const Case& c : cases) {
        OpenFile::Decision d = OpenFile::Classify(WriteFile(c.name, c.bytes));
        EXPECT_EQ(d.kind, c.kind) << c.name;
        EXPECT_NE(d.problem.find(c.problem), std::string::npos) << c.name << ": " << d.problem;
    }
    // With a load address anything but a state is a binary, up to 64K.
    EXPECT_EQ(OpenFile::Classify(WriteFile("t.cp6", tape), true).kind, Kind::Binary);
    EXPECT_EQ(OpenFile::Classify(WriteFile("b.bin", Repeat(65537, 0)), true).kind, Kind::None);
}

TEST_F(OpenFileTest, RefusedFilesLeaveTheMachineAsItWas) {
    std::string folder = WriteFile("x", {});
    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    std::string dangling = folder + "/link.cp6";
    std::filesystem::create_symlink(folder + "/gone.cp6", dangling);
    const std::pair<std::string, const char*> cases[] = {
        {folder, "folder"}, {dangling, "cannot be read"}, {WriteFile("none.txt", {}), "empty"},
        {WriteFile("bad.vzs", Join(std::vector<uint8_t>(SaveState::kMagic, SaveState::kMagic + 8), Repeat(9, 0))), ""},
        {WriteFile("code.bin", Repeat(300, 1)), "FILE@ADDR"},  // no dialog from the command line
    };
    std::vector<uint8_t> memory(Machine::MemoryImage, Machine::MemoryImage + 65536);
    for (const auto& [path, word] : cases) {
        platform::headless::ClearRecords();
        EXPECT_FALSE(OpenFile::OpenArgument(path)) << path;
        ASSERT_EQ(platform::headless::Notices().size(), 1u) << path;
        EXPECT_NE(platform::headless::Notices()[0].find(word), std::string::npos) << platform::headless::Notices()[0];
        EXPECT_FALSE(CassetteDeck::HasTape() || QuickType::IsActive() || Machine::GameRomImage) << path;
        EXPECT_EQ(std::memcmp(memory.data(), Machine::MemoryImage, memory.size()), 0) << path;
    }
    EXPECT_FALSE(settings.recentFiles[0][0]);
}

TEST_F(OpenFileTest, EachKindLoadsAsItsCommandDoes) {
    // A tape for play with CLOAD typed; a cartridge.
    EXPECT_TRUE(OpenFile::Open(WriteFile("t.cp6", Repeat(12, 0xD3))));
    EXPECT_TRUE(CassetteDeck::tapeLoaded && QuickType::IsActive() && OpenFile::AutoStartPending());
    // Busy with that tape: another tape, a text and a cartridge wait their turn.
    EXPECT_FALSE(OpenFile::Open(WriteFile("u.cp6", Repeat(12, 0xD3))));
    EXPECT_FALSE(OpenFile::Open(WriteFile("v.txt", Bytes("RUN\n"))));
    EXPECT_FALSE(OpenFile::Open(WriteFile("w.rom", Bytes("ZVGR"))));
    Machine::Reset(2);  // a reset ends the auto-start with the tape
    EXPECT_FALSE(OpenFile::AutoStartPending());
    settings.autoStart = 0;
    EXPECT_TRUE(OpenFile::Open(WriteFile("x.rom", Bytes("ZVGR"))));
    EXPECT_TRUE(Machine::GameRomImage && Machine::GameRomImage[0] == 'Z');
    EXPECT_TRUE(OpenFile::Open(WriteFile("y.cp6", Repeat(12, 0xD3))));
    EXPECT_FALSE(QuickType::IsActive());  // no CLOAD without auto-start
}

TEST_F(OpenFileTest, CommandLineWords) {
    std::string taken = WriteFile("odd@name.cp6", {1});
    struct Case {
        std::string word, path;
        bool binary;
        int load, usr;  // usr -1: not set
    } const cases[] = {
        {"a.bin@19456,usr=$4CFF", "a.bin", true, 0x4C00, 0x4CFF},
        {"a.bin@0x10,usr=20h", "a.bin", true, 0x10, 0x20}, {"dir@x/a.bin@65535", "dir@x/a.bin", true, 0xFFFF, -1},
        {taken, taken, false, 0, -1},  // an existing name with @ is the file itself
    };
    for (const Case& c : cases) {
        auto a = OpenFile::ParseArgument(c.word);
        ASSERT_TRUE(a) << c.word;
        EXPECT_EQ(a->path, c.path);
        ASSERT_EQ(a->binary.has_value(), c.binary) << c.word;
        if (!c.binary) continue;
        EXPECT_EQ(a->binary->load, c.load) << c.word;
        EXPECT_EQ(a->binary->setUsr ? a->binary->usr : -1, c.usr) << c.word;
    }
    for (const char* bad : {"a.bin@", "a.bin@65536", "a.bin@$12G4", "a.bin@1,usr=", "a.bin@1,x=2", "@100"})
        EXPECT_FALSE(OpenFile::ParseArgument(bad)) << bad;
}

TEST_F(OpenFileTest, RecentListNewestFirstTenKeptAcrossRestarts) {
    std::vector<std::string> paths;
    for (int i = 0; i < 12; ++i) paths.push_back(WriteFile("p" + std::to_string(i) + ".txt", Bytes("REM\n")));
    for (const std::string& p : paths) OpenFile::Remember(p);
    OpenFile::Remember(paths[5]);  // again: moves to the top, no duplicate
    settings = Settings::Defaults();
    Settings::LoadAll();  // the next start
    const int expected[10] = {5, 11, 10, 9, 8, 7, 6, 4, 3, 2};
    for (int i = 0; i < kRecentFiles; ++i) EXPECT_EQ(settings.recentFiles[i], paths[size_t(expected[i])]) << i;
    // A file gone since: dropped with a notice, the rest moves up.
    std::filesystem::remove(paths[11]);
    platform::headless::ClearRecords();
    EXPECT_FALSE(OpenFile::OpenRecent(1));
    ASSERT_EQ(platform::headless::Notices().size(), 1u);
    EXPECT_NE(platform::headless::Notices()[0].find("no longer exists"), std::string::npos);
    EXPECT_EQ(settings.recentFiles[1], paths[10]);
    EXPECT_FALSE(settings.recentFiles[9][0]);
    EXPECT_TRUE(OpenFile::OpenRecent(0));  // opened as before: typed
    EXPECT_TRUE(QuickType::IsActive());
}

}  // namespace
