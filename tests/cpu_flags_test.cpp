// Flag results of the Z80 core per instruction family. Expected values are
// worked out by hand from the published Z80 flag definitions (bits 3 and 5
// are left clear by everything but DAA).
#include <bit>

#include "cpu/z80_tables.h"
#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

struct AluCase {
    const char* name;
    std::initializer_list<uint8_t> code;
    uint8_t a, f, operand;  // operand goes into B
    uint8_t expectA, expectF;
};

class CpuFlags : public Z80Test {};

TEST_F(CpuFlags, EightBitArithmeticAndLogic) {
    const AluCase cases[] = {
        {"SUB A", {0x97}, 0x5A, 0x00, 0, 0x00, 0x42},
        {"XOR A", {0xAF}, 0x5A, 0xFF, 0, 0x00, 0x44},
        {"CP A", {0xBF}, 0x5A, 0x00, 0, 0x5A, 0x42},
        {"ADD 7F+01 overflow", {0x80}, 0x7F, 0x00, 0x01, 0x80, 0x94},
        {"ADD FF+01 carry", {0x80}, 0xFF, 0x00, 0x01, 0x00, 0x51},
        {"ADC 0F+00+C", {0x88}, 0x0F, 0x01, 0x00, 0x10, 0x10},
        {"SUB 80-01 overflow", {0x90}, 0x80, 0x00, 0x01, 0x7F, 0x16},
        {"SUB 00-01 borrow", {0x90}, 0x00, 0x00, 0x01, 0xFF, 0x93},
        {"SBC 10-0F-C", {0x98}, 0x10, 0x01, 0x0F, 0x00, 0x52},
        {"CP 40,50", {0xB8}, 0x40, 0x00, 0x50, 0x40, 0x83},
        {"AND F0,0F", {0xA0}, 0xF0, 0x00, 0x0F, 0x00, 0x54},
        {"OR 01,02", {0xB0}, 0x01, 0xFF, 0x02, 0x03, 0x04},
        {"XOR 80,01", {0xA8}, 0x80, 0x00, 0x01, 0x81, 0x84},
        {"NEG 80", {0xED, 0x44}, 0x80, 0x00, 0, 0x80, 0x87},
        {"NEG 00", {0xED, 0x44}, 0x00, 0x01, 0, 0x00, 0x42},
        {"NEG 01", {0xED, 0x44}, 0x01, 0x00, 0, 0xFF, 0x93},
        {"NEG mirror 7C", {0xED, 0x7C}, 0x01, 0x00, 0, 0xFF, 0x93},
        {"INC A 7F keeps C", {0x3C}, 0x7F, 0x01, 0, 0x80, 0x95},
        {"INC A FF", {0x3C}, 0xFF, 0x00, 0, 0x00, 0x50},
        {"DEC A 80 keeps C", {0x3D}, 0x80, 0x01, 0, 0x7F, 0x17},
        {"DEC A 01", {0x3D}, 0x01, 0x00, 0, 0x00, 0x42},
        {"ADD A,n", {0xC6, 0x0F}, 0x01, 0x00, 0, 0x10, 0x10},
        {"CPL", {0x2F}, 0x5A, 0x00, 0, 0xA5, 0x12},
        {"CPL keeps all", {0x2F}, 0x00, 0xFF, 0, 0xFF, 0xFF},
        {"SCF", {0x37}, 0x00, 0xFF, 0, 0x00, 0xED},
        {"CCF from C", {0x3F}, 0x00, 0x01, 0, 0x00, 0x10},
        {"CCF from NC", {0x3F}, 0x00, 0x00, 0, 0x00, 0x01},
        {"CCF keeps S Z 5 3 P", {0x3F}, 0x00, 0xFF, 0, 0x00, 0xFC},
        {"RLCA F=FF", {0x07}, 0x80, 0xFF, 0, 0x01, 0xED},
        {"RRCA", {0x0F}, 0x01, 0x00, 0, 0x80, 0x01},
        {"RLA keeps Z", {0x17}, 0x80, 0x00, 0, 0x00, 0x01},
        {"RRA", {0x1F}, 0x01, 0x01, 0, 0x80, 0x01},
        {"DAA 3C", {0x27}, 0x3C, 0x00, 0, 0x42, 0x14},
        {"DAA 9A", {0x27}, 0x9A, 0x00, 0, 0x00, 0x55},
    };
    for (const AluCase& c : cases) {
        SetUp();
        Load(kOrigin, c.code);
        SetAF(c.a, c.f);
        Cpu().bc = uint32_t(c.operand << 8);
        Step();
        EXPECT_EQ(RegA(), c.expectA) << c.name;
        EXPECT_EQ(RegF(), c.expectF) << c.name;
    }
}

TEST_F(CpuFlags, IncDecOnMemoryAndIndexBytes) {
    Load(kOrigin, {0x34, 0xDD, 0x35, 0x02, 0xDD, 0x24});  // INC (HL); DEC (IX+2); INC IXh
    Cpu().hl = 0x2000;
    Cpu().ix = 0x7F10;
    FlatBus::memory[0x2000] = 0x0F;
    FlatBus::memory[0x7F12] = 0x80;
    SetAF(0, 0x01);
    Step();
    EXPECT_EQ(FlatBus::memory[0x2000], 0x10);
    EXPECT_EQ(RegF(), 0x11);  // H, C kept
    Step();
    EXPECT_EQ(FlatBus::memory[0x7F12], 0x7F);
    EXPECT_EQ(RegF(), 0x17);  // H, V, N, C kept
    Step();
    EXPECT_EQ(Cpu().ix, 0x8010u);
    EXPECT_EQ(RegF(), 0x95);  // S, H, V, C kept
}

TEST_F(CpuFlags, CbRotatesShiftsAndBit) {
    struct Case {
        const char* name;
        uint8_t op, value, f, expectValue, expectF;
    };
    // Operand in B (op & 7 == 0) except BIT 7,A which uses A.
    const Case cases[] = {
        {"RLC B", 0x00, 0x80, 0x00, 0x01, 0x01},
        {"RRC B", 0x08, 0x01, 0x00, 0x80, 0x81},
        {"RL B", 0x10, 0x80, 0x00, 0x00, 0x45},
        {"RR B with C", 0x18, 0x00, 0x01, 0x80, 0x80},
        {"SLA B", 0x20, 0xC0, 0x00, 0x80, 0x81},
        {"SRA B", 0x28, 0x81, 0x00, 0xC0, 0x85},
        {"SLL B", 0x30, 0x80, 0x00, 0x01, 0x01},
        {"SRL B", 0x38, 0x01, 0x00, 0x00, 0x45},
        {"BIT 0,B clear", 0x40, 0xFE, 0x01, 0xFE, 0x51},
        {"BIT 7,B set", 0x78, 0x80, 0x00, 0x80, 0x90},
        {"BIT 3,B set", 0x58, 0x08, 0x00, 0x08, 0x10},
        {"RES 7,B keeps F", 0xB8, 0xFF, 0xA5, 0x7F, 0xA5},
        {"SET 0,B keeps F", 0xC0, 0x00, 0x5A, 0x01, 0x5A},
    };
    for (const Case& c : cases) {
        SetUp();
        Load(kOrigin, {0xCB, c.op});
        Cpu().bc = uint32_t(c.value << 8);
        SetAF(0, c.f);
        Step();
        EXPECT_EQ(Cpu().bc >> 8, c.expectValue) << c.name;
        EXPECT_EQ(RegF(), c.expectF) << c.name;
    }
    SetUp();
    Load(kOrigin, {0xCB, 0x7F});  // BIT 7,A with A = 80h
    SetAF(0x80, 0x00);
    Step();
    EXPECT_EQ(RegF(), kFlagS | kFlagH);
}

TEST_F(CpuFlags, SixteenBitArithmetic) {
    struct Case {
        const char* name;
        std::initializer_list<uint8_t> code;
        uint16_t hl, operand;
        uint8_t f;
        uint16_t expectHl;
        uint8_t expectF;
    };
    // Operand in DE (BC for ADD HL,BC).
    const Case cases[] = {
        {"ADD HL,BC half carry keeps SZP", {0x09}, 0x0FFF, 0x0001, 0xC4, 0x1000, 0xD4},
        {"ADD HL,BC carry", {0x09}, 0xFFFF, 0x0001, 0x00, 0x0000, 0x11},
        {"ADC HL,DE overflow", {0xED, 0x5A}, 0x7FFF, 0x0000, 0x01, 0x8000, 0x94},
        {"ADC HL,DE zero", {0xED, 0x5A}, 0xFFFF, 0x0001, 0x00, 0x0000, 0x51},
        {"SBC HL,DE borrow", {0xED, 0x52}, 0x0000, 0x0001, 0x00, 0xFFFF, 0x93},
        {"SBC HL,DE overflow", {0xED, 0x52}, 0x8000, 0x0001, 0x00, 0x7FFF, 0x16},
        {"SBC HL,DE zero", {0xED, 0x52}, 0x1235, 0x1234, 0x01, 0x0000, 0x42},
    };
    for (const Case& c : cases) {
        SetUp();
        Load(kOrigin, c.code);
        Cpu().hl = c.hl;
        Cpu().bc = c.operand;
        Cpu().de = c.operand;
        SetAF(0, c.f);
        Step();
        EXPECT_EQ(Cpu().hl, c.expectHl) << c.name;
        EXPECT_EQ(RegF(), c.expectF) << c.name;
    }
}

TEST_F(CpuFlags, LoadsAndExchangesLeaveFlagsAlone) {
    Load(kOrigin, {0x3E, 0x00, 0x21, 0x34, 0x12, 0xEB, 0x08, 0xC5, 0xD1, 0x03, 0x1B, 0xDB, 0x10});
    SetAF(0, 0xD7);
    Cpu().af2 = 0x00D7;
    for (int i = 0; i < 8; ++i) Step();
    EXPECT_EQ(RegF(), 0xD7);
}

TEST_F(CpuFlags, InterruptRegisterLoadsAndPortInput) {
    Load(kOrigin, {0xED, 0x57, 0xED, 0x40, 0xED, 0x70});  // LD A,I; IN B,(C); IN F,(C)
    FlatCore::state.i = 0x80;
    FlatCore::state.iff2 = 1;
    SetAF(0, 0x01);
    Step();
    EXPECT_EQ(RegA(), 0x80);
    EXPECT_EQ(RegF(), 0x85);  // S, P/V = iff2, C kept
    FlatBus::readPort = [](uint16_t) -> uint8_t { return 0x00; };
    Cpu().bc = 0x1234;
    Step();
    EXPECT_EQ(Cpu().bc, 0x0034u);
    EXPECT_EQ(RegF(), 0x45);  // Z, even parity, C kept
    FlatBus::readPort = [](uint16_t) -> uint8_t { return 0x80; };
    Cpu().de = 0x5678;
    Cpu().hl = 0x9ABC;
    Step();
    EXPECT_EQ(RegF(), 0x81);  // S, odd parity, C kept
    EXPECT_EQ(RegA(), 0x80);
    EXPECT_EQ(Cpu().bc, 0x0034u);
    EXPECT_EQ(Cpu().de, 0x5678u);
    EXPECT_EQ(Cpu().hl, 0x9ABCu);
}

TEST_F(CpuFlags, DigitRotatesAndBlockInstructions) {
    Load(kOrigin, {0xED, 0x67});  // RRD
    Cpu().hl = 0x2000;
    FlatBus::memory[0x2000] = 0x34;
    SetAF(0x12, 0x01);
    Step();
    EXPECT_EQ(RegA(), 0x14);
    EXPECT_EQ(FlatBus::memory[0x2000], 0x23);
    EXPECT_EQ(RegF(), 0x05);

    SetUp();
    Load(kOrigin, {0xED, 0x6F});  // RLD
    Cpu().hl = 0x2000;
    FlatBus::memory[0x2000] = 0x34;
    SetAF(0x12, 0x00);
    Step();
    EXPECT_EQ(RegA(), 0x13);
    EXPECT_EQ(FlatBus::memory[0x2000], 0x42);
    EXPECT_EQ(RegF(), 0x00);

    SetUp();
    Load(kOrigin, {0xED, 0xA0});  // LDI with BC = 1
    Cpu().bc = 1;
    SetAF(0, 0xFF);
    Step();
    EXPECT_EQ(RegF(), 0xE9);  // S, Z, 5, 3, C kept; H, P/V, N cleared

    SetUp();
    Load(kOrigin, {0xED, 0xA1});  // CPI finding its byte with BC = 2
    Cpu().bc = 2;
    Cpu().hl = 0x2000;
    FlatBus::memory[0x2000] = 0x10;
    SetAF(0x10, 0x00);
    Step();
    EXPECT_EQ(RegF(), 0x46);
    EXPECT_EQ(Cpu().hl, 0x2001u);

    SetUp();
    Load(kOrigin, {0xED, 0xA2, 0xED, 0xA2});  // INI twice with B = 2; C is cleared
    Cpu().bc = 0x0210;
    SetAF(0, 0xFF);
    Step();
    EXPECT_EQ(RegF(), kFlagN);
    Step();
    EXPECT_EQ(RegF(), kFlagZ | kFlagN);
}

// DAA against decimal arithmetic: every pair of two-digit decimal numbers
// added or subtracted with ADD/ADC/SUB/SBC, then DAA, must give the decimal
// result's digits and the decimal carry or borrow.
TEST_F(CpuFlags, DaaGivesDecimalResults) {
    Load(kOrigin, {0x88, 0x27, 0x98, 0x27});  // ADC A,B; DAA; SBC A,B; DAA
    int failures = 0;
    for (int x = 0; x < 100 && failures < 10; ++x) {
        for (int y = 0; y < 100; ++y) {
            for (int carry = 0; carry < 2; ++carry) {
                for (int subtract = 0; subtract < 2; ++subtract) {
                    int exact = subtract ? x - y - carry : x + y + carry;
                    int digits = (exact + 100) % 100;
                    bool decimalCarry = subtract ? exact < 0 : exact >= 100;
                    uint8_t bcd = uint8_t((digits / 10) << 4 | (digits % 10));
                    Cpu().pc = subtract ? kOrigin + 2 : kOrigin;
                    SetAF(uint8_t((x / 10) << 4 | (x % 10)), uint8_t(carry));
                    Cpu().bc = uint32_t(((y / 10) << 4 | (y % 10)) << 8);
                    Step();
                    Step();
                    if (RegA() != bcd || bool(RegF() & kFlagC) != decimalCarry || bool(RegF() & kFlagN) != bool(subtract)) {
                        ADD_FAILURE() << x << (subtract ? " - " : " + ") << y << " carry " << carry << ": A "
                                      << int(RegA()) << " F " << int(RegF());
                        ++failures;
                    }
                }
            }
        }
    }
}

// The published decimal-adjust table (Z80 user manual): for each input
// range of C, H, upper and lower digit, the number added and the new C.
// Every one of the 2048 table entries inside a row must follow the row;
// every entry's S, Z, 5, 3 and parity must match its own result byte and N
// must be kept.
TEST(CpuDaaTable, AllEntriesFollowThePublishedTable) {
    struct Row {
        int n, c, h, hiLo, hiHi, loLo, loHi, add, newC;
    };
    const Row rows[] = {
        {0, 0, 0, 0x0, 0x9, 0x0, 0x9, 0x00, 0}, {0, 0, 0, 0x0, 0x8, 0xA, 0xF, 0x06, 0},
        {0, 0, 1, 0x0, 0x9, 0x0, 0x3, 0x06, 0}, {0, 0, 0, 0xA, 0xF, 0x0, 0x9, 0x60, 1},
        {0, 0, 0, 0x9, 0xF, 0xA, 0xF, 0x66, 1}, {0, 0, 1, 0xA, 0xF, 0x0, 0x3, 0x66, 1},
        {0, 1, 0, 0x0, 0x2, 0x0, 0x9, 0x60, 1}, {0, 1, 0, 0x0, 0x2, 0xA, 0xF, 0x66, 1},
        {0, 1, 1, 0x0, 0x3, 0x0, 0x3, 0x66, 1}, {1, 0, 0, 0x0, 0x9, 0x0, 0x9, 0x00, 0},
        {1, 0, 1, 0x0, 0x8, 0x6, 0xF, 0xFA, 0}, {1, 1, 0, 0x7, 0xF, 0x0, 0x9, 0xA0, 1},
        {1, 1, 1, 0x6, 0xF, 0x6, 0xF, 0x9A, 1},
    };
    int covered = 0;
    for (int index = 0; index < 2048; ++index) {
        int a = index & 0xFF, c = (index >> 8) & 1, h = (index >> 9) & 1, n = (index >> 10) & 1;
        uint8_t newA = uint8_t(Z80::daaTable[std::size_t(index)] >> 8);
        uint8_t newF = uint8_t(Z80::daaTable[std::size_t(index)]);
        for (const Row& row : rows) {
            int hi = a >> 4, lo = a & 15;
            if (row.n == n && row.c == c && row.h == h && hi >= row.hiLo && hi <= row.hiHi && lo >= row.loLo &&
                lo <= row.loHi) {
                ++covered;
                EXPECT_EQ(newA, uint8_t(a + row.add)) << "entry " << index;
                EXPECT_EQ(newF & kFlagC, row.newC) << "entry " << index;
            }
        }
        uint8_t expectedBits = uint8_t((newA & 0xA8) | (newA == 0 ? kFlagZ : 0) |
                                       (std::popcount(unsigned(newA)) % 2 == 0 ? kFlagPV : 0) | (n ? kFlagN : 0));
        EXPECT_EQ(newF & 0xEE, expectedBits) << "entry " << index;
    }
    EXPECT_GT(covered, 500);
}

TEST(CpuFlagTables, SignZeroAndParity) {
    Z80::BuildFlagTables();
    EXPECT_EQ(Z80::flagsSZ[0x00], 0x40);
    EXPECT_EQ(Z80::flagsSZ[0x80], 0x80);
    EXPECT_EQ(Z80::flagsSZ[0x7F], 0x00);
    EXPECT_EQ(Z80::flagsSZP[0x00], 0x44);
    EXPECT_EQ(Z80::flagsSZP[0x03], 0x04);
    EXPECT_EQ(Z80::flagsSZP[0x07], 0x00);
    EXPECT_EQ(Z80::flagsSZP[0xFF], 0x84);
    EXPECT_EQ(Z80::flagsSZP[0x28], 0x04);  // bits 3 and 5 are never copied
}

}  // namespace
