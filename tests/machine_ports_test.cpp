// The port map, the latches, AY read-back, register 14's joysticks and
// serial pointer, the controller commands, the read enable, and the timer.
#include "devices/cassette.h"
#include "input/keyboard.h"
#include "tests/machine_fixture.h"

using MachinePortsTest = MachineTest;

namespace {
uint8_t Read14(uint8_t select) {
    Machine::WritePort(0xA0, 15);
    Machine::WritePort(0xA1, select);
    Machine::WritePort(0xA0, 14);
    return Machine::ReadPort(0xA1);
}
}  // namespace

// Reads by ranges of the low byte under any high byte; writes outside the table change nothing.
TEST_F(MachinePortsTest, PortTableByRanges) {
    for (int low : {0x00, 0x3F, 0x7F, 0xA2, 0xA3, 0xAE, 0xC0, 0xCF, 0xD0, 0xFF}) Out(uint16_t(0x1200 | low), 0x00);
    const Machine::State& s = Machine::state;
    EXPECT_EQ(s.serialLatch[0] & s.serialLatch[1] & s.ppiPortA & s.portCLatch & s.systemLatch, 0xFF);
    EXPECT_EQ(s.ayRegisterSelect & s.ayPortBLatch, 0xFF);
    EXPECT_EQ(s.ayLogCount, 0);
    Out(0x4580, 0x12);  // serial latch by port bit 0
    Out(0x8F, 0x34);
    Machine::state.ppiPortA = 0x56;  // bit 0 clear: 93h reads FEh
    Machine::state.portCLatch = 0x9A;
    AyWrite(3, 0xFF);  // reads back 0Fh
    const uint8_t ppi[4] = {0x56, 0x00, 0x9A, 0xFE};
    for (uint16_t high : {0x00, 0x5A, 0xFF})
        for (int low = 0; low < 256; ++low) {
            uint8_t expected = low >= 0xA0 && low <= 0xAF ? 0x0F : low >= 0x90 && low <= 0x9F ? ppi[low & 3]
                               : low >= 0x80 && low <= 0x8F ? (low & 1 ? 0x34 : 0x12) : 0xFF;
            ASSERT_EQ(In(uint16_t(high << 8 | low)), expected) << std::hex << low << " high " << high;
        }
    Machine::state.ppiPortA = 0x57;
    EXPECT_EQ(In(0x9F), 0xFF);
}

// 92h loads port C; 93h sets or clears bit (value >> 1) & 7 by value bit 0, then sets bits 7, 5 and 3.
TEST_F(MachinePortsTest, PortCBitSetReset) {
    const struct { uint8_t port, value, expected; } steps[] = {
        {0x92, 0x00, 0x00}, {0x93, 0x03, 0xAA}, {0x93, 0x06, 0xAA}, {0x97, 0x0D, 0xEA},
        {0x9B, 0x84, 0xEA}, {0x9F, 0x02, 0xE8}, {0x96, 0x00, 0x00}, {0x93, 0x0F, 0xA8},
    };
    for (const auto& step : steps) {
        Out(step.port, step.value);
        EXPECT_EQ(Machine::state.portCLatch, step.expected) << std::hex << int(step.port) << " " << int(step.value);
    }
}

// Display bit 1 at NTSC 100 %: budget 30347 on, 57272 off, timer 3746 / 7070.
// System latch bits 2-1 pick the video page only when they change (start FFh).
TEST_F(MachinePortsTest, DisplayEnableAndVideoBase) {
    const struct { uint8_t port, value; bool dirty; int32_t frame; uint16_t videoBase; } steps[] = {
        {0x93, 0x02, true, 57272, 0xC000},  {0x93, 0x04, false, 57272, 0xC000},
        {0x92, 0x02, true, 30347, 0xC000},  {0x90, 0x00, false, 30347, 0xC000},
        {0xB0, 0xFE, false, 30347, 0xC000},  // bits 2-1 stay 11: C000h, not A000h
        {0xB0, 0xF6, false, 30347, 0xC000},  {0xB0, 0x04, true, 30347, 0x8000},
        {0xB7, 0x04, false, 30347, 0x8000},  {0xBF, 0x02, true, 30347, 0xE000},
        {0xB0, 0x00, true, 30347, 0xC000},   {0xB0, 0x06, true, 30347, 0xA000},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(step.port) << " " << int(step.value));
        Machine::state.videoDirty = 0;
        Out(step.port, step.value);
        EXPECT_EQ(Machine::state.videoDirty, step.dirty ? 1 : 0);
        EXPECT_EQ(Machine::timing.cyclesPerFrame, step.frame);
        EXPECT_EQ(Machine::timing.timerPeriod, step.frame == 30347 ? 3746 : 7070);
        EXPECT_EQ(Machine::state.videoBase, step.videoBase);
    }
    EXPECT_EQ(In(0xB0), 0xFF);
}

// Read-back masks of registers 0-13; 14 is an input, 15 latches the select; the log keeps 256 pairs.
TEST_F(MachinePortsTest, AyRegistersReadBackAndLog) {
    const uint8_t masks[14] = {0xFF, 0x0F, 0xFF, 0x0F, 0xFF, 0x0F, 0x1F, 0xFF, 0x1F, 0x1F, 0x1F, 0xFF, 0xFF, 0x0F};
    for (uint8_t r = 0; r < 14; ++r) {
        AyWrite(r, 0xFF);
        EXPECT_EQ(In(r & 1 ? 0xA1 : 0xAC), masks[r]) << int(r);
        EXPECT_EQ(Machine::state.ayWritten[r], 1);
    }
    AyWrite(15, 0x00);
    EXPECT_EQ(In(0xA0), 0xFF);
    Machine::state.pointerY = 0x80;  // register 14 with select 00h: pointer Y bits
    Out(0xA0, 14);
    EXPECT_EQ(In(0xA0), 0xCD);
    AyWrite(14, 0x55);
    AyWrite(16, 0x55);
    EXPECT_EQ(In(0xA1), 0xFF);
    EXPECT_EQ(Machine::state.ayLogCount, 14);
    for (int i = 14; i < 300; ++i) AyWrite(uint8_t(i % 14), uint8_t(i));
    EXPECT_EQ(Machine::state.ayLogCount, 256);
    EXPECT_EQ(Machine::state.ayLogRegister[255], 255 % 14);
    EXPECT_EQ(Machine::state.ayLogValue[255], 255);
}

// Register 15 bits 7-6 = 11 reads joystick 1, 10 joystick 2; 11h and 13h restart the
// pointer's Y and X with bit 0 clear while the button is held (the serial bits: run_input.sh).
TEST_F(MachinePortsTest, Register14JoysticksAndPointerButton) {
    Machine::state.joystick1 = 0xF6;
    Machine::state.joystick2 = 0xEF;
    const struct { uint8_t select, expected; } rows[] = {{0xC0, 0xF6}, {0xFF, 0xF6}, {0x80, 0xEF}, {0x40, 0xFF}, {0x05, 0xFF}};
    for (const auto& row : rows) EXPECT_EQ(Read14(row.select), row.expected) << std::hex << int(row.select);
    for (int down : {1, 0}) {
        Machine::state.pointerDown = uint8_t(down);
        EXPECT_EQ(Read14(0x11), down ? 0xDE : 0xDF);
        EXPECT_EQ(Read14(0x13), down ? 0xFE : 0xFF);
    }
}

// 19h/1Ah motor, 06h game keys with vector 16h; after 38h the next byte goes to
// the cassette, even 06h or 19h (recordings: the reset tests and CSAVE).
TEST_F(MachinePortsTest, ControllerCommands) {
    Out(0x94, 0x19);
    EXPECT_TRUE(CassetteDeck::cassetteMotorOn);
    Out(0x90, 0x1A);
    EXPECT_FALSE(CassetteDeck::cassetteMotorOn);
    Machine::state.ppiPortA = 0x99;
    Out(0x90, 0x38);
    Out(0x98, 0x06);
    Out(0x90, 0x38);
    Out(0x90, 0x19);
    EXPECT_FALSE(CassetteDeck::cassetteMotorOn);
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
    EXPECT_EQ(Machine::state.ppiPortA, 0x99);
    platform::headless::SetKeyDown(0x20, true), platform::headless::SetKeyDown(0x26, true);  // Space, Up
    KeyboardMapper::PollFrame();
    Out(0x90, 0x06);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x16);
    EXPECT_EQ(Machine::state.ppiPortA, 0x84);
    platform::headless::ReleaseAllKeys();
}

// The read enable (system latch bit 3) restarts the tape's byte pacing only on a 0 -> 1 change.
TEST_F(MachinePortsTest, ReadEnableRisesOnlyOnAChange) {
    std::string tape = WriteFile("t.cp6", {0x55, 0x66, 0x77});
    for (bool rise : {false, true}) {
        SCOPED_TRACE(rise);
        ASSERT_TRUE(CassetteDeck::LoadFile(tape));
        Out(0xB0, 0xF7), Out(0xB0, 0xFF);  // a rise starts the pacing
        Out(0x90, 0x19);
        CpuCore::state.iff1 = 1;
        CpuCore::ClearPendingInterrupts();
        Machine::OnCpuCycles(200), Machine::OnCpuCycles(200);  // 400 of the 18392 between bytes
        if (rise) Out(0xB0, 0xF7);
        Out(0xB0, 0xFD);  // bit 3 set either way, bit 1 changed
        for (int i = 0; i < 90; ++i) Machine::OnCpuCycles(200);  // 18000 more
        EXPECT_EQ(CpuCore::state.pendingIrq, rise ? kIrqNone : 0x08);
        EXPECT_EQ(Machine::state.ppiPortA, rise ? 0xFF : 0x55);
        Machine::state.ppiPortA = 0xFF;
        CassetteDeck::Eject();
    }
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
    // Steps of 4 T-states; the number of the first step that requested an interrupt.
    static int StepsUntilRequest(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Machine::OnCpuCycles(4);
            if (CpuCore::state.pendingIrq != kIrqNone) return i;
        }
        return -1;
    }
};

// Period 3746: a request at the first step taking the count above it; masked,
// the count goes on without requests; display off the period is 7070.
TEST_F(MachineTimerTest, PeriodAndMask) {
    for (int i = 0; i < 936; ++i) Machine::OnCpuCycles(4);  // 3744
    Machine::OnCpuCycles(2);                                  // 3746: not above
    EXPECT_EQ(CpuCore::state.pendingIrq, kIrqNone);
    Machine::OnCpuCycles(1);
    EXPECT_EQ(CpuCore::state.pendingIrq, 0x06);
    EXPECT_EQ(Machine::state.cycleCounter, 3747u);
    CpuCore::ClearPendingInterrupts();
    Out(0xB0, 0xFF);
    EXPECT_EQ(StepsUntilRequest(2000), -1);  // 8000 T-states: two periods
    Out(0xB0, 0xFE);
    EXPECT_EQ(StepsUntilRequest(937), (3747 - 504 + 3) / 4);
    CpuCore::ClearPendingInterrupts();
    Out(0x93, 0x02);
    EXPECT_EQ(StepsUntilRequest(3000), 7071 / 4 + 1);  // first count above 7070: 7072
}

// Typed keys and a playing tape stop the timer: no request, no count; it goes on where it stopped.
TEST_F(MachineTimerTest, StoppedWhileTypingOrWhileATapeFeedsBytes) {
    std::string tape = WriteFile("t.cp6", std::vector<uint8_t>(100, 0x11));
    for (int source = 0; source < 2; ++source) {
        SCOPED_TRACE(source);
        CpuCore::ClearPendingInterrupts();
        Machine::state.timerCount = 0;
        Machine::OnCpuCycles(100);
        if (source == 0) {
            platform::headless::SetClipboardText("RUN\r");
            QuickType::Paste();
        } else {
            ASSERT_TRUE(CassetteDeck::LoadFile(tape));
            Out(0x90, 0x19);
            Out(0xB0, 0xF6);  // read enable off: the tape paces nothing, yet it is playing
        }
        EXPECT_EQ(StepsUntilRequest(2000), -1);
        QuickType::Stop();
        CassetteDeck::Eject();
        Out(0x90, 0x1A);
        Out(0xB0, 0xFE);
        EXPECT_EQ(StepsUntilRequest(1000), (3747 - 100 + 3) / 4);
    }
}

// The real CPU in IM 2 (table page C0h) with a program in the ROM area; the
// handler at C100h is `inc (C200h)` then `ei; reti`.
class MachineHaltTest : public MachineTimerTest {
protected:
    void Boot(const std::vector<uint8_t>& program) {
        static uint8_t rom[16384];
        std::memset(rom, 0, sizeof rom);
        std::memcpy(rom, program.data(), program.size());
        Machine::romSource = rom;
        Machine::Reset(2);
        Out(0xB0, 0xFE);
        Machine::MemoryImage[0xC006] = 0x00;  // vector 06h -> C100h
        Machine::MemoryImage[0xC007] = 0xC1;
        const uint8_t handler[] = {0x21, 0x00, 0xC2, 0x34, 0xFB, 0xED, 0x4D};
        std::memcpy(&Machine::MemoryImage[0xC100], handler, sizeof handler);
    }
};

// DI, a loop over seven periods, EI, HALT: the held request is taken right
// after EI and, as the count ran on meanwhile, a second one as soon as the
// handler enables interrupts again; then the timer wakes the HALT every period.
TEST_F(MachineHaltTest, HeldTimerTakenAfterEiThenEveryPeriod) {
    Boot({
             0x31, 0x00, 0xF0, 0x3E, 0xC0, 0xED, 0x47, 0xED, 0x5E,  // ld sp,F000h; ld a,C0h; ld i,a; im 2
             0xF3, 0x01, 0x00, 0x04,                                 // di; ld bc,0400h (1024 x 26 T-states)
             0x0B, 0x78, 0xB1, 0x20, 0xFB,                           // loop: dec bc; ld a,b; or c; jr nz,loop
             0xFB, 0x76, 0x18, 0xFD,                                 // ei; halt; jr halt
         });
    CpuCore::Execute(28000);  // the loop ends at about 26700
    EXPECT_EQ(Machine::MemoryImage[0xC200], 2);
    EXPECT_EQ(CpuCore::state.halted, 1u);
    CpuCore::Execute(28000);  // 28000 / 3746 = 7.5 periods more
    EXPECT_GE(Machine::MemoryImage[0xC200], 2 + 7);
    EXPECT_LE(Machine::MemoryImage[0xC200], 2 + 8);
}
