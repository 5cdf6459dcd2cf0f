// Cassette deck: pacing in T-states, idle rules, recording and file names.
#include <gtest/gtest.h>

#include <cstring>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/quick_type.h"
#include "devices_test_support.h"
#include "machine/machine.h"
#include "platform/headless/headless.h"

using devices_test::ReadBytes;
using devices_test::ScratchFolder;
using devices_test::WriteBytes;
namespace headless = platform::headless;

namespace {

struct Delivery {
    uint32_t cycle;
    uint8_t byte;
};

class CassetteTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetAll();
        settings = Settings::Defaults();
        iniPath = folder.File("settings.ini");  // remembered paths land here, not in the working folder
        QuickType::Stop();
        CassetteDeck::Eject();
        CassetteDeck::EndRecording();
        CassetteDeck::state = CassetteDeck::State{};
        CassetteDeck::cassetteMotorOn = false;
        CassetteDeck::fileActivity = 0;
        Machine::state = Machine::State{};
        CpuCore::state = CpuState{};
        CpuCore::ClearPendingInterrupts();
        CpuCore::state.iff1 = 1;
    }
    void TearDown() override {
        CassetteDeck::Eject();
        CassetteDeck::EndRecording();
    }

    // Loads bytes as a tape, motor on, read enable raised: a load begins.
    void StartTape(const std::vector<uint8_t>& bytes) {
        WriteBytes(folder.File("tape.cp6"), bytes);
        ASSERT_TRUE(CassetteDeck::LoadFile(folder.File("tape.cp6")));
        CassetteDeck::cassetteMotorOn = true;
        CassetteDeck::OnReadEnableRising();
    }

    // The machine's per-step hook in steps of `step` T-states for `cycles`
    // T-states; every cassette interrupt is taken and its byte noted.
    std::vector<Delivery> Run(uint32_t cycles, uint32_t step = 4) {
        std::vector<Delivery> got;
        for (uint32_t done = 0; done < cycles; done += step) {
            Machine::state.cycleCounter += step;
            if (CassetteDeck::PlaybackActive()) CassetteDeck::Tick(step);
            if (CpuCore::state.pendingIrq == 0x08) {
                got.push_back({Machine::state.cycleCounter, Machine::state.ppiPortA});
                CpuCore::state.pendingIrq = kIrqNone;
            }
        }
        return got;
    }

    // A recording of `bytes`, the save chooser answered with `answer`.
    void Record(const std::vector<uint8_t>& bytes, std::optional<std::string> answer) {
        headless::QueueFileAnswer(answer);
        CassetteDeck::BeginRecording();
        for (uint8_t b : bytes) CassetteDeck::WriteByte(b);
    }

    ScratchFolder folder;
    devices_test::KeepIniPath keepIniPath;
};

// Seventeen header bytes with `name` from byte 10 (padded with 00).
std::vector<uint8_t> Header(const std::string& name) {
    std::vector<uint8_t> h(17, 0x00);
    for (int i = 0; i < 10; ++i) h[size_t(i)] = uint8_t(0xD3);
    for (size_t i = 0; i < name.size() && i < 6; ++i) h[10 + i] = uint8_t(name[i]);
    h[16] = 0x7F;
    return h;
}

TEST_F(CassetteTest, BytesComeEveryIntervalAndTheLeaderGapFollowsTheFirstZero) {
    StartTape({0x55, 0x55, 0x00, 0x12, 0x34});
    std::vector<Delivery> got = Run(700000);
    ASSERT_EQ(got.size(), 5u);
    // Steps of 4: the accumulator first exceeds 18392 at 18396 and 455211 at 455212.
    EXPECT_EQ(got[0].cycle, 18396u);
    EXPECT_EQ(got[1].cycle, 18396u * 2);
    EXPECT_EQ(got[2].cycle, 18396u * 3);
    EXPECT_EQ(got[3].cycle - got[2].cycle, 455212u);
    EXPECT_EQ(got[4].cycle - got[3].cycle, 18396u);
    const uint8_t expected[] = {0x55, 0x55, 0x00, 0x12, 0x34};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(got[i].byte, expected[i]) << i;
    // The slot after the last byte finds the tape run out: ejected, no more interrupts.
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_FALSE(CassetteDeck::HasTape());
    EXPECT_EQ(CassetteDeck::fileActivity & CassetteDeck::kActivityPlaying, 0);
    // The program still waits mid-load: nothing more ever comes, even on a new read enable.
    CassetteDeck::OnReadEnableRising();
    EXPECT_TRUE(Run(1000000).empty());
}

TEST_F(CassetteTest, OddStepsStillWaitUntilTheIntervalIsExceeded) {
    StartTape({0x01, 0x02});
    // Steps of 7: 2628 * 7 = 18396 is the first multiple above 18392.
    std::vector<Delivery> got = Run(40000, 7);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].cycle, 18396u);
    EXPECT_EQ(got[1].cycle, 18396u * 2);
}

TEST_F(CassetteTest, LeaderGapStaysInForceIntoTheNextLoad) {
    StartTape({0x00, 0xAA, 0xBB});
    std::vector<Delivery> first = Run(20000);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].byte, 0x00);
    // A new load begins at cycle 20000: the interval is still 455211 until its first 00.
    CassetteDeck::OnReadEnableRising();
    std::vector<Delivery> next = Run(1000000);
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0].cycle, 20000u + 455212u);
    EXPECT_EQ(next[0].byte, 0xAA);
    EXPECT_EQ(next[1].cycle - next[0].cycle, 455212u);
    EXPECT_EQ(next[1].byte, 0xBB);
}

TEST_F(CassetteTest, SlotsAreLostWhileInterruptsAreOffOrTheReadEnableIsLow) {
    StartTape({0x41, 0x42, 0x43});
    CpuCore::state.iff1 = 0;
    EXPECT_TRUE(Run(40000).empty());  // slots at 18396 and 36792 lost
    EXPECT_EQ(CassetteDeck::state.tapePosition, 0);
    CpuCore::state.iff1 = 1;
    std::vector<Delivery> got = Run(20000);  // next slot: 55188
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cycle, 55188u);
    EXPECT_EQ(got[0].byte, 0x41);

    // Read enable low: the accumulator does not move at all.
    Machine::state.systemLatch &= uint8_t(~0x08);
    EXPECT_TRUE(Run(100000).empty());
    Machine::state.systemLatch |= 0x08;
    got = Run(20000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cycle, 55188u + 100000u + 18396u);
    EXPECT_EQ(got[0].byte, 0x42);
}

TEST_F(CassetteTest, OneByteTapePlaysOnceThenIsEmpty) {
    StartTape({0x99});
    std::vector<Delivery> got = Run(100000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].byte, 0x99);
    EXPECT_FALSE(CassetteDeck::HasTape());
    EXPECT_FALSE(CassetteDeck::PlaybackActive());
}

TEST_F(CassetteTest, IdleTapePausesWithTenBytesLeftAndEjectsWithNine) {
    std::vector<uint8_t> tape(20);
    for (size_t i = 0; i < tape.size(); ++i) tape[i] = uint8_t(0x30 + i);
    StartTape(tape);
    ASSERT_EQ(Run(18396 * 10).size(), 10u);
    uint32_t last = CassetteDeck::state.lastReadCycle;
    EXPECT_EQ(last, 18396u * 10);

    Machine::state.cycleCounter = last + 2000000;  // not yet more than the idle time
    CassetteDeck::OnFrame();
    EXPECT_TRUE(CassetteDeck::tapeLoaded);
    Machine::state.cycleCounter = last + 2000001;
    CassetteDeck::OnFrame();
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_TRUE(CassetteDeck::HasTape());
    EXPECT_EQ(CassetteDeck::fileActivity & CassetteDeck::kActivityPlaying, 0);
    EXPECT_EQ(CassetteDeck::state.tapePosition, 10);

    // A rise with the motor off leaves it paused; with the motor on it resumes where it stopped.
    CassetteDeck::cassetteMotorOn = false;
    CassetteDeck::OnReadEnableRising();
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    CassetteDeck::cassetteMotorOn = true;
    CassetteDeck::OnReadEnableRising();
    EXPECT_TRUE(CassetteDeck::tapeLoaded);
    EXPECT_NE(CassetteDeck::fileActivity & CassetteDeck::kActivityPlaying, 0);
    std::vector<Delivery> got = Run(18396);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].byte, 0x30 + 10);

    // Now 9 bytes are left: idle ejects.
    Machine::state.cycleCounter += 2000001;
    CassetteDeck::OnFrame();
    EXPECT_FALSE(CassetteDeck::HasTape());
    EXPECT_EQ(CassetteDeck::state.tapePosition, 0);
    CassetteDeck::OnReadEnableRising();
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
}

TEST_F(CassetteTest, FreshTapeIsPausedAtTheNextFrameWhenNothingWasReadLately) {
    Machine::state.cycleCounter = 3000000;
    WriteBytes(folder.File("t.cp6"), std::vector<uint8_t>(30, 0x11));
    ASSERT_TRUE(CassetteDeck::LoadFile(folder.File("t.cp6")));
    CassetteDeck::OnFrame();
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_TRUE(CassetteDeck::HasTape());
}

TEST_F(CassetteTest, RecordingRoundTripGivesBackEveryByte) {
    std::vector<uint8_t> bytes = Header("HELLO");
    for (int i = 0; i < 300; ++i) bytes.push_back(uint8_t(i * 7));
    std::string out = folder.File("saved.cp6");
    setPath(settings.cassetteRecordPath, folder.File("old.cp6"));
    Record(bytes, out);
    EXPECT_TRUE(CassetteDeck::RecordingToFile());
    EXPECT_NE(CassetteDeck::fileActivity & CassetteDeck::kActivityRecording, 0);
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    const auto& chooser = headless::FileChoosers()[0];
    EXPECT_TRUE(chooser.save);
    EXPECT_EQ(chooser.request.presetPath, folder.File("HELLO_BAS.CP6"));
    EXPECT_EQ(chooser.request.defaultExtension, "CP6");
    ASSERT_EQ(chooser.request.filters.size(), 2u);
    EXPECT_EQ(chooser.request.filters[0].description, "Zel Vega Cassette Files (*.CP6)");
    EXPECT_EQ(chooser.request.filters[0].patterns, "*.cp6");
    EXPECT_EQ(chooser.request.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(headless::CursorShowCount(), 0);  // shown for the chooser, hidden again
    EXPECT_STREQ(settings.cassetteRecordPath, out.c_str());

    CassetteDeck::EndRecording();
    EXPECT_FALSE(CassetteDeck::RecordingToFile());
    EXPECT_EQ(CassetteDeck::fileActivity & CassetteDeck::kActivityRecording, 0);
    EXPECT_EQ(ReadBytes(out), bytes);

    ASSERT_TRUE(CassetteDeck::LoadFile(out));
    CassetteDeck::cassetteMotorOn = true;
    CassetteDeck::OnReadEnableRising();
    std::vector<uint8_t> played;
    // Header bytes are D3h and the name ends with 00 at byte 15: the leader gap comes once, after it.
    for (const Delivery& d : Run(20000000)) played.push_back(d.byte);
    EXPECT_EQ(played, bytes);
    EXPECT_STREQ(settings.cassettePlayPath, out.c_str());
}

TEST_F(CassetteTest, ProposedNamesComeFromBytesTenToFifteen) {
    EXPECT_EQ(CassetteDeck::ProposedName(Header("HELLO").data()), "HELLO_BAS.CP6");
    std::vector<uint8_t> six = Header("ABCDEF");
    EXPECT_EQ(CassetteDeck::ProposedName(six.data()), "ABCDEF_BAS.CP6");  // byte 16 is not part of it
    EXPECT_EQ(CassetteDeck::ProposedName(Header("").data()), "NONAME_BAS.CP6");
    EXPECT_EQ(CassetteDeck::ProposedName(Header("a-b_ 9").data()), "a-b_ 9_BAS.CP6");
    EXPECT_EQ(CassetteDeck::ProposedPath("cassav.cp6", Header("HELLO").data()), "HELLO_BAS.CP6");
    EXPECT_EQ(CassetteDeck::ProposedPath("/data/tapes/old.cp6", Header("HELLO").data()),
              "/data/tapes/HELLO_BAS.CP6");
}

TEST_F(CassetteTest, HostileNameBytesCannotLeaveTheRecordingFolder) {
    EXPECT_EQ(CassetteDeck::ProposedName(Header("../a/b").data()), "___a_b_BAS.CP6");
    std::vector<uint8_t> h = Header("");
    const uint8_t nasty[6] = {'.', '.', '\\', 0x01, 0xFF, '*'};
    std::memcpy(&h[10], nasty, 6);
    EXPECT_EQ(CassetteDeck::ProposedName(h.data()), "_______BAS.CP6");
    std::string path = CassetteDeck::ProposedPath("/data/tapes/old.cp6", Header("../../").data());
    EXPECT_EQ(path, "/data/tapes/_______BAS.CP6");

    // Through the recording itself, answered with the proposal placed in a folder.
    headless::SetSaveFolder(folder.Path());
    CassetteDeck::BeginRecording();
    for (uint8_t b : Header("../x/y")) CassetteDeck::WriteByte(b);
    CassetteDeck::EndRecording();
    EXPECT_EQ(ReadBytes(folder.File("___x_y_BAS.CP6")), Header("../x/y"));
}

TEST_F(CassetteTest, RecordingShorterThanTheHeaderMakesNoFile) {
    std::vector<uint8_t> h = Header("SHORT");
    h.pop_back();
    Record(h, folder.File("never.cp6"));
    CassetteDeck::EndRecording();
    EXPECT_TRUE(headless::FileChoosers().empty());
    EXPECT_FALSE(std::filesystem::exists(folder.File("never.cp6")));
    // The next recording is named from its own bytes.
    headless::ClearRecords();
    Record(Header("NEXT"), std::nullopt);
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    EXPECT_EQ(headless::FileChoosers()[0].request.presetPath, "NEXT_BAS.CP6");
}

TEST_F(CassetteTest, CancelledOrFailedSaveDropsTheRecording) {
    std::vector<uint8_t> bytes = Header("GAME");
    bytes.insert(bytes.end(), 50, 0x5A);
    Record(bytes, std::nullopt);
    EXPECT_FALSE(CassetteDeck::RecordingToFile());
    EXPECT_EQ(CassetteDeck::state.recordCount, 17u + 50u);
    CassetteDeck::EndRecording();
    EXPECT_STREQ(settings.cassetteRecordPath, "cassav.cp6");

    std::string bad = folder.File("missing/sub/GAME.CP6");
    Record(bytes, bad);
    EXPECT_FALSE(CassetteDeck::RecordingToFile());
    CassetteDeck::EndRecording();
    ASSERT_FALSE(headless::DebugLines().empty());
    EXPECT_EQ(headless::DebugLines().back(), "Failed to open Cassette file " + bad + " for output\n");
    EXPECT_STREQ(settings.cassetteRecordPath, "cassav.cp6");
}

TEST_F(CassetteTest, IdleRecordingAndResetLeaveCompleteClosedFiles) {
    std::vector<uint8_t> bytes = Header("IDLE");
    bytes.insert(bytes.end(), {1, 2, 3});
    Machine::state.cycleCounter = 1000;
    Record(bytes, folder.File("idle.cp6"));
    Machine::state.cycleCounter = 1000 + 2000000;
    CassetteDeck::OnFrame();
    EXPECT_TRUE(CassetteDeck::RecordingToFile());
    Machine::state.cycleCounter = 1000 + 2000001;
    CassetteDeck::OnFrame();
    EXPECT_FALSE(CassetteDeck::RecordingToFile());
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(ReadBytes(folder.File("idle.cp6")), bytes);

    // A second start without an end finishes the first file before the next one.
    Record(bytes, folder.File("first.cp6"));
    std::vector<uint8_t> other = Header("OTHER");
    Record(other, folder.File("second.cp6"));
    EXPECT_EQ(ReadBytes(folder.File("first.cp6")), bytes);
    CassetteDeck::EndRecording();  // what a reset does
    EXPECT_EQ(ReadBytes(folder.File("second.cp6")), other);
}

TEST_F(CassetteTest, RecordingThatCannotBeWrittenIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    std::vector<uint8_t> bytes = Header("FULL");
    bytes.insert(bytes.end(), 5000, 0x42);
    Record(bytes, std::string("/dev/full"));
    CassetteDeck::EndRecording();
    ASSERT_FALSE(headless::DebugLines().empty());
    EXPECT_EQ(headless::DebugLines().back(), "Cassette file /dev/full was not written completely\n");
}

TEST_F(CassetteTest, BadTapeFilesLoadNothing) {
    StartTape({1, 2, 3});
    // A path that cannot be opened leaves the loaded tape alone.
    EXPECT_FALSE(CassetteDeck::LoadFile(folder.File("nothing-here.cp6")));
    EXPECT_TRUE(CassetteDeck::HasTape());

    // Empty file: the old tape is ejected, no new one, the stored path unchanged.
    std::string stored = settings.cassettePlayPath;
    WriteBytes(folder.File("empty.cp6"), {});
    EXPECT_FALSE(CassetteDeck::LoadFile(folder.File("empty.cp6")));
    EXPECT_FALSE(CassetteDeck::HasTape());
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(settings.cassettePlayPath, stored);

    // A folder opens on this host but cannot be read.
    EXPECT_FALSE(CassetteDeck::LoadFile(folder.Path()));
    EXPECT_FALSE(CassetteDeck::HasTape());

    // Beyond a signed 32-bit size: refused without reading (sparse, takes no space).
    devices_test::WriteSparse(folder.File("giant.cp6"), 3ull << 30, 0x77);
    EXPECT_FALSE(CassetteDeck::LoadFile(folder.File("giant.cp6")));
    EXPECT_FALSE(CassetteDeck::HasTape());
    EXPECT_EQ(settings.cassettePlayPath, stored);
}

TEST_F(CassetteTest, HundredMegabyteTapeLoadsWhole) {
    const uint64_t size = 100ull << 20;
    devices_test::WriteSparse(folder.File("big.cp6"), size, 0xC3);
    ASSERT_TRUE(CassetteDeck::LoadFile(folder.File("big.cp6")));
    std::filesystem::remove(folder.File("big.cp6"));
    EXPECT_EQ(CassetteDeck::state.tapeSize, int32_t(size));
    CassetteDeck::state.tapePosition = int32_t(size - 1);
    uint8_t value = 0;
    EXPECT_TRUE(CassetteDeck::ReadByte(&value));
    EXPECT_EQ(value, 0xC3);
    EXPECT_FALSE(CassetteDeck::ReadByte(&value));
    EXPECT_EQ(value, 0xFF);
    EXPECT_FALSE(CassetteDeck::HasTape());
}

TEST_F(CassetteTest, PlayFileAsksOnlyWhenTheDeckIsFree) {
    WriteBytes(folder.File("a.cp6"), {7, 8});
    setPath(settings.cassettePlayPath, folder.File("a.cp6"));
    headless::QueueFileAnswer(folder.File("a.cp6"));
    CassetteDeck::PlayFile();
    ASSERT_EQ(headless::FileChoosers().size(), 1u);
    const auto& request = headless::FileChoosers()[0].request;
    EXPECT_FALSE(headless::FileChoosers()[0].save);
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.defaultExtension, "cp6");
    EXPECT_EQ(request.presetPath, folder.File("a.cp6"));
    EXPECT_TRUE(CassetteDeck::tapeLoaded);

    CassetteDeck::PlayFile();  // a tape is loaded: no chooser
    EXPECT_EQ(headless::FileChoosers().size(), 1u);

    CassetteDeck::Eject();
    WriteBytes(folder.File("t.txt"), {'A'});
    ASSERT_TRUE(QuickType::TypeFilePath(folder.File("t.txt")));
    CassetteDeck::PlayFile();  // quick type is active: no chooser
    EXPECT_EQ(headless::FileChoosers().size(), 1u);
    QuickType::Stop();

    CassetteDeck::PlayFile();  // cancelled: nothing loaded
    EXPECT_EQ(headless::FileChoosers().size(), 2u);
    EXPECT_FALSE(CassetteDeck::HasTape());
}

}  // namespace
