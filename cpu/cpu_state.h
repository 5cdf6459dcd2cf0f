// The Z80 register file and interrupt state, shared by every bus the core runs on.
#pragma once

#include <cstdint>

// Interrupt request values for RequestInterrupt.
constexpr int32_t kIrqNone = -1;
constexpr int32_t kIrqNmi = -2;

// Flag bits of F.
constexpr uint8_t kFlagS = 0x80, kFlagZ = 0x40, kFlag5 = 0x20, kFlagH = 0x10, kFlag3 = 0x08, kFlagPV = 0x04,
                  kFlagN = 0x02, kFlagC = 0x01;

// Twenty-one 32-bit fields in this order. Pairs use the low 16 bits; the
// 8-bit registers are the bytes of their pair.
struct CpuState {
    uint32_t af, bc, de, hl, ix, iy, pc, sp;
    uint32_t af2, bc2, de2, hl2;
    uint32_t iff1, iff2, halted, interruptMode, i, r, r7;
    int32_t pendingIrq;
    uint32_t pendingNmi;
};
