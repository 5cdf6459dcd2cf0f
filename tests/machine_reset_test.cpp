// Soft and hard resets, start-up and shutdown.
#include <cstring>

#include "devices/cassette.h"
#include "platform/headless/headless.h"
#include "tests/machine_fixture.h"

using MachineResetTest = MachineTest;

// Hard reset: the BASIC image, 00h in fitted RAM, FFh elsewhere, the CPU from
// 0000h with SP F000h, interrupts off, IM 0; enhanced, RAM shows beside the
// cartridge and the character window and everywhere once the cartridge goes.
TEST_F(MachineResetTest, HardReset) {
    std::memset(Machine::MemoryImage, 0x77, sizeof Machine::MemoryImage);
    Machine::state.cycleCounter = 999;
    CpuCore::state.pc = 0x4321;
    CpuCore::state.iff1 = 1;
    CpuCore::state.interruptMode = 2;
    FrameScheduler::state.running = false;
    Machine::Reset(2);
    EXPECT_EQ(std::memcmp(Machine::MemoryImage, Machine::BasicRomImage, 16384), 0);
    for (uint32_t a = 0x4000; a < 0x10000; a += 0x7F) {
        ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), a < 0xC000 ? 0xFF : 0x00) << std::hex << a;
    }
    EXPECT_EQ(CpuCore::state.pc, 0u);
    EXPECT_EQ(CpuCore::state.sp, 0xF000u);
    EXPECT_EQ(CpuCore::state.iff1, 0u);
    EXPECT_EQ(CpuCore::state.interruptMode, 0u);
    EXPECT_EQ(Machine::state.cycleCounter, 0u);
    EXPECT_TRUE(FrameScheduler::state.running);

    settings.memoryEnhanced = 1;
    std::memset(Machine::MemoryImage, 0x77, sizeof Machine::MemoryImage);
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", std::vector<uint8_t>(0x1000, 0xAA))));
    Machine::state.portCLatch = 0xFB;
    Machine::Reset(2);
    EXPECT_EQ(Machine::ReadMemory(0x4000), 0xAA);                         // cartridge
    EXPECT_EQ(Machine::ReadMemory(0x5000), 0xFF);                         // cartridge's FFh fill
    EXPECT_EQ(Machine::ReadMemory(0x6000), Machine::ExtCharRomImage[0]);  // character window
    EXPECT_EQ(Machine::ReadMemory(0x8000), 0x00);
    Machine::state.portCLatch = 0xFF;
    CpuCore::lastOpcodeAddress = 0;
    Machine::RemoveGameRom();
    for (uint32_t a = 0x4000; a < 0x10000; a += 0x3F) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), 0x00);
}

// A soft reset restarts the CPU and keeps RAM, the cartridge and every latch;
// it unloads the tape, stops typing and resynchronises the frame clock.
TEST_F(MachineResetTest, SoftReset) {
    Machine::Reset(2);
    Machine::MemoryImage[0xC000] = 0x3E;
    Machine::MemoryImage[0xFFFF] = 0xC9;
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0x12, 0x34})));
    Machine::WritePort(0x93, 0x02);  // display off
    Machine::WritePort(0xB0, 0x0D);
    AyWrite(9, 0x0C);
    Machine::state.cycleCounter = 5000;
    CpuCore::state.pc = 0xC000;
    platform::headless::SetClipboardText("10 PRINT 1\r");
    QuickType::Paste();
    ASSERT_TRUE(QuickType::IsActive());
    FrameScheduler::InitClock();
    platform::headless::SetCounter(5'000'000);
    FrameScheduler::state.nextFrameTicks = 1;
    Machine::Reset(0);
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x3E);
    EXPECT_EQ(Machine::MemoryImage[0xFFFF], 0xC9);
    EXPECT_EQ(Machine::ReadMemory(0x4001), 0x34);
    EXPECT_EQ(CpuCore::state.pc, 0u);
    EXPECT_EQ(Machine::state.portCLatch & 0x02, 0);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 57272);  // still the display-off budget
    EXPECT_EQ(Machine::state.systemLatch, 0x0D);
    EXPECT_EQ(Machine::state.videoBase, 0x8000);  // bits 2-1 = 10
    EXPECT_EQ(Machine::state.cycleCounter, 0u);
    EXPECT_EQ(Machine::state.ayShadow[9], 0);
    EXPECT_FALSE(QuickType::IsActive());
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 5'000'000);
}

// Loading the ROM images or the start-up reset sets the reset's source; the
// start-up reset runs once.
TEST_F(MachineResetTest, StartUpResetRunsOnce) {
    Machine::romSource = nullptr;
    Machine::LoadRomImages();
    EXPECT_EQ(Machine::romSource, Machine::BasicRomImage);
    Machine::romSource = nullptr;
    Machine::startUpResetDone = false;
    FrameScheduler::state.running = false;
    Machine::MemoryImage[0xC000] = 0x11;
    Machine::StartUpReset();
    EXPECT_TRUE(Machine::startUpResetDone);
    EXPECT_TRUE(FrameScheduler::state.running);
    EXPECT_EQ(Machine::romSource, Machine::BasicRomImage);
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x00);
    EXPECT_EQ(std::memcmp(Machine::MemoryImage, Machine::BasicRomImage, 16384), 0);
    Machine::MemoryImage[0xC000] = 0x11;
    Machine::StartUpReset();
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x11);
}

TEST_F(MachineResetTest, ShutdownRemovesCartridgeAndResetsFromIt) {
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0x00})));
    Machine::MemoryImage[0xC000] = 0x11;
    CpuCore::lastOpcodeAddress = 0x4000;
    Machine::Shutdown();
    EXPECT_EQ(Machine::GameRomImage, nullptr);
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x00);
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
