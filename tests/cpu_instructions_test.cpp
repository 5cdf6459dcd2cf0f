// Results of the Z80 loads, jumps, stack and 16-bit instructions, checked
// against what the published instruction descriptions say they do.
#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

class CpuInstr : public Z80Test {
protected:
    // B, C, D, E, H, L, -, A of the register field, read from the state.
    static uint8_t Reg(int field) {
        switch (field) {
            case 0: return uint8_t(Cpu().bc >> 8);
            case 1: return uint8_t(Cpu().bc);
            case 2: return uint8_t(Cpu().de >> 8);
            case 3: return uint8_t(Cpu().de);
            case 4: return uint8_t(Cpu().hl >> 8);
            case 5: return uint8_t(Cpu().hl);
            default: return RegA();
        }
    }
};

TEST_F(CpuInstr, EveryRegisterToRegisterLoad) {
    for (int dst = 0; dst < 8; ++dst) {
        for (int src = 0; src < 8; ++src) {
            if (dst == 6 || src == 6) continue;
            SetUp();
            Load(kOrigin, {uint8_t(0x40 | dst << 3 | src)});
            Cpu().bc = 0x1122;
            Cpu().de = 0x3344;
            Cpu().hl = 0x5566;
            SetAF(0x77, 0x00);
            uint8_t before = Reg(src);
            Step();
            EXPECT_EQ(Reg(dst), before) << "LD " << dst << "," << src;
            for (int other = 0; other < 8; ++other) {
                if (other == 6 || other == dst) continue;
                uint8_t original = other == 7 ? 0x77 : uint8_t(0x11 * (other + 1));
                EXPECT_EQ(Reg(other), original) << "LD " << dst << "," << src << " changed " << other;
            }
        }
    }
}

TEST_F(CpuInstr, MemoryLoadsThroughHlBcDeAndAbsolute) {
    Load(kOrigin, {0x70,                    // LD (HL),B
                   0x5E,                    // LD E,(HL)
                   0x36, 0x99,              // LD (HL),99h
                   0x0A,                    // LD A,(BC)
                   0x12,                    // LD (DE),A
                   0x3A, 0x00, 0x40,        // LD A,(4000h)
                   0x32, 0x01, 0x40,        // LD (4001h),A
                   0x2A, 0x00, 0x40,        // LD HL,(4000h)
                   0x22, 0x10, 0x40,        // LD (4010h),HL
                   0xED, 0x4B, 0x10, 0x40,  // LD BC,(4010h)
                   0xED, 0x73, 0x20, 0x40,  // LD (4020h),SP
                   0xED, 0x7B, 0x00, 0x40,  // LD SP,(4000h)
                   0xED, 0x6B, 0x20, 0x40,  // LD HL,(4020h) (mirror)
                   0xED, 0x63, 0x30, 0x40}); // LD (4030h),HL (mirror)
    Cpu().bc = 0xAB00;
    Cpu().hl = 0x3000;
    Cpu().de = 0x3100;
    Cpu().sp = 0x8765;
    Load(0x4000, {0x21});
    Load(0xAB00, {0x5C});
    Step();
    EXPECT_EQ(FlatBus::memory[0x3000], 0xAB);
    Step();
    EXPECT_EQ(Cpu().de, 0x31ABu);
    Step();
    EXPECT_EQ(FlatBus::memory[0x3000], 0x99);
    Step();
    EXPECT_EQ(RegA(), 0x5C);
    Cpu().de = 0x3100;
    Step();
    EXPECT_EQ(FlatBus::memory[0x3100], 0x5C);
    Step();
    EXPECT_EQ(RegA(), 0x21);
    Step();
    EXPECT_EQ(FlatBus::memory[0x4001], 0x21);
    Step();
    EXPECT_EQ(Cpu().hl, 0x2121u);
    Step();
    EXPECT_EQ(FlatBus::memory[0x4010], 0x21);
    EXPECT_EQ(FlatBus::memory[0x4011], 0x21);
    Step();
    EXPECT_EQ(Cpu().bc, 0x2121u);
    Step();
    EXPECT_EQ(FlatBus::memory[0x4020], 0x65);
    EXPECT_EQ(FlatBus::memory[0x4021], 0x87);
    Step();
    EXPECT_EQ(Cpu().sp, 0x2121u);
    Step();
    EXPECT_EQ(Cpu().hl, 0x8765u);
    Step();
    EXPECT_EQ(FlatBus::memory[0x4030], 0x65);
    EXPECT_EQ(FlatBus::memory[0x4031], 0x87);
}

TEST_F(CpuInstr, ConditionsOfJumpsCallsAndReturns) {
    struct Condition {
        uint8_t flagsTrue, flagsFalse;
    };
    // NZ, Z, NC, C, PO, PE, P, M
    const Condition conditions[8] = {{0x00, kFlagZ}, {kFlagZ, 0x00}, {0x00, kFlagC}, {kFlagC, 0x00},
                                     {0x00, kFlagPV}, {kFlagPV, 0x00}, {0x00, kFlagS}, {kFlagS, 0x00}};
    for (int cc = 0; cc < 8; ++cc) {
        for (int holds = 0; holds < 2; ++holds) {
            uint8_t f = holds ? conditions[cc].flagsTrue : conditions[cc].flagsFalse;
            // JP cc,2000h
            SetUp();
            Load(kOrigin, {uint8_t(0xC2 | cc << 3), 0x00, 0x20});
            SetAF(0, f);
            Step();
            EXPECT_EQ(Cpu().pc, holds ? 0x2000u : kOrigin + 3u) << "JP cc " << cc;
            // CALL cc,2000h
            SetUp();
            Load(kOrigin, {uint8_t(0xC4 | cc << 3), 0x00, 0x20});
            Cpu().sp = 0x8000;
            SetAF(0, f);
            Step();
            EXPECT_EQ(Cpu().pc, holds ? 0x2000u : kOrigin + 3u) << "CALL cc " << cc;
            EXPECT_EQ(Cpu().sp, holds ? 0x7FFEu : 0x8000u) << "CALL cc " << cc;
            // RET cc
            SetUp();
            Load(kOrigin, {uint8_t(0xC0 | cc << 3)});
            Load(0x8000, {0x34, 0x12});
            Cpu().sp = 0x8000;
            SetAF(0, f);
            EXPECT_EQ(Step(), holds ? 11 : 5) << "RET cc " << cc;
            EXPECT_EQ(Cpu().pc, holds ? 0x1234u : kOrigin + 1u) << "RET cc " << cc;
            if (cc < 4) {  // JR NZ, Z, NC, C
                SetUp();
                Load(kOrigin, {uint8_t(0x20 | cc << 3), 0x10});
                SetAF(0, f);
                EXPECT_EQ(Step(), holds ? 12 : 7);
                EXPECT_EQ(Cpu().pc, holds ? kOrigin + 0x12u : kOrigin + 2u) << "JR cc " << cc;
            }
        }
    }
}

TEST_F(CpuInstr, RelativeJumpsAndRestarts) {
    Load(kOrigin, {0x18, 0x80});  // JR -128 from 1002h
    Step();
    EXPECT_EQ(Cpu().pc, 0x0F82u);

    SetUp();
    Load(kOrigin, {0x10, 0x05});  // DJNZ with B = 1 falls through
    Cpu().bc = 0x0100;
    EXPECT_EQ(Step(), 8);
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(Cpu().bc, 0u);

    for (int p = 0; p < 8; ++p) {
        SetUp();
        Load(kOrigin, {uint8_t(0xC7 | p << 3)});
        Cpu().sp = 0x8000;
        EXPECT_EQ(Step(), 11);
        EXPECT_EQ(Cpu().pc, uint32_t(p * 8)) << "RST " << p;
        EXPECT_EQ(FlatBus::memory[0x7FFE], 0x01);
        EXPECT_EQ(FlatBus::memory[0x7FFF], 0x10);
    }
}

TEST_F(CpuInstr, IndexRegisterWordInstructions) {
    Load(kOrigin, {0xFD, 0x21, 0x00, 0x50,  // LD IY,5000h
                   0xFD, 0x22, 0x00, 0x40,  // LD (4000h),IY
                   0xDD, 0x2A, 0x00, 0x40,  // LD IX,(4000h)
                   0xDD, 0x29,              // ADD IX,IX
                   0xDD, 0x23,              // INC IX
                   0xFD, 0x2B,              // DEC IY
                   0xDD, 0xE5,              // PUSH IX
                   0xFD, 0xE1,              // POP IY
                   0xFD, 0xF9,              // LD SP,IY
                   0xDD, 0xE3,              // EX (SP),IX
                   0xDD, 0xE9});            // JP (IX)
    Load(0xA001, {0xCD, 0xAB});
    Step();
    EXPECT_EQ(Cpu().iy, 0x5000u);
    Step();
    EXPECT_EQ(FlatBus::memory[0x4001], 0x50);
    Step();
    EXPECT_EQ(Cpu().ix, 0x5000u);
    Step();
    EXPECT_EQ(Cpu().ix, 0xA000u);
    Step();
    Step();
    EXPECT_EQ(Cpu().ix, 0xA001u);
    EXPECT_EQ(Cpu().iy, 0x4FFFu);
    Cpu().sp = 0x8000;
    Step();
    Step();
    EXPECT_EQ(Cpu().iy, 0xA001u);
    Step();
    EXPECT_EQ(Cpu().sp, 0xA001u);
    Step();
    EXPECT_EQ(Cpu().ix, 0xABCDu);
    EXPECT_EQ(FlatBus::memory[0xA001], 0x01);
    EXPECT_EQ(FlatBus::memory[0xA002], 0xA0);
    Step();
    EXPECT_EQ(Cpu().pc, 0xABCDu);
}

TEST_F(CpuInstr, PopAfTakesAllEightFlagBitsAndPushAfGivesThemBack) {
    Load(kOrigin, {0xF1, 0xF5});
    Load(0x8000, {0xFF, 0x12});
    Cpu().sp = 0x8000;
    Step();
    EXPECT_EQ(Cpu().af, 0x12FFu);
    Cpu().af = 0xA528;
    Step();
    EXPECT_EQ(FlatBus::memory[0x8000], 0x28);
    EXPECT_EQ(FlatBus::memory[0x8001], 0xA5);
}

TEST_F(CpuInstr, BlockInstructionsDownwardsAndCompareWithoutMatch) {
    Load(kOrigin, {0xED, 0xB9});  // CPDR over three bytes without a match
    Load(0x2000, {0x01, 0x02, 0x03});
    Cpu().hl = 0x2002;
    Cpu().bc = 3;
    SetAF(0x09, 0x00);
    EXPECT_EQ(FlatCore::Execute(58), 58);  // 21 + 21 + 16
    EXPECT_EQ(Cpu().pc, kOrigin + 2u);
    EXPECT_EQ(Cpu().hl, 0x1FFFu);
    EXPECT_EQ(Cpu().bc, 0u);
    EXPECT_EQ(RegF(), kFlagN);  // 9 - 1 = 8: no S, Z or H; BC ran out

    SetUp();
    Load(kOrigin, {0xED, 0xAA, 0xED, 0xAB});  // IND; OUTD
    FlatBus::readPort = [](uint16_t port) -> uint8_t { return uint8_t(port); };
    Cpu().bc = 0x0233;
    Cpu().hl = 0x2001;
    Step();
    EXPECT_EQ(FlatBus::memory[0x2001], 0x33);
    EXPECT_EQ(Cpu().hl, 0x2000u);
    EXPECT_EQ(Cpu().bc, 0x0133u);
    Step();
    EXPECT_EQ(Cpu().hl, 0x1FFFu);
    EXPECT_EQ(Cpu().bc, 0x0033u);
    EXPECT_EQ(RegF(), kFlagZ | kFlagN);
}

TEST_F(CpuInstr, PortOutputForms) {
    static std::vector<std::pair<uint16_t, uint8_t>> writes;
    writes.clear();
    FlatBus::writePort = [](uint16_t port, uint8_t value) { writes.emplace_back(port, value); };
    Load(kOrigin, {0xD3, 0x42, 0xED, 0x79, 0xED, 0x71, 0xED, 0x59});  // OUT (42h),A; OUT (C),A; OUT (C),0; OUT (C),E
    SetAF(0x9C, 0);
    Cpu().bc = 0x1234;
    Cpu().de = 0x00EE;
    for (int i = 0; i < 4; ++i) Step();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0], std::make_pair(uint16_t(0x9C42), uint8_t(0x9C)));
    EXPECT_EQ(writes[1], std::make_pair(uint16_t(0x1234), uint8_t(0x9C)));
    EXPECT_EQ(writes[2], std::make_pair(uint16_t(0x1234), uint8_t(0x00)));
    EXPECT_EQ(writes[3], std::make_pair(uint16_t(0x1234), uint8_t(0xEE)));
}

}  // namespace
