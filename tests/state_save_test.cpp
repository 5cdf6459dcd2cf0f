// Save states and rewind, through the entries the commands use: a state
// saved at frame N and loaded into a fresh machine runs on exactly as the
// uninterrupted machine; bad files are refused and change nothing; rewinding
// and running on is running from that state.
#include <gtest/gtest.h>

#include <functional>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"
#include "state/rewind.h"
#include "state/save_state.h"
#include "tests/devices_test_support.h"
#include "video/renderer.h"

namespace {

using devices_test::ReadBytes;
using devices_test::WriteBytes;

uint64_t Hash(const void* data, size_t size, uint64_t h = 1469598103934665603ull) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

// CRC-32 bit by bit (IEEE, reflected), apart from the program's table version.
uint32_t ModelCrc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

class StateTest : public ::testing::Test {
protected:
    // A machine as the program starts it (the runner's start-up order).
    void Boot() {
        Machine::Shutdown();
        std::remove(folder.File("lprint.txt").c_str());
        std::remove(folder.File("lprint2.txt").c_str());
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        setPath(settings.printerPath, folder.File("lprint.txt"));
        iniPath = folder.File("test.ini");
        Machine::startDirectory = folder.Path();
        Machine::state = Machine::State{};
        QuickType::state = QuickType::State{};
        CassetteDeck::state = CassetteDeck::State{};
        CassetteDeck::cassetteMotorOn = false;
        PrinterPort::state = PrinterPort::State{};
        FrameScheduler::state = FrameScheduler::State{};
        CpuCore::lastOpcodeAddress = 0;
        Rewind::Clear();
        Machine::LoadRomImages();
        Machine::RecomputeTiming();
        FrameScheduler::InitClock();
        if (!Video::frameBitmap) createFrame();
        SoundShutdown();
        if (SoundInit()) psgInit(settings.ayVolumePercent);
        Machine::startUpResetDone = false;
        Machine::StartUpReset();
        platform::headless::StartCapture();
    }
    // One frame as the runner runs it; the picture and memory after it.
    uint64_t Frame() {
        FrameScheduler::RunFrame();
        renderFrame();
        platform::headless::PlaySamples(uint32_t(s_nLockSize / 2));
        return Hash(Video::framePixels, 280 * 216 * 2, Hash(Machine::MemoryImage, 65536));
    }
    static void Type(const std::string& text) {
        platform::headless::SetClipboardText(text);
        QuickType::Paste();
    }
    static std::vector<uint8_t> Sections() {
        std::vector<uint8_t> out;
        SaveState::WriteSections(out);
        return out;
    }
    void TearDown() override {
        Machine::Shutdown();
        iniPath = "default.ini";
        Machine::startDirectory = ".";
    }
    devices_test::ScratchFolder folder;
};

struct Scenario {
    const char* name;
    const char* typed;     // pasted at frame 0
    bool tape;             // CATCH_BAS.CP6 loaded at frame 20 for CLOAD
    int saveAt, compare;   // frames before the save, frames compared after it
    int holdFrom, holdTo;  // Space held (and repeating) over these frames
    bool sounds;           // PLAY is heard after the save
    std::function<bool()> busyAtSave;  // what the state must catch in progress
};

TEST_F(StateTest, LoadedStateRunsOnAsTheUninterruptedMachine) {
    const char* drawing =
        "10 MODE 8\r20 FOR I=0 TO 30:PSET RND(256),RND(192):NEXT\r30 PLAY \"O4L3CEG\":LPRINT I;\r40 GOTO 20\rRUN\r";
    const Scenario scenarios[] = {
        {"drawing, PLAY and LPRINT", drawing, false, 400, 240, -1, -1, true,
         [] { return PrinterPort::IsOpen(); }},
        {"quick type half way", drawing, false, 60, 300, -1, -1, true, [] { return QuickType::IsActive(); }},
        {"a tape loading", "CLOAD\r", true, 120, 240, -1, -1, false, [] { return CassetteDeck::tapeLoaded; }},
        {"a key held", "10 PRINT JOY(0);INKEY$;\r20 GOTO 10\rRUN\r", false, 100, 60, 95, 110, false,
         [] { return KeyboardMapper::state.keyStateSnapshot[0x20] != 0; }},
    };
    const std::string tape = std::string(VZ_SOURCE_DIR) + "/examples/CATCH_BAS.CP6";
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.name);
        auto input = [&](int frame) {
            if (sc.tape && frame == 20) EXPECT_TRUE(CassetteDeck::LoadFile(tape));  // CLOAD has been typed
            bool held = frame >= sc.holdFrom && frame < sc.holdTo;
            platform::headless::SetKeyDown(0x20, held);
            if (held) KeyboardMapper::OnKeyDown(0x20);
        };
        Boot();
        Type(sc.typed);
        for (int f = 0; f < sc.saveAt; ++f) input(f), Frame();
        EXPECT_TRUE(sc.busyAtSave());
        std::string path = folder.File("busy.vzs"), error;
        ASSERT_TRUE(SaveState::SaveToPath(path, &error)) << error;
        size_t soundAt = platform::headless::CapturedSamples().size();
        PrinterPort::Close();  // flushed to be read; the next byte appends, as after a load
        size_t printedAt = ReadBytes(settings.printerPath).size();
        std::vector<uint64_t> expected;
        for (int f = sc.saveAt; f < sc.saveAt + sc.compare; ++f) input(f), expected.push_back(Frame());
        std::vector<int16_t> sound(platform::headless::CapturedSamples().begin() + long(soundAt),
                                   platform::headless::CapturedSamples().end());
        PrinterPort::Close();
        std::vector<uint8_t> printed = ReadBytes(settings.printerPath);
        printed.erase(printed.begin(), printed.begin() + long(printedAt));

        Boot();  // a fresh machine, which runs a little before the load
        for (int f = 0; f < 20; ++f) Frame();
        setPath(settings.printerPath, folder.File("lprint2.txt"));
        platform::headless::StartCapture();
        ASSERT_TRUE(SaveState::LoadFromPath(path, &error)) << error;
        std::vector<uint64_t> actual;
        for (int f = sc.saveAt; f < sc.saveAt + sc.compare; ++f) input(f), actual.push_back(Frame());
        EXPECT_EQ(actual, expected);
        // The first three frames still play what the stream held before the load.
        const size_t skip = 3 * size_t(s_nLockSize / 2);
        const auto& heard = platform::headless::CapturedSamples();
        ASSERT_EQ(heard.size(), sound.size());
        EXPECT_TRUE(std::equal(heard.begin() + long(skip), heard.end(), sound.begin() + long(skip)));
        EXPECT_EQ(std::any_of(sound.begin(), sound.end(), [](int16_t v) { return v != 0; }), sc.sounds);
        PrinterPort::Close();
        EXPECT_EQ(ReadBytes(settings.printerPath), printed);
    }
}

TEST_F(StateTest, BadFilesAreRefusedAndChangeNothing) {
    Boot();
    Type("10 PRINT 1\r");
    for (int f = 0; f < 40; ++f) Frame();
    std::string good = folder.File("good.vzs"), error;
    ASSERT_TRUE(SaveState::SaveToPath(good, &error));
    std::vector<uint8_t> bytes = ReadBytes(good);  // resealed cases fail unless its CRC is the model's
    const size_t cpu = SaveState::kHeaderBytes;  // the first section
    auto resealed = [](std::vector<uint8_t> b) {
        uint32_t crc = ModelCrc(b.data(), b.size() - 4);
        for (int i = 0; i < 4; ++i) b[b.size() - 4 + size_t(i)] = uint8_t(crc >> (8 * i));
        return b;
    };
    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = bytes;
        b[at] = value;
        return b;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        const char* reason;
    } cases[] = {
        {"truncated", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(bytes.size() / 2)), "cut short"},
        {"corrupted", with(cpu + 200, uint8_t(bytes[cpu + 200] ^ 0x10)), "checksum does not match"},
        {"newer format", resealed(with(8, 2)), "newer version of Virtual Zel Vega (format 2)"},
        {"impossible value", resealed(with(cpu + 10 + 15 * 4, 7)), "damaged (section \"CPU \")"},  // interrupt mode 7
    };
    Frame();
    const std::vector<uint8_t> before = Sections();
    for (const Case& c : cases) {
        std::string path = folder.File("bad.vzs");
        WriteBytes(path, c.file);
        platform::headless::ClearRecords();
        platform::headless::QueueFileAnswer(path);
        SaveState::LoadDialog();
        ASSERT_EQ(platform::headless::Notices().size(), 1u) << c.name;
        EXPECT_NE(platform::headless::Notices()[0].find(c.reason), std::string::npos)
            << c.name << ": " << platform::headless::Notices()[0];
        EXPECT_EQ(Sections(), before) << c.name;
    }
    platform::headless::QueueFileAnswer(good);
    SaveState::LoadDialog();
    EXPECT_NE(Sections(), before);  // the good file does load
}

// The ring takes a state after the first frame and then every 60; rewinding
// shows the moment at once and runs on exactly as from there.
TEST_F(StateTest, RewindThenRunIsRunningFromThatState) {
    Boot();
    Type("10 MODE 8\r20 PSET RND(256),RND(192):PLAY \"L1C\":GOTO 20\rRUN\r");
    std::vector<uint64_t> after;  // after frame f has run
    std::vector<uint64_t> picture;
    for (int f = 0; f < 400; ++f) {
        after.push_back(Frame());
        picture.push_back(Hash(Video::framePixels, 280 * 216 * 2));
    }
    EXPECT_EQ(Rewind::CurrentUsage().entries, 1 + 399 / 60);
    ASSERT_TRUE(Rewind::StepBack());  // 39 frames since the state after 361: back to it
    renderFrame();
    EXPECT_EQ(Hash(Video::framePixels, 280 * 216 * 2), picture[360]);
    for (int f = 361; f < 400; ++f) EXPECT_EQ(Frame(), after[size_t(f)]) << f;
    ASSERT_TRUE(Rewind::StepBack());
    ASSERT_TRUE(Rewind::StepBack());  // held: a second more, the state after 301
    for (int f = 301; f < 361; ++f) EXPECT_EQ(Frame(), after[size_t(f)]) << f;
}

}  // namespace
