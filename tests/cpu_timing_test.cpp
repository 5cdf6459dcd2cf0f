// T-state counts of the Z80 core: the published Zilog counts typed here as
// independent data (for conditional instructions the count when the
// condition fails; -1 for bytes the documentation does not define), checked
// by running every opcode of every page.
#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

// clang-format off
const int publishedMain[256] = {
//   0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
     4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4,  // 0
     8, 10,  7,  6,  4,  4,  7,  4, 12, 11,  7,  6,  4,  4,  7,  4,  // 1
     7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4,  // 2
     7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4,  // 3
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 4
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 5
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 6
     7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,  // 7
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 8
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 9
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // A
     4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // B
     5, 10, 10, 10, 10, 11,  7, 11,  5, 10, 10, -1, 10, 17,  7, 11,  // C
     5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10, -1,  7, 11,  // D
     5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10, -1,  7, 11,  // E
     5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  4, 10, -1,  7, 11,  // F
};

// Prefixed pages by operation family.
int PublishedCb(int op) {
    bool memory = (op & 7) == 6;
    if (op >= 0x40 && op < 0x80) return memory ? 12 : 8;  // BIT
    return memory ? 15 : 8;                               // rotates, shifts, RES, SET
}
int PublishedXyCb(int op) { return (op >= 0x40 && op < 0x80) ? 20 : 23; }

const int publishedEd[256] = {
//   0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 1
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 2
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 3
    12, 12, 15, 20,  8, 14,  8,  9, 12, 12, 15, 20,  8, 14,  8,  9,  // 4
    12, 12, 15, 20,  8, 14,  8,  9, 12, 12, 15, 20,  8, 14,  8,  9,  // 5
    12, 12, 15, 20,  8, 14,  8, 18, 12, 12, 15, 20,  8, 14,  8, 18,  // 6
    12, 12, 15, 20,  8, 14,  8, -1, 12, 12, 15, 20,  8, 14,  8, -1,  // 7
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 8
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 9
    16, 16, 16, 16, -1, -1, -1, -1, 16, 16, 16, 16, -1, -1, -1, -1,  // A
    16, 16, 16, 16, -1, -1, -1, -1, 16, 16, 16, 16, -1, -1, -1, -1,  // B
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // C
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // D
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // E
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // F
};

// DD/FD instructions: the documented ones, 9 for the undocumented forms that
// use XYh or XYl as an 8-bit register, -1 for bytes without an indexed form
// (the prefix is dropped) and CB, which has its own page.
const int publishedXy[256] = {
//   0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    -1, -1, -1, -1, -1, -1, -1, -1, -1, 15, -1, -1, -1, -1, -1, -1,  // 0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, 15, -1, -1, -1, -1, -1, -1,  // 1
    -1, 14, 20, 10,  9,  9,  9, -1, -1, 15, 20, 10,  9,  9,  9, -1,  // 2
    -1, -1, -1, -1, 23, 23, 19, -1, -1, 15, -1, -1, -1, -1, -1, -1,  // 3
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // 4
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // 5
     9,  9,  9,  9,  9,  9, 19,  9,  9,  9,  9,  9,  9,  9, 19,  9,  // 6
    19, 19, 19, 19, 19, 19, -1, 19, -1, -1, -1, -1,  9,  9, 19, -1,  // 7
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // 8
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // 9
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // A
    -1, -1, -1, -1,  9,  9, 19, -1, -1, -1, -1, -1,  9,  9, 19, -1,  // B
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // C
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // D
    -1, 14, -1, 23, -1, 15, -1, -1, -1,  8, -1, -1, -1, -1, -1, -1,  // E
    -1, -1, -1, -1, -1, -1, -1, -1, -1, 10, -1, -1, -1, -1, -1, -1,  // F
};
// clang-format on

// One step of `code` with F = 0 (NZ, NC, PO and P hold; Z, C, PE and M fail),
// B = 0 and C = 1 (DJNZ jumps, 16-bit block counts reach 0, 8-bit ones do not)
// and zero memory after the code.
int32_t RunOnce(std::initializer_list<uint8_t> code) {
    FlatCore::Reset();
    uint16_t at = kOrigin;
    for (uint8_t b : code) FlatBus::memory[at++] = b;
    for (int i = 0; i < 4; ++i) FlatBus::memory[at++] = 0;
    Cpu().pc = kOrigin, Cpu().bc = 0x0001, Cpu().sp = 0x8000, Cpu().hl = Cpu().ix = Cpu().iy = 0x4000;
    return FlatCore::Execute(0);
}

// Every opcode of every page run once; the count is the published one, or the
// taken count where the state above takes the branch or repeats.
TEST(CpuTiming, EveryOpcodeOfEveryPage) {
    FreshCore();
    for (int op = 0; op < 256; ++op) {
        int expected = publishedMain[op];
        bool conditionHolds = ((op >> 3) & 1) == 0;
        if (op >= 0xC0 && (op & 7) == 0 && conditionHolds) expected = 11;  // RET cc taken
        if (op >= 0xC0 && (op & 7) == 4 && conditionHolds) expected = 17;  // CALL cc taken
        if (op == 0x20 || op == 0x30) expected = 12;                       // JR NZ / JR NC taken
        if (op == 0x10) expected = 13;                                     // DJNZ taken (B 0 -> FF)
        if (op == 0xFB) expected = 4 + 4;                                  // EI runs the NOP after it
        if (op == 0xCB) expected = 8;                                      // CB 00: RLC B
        if (op == 0xDD || op == 0xFD || op == 0xED) expected = 0;          // DD 00 dropped, ED 00 no-op
        EXPECT_EQ(RunOnce({uint8_t(op)}), expected) << "opcode " << std::hex << op;

        EXPECT_EQ(RunOnce({0xCB, uint8_t(op)}), PublishedCb(op)) << "CB " << std::hex << op;
        EXPECT_EQ(RunOnce({0xDD, 0xCB, 0x00, uint8_t(op)}), PublishedXyCb(op)) << "DD CB " << std::hex << op;
        EXPECT_EQ(RunOnce({0xFD, 0xCB, 0x00, uint8_t(op)}), PublishedXyCb(op)) << "FD CB " << std::hex << op;
        int ed = publishedEd[op] < 0 || op == 0xFE ? 0 : publishedEd[op];
        if (op == 0xB2 || op == 0xB3 || op == 0xBA || op == 0xBB) ed = 21;  // B = 0 -> FF: repeats
        EXPECT_EQ(RunOnce({0xED, uint8_t(op)}), ed) << "ED " << std::hex << op;
        if (op == 0xCB) continue;
        int xy = publishedXy[op];
        if (xy < 0) xy = 0;
        if (op == 0x76) xy = 19;
        EXPECT_EQ(RunOnce({0xDD, uint8_t(op)}), xy) << "DD " << std::hex << op;
        EXPECT_EQ(RunOnce({0xFD, uint8_t(op)}), xy) << "FD " << std::hex << op;
    }
}

}  // namespace
