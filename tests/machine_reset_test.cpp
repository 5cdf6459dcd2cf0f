// Soft and hard resets, start-up and shutdown.
#include <cstring>

#include "devices/cassette.h"
#include "platform/headless/headless.h"
#include "tests/machine_fixture.h"

using MachineResetTest = MachineTest;

TEST_F(MachineResetTest, HardResetNormalConfiguration) {
    std::memset(Machine::MemoryImage, 0x77, sizeof Machine::MemoryImage);
    Machine::state.cycleCounter = 999;
    CpuCore::state.pc = 0x4321;
    CpuCore::state.iff1 = 1;
    CpuCore::state.interruptMode = 2;
    FrameScheduler::state.running = false;
    Machine::Reset(2);
    EXPECT_EQ(std::memcmp(Machine::MemoryImage, Machine::BasicRomImage, 16384), 0);
    for (uint32_t a = 0x8000; a < 0xC000; a += 0x7F) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), 0xFF);
    for (uint32_t a = 0xC000; a < 0x10000; a += 0x7F) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), 0x00);
    EXPECT_EQ(CpuCore::state.pc, 0u);
    EXPECT_EQ(CpuCore::state.sp, 0xF000u);
    EXPECT_EQ(CpuCore::state.iff1, 0u);
    EXPECT_EQ(CpuCore::state.interruptMode, 0u);
    EXPECT_EQ(Machine::state.cycleCounter, 0u);
    EXPECT_TRUE(FrameScheduler::state.running);
}

TEST_F(MachineResetTest, HardResetEnhancedShowsRamBesideCartridgeAndWindow) {
    settings.memoryEnhanced = 1;
    std::memset(Machine::MemoryImage, 0x77, sizeof Machine::MemoryImage);
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", std::vector<uint8_t>(0x1000, 0xAA))));
    Machine::state.portCLatch = 0xFB;
    Machine::Reset(2);
    EXPECT_EQ(Machine::ReadMemory(0x4000), 0xAA);                       // cartridge
    EXPECT_EQ(Machine::ReadMemory(0x5000), 0xFF);                       // cartridge's FFh fill
    EXPECT_EQ(Machine::ReadMemory(0x6000), Machine::ExtCharRomImage[0]);  // character window
    EXPECT_EQ(Machine::ReadMemory(0x8000), 0x00);
    EXPECT_EQ(Machine::ReadMemory(0xBFFF), 0x00);
    Machine::state.portCLatch = 0xFF;
    CpuCore::lastOpcodeAddress = 0;
    Machine::RemoveGameRom();
    for (uint32_t a = 0x4000; a < 0x10000; a += 0x3F) ASSERT_EQ(Machine::ReadMemory(uint16_t(a)), 0x00);
}

// A soft reset restarts the CPU and keeps RAM, the cartridge and every latch.
TEST_F(MachineResetTest, SoftResetKeepsMemoryAndLatches) {
    Machine::Reset(2);
    Machine::MemoryImage[0xC000] = 0x3E;
    Machine::MemoryImage[0xFFFF] = 0xC9;
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0x12, 0x34})));
    Machine::WritePort(0x93, 0x02);  // display off
    Machine::WritePort(0xB0, 0x0D);
    Machine::WritePort(0xA0, 9);
    Machine::WritePort(0xA1, 0x0C);
    Machine::state.cycleCounter = 5000;
    CpuCore::state.pc = 0xC000;
    Machine::Reset(0);
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x3E);
    EXPECT_EQ(Machine::MemoryImage[0xFFFF], 0xC9);
    EXPECT_EQ(Machine::ReadMemory(0x4001), 0x34);
    EXPECT_EQ(CpuCore::state.pc, 0u);
    EXPECT_EQ(Machine::state.portCLatch & 0x02, 0);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 57272);  // still the display-off budget
    EXPECT_EQ(Machine::state.systemLatch, 0x0D);
    EXPECT_EQ(Machine::state.videoBase, 0x8000);  // bits 2-1 = 10, unchanged by the reset
    EXPECT_EQ(Machine::state.cycleCounter, 0u);
    EXPECT_EQ(Machine::state.ayShadow[9], 0);
}

TEST_F(MachineResetTest, ResetResynchronisesTheFrameClock) {
    FrameScheduler::InitClock();
    platform::headless::SetCounter(5'000'000);
    FrameScheduler::state.nextFrameTicks = 1;
    Machine::Reset(0);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 5'000'000);
}

TEST_F(MachineResetTest, ResetUnloadsTapeAndStopsTyping) {
    platform::headless::SetClipboardText("10 PRINT 1\r");
    QuickType::Paste();
    if (!QuickType::IsActive()) GTEST_SKIP() << "quick type is a stand-in in this build";
    Machine::Reset(0);
    EXPECT_FALSE(QuickType::IsActive());
    EXPECT_FALSE(CassetteDeck::tapeLoaded);
    EXPECT_EQ(CassetteDeck::fileActivity, 0);
}

TEST_F(MachineResetTest, StartUpResetRunsOnce) {
    Machine::startUpResetDone = false;
    Machine::romSource = nullptr;
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

// Loading the ROM images gives a hard reset before the start-up reset an image to copy.
TEST_F(MachineResetTest, RomSourceSetWhenImagesFirstLoaded) {
    Machine::romSource = nullptr;
    Machine::LoadRomImages();
    EXPECT_EQ(Machine::romSource, Machine::BasicRomImage);
}

TEST_F(MachineResetTest, ShutdownRemovesCartridgeAndResetsFromIt) {
    ASSERT_TRUE(Machine::LoadGameRomFile(WriteFile("c.rom", {0x00})));
    Machine::MemoryImage[0xC000] = 0x11;
    CpuCore::lastOpcodeAddress = 0x4000;
    Machine::Shutdown();
    EXPECT_EQ(Machine::GameRomImage, nullptr);
    EXPECT_EQ(Machine::MemoryImage[0xC000], 0x00);
}
