// Z80 arithmetic and logic on plain values: the flag rules of each
// instruction family. The core passes its register copies by reference;
// everything inlines into the handlers.
//
// Bits 3 and 5 of F are never taken from a result (only DAA sets them).
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "cpu/z80_tables.h"

#define Z80_ALU [[gnu::always_inline]] inline

namespace Z80 {

// S, Z, P/V and bits 3 and 5: what the accumulator rotates keep.
constexpr uint8_t kKeepForRotateA = kFlagS | kFlagZ | kFlagPV | kFlag5 | kFlag3;
constexpr uint8_t kKeepSZP = kFlagS | kFlagZ | kFlagPV;

// ---- 8-bit arithmetic and logic on A ----

Z80_ALU void Add8(uint8_t& a, uint8_t& f, uint8_t v, unsigned carry = 0) {
    unsigned r = a + v + carry;
    f = uint8_t(flagsSZ[r & 0xFF] | ((a ^ v ^ r) & kFlagH) | (((a ^ r) & (v ^ r) & 0x80) >> 5) | (r >> 8));
    a = uint8_t(r);
}
Z80_ALU void Adc8(uint8_t& a, uint8_t& f, uint8_t v) { Add8(a, f, v, f & kFlagC); }

// Flags of a - v - carry; returns the 8-bit difference.
Z80_ALU uint8_t Sub8Flags(uint8_t a, uint8_t& f, uint8_t v, unsigned carry = 0) {
    unsigned r = unsigned(a) - v - carry;
    f = uint8_t(flagsSZ[r & 0xFF] | ((a ^ v ^ r) & kFlagH) | (((a ^ v) & (a ^ r) & 0x80) >> 5) | ((r >> 8) & kFlagC) |
                kFlagN);
    return uint8_t(r);
}
Z80_ALU void Sub8(uint8_t& a, uint8_t& f, uint8_t v) { a = Sub8Flags(a, f, v); }
Z80_ALU void Sbc8(uint8_t& a, uint8_t& f, uint8_t v) { a = Sub8Flags(a, f, v, f & kFlagC); }
Z80_ALU void Cp8(uint8_t a, uint8_t& f, uint8_t v) { Sub8Flags(a, f, v); }
Z80_ALU void And8(uint8_t& a, uint8_t& f, uint8_t v) {
    a &= v;
    f = uint8_t(flagsSZP[a] | kFlagH);
}
Z80_ALU void Xor8(uint8_t& a, uint8_t& f, uint8_t v) {
    a ^= v;
    f = flagsSZP[a];
}
Z80_ALU void Or8(uint8_t& a, uint8_t& f, uint8_t v) {
    a |= v;
    f = flagsSZP[a];
}
Z80_ALU uint8_t Inc8(uint8_t& f, uint8_t v) {
    v = uint8_t(v + 1);
    f = uint8_t((f & kFlagC) | flagsSZ[v] | ((v & 0x0F) == 0 ? kFlagH : 0) | (v == 0x80 ? kFlagPV : 0));
    return v;
}
Z80_ALU uint8_t Dec8(uint8_t& f, uint8_t v) {
    uint8_t r = uint8_t(v - 1);
    f = uint8_t((f & kFlagC) | flagsSZ[r] | kFlagN | ((v & 0x0F) == 0 ? kFlagH : 0) | (v == 0x80 ? kFlagPV : 0));
    return r;
}

// ---- Accumulator rotates (S, Z, P/V, bits 3 and 5 kept) ----

Z80_ALU void Rlca(uint8_t& a, uint8_t& f) {
    a = uint8_t((a << 1) | (a >> 7));
    f = uint8_t((f & kKeepForRotateA) | (a & kFlagC));
}
Z80_ALU void Rrca(uint8_t& a, uint8_t& f) {
    uint8_t c = a & 1;
    a = uint8_t((a >> 1) | (c << 7));
    f = uint8_t((f & kKeepForRotateA) | c);
}
Z80_ALU void Rla(uint8_t& a, uint8_t& f) {
    uint8_t c = a >> 7;
    a = uint8_t((a << 1) | (f & kFlagC));
    f = uint8_t((f & kKeepForRotateA) | c);
}
Z80_ALU void Rra(uint8_t& a, uint8_t& f) {
    uint8_t c = a & 1;
    a = uint8_t((a >> 1) | ((f & kFlagC) << 7));
    f = uint8_t((f & kKeepForRotateA) | c);
}

// ---- CB rotates and shifts: flagsSZP of the result plus the bit shifted out ----

Z80_ALU uint8_t Rlc(uint8_t& f, uint8_t v) {
    v = uint8_t((v << 1) | (v >> 7));
    f = uint8_t(flagsSZP[v] | (v & kFlagC));
    return v;
}
Z80_ALU uint8_t Rrc(uint8_t& f, uint8_t v) {
    uint8_t c = v & 1;
    v = uint8_t((v >> 1) | (c << 7));
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
Z80_ALU uint8_t Rl(uint8_t& f, uint8_t v) {
    uint8_t c = v >> 7;
    v = uint8_t((v << 1) | (f & kFlagC));
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
Z80_ALU uint8_t Rr(uint8_t& f, uint8_t v) {
    uint8_t c = v & 1;
    v = uint8_t((v >> 1) | ((f & kFlagC) << 7));
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
Z80_ALU uint8_t Sla(uint8_t& f, uint8_t v) {
    uint8_t c = v >> 7;
    v = uint8_t(v << 1);
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
Z80_ALU uint8_t Sra(uint8_t& f, uint8_t v) {
    uint8_t c = v & 1;
    v = uint8_t((v & 0x80) | (v >> 1));
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
// Undocumented: shifts a 1 into bit 0.
Z80_ALU uint8_t Sll(uint8_t& f, uint8_t v) {
    uint8_t c = v >> 7;
    v = uint8_t((v << 1) | 1);
    f = uint8_t(flagsSZP[v] | c);
    return v;
}
Z80_ALU uint8_t Srl(uint8_t& f, uint8_t v) {
    uint8_t c = v & 1;
    v = uint8_t(v >> 1);
    f = uint8_t(flagsSZP[v] | c);
    return v;
}

// BIT b: H set, Z for a clear bit, S only for bit 7 set, C kept, P/V and N cleared.
Z80_ALU void Bit(uint8_t& f, unsigned bit, uint8_t v) {
    unsigned tested = v & (1u << bit);
    f = uint8_t((f & kFlagC) | kFlagH | (tested ? 0 : kFlagZ) | (tested & kFlagS));
}

// ---- 16-bit arithmetic ----

// ADD HL/IX/IY,rr: S, Z, P/V kept; H from bit 11, C from bit 15.
Z80_ALU uint16_t Add16(uint8_t& f, unsigned a, unsigned v) {
    unsigned r = a + v;
    f = uint8_t((f & kKeepSZP) | (((a ^ v ^ r) >> 8) & kFlagH) | (r >> 16));
    return uint16_t(r);
}
Z80_ALU uint16_t Adc16(uint8_t& f, unsigned a, unsigned v) {
    unsigned r = a + v + (f & kFlagC);
    f = uint8_t(((r >> 8) & kFlagS) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
                ((~(a ^ v) & (a ^ r) & 0x8000) >> 13) | (r >> 16));
    return uint16_t(r);
}
Z80_ALU uint16_t Sbc16(uint8_t& f, unsigned a, unsigned v) {
    unsigned r = a - v - (f & kFlagC);
    f = uint8_t(((r >> 8) & kFlagS) | ((r & 0xFFFF) == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
                (((a ^ v) & (a ^ r) & 0x8000) >> 13) | ((r >> 16) & kFlagC) | kFlagN);
    return uint16_t(r);
}

// ---- Flag-only instructions ----

Z80_ALU void Daa(uint8_t& a, uint8_t& f) {
    uint16_t af = daaTable[a | ((f & kFlagC) << 8) | ((f & kFlagH) << 5) | ((f & kFlagN) << 9)];
    a = uint8_t(af >> 8);
    f = uint8_t(af);
}
Z80_ALU void Cpl(uint8_t& a, uint8_t& f) {
    a = uint8_t(~a);
    f = uint8_t(f | kFlagH | kFlagN);
}
Z80_ALU void Scf(uint8_t& f) { f = uint8_t((f & ~(kFlagH | kFlagN)) | kFlagC); }
Z80_ALU void Ccf(uint8_t& f) {
    f = uint8_t((f & ~(kFlagH | kFlagN | kFlagC)) | ((f & kFlagC) << 4) | ((f & kFlagC) ^ kFlagC));
}

}  // namespace Z80

#undef Z80_ALU
