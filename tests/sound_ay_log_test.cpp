// AY register log: file naming, line format, frame counting and the menu mark.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"
#include "sound/ay_log.h"
#include "sound/sound_stream.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLogCommand = 3793;

class AyLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        closeAyLog();
        platform::headless::ResetAll();
        Machine::state = Machine::State{};
        dir = fs::temp_directory_path() / ("vz_aylog_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        savedStart = Machine::startDirectory;
        Machine::startDirectory = dir.string();
    }
    void TearDown() override {
        closeAyLog();
        SoundShutdown();
        Machine::startDirectory = savedStart;
        fs::remove_all(dir);
    }

    static void frameWrites(const std::vector<std::pair<int, int>>& writes) {
        Machine::state.ayLogCount = 0;
        for (auto [reg, value] : writes) {
            Machine::state.ayLogRegister[Machine::state.ayLogCount] = uint8_t(reg);
            Machine::state.ayLogValue[Machine::state.ayLogCount] = uint8_t(value);
            ++Machine::state.ayLogCount;
        }
    }

    static std::string readFile(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir;
    std::string savedStart;
};

TEST_F(AyLogTest, LinesPerFrameWithWrites) {
    platform::headless::SetMilliseconds(0x1A2BC);
    toggleAyLog();
    ASSERT_TRUE(ayLogOpen());
    EXPECT_TRUE(platform::headless::MenuChecked(kLogCommand));
    const fs::path file = dir / "aysound_1a2bc.txt";
    EXPECT_TRUE(fs::exists(file));

    frameWrites({{7, 56}, {8, 15}});
    logAyFrame();
    EXPECT_EQ(Machine::state.ayLogCount, 0);

    // Two frames without writes, then one that writes register 0 twice and
    // registers out of order.
    logAyFrame();
    logAyFrame();
    frameWrites({{13, 9}, {0, 1}, {2, 200}, {0, 2}});
    logAyFrame();

    // A full buffer, cycling through registers 0-13 with the write index as
    // value: each listed once with its last value, 0-3 from 252-255, 4-13 from 242-251.
    for (int i = 0; i < Machine::kAyLogCapacity; ++i) {
        Machine::state.ayLogRegister[i] = uint8_t(i % 14);
        Machine::state.ayLogValue[i] = uint8_t(i);
    }
    Machine::state.ayLogCount = Machine::kAyLogCapacity;
    logAyFrame();

    toggleAyLog();
    EXPECT_FALSE(ayLogOpen());
    EXPECT_FALSE(platform::headless::MenuChecked(kLogCommand));
    EXPECT_EQ(readFile(file),
              "    .byte 1,2,7,56,8,15\n"
              "    .byte 3,3,0,2,2,200,13,9\n"
              "    .byte 1,14,0,252,1,253,2,254,3,255,4,242,5,243,6,244,7,245,8,246,9,247,10,248,11,249,12,250,13,251\n");
}

TEST_F(AyLogTest, FailedOpenLeavesTheMarkOff) {
    Machine::startDirectory = (dir / "missing").string();
    toggleAyLog();
    EXPECT_FALSE(ayLogOpen());
    // No log is being written, so the menu must not claim one is.
    EXPECT_FALSE(platform::headless::MenuChecked(kLogCommand));
    frameWrites({{1, 2}, {3, 4}});
    // The next use tries again; now it opens and the mark goes on.
    Machine::startDirectory = dir.string();
    platform::headless::SetMilliseconds(0xABC);
    toggleAyLog();
    EXPECT_TRUE(ayLogOpen());
    EXPECT_TRUE(platform::headless::MenuChecked(kLogCommand));
    logAyFrame();
    closeAyLog();
    EXPECT_EQ(readFile(dir / "aysound_abc.txt"), "    .byte 1,2,1,2,3,4\n");
}

TEST_F(AyLogTest, EachStartMakesANewFile) {
    // One log started at a millisecond count with one frame writing one register.
    auto session = [](uint32_t ms, int reg, int value) {
        platform::headless::SetMilliseconds(ms);
        toggleAyLog();
        frameWrites({{reg, value}});
        logAyFrame();
        toggleAyLog();
    };
    session(0x200, 6, 7);
    // The same millisecond again: the earlier log stays, the next free name is taken.
    session(0x200, 9, 12);
    EXPECT_EQ(readFile(dir / "aysound_200.txt"), "    .byte 1,1,6,7\n");
    EXPECT_EQ(readFile(dir / "aysound_201.txt"), "    .byte 1,1,9,12\n");
}

}  // namespace
