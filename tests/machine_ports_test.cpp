// Port map, latches, AY read-back, the serial pointer, controller commands and the timer.
#include "devices/cassette.h"
#include "input/keyboard.h"
#include "platform/platform.h"
#include "tests/machine_fixture.h"

using MachinePortsTest = MachineTest;

// Every low byte, with different high bytes: only the low byte is decoded.
TEST_F(MachinePortsTest, ReadTableByRanges) {
    Machine::state.serialLatch[0] = 0x12;
    Machine::state.serialLatch[1] = 0x34;
    Machine::state.ppiPortA = 0x56;  // bit 0 clear
    Machine::state.portCLatch = 0x9A;
    Machine::state.ayRegisterSelect = 3;
    Machine::state.ayShadow[3] = 0xFF;  // reads back 0Fh
    for (uint16_t high : {0x00, 0x5A, 0xFF}) {
        for (int low = 0; low < 256; ++low) {
            uint8_t expected = 0xFF;
            if (low >= 0x80 && low <= 0x8F) expected = (low & 1) ? 0x34 : 0x12;
            else if (low >= 0x90 && low <= 0x9F) {
                static const uint8_t ppi[4] = {0x56, 0x00, 0x9A, 0xFE};
                expected = ppi[low & 3];
            } else if (low >= 0xA0 && low <= 0xAF) expected = 0x0F;
            ASSERT_EQ(In(uint16_t(high << 8 | low)), expected) << std::hex << low << " high " << high;
        }
    }
    Machine::state.ppiPortA = 0x57;
    EXPECT_EQ(In(0x93), 0xFF);
    EXPECT_EQ(In(0x9F), 0xFF);
}

TEST_F(MachinePortsTest, WritesOutsideTheTableChangeNothing) {
    for (int low : {0x00, 0x3F, 0x7F, 0xA2, 0xA3, 0xAE, 0xC0, 0xCF, 0xD0, 0xFF}) Out(uint16_t(0x1200 | low), 0x00);
    const Machine::State& s = Machine::state;
    EXPECT_EQ(s.serialLatch[0] & s.serialLatch[1] & s.ppiPortA & s.portCLatch & s.systemLatch, 0xFF);
    EXPECT_EQ(s.ayRegisterSelect & s.ayPortBLatch, 0xFF);
    EXPECT_EQ(s.videoBase, 0xC000);
    EXPECT_EQ(s.ayLogCount, 0);
    EXPECT_FALSE(s.expectCassetteByte);
}

TEST_F(MachinePortsTest, SerialLatchesByPortBit0) {
    Out(0x4580, 0x01);
    Out(0x8F, 0x02);
    EXPECT_EQ(Machine::state.serialLatch[0], 0x01);
    EXPECT_EQ(Machine::state.serialLatch[1], 0x02);
    EXPECT_EQ(In(0x8E), 0x01);
    EXPECT_EQ(In(0x81), 0x02);
}

TEST_F(MachinePortsTest, PortCBitSetReset) {
    Out(0x92, 0x00);
    EXPECT_EQ(Machine::state.portCLatch, 0x00);
    Out(0x93, 0x03);  // set bit 1, then 7, 5, 3 forced
    EXPECT_EQ(Machine::state.portCLatch, 0xAA);
    Out(0x93, 0x06);  // clear bit 3: forced back on
    EXPECT_EQ(Machine::state.portCLatch, 0xAA);
    Out(0x97, 0x0D);  // set bit 6
    EXPECT_EQ(Machine::state.portCLatch, 0xEA);
    Out(0x9B, 0x84);  // bit 7 of the value is not examined: clear bit 2 (already clear)
    EXPECT_EQ(Machine::state.portCLatch, 0xEA);
    Out(0x9F, 0x02);  // clear bit 1
    EXPECT_EQ(Machine::state.portCLatch, 0xE8);
    Out(0x96, 0x00);
    EXPECT_EQ(Machine::state.portCLatch, 0x00);
}

// Display bit 1 -> 0 at NTSC 100 %: budget 30347 -> 57272, timer 3746 -> 7070, picture redrawn.
TEST_F(MachinePortsTest, DisplayEnableChangeRecomputesTiming) {
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 30347);
    Machine::state.videoDirty = 0;
    Out(0x93, 0x02);
    EXPECT_EQ(Machine::state.videoDirty, 1);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 57272);
    EXPECT_EQ(Machine::timing.timerPeriod, 7070);
    Machine::state.videoDirty = 0;
    Out(0x93, 0x04);  // another bit: display unchanged
    EXPECT_EQ(Machine::state.videoDirty, 0);
    Out(0x92, 0x02);
    EXPECT_EQ(Machine::state.videoDirty, 1);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 30347);
    EXPECT_EQ(Machine::timing.timerPeriod, 3746);
    // A controller command that leaves port C alone recomputes nothing.
    Machine::state.videoDirty = 0;
    Out(0x90, 0x00);
    EXPECT_EQ(Machine::state.videoDirty, 0);
}

TEST_F(MachinePortsTest, VideoBaseFollowsOnlyChangesOfBits2And1) {
    Machine::state.videoDirty = 0;
    Out(0xB0, 0xFE);  // start FFh: bits 2-1 stay 11, so the page stays C000h (not A000h)
    EXPECT_EQ(Machine::state.videoBase, 0xC000);
    EXPECT_EQ(Machine::state.videoDirty, 0);
    Out(0xB0, 0xF6);  // bit 3 only
    EXPECT_EQ(Machine::state.videoBase, 0xC000);
    EXPECT_EQ(Machine::state.videoDirty, 0);
    Out(0xB0, 0x04);
    EXPECT_EQ(Machine::state.videoBase, 0x8000);
    EXPECT_EQ(Machine::state.videoDirty, 1);
    Machine::state.videoDirty = 0;
    Out(0xB7, 0x04);
    EXPECT_EQ(Machine::state.videoDirty, 0);
    Out(0xBF, 0x02);
    EXPECT_EQ(Machine::state.videoBase, 0xE000);
    Out(0xB0, 0x00);
    EXPECT_EQ(Machine::state.videoBase, 0xC000);
    Out(0xB0, 0x06);
    EXPECT_EQ(Machine::state.videoBase, 0xA000);
    EXPECT_EQ(Machine::state.systemLatch, 0x06);
    EXPECT_EQ(In(0xB0), 0xFF);
}

TEST_F(MachinePortsTest, AyReadBackMasks) {
    AyWrite(7, 0xFF);
    EXPECT_EQ(In(0xA0), 0xFF);
    AyWrite(1, 0xFF);
    EXPECT_EQ(In(0xA1), 0x0F);
    const uint8_t masks[14] = {0xFF, 0x0F, 0xFF, 0x0F, 0xFF, 0x0F, 0x1F, 0xFF, 0x1F, 0x1F, 0x1F, 0xFF, 0xFF, 0x0F};
    for (uint8_t r = 0; r < 14; ++r) {
        AyWrite(r, 0xFF);
        EXPECT_EQ(In(0xAC), masks[r]) << int(r);
        EXPECT_EQ(Machine::state.ayWritten[r], 1);
        EXPECT_EQ(Machine::state.ayShadow[r], 0xFF);
    }
    AyWrite(15, 0x00);
    EXPECT_EQ(In(0xA0), 0xFF);
    EXPECT_EQ(Machine::state.ayPortBLatch, 0x00);
    // Register 14 now reads pointer Y bits (select 00h).
    Machine::state.pointerY = 0x80;
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA0), 0xCD);
    // Register 14 is an input and 16+ do not exist: writes change nothing.
    AyWrite(14, 0x55);
    AyWrite(16, 0x55);
    EXPECT_EQ(Machine::state.ayShadow[14], 0x00);
    EXPECT_EQ(In(0xA1), 0xFF);
    EXPECT_EQ(Machine::state.ayLogCount, 16);  // registers 7, 1 and 0-13 were logged
}

TEST_F(MachinePortsTest, AyLogBufferHolds256Pairs) {
    for (int i = 0; i < 300; ++i) AyWrite(uint8_t(i % 14), uint8_t(i));
    EXPECT_EQ(Machine::state.ayLogCount, 256);
    EXPECT_EQ(Machine::state.ayLogRegister[255], 255 % 14);
    EXPECT_EQ(Machine::state.ayLogValue[255], 255);
}

TEST_F(MachinePortsTest, JoysticksThroughRegister14) {
    Machine::state.joystick1 = 0xF6;
    Machine::state.joystick2 = 0xEF;
    AyWrite(15, 0xC0);
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA0), 0xF6);
    AyWrite(15, 0xFF);
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA1), 0xF6);
    AyWrite(15, 0x80);
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA1), 0xEF);
    AyWrite(15, 0x40);
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA1), 0xFF);
}

// Y = A5h = 1010 0101 read MSB first in bit 2 with the button held (bit 0 clear),
// then the ninth read C9h; the X reads likewise from E8h, ninth E9h.
TEST_F(MachinePortsTest, SerialPointerProtocol) {
    Machine::state.pointerX = 0x3C;
    Machine::state.pointerY = 0xA5;
    Machine::state.pointerDown = 1;
    auto read14 = [](uint8_t select) {
        AyWrite(15, select);
        Out(0xA0, 14);
        return In(0xA1);
    };
    EXPECT_EQ(read14(0x11), 0xDE);
    const uint8_t y[9] = {0xCC, 0xC8, 0xCC, 0xC8, 0xC8, 0xCC, 0xC8, 0xCC, 0xC9};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(read14(0x00), y[i]) << i;
    EXPECT_EQ(read14(0x00), 0xC9);  // stays at the end until reset

    Machine::state.pointerDown = 0;
    EXPECT_EQ(read14(0x13), 0xFF);
    const uint8_t x[9] = {0xE9, 0xE9, 0xED, 0xED, 0xED, 0xED, 0xE9, 0xE9, 0xE9};  // 0011 1100
    for (int i = 0; i < 9; ++i) EXPECT_EQ(read14(0x02), x[i]) << i;
    EXPECT_EQ(Machine::state.pointerBitsX, 8);
    EXPECT_EQ(read14(0x11), 0xDF);
    EXPECT_EQ(Machine::state.pointerBitsY, 0);
    Machine::state.pointerDown = 1;
    EXPECT_EQ(read14(0x13), 0xFE);
    EXPECT_EQ(read14(0x05), 0xFF);
}

TEST_F(MachinePortsTest, ControllerCommands) {
    CpuCore::ClearPendingInterrupts();
    Out(0x94, 0x19);
    EXPECT_TRUE(CassetteDeck::cassetteMotorOn);
    Out(0x90, 0x1A);
    EXPECT_FALSE(CassetteDeck::cassetteMotorOn);
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);

    Machine::state.ppiPortA = 0x99;
    Out(0x90, 0x06);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x16);
    EXPECT_EQ(Machine::state.ppiPortA, KeyboardMapper::GameKeyByte());
}

// After 38h the next byte goes to the cassette, even 06h.
TEST_F(MachinePortsTest, CassetteByteCommandTakesTheNextByte) {
    CpuCore::ClearPendingInterrupts();
    Machine::state.ppiPortA = 0x99;
    Out(0x90, 0x38);
    EXPECT_TRUE(Machine::state.expectCassetteByte);
    Out(0x98, 0x06);
    EXPECT_FALSE(Machine::state.expectCassetteByte);
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
    EXPECT_EQ(Machine::state.ppiPortA, 0x99);
    Out(0x90, 0x38);
    Out(0x90, 0x19);  // a data byte, not the motor command
    EXPECT_FALSE(CassetteDeck::cassetteMotorOn);
    Out(0x90, 0x06);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x16);
}

TEST_F(MachinePortsTest, RetiAndRetnDebugLines) {
    Machine::OnReti();
    Machine::OnRetn();
    const auto& lines = platform::headless::DebugLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "TO DO: FIX ME for Z80 - z80_reti\n");
    EXPECT_EQ(lines[1], "TO DO: FIX ME for Z80 - z80_retn\n");
}

TEST_F(MachinePortsTest, ResetIoClearsOnlyCounterAndAyShadow) {
    AyWrite(8, 0x0F);
    Machine::state.ayWritten[8] = 0;
    Machine::state.cycleCounter = 12345;
    Out(0xB0, 0x04);
    Out(0x92, 0x10);
    Machine::ResetIo();
    EXPECT_EQ(Machine::state.cycleCounter, 0u);
    for (int r = 0; r < 15; ++r) {
        EXPECT_EQ(Machine::state.ayShadow[r], 0);
        EXPECT_EQ(Machine::state.ayWritten[r], 1);
    }
    EXPECT_EQ(Machine::state.systemLatch, 0x04);
    EXPECT_EQ(Machine::state.videoBase, 0x8000);
    EXPECT_EQ(Machine::state.portCLatch, 0x10);
    EXPECT_EQ(Machine::state.ayRegisterSelect, 8);
}

// ---- Timer ----

class MachineTimerTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        Out(0xB0, 0xFE);  // timer unmasked
        CpuCore::ClearPendingInterrupts();
        CpuCore::state.iff1 = 1;
    }
    // Runs steps of 4 T-states; returns after the first step that requested an interrupt.
    static int StepsUntilRequest(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Machine::OnCpuCycles(4);
            if (CpuCore::state.pendingIrq != kIrqNone) return i;
        }
        return -1;
    }
};

// Period 3746: the request comes at the first step that takes the count above it.
TEST_F(MachineTimerTest, FiresWhenCountPassesThePeriod) {
    for (int i = 0; i < 936; ++i) Machine::OnCpuCycles(4);  // 3744
    Machine::OnCpuCycles(2);                                  // 3746: not above
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
    Machine::OnCpuCycles(1);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x06);
    EXPECT_EQ(Machine::state.timerCount, 0u);
    EXPECT_EQ(Machine::state.cycleCounter, 3747u);
}

TEST_F(MachineTimerTest, MaskedTimerKeepsCounting) {
    Out(0xB0, 0xFF);
    EXPECT_EQ(StepsUntilRequest(2000), -1);  // 8000 T-states: two periods
    EXPECT_LT(Machine::state.timerCount, 3747u);
    EXPECT_GT(Machine::state.timerCount, 0u);
    Out(0xB0, 0xFE);
    EXPECT_GT(StepsUntilRequest(937), 0);
}

// Interrupts disabled for over two periods: one request as soon as they are
// enabled, then a second held back until the handler enables them again.
TEST_F(MachineTimerTest, HeldWhileInterruptsDisabled) {
    CpuCore::state.iff1 = 0;
    EXPECT_EQ(StepsUntilRequest(2000), -1);
    EXPECT_TRUE(Machine::state.timerPending);
    EXPECT_GT(Machine::state.timerCount, 3746u);  // the count went on
    CpuCore::state.iff1 = 1;
    EXPECT_EQ(StepsUntilRequest(1), 1);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x06);
    EXPECT_FALSE(Machine::state.timerPending);
    // Accepting it disables interrupts; the next step finds the count above the period.
    CpuCore::ClearPendingInterrupts();
    CpuCore::state.iff1 = 0;
    Machine::OnCpuCycles(4);
    EXPECT_TRUE(Machine::state.timerPending);
    EXPECT_EQ(Machine::state.timerCount, 0u);
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
    CpuCore::state.iff1 = 1;
    Machine::OnCpuCycles(4);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x06);
}

TEST_F(MachineTimerTest, HeldRequestMaskedWhenMade) {
    CpuCore::state.iff1 = 0;
    StepsUntilRequest(1000);
    ASSERT_TRUE(Machine::state.timerPending);
    Out(0xB0, 0xFF);
    CpuCore::state.iff1 = 1;
    Machine::OnCpuCycles(4);
    EXPECT_FALSE(Machine::state.timerPending);
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
}

// While quick type feeds keys the timer stops entirely: no request, no count.
TEST_F(MachineTimerTest, StoppedWhileQuickTypeFeeds) {
    Machine::OnCpuCycles(100);
    platform::headless::SetClipboardText("RUN\r");
    QuickType::Paste();
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(StepsUntilRequest(2000), -1);
    EXPECT_EQ(Machine::state.timerCount, 100u);
    EXPECT_EQ(Machine::state.cycleCounter, 8100u);
    QuickType::Stop();
    EXPECT_EQ(StepsUntilRequest(1000), (3747 - 100 + 3) / 4);
}

TEST_F(MachineTimerTest, DisplayOffPeriod) {
    Out(0x93, 0x02);
    int steps = StepsUntilRequest(3000);
    EXPECT_EQ(steps, 7071 / 4 + 1);  // first count above 7070: 1768 steps of 4 = 7072
}

// With the real CPU: a DI loop longer than a period, then EI; HALT: the timer
// interrupt arrives in IM 2 through vector 06h.
TEST_F(MachineTimerTest, CpuTakesHeldTimerAfterEi) {
    // ROM image: IM 2 with the table page C0h, DI, a delay loop, EI, HALT.
    static uint8_t rom[16384] = {};
    const uint8_t program[] = {
        0x31, 0x00, 0xF0,  // ld sp,F000h
        0x3E, 0xC0,        // ld a,C0h
        0xED, 0x47,        // ld i,a
        0xED, 0x5E,        // im 2
        0xF3,              // di
        0x01, 0x00, 0x04,  // ld bc,0400h        ; 1024 x 26 T-states, about 26600: over 7 periods
        0x0B,              // loop: dec bc
        0x78,              // ld a,b
        0xB1,              // or c
        0x20, 0xFB,        // jr nz,loop
        0xFB,              // ei
        0x76,              // halt
        0x18, 0xFD,        // jr halt
    };
    std::memcpy(rom, program, sizeof program);
    Machine::romSource = rom;
    Machine::Reset(2);
    Out(0xB0, 0xFE);
    // Vector table at C006h points at a handler at C100h: inc (C200h); ei; reti.
    Machine::MemoryImage[0xC006] = 0x00;
    Machine::MemoryImage[0xC007] = 0xC1;
    const uint8_t handler[] = {0x21, 0x00, 0xC2, 0x34, 0xFB, 0xED, 0x4D};
    std::memcpy(&Machine::MemoryImage[0xC100], handler, sizeof handler);
    int32_t executed = CpuCore::Execute(28000);
    if (executed == 28000 && CpuCore::state.pc == 0) GTEST_SKIP() << "the CPU core is a stand-in in this build";
    // The loop ends near T-state 26660 with the request held back all along; the
    // EI lets the timer request at once, but the HALT behind it ends the frame.
    EXPECT_EQ(Machine::MemoryImage[0xC200], 0);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x06);
    EXPECT_FALSE(Machine::state.timerPending);
    // Next frame: taken at once; the count had passed the period again, so a
    // second request follows as soon as the first handler re-enables interrupts.
    CpuCore::Execute(28000);
    EXPECT_EQ(Machine::MemoryImage[0xC200], 2);
    EXPECT_EQ(CpuCore::state.halted, 1u);
}
