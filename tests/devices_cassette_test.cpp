// Cassette deck: pacing in T-states, idle rules, recording and file names.
#include <cstring>

#include "devices_test_support.h"
#include "tests/full_disk.h"

using namespace devices_test;
namespace headless = platform::headless;
namespace deck = CassetteDeck;

namespace {

struct Delivery {
    uint32_t cycle;
    uint8_t byte;
    bool operator==(const Delivery&) const = default;
};

class CassetteTest : public DeviceTest {
protected:
    // Loads bytes as a tape, motor on, read enable raised: a load begins.
    void StartTape(const std::vector<uint8_t>& bytes) {
        WriteBytes(folder.File("tape.cp6"), bytes);
        ASSERT_TRUE(deck::LoadFile(folder.File("tape.cp6")));
        deck::cassetteMotorOn = true;
        deck::OnReadEnableRising();
    }
    // The machine's per-step hook in steps of `step` T-states; every cassette
    // interrupt is taken and its byte noted.
    std::vector<Delivery> Run(uint32_t cycles, uint32_t step = 4) {
        std::vector<Delivery> got;
        for (uint32_t done = 0; done < cycles; done += step) {
            Machine::state.cycleCounter += step;
            if (deck::PlaybackActive()) deck::Tick(step);
            if (CpuCore::state.pendingIrq == 0x08) {
                got.push_back({Machine::state.cycleCounter, Machine::state.ppiPortA});
                CpuCore::state.pendingIrq = kIrqNone;
            }
        }
        return got;
    }
    std::vector<uint8_t> Bytes(const std::vector<Delivery>& got) {
        std::vector<uint8_t> bytes;
        for (const Delivery& d : got) bytes.push_back(d.byte);
        return bytes;
    }
    // A recording of `bytes`, the save chooser answered with `answer`; ended too if `end`.
    void Record(const std::vector<uint8_t>& bytes, std::optional<std::string> answer, bool end = false) {
        headless::QueueFileAnswer(answer);
        deck::BeginRecording();
        for (uint8_t b : bytes) deck::WriteByte(b);
        if (end) deck::EndRecording();
    }
    bool Playing() { return (deck::fileActivity & deck::kActivityPlaying) != 0; }
};

// Seventeen header bytes (D3h leader) with `name` from byte 10, padded with 00.
std::vector<uint8_t> Header(const std::string& name) {
    std::vector<uint8_t> h(17, 0x00);
    std::fill(h.begin(), h.begin() + 10, uint8_t(0xD3));
    std::memcpy(&h[10], name.data(), std::min<size_t>(name.size(), 6));
    h[16] = 0x7F;
    return h;
}

TEST_F(CassetteTest, BytesArePacedAndTheTapeEjectsAtItsEnd) {
    // The accumulator must exceed 18392 (steps of 4: at 18396)
    // and 455211 after the first 00 (at 455212).
    struct Case {
        std::vector<uint8_t> tape;
        uint32_t step;
        std::vector<uint32_t> cycles;
    } const cases[] = {
        {{0x55, 0x55, 0x00, 0x12, 0x34}, 4, {18396, 36792, 55188, 55188 + 455212, 55188 + 455212 + 18396}},
        {{0x00, 0x7E}, 1, {18393, 18393 + 455212}},  // one T-state past each interval
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tape.size());
        SetUp();
        StartTape(c.tape);
        std::vector<Delivery> got = Run(700000, c.step);
        std::vector<uint32_t> cycles;
        for (const Delivery& d : got) cycles.push_back(d.cycle);
        EXPECT_EQ(cycles, c.cycles);
        EXPECT_EQ(Bytes(got), c.tape);
        EXPECT_FALSE(deck::HasTape());
        EXPECT_FALSE(deck::tapeLoaded || deck::PlaybackActive() || Playing());
        // A program still waiting mid-load gets nothing more, even on a new read enable.
        deck::OnReadEnableRising();
        EXPECT_TRUE(Run(1000000).empty());
    }
}

TEST_F(CassetteTest, SlotsAreLostWhileInterruptsAreOffOrTheReadEnableIsLow) {
    StartTape({0x41, 0x42, 0x43});
    CpuCore::state.iff1 = 0;
    EXPECT_TRUE(Run(40000).empty());  // slots at 18396 and 36792 lost
    CpuCore::state.iff1 = 1;
    EXPECT_EQ(Run(20000), (std::vector<Delivery>{{55188, 0x41}}));

    Machine::state.systemLatch &= uint8_t(~0x08);  // read enable low: the accumulator stands still
    EXPECT_TRUE(Run(100000).empty());
    Machine::state.systemLatch |= 0x08;
    EXPECT_EQ(Run(20000), (std::vector<Delivery>{{55188 + 100000 + 18396, 0x42}}));
}

TEST_F(CassetteTest, IdleTapePausesWithTenBytesLeftAndEjectsWithNine) {
    std::vector<uint8_t> tape(20);
    for (size_t i = 0; i < tape.size(); ++i) tape[i] = uint8_t(0x30 + i);
    StartTape(tape);
    ASSERT_EQ(Run(18396 * 10).size(), 10u);
    const uint32_t last = 18396u * 10;
    Machine::state.cycleCounter = last + 2000000;  // not yet more than the idle time
    deck::OnFrame();
    EXPECT_TRUE(deck::tapeLoaded);
    Machine::state.cycleCounter = last + 2000001;
    deck::OnFrame();
    EXPECT_FALSE(deck::tapeLoaded || Playing());
    EXPECT_TRUE(deck::HasTape());
    EXPECT_EQ(deck::state.tapePosition, 10);

    deck::OnReadEnableRising();
    EXPECT_TRUE(deck::tapeLoaded && Playing());
    EXPECT_EQ(Bytes(Run(18396)), std::vector<uint8_t>{0x30 + 10});

    Machine::state.cycleCounter += 2000001;  // 9 bytes left: ejected
    deck::OnFrame();
    EXPECT_FALSE(deck::HasTape());
    EXPECT_EQ(deck::state.tapePosition, 0);
    deck::OnReadEnableRising();
    EXPECT_FALSE(deck::tapeLoaded);
}

TEST_F(CassetteTest, ProposedNamesComeFromBytesTenToFifteenAndStayInTheFolder) {
    std::vector<uint8_t> nasty = Header("");
    const uint8_t raw[6] = {'.', '.', '\\', 0x01, 0xFF, '*'};
    std::memcpy(&nasty[10], raw, 6);
    struct Case {
        std::vector<uint8_t> header;
        const char* name;
    } const cases[] = {
        {Header("ABCDEF"), "ABCDEF_BAS.CP6"},  // byte 16 is not part of it
        {Header(""), "NONAME_BAS.CP6"}, {Header("a-b_ 9"), "a-b_ 9_BAS.CP6"}, {Header("../a/b"), "___a_b_BAS.CP6"},
        {nasty, "_______BAS.CP6"},
    };
    // The save chooser proposes the name in the folder of the last recording.
    std::vector<std::string> proposed, expected;
    for (const Case& c : cases) {
        for (const char* last : {"cassav.cp6", "/data/tapes/old.cp6"}) {
            setPath(settings.cassetteRecordPath, last);
            Record(c.header, std::nullopt, true);
            proposed.push_back(headless::FileChoosers().back().request.presetPath);
            expected.push_back(std::string(last[0] == '/' ? "/data/tapes/" : "") + c.name);
        }
    }
    EXPECT_EQ(proposed, expected);
    EXPECT_EQ(headless::CursorShowCount(), 0);  // shown for each chooser, hidden again
}

TEST_F(CassetteTest, CancelledOrFailedRecordingsAreDroppedOrReported) {
    std::vector<uint8_t> bytes = Header("GAME");
    bytes.insert(bytes.end(), 50, 0x5A);
    Record(bytes, std::nullopt);  // named from its own bytes, then cancelled
    EXPECT_EQ(headless::FileChoosers().at(0).request.presetPath, "GAME_BAS.CP6");
    EXPECT_FALSE(deck::RecordingToFile());
    deck::EndRecording();
    EXPECT_STREQ(settings.cassetteRecordPath, "cassav.cp6");

    std::string bad = folder.File("missing/sub/GAME.CP6");
    Record(bytes, bad);
    EXPECT_FALSE(deck::RecordingToFile());
    deck::EndRecording();
    EXPECT_STREQ(settings.cassetteRecordPath, "cassav.cp6");

    // The disk fills part way: the older tape of that name stays whole, no partial file is left.
    bytes.insert(bytes.end(), 5000, 0x42);
    std::string kept = folder.File("kept.cp6");
    WriteBytes(kept, {1, 2, 3});
    WithDiskRoom(1000, [&] { return Record(bytes, kept, true), 0; });
    EXPECT_EQ(ReadBytes(kept), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(headless::DebugLines().back(), "Cassette file " + kept + " was not written completely\n");
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
}

TEST_F(CassetteTest, IdleRecordingAndResetLeaveCompleteClosedFiles) {
    std::vector<uint8_t> bytes = Header("IDLE");
    bytes.insert(bytes.end(), {1, 2, 3});
    Machine::state.cycleCounter = 1000;
    Record(bytes, folder.File("idle.cp6"));
    Machine::state.cycleCounter = 1000 + 2000000;
    deck::OnFrame();
    EXPECT_TRUE(deck::RecordingToFile());
    Machine::state.cycleCounter = 1000 + 2000001;
    deck::OnFrame();
    EXPECT_FALSE(deck::RecordingToFile());
    EXPECT_EQ(ReadBytes(folder.File("idle.cp6")), bytes);

    // A second start without an end finishes the first file before the next one.
    Record(bytes, folder.File("first.cp6"));
    Record(Header("OTHER"), folder.File("second.cp6"));
    EXPECT_EQ(ReadBytes(folder.File("first.cp6")), bytes);
}

TEST_F(CassetteTest, BadTapeFilesLoadNothing) {
    WriteBytes(folder.File("empty.cp6"), {});
    devices_test::WriteSparse(folder.File("giant.cp6"), 3ull << 30, 0x77);  // beyond a signed 32-bit size
    // One that cannot be opened (a folder is no file) keeps the old tape; empty or too large ejects it.
    const std::pair<std::string, bool> files[] = {{folder.File("nothing-here.cp6"), true}, {folder.Path(), true},
                                                  {folder.File("empty.cp6"), false}, {folder.File("giant.cp6"), false}};
    for (const auto& [path, keeps] : files) {
        SCOPED_TRACE(path);
        StartTape({1, 2, 3});
        const std::string stored = settings.cassettePlayPath;
        EXPECT_FALSE(deck::LoadFile(path));
        EXPECT_EQ((std::vector<bool>{deck::HasTape(), deck::tapeLoaded, deck::fileActivity != 0}), std::vector<bool>(3, keeps));
        EXPECT_EQ(settings.cassettePlayPath, stored);
        deck::Eject();
    }
}

TEST_F(CassetteTest, PlayFileAsksOnlyWhenTheDeckIsFree) {
    WriteBytes(folder.File("a.cp6"), {7, 8});
    setPath(settings.cassettePlayPath, folder.File("a.cp6"));
    headless::QueueFileAnswer(folder.File("a.cp6"));
    deck::PlayFile();
    EXPECT_TRUE(deck::tapeLoaded);
    deck::PlayFile();  // a tape is loaded: no chooser
    deck::Eject();
    deck::PlayFile();  // cancelled: nothing loaded
    EXPECT_FALSE(deck::HasTape());
    EXPECT_EQ(Chooser(0), "open existing cp6 " + folder.File("a.cp6") +
                              " | Zel Vega Cassette Files (*.CP6) *.cp6 | All Files (*.*) *.*");
    EXPECT_EQ(headless::FileChoosers().size(), 2u);
}

}  // namespace
