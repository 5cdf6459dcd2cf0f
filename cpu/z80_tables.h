// Z80 T-state, flag and DAA tables.
//
// T-state tables hold what the core subtracts before a handler runs. For
// conditional instructions they hold the count when the condition fails;
// the handlers subtract the rest (taken branches 5, calls 7, returns 6,
// block repeats 5). Exceptions to the published counts, all made up by
// the handlers: JR e 7, RET 4, CALL nn 10, the four prefixes 0; RETN/RETI
// 8; undefined ED bytes (and ED 77, ED 7F) 0; in the DD/FD page every
// undocumented IXh/IXl instruction 9, DD 76 19, other dropped prefixes and
// CB 0 (the DD CB d op cost is all in cyclesXyCb).
//
// Flag tables: flagsSZ/flagsSZP are filled once by BuildFlagTables;
// daaTable is the complete new AF for A + 256*C + 512*H + 1024*N.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cpu/cpu_state.h"

namespace Z80 {

// Unprefixed opcodes.
inline constexpr int32_t cyclesMain[256] = {
    //    x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /*0x*/ 4, 10,  7,  6,  4,  4,  7,  4,  4, 11,  7,  6,  4,  4,  7,  4,
    /*1x*/ 8, 10,  7,  6,  4,  4,  7,  4,  7, 11,  7,  6,  4,  4,  7,  4,
    /*2x*/ 7, 10, 16,  6,  4,  4,  7,  4,  7, 11, 16,  6,  4,  4,  7,  4,
    /*3x*/ 7, 10, 13,  6, 11, 11, 10,  4,  7, 11, 13,  6,  4,  4,  7,  4,
    /*4x*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*5x*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*6x*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*7x*/ 7,  7,  7,  7,  7,  7,  4,  7,  4,  4,  4,  4,  4,  4,  7,  4,
    /*8x*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*9x*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*Ax*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*Bx*/ 4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,
    /*Cx*/ 5, 10, 10, 10, 10, 11,  7, 11,  5,  4, 10,  0, 10, 10,  7, 11,
    /*Dx*/ 5, 10, 10, 11, 10, 11,  7, 11,  5,  4, 10, 11, 10,  0,  7, 11,
    /*Ex*/ 5, 10, 10, 19, 10, 11,  7, 11,  5,  4, 10,  4, 10,  0,  7, 11,
    /*Fx*/ 5, 10, 10,  4, 10, 11,  7, 11,  5,  6, 10,  4, 10,  0,  7, 11,
};

// After CB: rotates/shifts and RES/SET 8 on a register, 15 on (HL); BIT 8 and 12.
inline constexpr int32_t cyclesCb[256] = {
    //    x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /*0x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*1x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*2x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*3x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*4x*/ 8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,
    /*5x*/ 8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,
    /*6x*/ 8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,
    /*7x*/ 8,  8,  8,  8,  8,  8, 12,  8,  8,  8,  8,  8,  8,  8, 12,  8,
    /*8x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*9x*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Ax*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Bx*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Cx*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Dx*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Ex*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
    /*Fx*/ 8,  8,  8,  8,  8,  8, 15,  8,  8,  8,  8,  8,  8,  8, 15,  8,
};

// After ED. Undefined bytes, 77, 7F and the trap FE cost nothing at all.
inline constexpr int32_t cyclesEd[256] = {
    //    x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /*0x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*1x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*2x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*3x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*4x*/12, 12, 15, 20,  8,  8,  8,  9, 12, 12, 15, 20,  8,  8,  8,  9,
    /*5x*/12, 12, 15, 20,  8,  8,  8,  9, 12, 12, 15, 20,  8,  8,  8,  9,
    /*6x*/12, 12, 15, 20,  8,  8,  8, 18, 12, 12, 15, 20,  8,  8,  8, 18,
    /*7x*/12, 12, 15, 20,  8,  8,  8,  0, 12, 12, 15, 20,  8,  8,  8,  0,
    /*8x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*9x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Ax*/16, 16, 16, 16,  0,  0,  0,  0, 16, 16, 16, 16,  0,  0,  0,  0,
    /*Bx*/16, 16, 16, 16,  0,  0,  0,  0, 16, 16, 16, 16,  0,  0,  0,  0,
    /*Cx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Dx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Ex*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Fx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
};

// After DD or FD. 0 marks a dropped prefix (the byte runs again as an
// ordinary opcode in the next step) and CB, whose cost is in cyclesXyCb.
inline constexpr int32_t cyclesXy[256] = {
    //    x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /*0x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0,
    /*1x*/ 0,  0,  0,  0,  0,  0,  0,  0,  0, 15,  0,  0,  0,  0,  0,  0,
    /*2x*/ 0, 14, 20, 10,  9,  9,  9,  0,  0, 15, 20, 10,  9,  9,  9,  0,
    /*3x*/ 0,  0,  0,  0, 23, 23, 19,  0,  0, 15,  0,  0,  0,  0,  0,  0,
    /*4x*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*5x*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*6x*/ 9,  9,  9,  9,  9,  9, 19,  9,  9,  9,  9,  9,  9,  9, 19,  9,
    /*7x*/19, 19, 19, 19, 19, 19, 19, 19,  0,  0,  0,  0,  9,  9, 19,  0,
    /*8x*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*9x*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*Ax*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*Bx*/ 0,  0,  0,  0,  9,  9, 19,  0,  0,  0,  0,  0,  9,  9, 19,  0,
    /*Cx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Dx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
    /*Ex*/ 0, 14,  0, 23,  0, 15,  0,  0,  0,  8,  0,  0,  0,  0,  0,  0,
    /*Fx*/ 0,  0,  0,  0,  0,  0,  0,  0,  0, 10,  0,  0,  0,  0,  0,  0,
};

// Fourth byte of DD CB d op / FD CB d op: BIT 20, everything else 23.
inline constexpr int32_t cyclesXyCb[256] = {
    //    x0  x1  x2  x3  x4  x5  x6  x7  x8  x9  xA  xB  xC  xD  xE  xF
    /*0x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*1x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*2x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*3x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*4x*/20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    /*5x*/20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    /*6x*/20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    /*7x*/20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    /*8x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*9x*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Ax*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Bx*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Cx*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Dx*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Ex*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
    /*Fx*/23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23, 23,
};

// S and Z of a result byte; flagsSZP adds P/V for even parity.
inline uint8_t flagsSZ[256];
inline uint8_t flagsSZP[256];
// Set until the first Execute of any core has filled the two tables above.
inline bool flagTablesPending = true;

inline void BuildFlagTables() {
    for (int v = 0; v < 256; ++v) {
        uint8_t sz = uint8_t((v & 0x80) | (v == 0 ? kFlagZ : 0));
        int ones = 0;
        for (int bit = 0; bit < 8; ++bit) ones += (v >> bit) & 1;
        flagsSZ[v] = sz;
        flagsSZP[v] = uint8_t(sz | ((ones & 1) == 0 ? kFlagPV : 0));
    }
    flagTablesPending = false;
}

// The decimal-adjust rule: correction 06h for a low digit above 9 or H,
// 60h for A above 99h or C (which then sets C); added after an addition,
// subtracted after a subtraction.
constexpr uint16_t DaaEntry(int index) {
    int a = index & 0xFF;
    bool c = (index & 0x100) != 0, h = (index & 0x200) != 0, n = (index & 0x400) != 0;
    int low = a & 0x0F;
    int correction = 0;
    bool newC = c;
    if (h || low > 9) correction |= 0x06;
    if (c || a > 0x99) {
        correction |= 0x60;
        newC = true;
    }
    bool newH = n ? (h && low < 6) : (low > 9);
    int result = (n ? a - correction : a + correction) & 0xFF;
    int ones = 0;
    for (int bit = 0; bit < 8; ++bit) ones += (result >> bit) & 1;
    int f = (result & (kFlagS | kFlag5 | kFlag3)) | (result == 0 ? kFlagZ : 0) | (newH ? kFlagH : 0) |
            ((ones & 1) == 0 ? kFlagPV : 0) | (n ? kFlagN : 0) | (newC ? kFlagC : 0);
    return uint16_t((result << 8) | f);
}

constexpr std::array<uint16_t, 2048> BuildDaaTable() {
    std::array<uint16_t, 2048> table{};
    for (int index = 0; index < 2048; ++index) table[std::size_t(index)] = DaaEntry(index);
    return table;
}

inline constexpr std::array<uint16_t, 2048> daaTable = BuildDaaTable();

}  // namespace Z80
