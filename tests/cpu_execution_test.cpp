// Z80 instruction behaviour beyond flags: block repeats as separate steps,
// prefix chains and dropped prefixes, indexed bit operations with register
// copies, the undocumented index-byte forms, the refresh counter, the
// idle-loop shortcuts, the trap and 64K wrap-around.
#include <cstring>
#include <algorithm>

#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

class CpuExec : public Z80Test {};

TEST_F(CpuExec, LdirRunsOneIterationPerStep) {
    Load(kOrigin, {0xED, 0xB0});
    Load(0x2000, {0xA1, 0xA2, 0xA3});
    Cpu().hl = 0x2000;
    Cpu().de = 0x3000;
    Cpu().bc = 3;
    EXPECT_EQ(Step(), 21);
    EXPECT_EQ(Cpu().pc, kOrigin + 0u);
    EXPECT_EQ(RegF() & kFlagPV, kFlagPV);
    EXPECT_EQ(Step(), 21);
    EXPECT_EQ(Step(), 16);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(FlatBus::memory[0x3000], 0xA1);
    EXPECT_EQ(FlatBus::memory[0x3002], 0xA3);
    EXPECT_EQ(Cpu().hl, 0x2003u);
    EXPECT_EQ(Cpu().de, 0x3003u);
    EXPECT_EQ(Cpu().bc, 0u);
    EXPECT_EQ(RegF() & kFlagPV, 0);
    EXPECT_EQ(Cpu().r, 6u);  // fetched again for every repetition
}

TEST_F(CpuExec, LddrCopiesDownwards) {
    Load(kOrigin, {0xED, 0xB8});
    Load(0x2000, {0xB1, 0xB2});
    Cpu().hl = 0x2001;
    Cpu().de = 0x3001;
    Cpu().bc = 2;
    EXPECT_EQ(FlatCore::Execute(37), 37);
    EXPECT_EQ(FlatBus::memory[0x3000], 0xB1);
    EXPECT_EQ(FlatBus::memory[0x3001], 0xB2);
    EXPECT_EQ(Cpu().hl, 0x1FFFu);
}

TEST_F(CpuExec, CpirStopsAtTheFirstMatch) {
    Load(kOrigin, {0xED, 0xB1});
    Load(0x2000, {0x01, 0x02, 0x03, 0x03});
    Cpu().hl = 0x2000;
    Cpu().bc = 10;
    SetAF(0x03, 0x01);
    EXPECT_EQ(Step(), 21);
    EXPECT_EQ(Step(), 21);
    EXPECT_EQ(Step(), 16);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(Cpu().hl, 0x2003u);
    EXPECT_EQ(Cpu().bc, 7u);
    EXPECT_EQ(RegF(), kFlagZ | kFlagPV | kFlagN | kFlagC);
}

std::vector<std::pair<uint16_t, uint8_t>> portWrites;

TEST_F(CpuExec, OtirPutsTheUndecrementedBOnThePort) {
    portWrites.clear();
    FlatBus::writePort = [](uint16_t port, uint8_t value) { portWrites.emplace_back(port, value); };
    Load(kOrigin, {0xED, 0xB3});
    Load(0x2000, {0x11, 0x22});
    Cpu().hl = 0x2000;
    Cpu().bc = 0x0240;
    EXPECT_EQ(Step(), 21);
    EXPECT_EQ(Step(), 16);
    ASSERT_EQ(portWrites.size(), 2u);
    EXPECT_EQ(portWrites[0], std::make_pair(uint16_t(0x0240), uint8_t(0x11)));
    EXPECT_EQ(portWrites[1], std::make_pair(uint16_t(0x0140), uint8_t(0x22)));
    EXPECT_EQ(RegF(), kFlagZ | kFlagN);
}

std::vector<uint16_t> portReads;

TEST_F(CpuExec, InirAndPortAddressesOfTheOtherForms) {
    portReads.clear();
    FlatBus::readPort = [](uint16_t port) -> uint8_t {
        portReads.push_back(port);
        return uint8_t(port >> 8);
    };
    Load(kOrigin, {0xED, 0xB2, 0xDB, 0x7F, 0xED, 0x78});  // INIR; IN A,(7Fh); IN A,(C)
    Cpu().hl = 0x2000;
    Cpu().bc = 0x0210;
    SetAF(0x99, 0x00);
    Step();
    Step();
    EXPECT_EQ(FlatBus::memory[0x2000], 0x02);
    EXPECT_EQ(FlatBus::memory[0x2001], 0x01);
    Step();
    EXPECT_EQ(RegA(), 0x99);  // port 997Fh returns its high byte
    EXPECT_EQ(RegF(), kFlagZ | kFlagN);  // IN A,(n) leaves the flags of INIR
    Step();
    EXPECT_EQ(portReads, (std::vector<uint16_t>{0x0210, 0x0110, 0x997F, 0x0010}));
}

TEST_F(CpuExec, DroppedPrefixesRunTheByteAsAnOpcode) {
    Load(kOrigin, {0xDD, 0x00});  // DD NOP: 4 in all, R counts 3
    EXPECT_EQ(FlatCore::Execute(1), 4);
    EXPECT_EQ(stepReports, (std::vector<uint32_t>{0, 4}));
    EXPECT_EQ(Cpu().r, 3u);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);

    SetUp();
    Load(kOrigin, {0xDD, 0xDD, 0x21, 0x34, 0x12});  // the last prefix wins
    EXPECT_EQ(FlatCore::Execute(1), 14);
    EXPECT_EQ(Cpu().ix, 0x1234u);
    EXPECT_EQ(Cpu().r, 4u);

    SetUp();
    Load(kOrigin, {0xFD, 0xDD, 0x21, 0x34, 0x12});
    FlatCore::Execute(1);
    EXPECT_EQ(Cpu().ix, 0x1234u);
    EXPECT_EQ(Cpu().iy, 0u);

    SetUp();
    Load(kOrigin, {0xDD, 0xED, 0x44});  // DD before ED: NEG
    SetAF(0x01, 0);
    EXPECT_EQ(FlatCore::Execute(1), 8);
    EXPECT_EQ(RegA(), 0xFF);

    SetUp();
    Load(kOrigin, {0xFD, 0x76});  // FD HALT: 19, then the HALT's 4
    EXPECT_EQ(FlatCore::Execute(1), 19);
    EXPECT_EQ(Cpu().halted, 0u);
    EXPECT_EQ(Cpu().pc, kOrigin + 1u);
    EXPECT_EQ(Step(), 4);
    EXPECT_EQ(Cpu().halted, 1u);
}

TEST_F(CpuExec, UndefinedEdBytesDoNothing) {
    Load(kOrigin, {0xED, 0x00, 0xED, 0x77, 0xED, 0x7F, 0xED, 0xC0});
    SetAF(0x12, 0x34);
    Cpu().bc = 0x5678;
    Cpu().sp = 0x8000;
    EXPECT_EQ(FlatCore::Execute(1), 4);  // three free steps, then NOP... after ED C0
    EXPECT_EQ(stepReports, (std::vector<uint32_t>{0, 0, 0, 0, 4}));
    EXPECT_EQ(Cpu().pc, kOrigin + 9u);
    EXPECT_EQ(Cpu().r, 9u);
    EXPECT_EQ(Cpu().af, 0x1234u);
    EXPECT_EQ(Cpu().bc, 0x5678u);
    EXPECT_EQ(Cpu().sp, 0x8000u);
}

// Memory holding nothing that costs T-states would run one slice for ever:
// it ends, as spent, after 131072 free steps; a free run that reaches
// costing code is not cut short.
TEST_F(CpuExec, EndlessFreeStepsEndTheSlice) {
    for (uint8_t fill : {0xDD, 0xFD, 0xED}) {
        SetUp();
        std::memset(FlatBus::memory, fill, sizeof FlatBus::memory);
        EXPECT_EQ(FlatCore::Execute(1000), 1000) << int(fill);
        // 131072 free steps, then the burnt slice handed on in 250 pieces of 4.
        ASSERT_EQ(stepReports.size(), 131072u + 250u) << int(fill);
        EXPECT_EQ(std::count(stepReports.begin(), stepReports.end(), 0u), 131072) << int(fill);
    }
    SetUp();
    std::memset(FlatBus::memory, 0xDD, sizeof FlatBus::memory);
    FlatBus::memory[kOrigin - 1] = 0x00;  // 65535 dropped prefixes, then a NOP
    EXPECT_EQ(FlatCore::Execute(1), 4);
    EXPECT_EQ(stepReports.size(), 65536u);
}

TEST_F(CpuExec, IndexedBitOperationsCopyIntoTheRegisterField) {
    Load(kOrigin, {0xDD, 0xCB, 0x05, 0x06,   // RLC (IX+5)
                   0xDD, 0xCB, 0x05, 0x00,   // RLC (IX+5),B
                   0xDD, 0xCB, 0x05, 0x41,   // BIT 0,(IX+5) with field C
                   0xFD, 0xCB, 0xFE, 0xFF,   // SET 7,(IY-2),A
                   0xFD, 0xCB, 0xFE, 0xB6}); // RES 6,(IY-2)
    Cpu().ix = 0x2000;
    Cpu().iy = 0x3002;
    FlatBus::memory[0x2005] = 0x81;
    FlatBus::memory[0x3000] = 0x40;
    Step();
    EXPECT_EQ(FlatBus::memory[0x2005], 0x03);
    EXPECT_EQ(Cpu().bc, 0u);
    EXPECT_EQ(RegF(), kFlagPV | kFlagC);
    Step();
    EXPECT_EQ(FlatBus::memory[0x2005], 0x06);
    EXPECT_EQ(Cpu().bc, 0x0600u);
    Step();
    EXPECT_EQ(Cpu().bc, 0x0606u);  // C = the byte read
    EXPECT_EQ(RegF(), kFlagZ | kFlagH);
    Step();
    EXPECT_EQ(FlatBus::memory[0x3000], 0xC0);
    EXPECT_EQ(RegA(), 0xC0);
    Step();
    EXPECT_EQ(FlatBus::memory[0x3000], 0x80);
    EXPECT_EQ(RegA(), 0xC0);
    EXPECT_EQ(Cpu().pc, kOrigin + 20u);
    EXPECT_EQ(Cpu().r, 10u);  // two per instruction: the op byte does not count
}

TEST_F(CpuExec, IndexBytesAsRegisters) {
    Load(kOrigin, {0xDD, 0x26, 0x12,         // LD IXh,12h
                   0xDD, 0x2E, 0x34,         // LD IXl,34h
                   0xDD, 0x84,               // ADD A,IXh
                   0xDD, 0x65,               // LD IXh,IXl
                   0xDD, 0x66, 0x01,         // LD H,(IX+1): H, not IXh
                   0xDD, 0x74, 0x02,         // LD (IX+2),H
                   0xFD, 0x6F,               // LD IYl,A
                   0xFD, 0x2D});             // DEC IYl
    SetAF(0x01, 0);
    FlatBus::memory[0x3435] = 0x77;
    EXPECT_EQ(Step(), 9);
    Step();
    EXPECT_EQ(Cpu().ix, 0x1234u);
    Step();
    EXPECT_EQ(RegA(), 0x13);
    Step();
    EXPECT_EQ(Cpu().ix, 0x3434u);
    EXPECT_EQ(Step(), 19);
    EXPECT_EQ(Cpu().hl, 0x7700u);
    EXPECT_EQ(Cpu().ix, 0x3434u);
    Step();
    EXPECT_EQ(FlatBus::memory[0x3436], 0x77);
    Step();
    EXPECT_EQ(Cpu().iy, 0x0013u);
    Step();
    EXPECT_EQ(Cpu().iy, 0x0012u);
}

TEST_F(CpuExec, RefreshRegister) {
    Load(kOrigin, {0xED, 0x4F, 0x00, 0x00, 0xED, 0x5F, 0xCB, 0x00});  // LD R,A; NOP; NOP; LD A,R; RLC B
    SetAF(0xFF, 0);
    Cpu().iff2 = 1;
    Step();
    EXPECT_EQ(Cpu().r, 0xFFu);
    EXPECT_EQ(Cpu().r7, 0xFFu);
    Step();
    Step();
    Step();
    // r counted on past 7 bits (103h); bit 7 comes from the last LD R,A.
    EXPECT_EQ(Cpu().r, 0x103u);
    EXPECT_EQ(RegA(), 0x83);
    EXPECT_EQ(RegF(), kFlagS | kFlagPV);
    Step();
    EXPECT_EQ(Cpu().r, 0x105u);
}

// Each shortcut burns the slice; the burnt time reaches the bus whole, as
// the loop's own instructions (first report) and then pieces of 4.
TEST_F(CpuExec, IdleLoopShortcuts) {
    struct Case {
        std::vector<uint8_t> program;
        uint32_t firstReport;  // the first step, before any burn
        uint16_t pcAfter;
        size_t reports;
    } cases[] = {
        {{0x18, 0xFE}, 12, kOrigin, 1 + 988 / 4},                           // JR to itself
        {{0xFB, 0x18, 0xFD}, 16, kOrigin + 1, 1 + 980 / 4 + 1},              // EI; JR back onto the EI: capped at 4
        {{0xC3, 0x00, 0x10}, 10, kOrigin, 1 + 247 + 1},                      // JP to itself: 990 = 247 x 4 + 2
        {{0x00, 0xC3, 0x00, 0x10}, 4, kOrigin, 2 + 246 + 1},                 // NOP; JP back onto the NOP: 986
        {{0x31, 0x00, 0x80, 0xC3, 0x00, 0x10}, 10, kOrigin + 3, 2 + 243 + 1},  // LD SP,nn; JP back: 970, capped at 10
    };
    for (const Case& c : cases) {
        SetUp();
        uint16_t at = kOrigin;
        for (uint8_t byte : c.program) FlatBus::memory[at++] = byte;
        EXPECT_EQ(FlatCore::Execute(1000), 1000);
        uint32_t sum = 0;
        for (uint32_t t : stepReports) sum += t;
        EXPECT_EQ(sum, 1000u) << int(c.program[0]);
        EXPECT_EQ(stepReports[0], c.firstReport) << int(c.program[0]);
        EXPECT_LE(*std::max_element(stepReports.begin() + 1, stepReports.end()), 10u) << int(c.program[0]);
        EXPECT_EQ(stepReports.size(), c.reports) << int(c.program[0]);
        EXPECT_EQ(Cpu().pc, c.pcAfter) << int(c.program[0]);
    }

    SetUp();
    Load(kOrigin, {0x20, 0xFE});  // JR NZ to itself has no shortcut
    EXPECT_EQ(FlatCore::Execute(100), 108);
    EXPECT_EQ(stepReports.size(), 9u);

    SetUp();
    Load(kOrigin, {0x00, 0x18, 0xFD});  // JR back onto a NOP has none either
    EXPECT_EQ(FlatCore::Execute(90), 96);
}

CpuState trapped;

TEST_F(CpuExec, TrapSeesAndChangesTheRegisters) {
    FlatBus::onTrap = [](CpuState& cpu) {
        trapped = cpu;
        cpu.af = 0x4200;
        cpu.pc = 0x2000;
    };
    Load(kOrigin, {0xED, 0xFE});
    Load(0x2000, {0x3C});
    SetAF(0x11, 0x22);
    Cpu().de = 0x3344;
    EXPECT_EQ(FlatCore::Execute(1), 4);  // the trap is free; INC A at 2000h follows
    EXPECT_EQ(trapped.af, 0x1122u);
    EXPECT_EQ(trapped.de, 0x3344u);
    EXPECT_EQ(trapped.pc, kOrigin + 2u);
    EXPECT_EQ(RegA(), 0x43);
}

TEST_F(CpuExec, AddressesWrapAt64K) {
    Load(0xFFFF, {0x01});  // LD BC,nn with its operand at 0000h
    Load(0x0000, {0x34, 0x12});
    Cpu().pc = 0xFFFF;
    Step();
    EXPECT_EQ(Cpu().bc, 0x1234u);
    EXPECT_EQ(Cpu().pc, 0x0002u);

    SetUp();
    Load(kOrigin, {0xDD, 0x7E, 0x02, 0xC5, 0xE1});  // LD A,(IX+2); PUSH BC; POP HL
    Load(0x0001, {0x5A});
    Cpu().ix = 0xFFFF;
    Cpu().sp = 0x0001;
    Cpu().bc = 0xABCD;
    Step();
    EXPECT_EQ(RegA(), 0x5A);
    Step();
    EXPECT_EQ(Cpu().sp, 0xFFFFu);
    EXPECT_EQ(FlatBus::memory[0xFFFF], 0xCD);
    EXPECT_EQ(FlatBus::memory[0x0000], 0xAB);
    Step();
    EXPECT_EQ(Cpu().hl, 0xABCDu);
    EXPECT_EQ(Cpu().sp, 0x0001u);
}

TEST_F(CpuExec, ExchangesCallsAndReturns) {
    Load(kOrigin, {0xE3, 0xD9, 0x08, 0xCD, 0x00, 0x20, 0x00});
    Load(0x2000, {0xC9});
    Load(0x8000, {0x78, 0x56});
    Cpu().sp = 0x8000;
    Cpu().hl = 0x1234;
    Cpu().bc2 = 0xBBBB;
    Cpu().af2 = 0xAAAA;
    Step();  // EX (SP),HL
    EXPECT_EQ(Cpu().hl, 0x5678u);
    EXPECT_EQ(FlatBus::memory[0x8000], 0x34);
    EXPECT_EQ(FlatBus::memory[0x8001], 0x12);
    Step();  // EXX
    EXPECT_EQ(Cpu().bc, 0xBBBBu);
    EXPECT_EQ(Cpu().hl2, 0x5678u);
    Step();  // EX AF,AF'
    EXPECT_EQ(Cpu().af, 0xAAAAu);
    EXPECT_EQ(Step(), 17);  // CALL 2000h
    EXPECT_EQ(Cpu().pc, 0x2000u);
    EXPECT_EQ(Cpu().sp, 0x7FFEu);
    EXPECT_EQ(FlatBus::memory[0x7FFE], 0x06);
    EXPECT_EQ(FlatBus::memory[0x7FFF], 0x10);
    EXPECT_EQ(Step(), 10);  // RET
    EXPECT_EQ(Cpu().pc, kOrigin + 6u);
}

TEST_F(CpuExec, InterruptModeAndRegisterLoads) {
    Load(kOrigin, {0xED, 0x5E, 0xED, 0x47, 0xED, 0x76, 0xED, 0x4E});  // IM 2; LD I,A; IM 1 (mirror); IM 0 (mirror)
    SetAF(0x3C, 0);
    Step();
    EXPECT_EQ(Cpu().interruptMode, 2u);
    Step();
    EXPECT_EQ(Cpu().i, 0x3Cu);
    Step();
    EXPECT_EQ(Cpu().interruptMode, 1u);
    Step();
    EXPECT_EQ(Cpu().interruptMode, 0u);
}

}  // namespace
