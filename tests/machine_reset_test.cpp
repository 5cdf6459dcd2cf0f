// Soft and hard reset, start-up and shutdown, with every device busy: what
// each keeps, what each restores, and that each ends the devices' work.
#include <cstring>
#include <fstream>
#include <iterator>

#include "devices/cassette.h"
#include "devices/printer.h"
#include "platform/headless/headless.h"
#include "sound/ay_log.h"
#include "tests/machine_fixture.h"

namespace {

class MachineResetTest : public MachineTest {
protected:
    std::string Text(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A program in RAM, a cartridge, latches set, and every device at work:
    // typing, a tape playing, a recording and the printer file open, the AY log on.
    void MakeBusy() {
        Machine::Reset(2);
        Machine::MemoryImage[0xC000] = 0x3E;
        Machine::MemoryImage[0x0000] = 0x77;  // not the ROM's byte: shows whether the ROM is copied again
        ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0x12, 0x34})));
        Out(0x93, 0x02);  // display off
        Out(0xB0, 0x0D);  // video page 8000h, timer masked, read enable
        AyWrite(9, 0x0C);
        CpuCore::state = CpuState{};
        CpuCore::state.pc = 0xC000, CpuCore::state.sp = 0x1234, CpuCore::state.iff1 = 1, CpuCore::state.interruptMode = 2;
        CpuCore::RequestInterrupt(0x06);
        platform::headless::SetClipboardText("10 PRINT 1\r");
        QuickType::Paste();
        ASSERT_TRUE(QuickType::IsActive());
        ASSERT_TRUE(CassetteDeck::LoadFile(WriteFile("t.cp6", std::vector<uint8_t>(50, 0x11))));
        Out(0x90, 0x19);
        platform::headless::SetSaveFolder(dir_.string());
        Out(0x90, 0x39);
        for (int i = 0; i < 20; ++i) Out(0x90, 0x38), Out(0x90, 'R');
        ASSERT_TRUE(CassetteDeck::RecordingToFile());
        setPath(settings.printerPath, (dir_ / "lp.txt").string());
        Out(0x91, uint8_t(~'H'));
        ASSERT_TRUE(PrinterPort::IsOpen());
        Machine::startDirectory = dir_.string();
        toggleAyLog();
        Machine::startDirectory = ".";
        ASSERT_TRUE(ayLogOpen());
        Machine::state.cycleCounter = 5000;
        FrameScheduler::InitClock();
        platform::headless::SetCounter(5'000'000);
        FrameScheduler::state.nextFrameTicks = 1;
        FrameScheduler::state.running = false;
    }
    // The devices' work has ended and its files are complete.
    void ExpectDevicesStopped() {
        EXPECT_FALSE(QuickType::IsActive());
        EXPECT_FALSE(CassetteDeck::HasTape());
        EXPECT_FALSE(CassetteDeck::tapeLoaded);
        EXPECT_FALSE(CassetteDeck::RecordingToFile());
        EXPECT_EQ(Text("RRRRRR_BAS.CP6"), std::string(20, 'R'));
        EXPECT_FALSE(PrinterPort::IsOpen());
        EXPECT_EQ(Text("lp.txt"), "H");
        EXPECT_EQ(CassetteDeck::fileActivity, 0);
    }
    void TearDown() override {
        closeAyLog();
        platform::headless::SetSaveFolder("");
        MachineTest::TearDown();
    }
};

}  // namespace

// Both restart the CPU (0000h, SP F000h, IM 0, interrupts off, nothing pending)
// and the cycle counter and clear the AY registers; both keep the cartridge and
// every latch; a hard reset also copies the ROM and clears RAM.
TEST_F(MachineResetTest, SoftAndHardReset) {
    for (int level : {0, 2}) {
        SCOPED_TRACE(level);
        MakeBusy();
        Machine::Reset(level);
        ExpectDevicesStopped();
        EXPECT_TRUE(ayLogOpen());  // the log belongs to the menu, not to the machine's state
        const CpuState& cpu = CpuCore::state;
        EXPECT_EQ(std::vector<uint32_t>({cpu.pc, cpu.sp, cpu.iff1, cpu.interruptMode, uint32_t(cpu.pendingIrq)}),
                  std::vector<uint32_t>({0, 0xF000, 0, 0, uint32_t(kIrqNone)}));
        EXPECT_EQ(Machine::state.cycleCounter, 0u);
        Out(0xA0, 9);
        EXPECT_EQ(In(0xA1), 0);
        EXPECT_EQ(Machine::ReadMemory(0x4001), 0x34);
        EXPECT_EQ(Machine::timing.cyclesPerFrame, 57272);  // still the display-off budget
        EXPECT_EQ(Machine::state.systemLatch, 0x0D);
        EXPECT_EQ(Machine::state.videoBase, 0x8000);
        EXPECT_TRUE(FrameScheduler::state.running);
        EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 5'000'000);
        EXPECT_EQ(Machine::ReadMemory(0xC000), level == 2 ? 0x00 : 0x3E);
        EXPECT_EQ(Machine::ReadMemory(0x0000), level == 2 ? BuiltinBasicRom[0] : 0x77);
        closeAyLog();
        Machine::RemoveGameRom();
        std::filesystem::remove(dir_ / "RRRRRR_BAS.CP6");
        std::filesystem::remove(dir_ / "lp.txt");
    }
}

// Shutdown ends the devices, closes the AY log and removes the cartridge,
// hard-resetting when the CPU ran in it.
TEST_F(MachineResetTest, ShutdownEndsEverything) {
    for (int32_t lastOpcode : {0xC000, 0x4000}) {
        SCOPED_TRACE(lastOpcode);
        MakeBusy();
        CpuCore::lastOpcodeAddress = lastOpcode;
        Machine::Shutdown();
        ExpectDevicesStopped();
        EXPECT_FALSE(ayLogOpen());
        EXPECT_EQ(Machine::GameRomImage, nullptr);
        EXPECT_EQ(Machine::ReadMemory(0xC000), lastOpcode == 0x4000 ? 0x00 : 0x3E);
        std::filesystem::remove(dir_ / "RRRRRR_BAS.CP6");
        std::filesystem::remove(dir_ / "lp.txt");
    }
}

// The BASIC tells the resets apart: after a soft reset the program is still
// there and the variables are gone; a hard reset clears RAM and the program.
TEST_F(MachineResetTest, SoftResetKeepsTheBasicProgram) {
    auto frames = [](int n) {
        for (int i = 0; i < n; ++i) FrameScheduler::RunFrame();
    };
    auto type = [&](const char* text) {
        platform::headless::SetClipboardText(text);
        QuickType::Paste();
        frames(150);
    };
    auto screen = [] {  // the text cells at E200h, 32 a row
        std::string text;
        for (int cell = 0; cell < 512; ++cell) text += char(Machine::MemoryImage[0xE200 + cell]);
        return text;
    };
    Machine::Reset(2);
    frames(60);
    type("10 PRINT \"KEPT\"\rA=5\r");
    Machine::Reset(0);
    frames(60);
    type("PRINT A;\"VARS\"\rRUN\r");
    EXPECT_NE(screen().find(" 0 VARS"), std::string::npos) << screen();
    EXPECT_NE(screen().find("KEPT"), std::string::npos) << screen();
    EXPECT_EQ(screen().find("BYTES FREE"), std::string::npos) << screen();  // READY alone, no banner
    Machine::Reset(2);
    frames(60);
    type("LIST\rPRINT \"DO\";\"NE\"\r");
    EXPECT_NE(screen().find("DONE"), std::string::npos) << screen();
    EXPECT_EQ(screen().find("KEPT"), std::string::npos) << screen();
}
