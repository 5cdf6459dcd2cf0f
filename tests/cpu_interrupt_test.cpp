// The Z80 core's execute loop: budget and overshoot, per-step reports,
// interrupt acceptance in modes 0, 1, 2 and NMI, the EI delay and HALT.
#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

class CpuLoop : public Z80Test {
protected:
    uint16_t Pop() {
        uint16_t value = uint16_t(FlatBus::memory[Cpu().sp] | FlatBus::memory[(Cpu().sp + 1) & 0xFFFF] << 8);
        Cpu().sp = (Cpu().sp + 2) & 0xFFFF;
        return value;
    }
};

TEST_F(CpuLoop, ResetState) {
    Cpu() = CpuState{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 1, 1, 2, 13, 14, 15, 16, 1};
    FlatCore::Reset();
    EXPECT_EQ(Cpu().sp, 0xF000u);
    EXPECT_EQ(Cpu().pc, 0u);
    EXPECT_EQ(Cpu().af, 0u);
    EXPECT_EQ(Cpu().hl2, 0u);
    EXPECT_EQ(Cpu().interruptMode, 0u);
    EXPECT_EQ(Cpu().iff1, 0u);
    EXPECT_EQ(Cpu().iff2, 0u);
    EXPECT_EQ(Cpu().halted, 0u);
    EXPECT_EQ(Cpu().r, 0u);
    EXPECT_EQ(Cpu().pendingIrq, kIrqNone);
    EXPECT_EQ(Cpu().pendingNmi, 0u);
}

TEST_F(CpuLoop, BudgetOvershootIsNotCarriedOver) {
    EXPECT_EQ(FlatCore::Execute(30), 32);  // eight NOPs
    EXPECT_EQ(stepReports.size(), 8u);
    EXPECT_EQ(FlatCore::cyclesLeft, -2);
    EXPECT_EQ(FlatCore::Execute(30), 32);
    EXPECT_EQ(Cpu().pc, kOrigin + 16u);
    stepReports.clear();
    EXPECT_EQ(FlatCore::Execute(0), 4);
    EXPECT_EQ(FlatCore::Execute(-100), 4);
    EXPECT_EQ(stepReports, (std::vector<uint32_t>{4, 4}));
}

TEST_F(CpuLoop, LastOpcodeAddressFollowsFetches) {
    Load(kOrigin, {0x00, 0x3E, 0x12, 0xDD, 0x21, 0x00, 0x00});
    Step();
    EXPECT_EQ(FlatCore::lastOpcodeAddress, kOrigin);
    Step();
    EXPECT_EQ(FlatCore::lastOpcodeAddress, kOrigin + 1);
    Step();
    EXPECT_EQ(FlatCore::lastOpcodeAddress, kOrigin + 3);  // the prefix's address
}

TEST_F(CpuLoop, MaskableRequestWaitsForEiThenFollowsTheNextInstruction) {
    Load(kOrigin, {0x00, 0x00, 0xFB, 0x00, 0x00});
    Load(0x2006, {0x00, 0x30});  // mode 2 table entry for vector 06h
    Cpu().interruptMode = 2;
    Cpu().i = 0x20;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x06);
    FlatCore::RequestInterrupt(kIrqNone);  // does not clear it
    Step();
    Step();
    EXPECT_EQ(Cpu().pendingIrq, 0x06);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(Step(), 8);  // EI and the NOP after it; acceptance in mode 2 is free
    EXPECT_EQ(Cpu().pc, 0x3000u);
    EXPECT_EQ(FlatCore::lastOpcodeAddress, -1);
    EXPECT_EQ(Cpu().iff1, 0u);
    EXPECT_EQ(Cpu().iff2, 1u);
    EXPECT_EQ(Cpu().pendingIrq, kIrqNone);
    EXPECT_EQ(Pop(), kOrigin + 4);
}

TEST_F(CpuLoop, EiDelayRunsEvenWhenTheBudgetIsSpent) {
    Load(kOrigin, {0xFB, 0x3C, 0x3C});  // EI; INC A; INC A
    Cpu().interruptMode = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x06);
    EXPECT_EQ(FlatCore::Execute(1), 4 + 4 + 11);
    EXPECT_EQ(RegA(), 1);  // only the instruction after EI ran
    EXPECT_EQ(Cpu().pc, 0x0038u);
    EXPECT_EQ(Pop(), kOrigin + 2);
}

TEST_F(CpuLoop, EiWhenAlreadyEnabledOnlySetsIff2) {
    Load(kOrigin, {0xFB, 0x3C});
    Cpu().iff1 = 1;
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().iff2, 1u);
    EXPECT_EQ(RegA(), 0);
}

TEST_F(CpuLoop, EiThenHaltWithARequestPending) {
    Load(kOrigin, {0xFB, 0x76, 0x00});
    Cpu().interruptMode = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x02);
    // EI 4, HALT 4, mode 1 acceptance 11: the CPU never waited, so the
    // slice the HALT burnt is given back and runs on.
    EXPECT_EQ(FlatCore::Execute(19), 19);
    EXPECT_EQ(stepReports, (std::vector<uint32_t>{19}));
    EXPECT_EQ(Cpu().halted, 0u);
    EXPECT_EQ(Cpu().pc, 0x0038u);
    EXPECT_EQ(Pop(), kOrigin + 2);  // the byte after the HALT
}

TEST_F(CpuLoop, HaltBurnsTheSliceAndReportsTheWholeWait) {
    Load(kOrigin, {0x00, 0x76});
    Cpu().pc = kOrigin + 1;
    EXPECT_EQ(FlatCore::Execute(300), 300);
    // The HALT's 4, then the 296 burnt T-states as 74 refresh cycles.
    EXPECT_EQ(stepReports, std::vector<uint32_t>(75, 4));
    EXPECT_EQ(Cpu().halted, 1u);
    EXPECT_EQ(Cpu().pc, kOrigin + 1u);  // back on the HALT
    EXPECT_EQ(Cpu().r & 0x7F, 75u);     // R counts every pass's opcode fetch
    EXPECT_EQ(FlatCore::Execute(100), 100);
    EXPECT_EQ(FlatCore::Execute(2), 4);  // a HALT step with less left than its own cost
    EXPECT_EQ(Cpu().pc, kOrigin + 1u);
    EXPECT_EQ(Cpu().r & 0x7F, 101u);
    // NMI wakes it, with the return address past the HALT.
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(kIrqNmi);
    Step();
    EXPECT_EQ(Cpu().halted, 0u);
    EXPECT_EQ(Cpu().pc, 0x0067u);  // the NOP at 0066h ran in the same step
    EXPECT_EQ(Pop(), kOrigin + 2);
}

TEST_F(CpuLoop, ModeOneCostsElevenAndModeTwoNothing) {
    Cpu().iff1 = Cpu().iff2 = 1;
    Cpu().interruptMode = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x55);  // the value is ignored in mode 1
    EXPECT_EQ(Step(), 11 + 4);
    EXPECT_EQ(Cpu().pc, 0x0039u);
    EXPECT_EQ(Pop(), kOrigin);

    SetUp();
    Load(0x20FE, {0x34, 0x12});
    Cpu().iff1 = 1;
    Cpu().interruptMode = 2;
    Cpu().i = 0x20;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x3FE);  // only the low byte selects the entry
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().pc, 0x1235u);
    EXPECT_EQ(Pop(), kOrigin);
}

TEST_F(CpuLoop, ModeZeroJumpCallAndOpcode) {
    Cpu().iff1 = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0xCD2345);
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().pc, 0x2346u);
    EXPECT_EQ(Pop(), kOrigin);

    SetUp();
    Cpu().iff1 = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0xC32345);
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().pc, 0x2346u);
    EXPECT_EQ(Cpu().sp, 0x8000u);  // no push

    SetUp();
    Cpu().iff1 = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0xFF);  // RST 38h
    EXPECT_EQ(Step(), 11 + 4);
    EXPECT_EQ(Cpu().pc, 0x0039u);
    EXPECT_EQ(Pop(), kOrigin);
    EXPECT_EQ(FlatCore::lastOpcodeAddress, 0x0038);
}

TEST_F(CpuLoop, NmiKeepsIff2SoRetnReenables) {
    Load(0x0066, {0xED, 0x45});  // RETN
    Cpu().iff1 = Cpu().iff2 = 1;
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(0x06);
    FlatCore::RequestInterrupt(kIrqNmi);
    // The NMI goes first; the maskable request waits (iff1 is now 0).
    EXPECT_EQ(Step(), 14);
    EXPECT_EQ(Cpu().pendingNmi, 0u);
    EXPECT_EQ(Cpu().pendingIrq, 0x06);
    EXPECT_EQ(Cpu().pc, kOrigin + 0u);
    EXPECT_EQ(Cpu().iff1, 1u);
    EXPECT_EQ(FlatBus::retnCount, 1u);
    // Now the maskable request is taken (mode 0, opcode 06h = LD B,n reads the next byte).
    Load(kOrigin, {0x42});
    EXPECT_EQ(Step(), 7 + 4);
    EXPECT_EQ(Cpu().bc >> 8, 0x42u);
}

TEST_F(CpuLoop, NmiIsTakenWithInterruptsDisabled) {
    Cpu().sp = 0x8000;
    FlatCore::RequestInterrupt(kIrqNmi);
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().pc, 0x0067u);
    EXPECT_EQ(Cpu().iff2, 0u);
}

TEST_F(CpuLoop, RequestFromACallbackIsTakenAtTheNextStep) {
    Load(kOrigin, {0xD3, 0x10, 0x00});  // OUT (10h),A; NOP
    Cpu().iff1 = 1;
    Cpu().interruptMode = 1;
    Cpu().sp = 0x8000;
    FlatBus::writePort = [](uint16_t, uint8_t) { FlatCore::RequestInterrupt(0x08); };
    EXPECT_EQ(Step(), 11);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(Step(), 11 + 4);
    EXPECT_EQ(Pop(), kOrigin + 2);
}

TEST_F(CpuLoop, DiDisablesAndAReplacedRequestIsTheOneTaken) {
    Load(kOrigin, {0xF3, 0xFB, 0x00});
    Load(0x2010, {0x00, 0x40});
    Load(0x2012, {0x00, 0x50});
    Cpu().iff1 = Cpu().iff2 = 1;
    Cpu().interruptMode = 2;
    Cpu().i = 0x20;
    Cpu().sp = 0x8000;
    Step();  // DI
    EXPECT_EQ(Cpu().iff1, 0u);
    EXPECT_EQ(Cpu().iff2, 0u);
    FlatCore::RequestInterrupt(0x10);
    FlatCore::RequestInterrupt(0x12);
    Step();  // EI, NOP, acceptance
    EXPECT_EQ(Cpu().pc, 0x5000u);
}

}  // namespace
