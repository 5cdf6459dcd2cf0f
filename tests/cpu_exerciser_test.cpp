// Every opcode of the arithmetic, load, rotate and bit families, on every
// page that has them (main, CB, DD/FD, DDCB/FDCB), run with many operand
// values against a model written from the flag rules: flags from wide
// arithmetic (carry out of bit 3, 7, 11 or 15, signed range), not bit tricks.
#include <bit>
#include <tuple>

#include "tests/cpu_test_support.h"

using namespace cputest;

namespace {

uint8_t Sz(int v) { return uint8_t((v & 0x80) | ((v & 0xFF) == 0 ? 0x40 : 0)); }
uint8_t Szp(int v) { return uint8_t(Sz(v) | (std::popcount(unsigned(v & 0xFF)) % 2 ? 0 : 0x04)); }
int Out8(int signedResult) { return signedResult < -128 || signedResult > 127 ? 0x04 : 0; }

// ADD ADC SUB SBC AND XOR OR CP (op 0-7) of A and v: the new A and F.
std::pair<uint8_t, uint8_t> Alu(int op, uint8_t a, uint8_t v, uint8_t f) {
    int c = (op == 1 || op == 3) ? f & 1 : 0;
    if (op <= 1) {
        int r = a + v + c;
        return {uint8_t(r), uint8_t(Sz(r) | ((a & 15) + (v & 15) + c > 15) << 4 | Out8(int8_t(a) + int8_t(v) + c) | (r > 255))};
    }
    if (op == 2 || op == 3 || op == 7) {
        int r = a - v - c;
        uint8_t nf = uint8_t(Sz(r) | ((a & 15) < (v & 15) + c) << 4 | Out8(int8_t(a) - int8_t(v) - c) | 0x02 | (r < 0));
        return {op == 7 ? a : uint8_t(r), nf};
    }
    int r = op == 4 ? a & v : op == 5 ? a ^ v : a | v;
    return {uint8_t(r), uint8_t(Szp(r) | (op == 4 ? 0x10 : 0))};
}

// RLC RRC RL RR SLA SRA SLL SRL: result and the bit shifted out.
std::pair<uint8_t, int> Shift(int op, uint8_t v, int carry) {
    const int r[8] = {v << 1 | v >> 7, v >> 1 | v << 7, v << 1 | carry, v >> 1 | carry << 7,
                      v << 1,          v >> 1 | (v & 0x80), v << 1 | 1,  v >> 1};
    return {uint8_t(r[op]), (op & 1) ? v & 1 : v >> 7};
}

// A CB-page operation (shift, BIT, RES, SET by op bits 7-6) on v: the new value and F.
std::pair<uint8_t, uint8_t> CbOp(int op, uint8_t v, uint8_t f) {
    int b = (op >> 3) & 7;
    switch (op >> 6) {
        case 0: {
            auto [r, c] = Shift(b, v, f & 1);
            return {r, uint8_t(Szp(r) | c)};
        }
        case 1: return {v, uint8_t((f & 1) | 0x10 | ((v >> b) & 1 ? (b == 7 ? 0x80 : 0) : 0x40))};
        case 2: return {uint8_t(v & ~(1 << b)), f};
        default: return {uint8_t(v | 1 << b), f};
    }
}

uint32_t seed = 1;
uint8_t Random() {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
}

// Register field n (B C D E H L (HL) A) as a reference into the state; H and L
// stand for the index register's bytes under a prefix unless `literalHL`.
uint8_t* Field(CpuState& s, int n, int prefix, bool literalHL) {
    auto byte = [](uint32_t& pair, int high) { return reinterpret_cast<uint8_t*>(&pair) + (high ? 1 : 0); };
    uint32_t& hl = (prefix == 0xDD && !literalHL) ? s.ix : (prefix == 0xFD && !literalHL) ? s.iy : s.hl;
    uint32_t* pairs[4] = {&s.bc, &s.de, &hl, &s.af};
    return n == 7 ? byte(s.af, 1) : byte(*pairs[n / 2], !(n & 1));
}

// One instruction from a random state: `setUp` may change the state and
// place the code (at kOrigin) and the memory operand; `model` changes a copy
// of the state (and the expected memory byte) the way the instruction should.
// Execute(1) runs a dropped DD/FD prefix (free) together with its opcode.
struct Exercise {
    int failures = 0;
    template <class Name, class SetUp, class Model>
    void Run(const Name& name, const SetUp& setUp, const Model& model, uint16_t memoryAt) {
        FlatCore::Reset();
        CpuState& s = Cpu();
        for (uint32_t* pair : {&s.af, &s.bc, &s.de, &s.hl, &s.ix, &s.iy}) *pair = uint32_t(Random() << 8 | Random());
        s.pc = kOrigin, s.sp = 0x8000;
        setUp(s);
        CpuState want = s;
        uint8_t memory = FlatBus::memory[memoryAt];
        model(want, memory);
        FlatCore::Execute(1);
        want.pc = Cpu().pc;  // lengths and refresh counts are the one-line cases' business
        want.r = Cpu().r;
        if (std::memcmp(&Cpu(), &want, sizeof want) == 0 && FlatBus::memory[memoryAt] == memory) return;
        if (++failures > 6) return;
        ADD_FAILURE() << name() << std::hex << ": af " << Cpu().af << " (expected " << want.af << ") bc " << Cpu().bc
                      << " (" << want.bc << ") de " << Cpu().de << " (" << want.de << ") hl " << Cpu().hl << " ("
                      << want.hl << ") ix " << Cpu().ix << " (" << want.ix << ") iy " << Cpu().iy << " (" << want.iy
                      << ") memory " << int(FlatBus::memory[memoryAt]) << " (" << int(memory) << ")";
    }
};

void Load(std::initializer_list<int> code) {
    uint16_t at = kOrigin;
    for (int b : code)
        if (b >= 0) FlatBus::memory[at++] = uint8_t(b);
}

// The memory operand of field 6: (HL), or (IX+d)/(IY+d) with d = 7 under a prefix.
constexpr uint16_t kOperand = 0x4567;
void PointAtOperand(CpuState& s, int prefix) {
    uint32_t& base = prefix == 0xDD ? s.ix : prefix == 0xFD ? s.iy : s.hl;
    base = prefix ? kOperand - 7 : kOperand;
    FlatBus::memory[kOperand] = Random();
}

class CpuExerciser : public ::testing::Test {
protected:
    Exercise exercise;
    void SetUp() override {
        FreshCore();
        FlatBus::onCycles = nullptr;
    }
    void TearDown() override { EXPECT_EQ(exercise.failures, 0); }
};

// Names a case only when it fails.
#define NAME(...) [&] { return ::testing::PrintToString(std::make_tuple(__VA_ARGS__)); }

}  // namespace

// ALU A,r (80h-BFh), INC/DEC r, LD r,n and LD r,r' on the main page and under DD and FD.
TEST_F(CpuExerciser, RegisterOperandFamilies) {
    for (int prefix : {0, 0xDD, 0xFD}) {
        int pf = prefix ? prefix : -1;
        for (int round = 0; round < 24; ++round) {
            for (int op = 0x40; op < 0xC0; ++op) {
                if (op == 0x76) continue;
                int dst = (op >> 3) & 7, src = op & 7;
                bool memory = (op < 0x80 && dst == 6) || src == 6;
                int d = prefix && memory ? 7 : -1;
                exercise.Run(NAME("op", prefix, op),
                    [&](CpuState& s) { PointAtOperand(s, prefix); Load({pf, op, d}); },
                    [&](CpuState& s, uint8_t& m) {
                        uint8_t v = src == 6 ? m : *Field(s, src, prefix, memory);
                        if (op >= 0x80) {
                            auto [a, f] = Alu(dst, uint8_t(s.af >> 8), v, uint8_t(s.af));
                            s.af = uint32_t(a << 8 | f);
                        } else if (dst == 6) {
                            m = v;
                        } else {
                            *Field(s, dst, prefix, memory) = v;
                        }
                    }, kOperand);
            }
            for (int r = 0; r < 8; ++r) {
                int d = prefix && r == 6 ? 7 : -1;
                uint8_t n = Random();
                for (int op : {0x04 | r << 3, 0x05 | r << 3, 0x06 | r << 3})
                    exercise.Run(NAME("inc/dec/ld n", prefix, op),
                        [&](CpuState& s) { PointAtOperand(s, prefix); Load({pf, op, d, (op & 7) == 6 ? n : -1}); },
                        [&](CpuState& s, uint8_t& m) {
                            uint8_t& x = r == 6 ? m : *Field(s, r, prefix, false);
                            uint8_t f = uint8_t(s.af), v = x;
                            if ((op & 7) == 6) x = n;
                            else if ((op & 7) == 4) x = uint8_t(v + 1), f = uint8_t((f & 1) | Sz(x) | ((x & 15) == 0) << 4 | (v == 0x7F) << 2);
                            else x = uint8_t(v - 1), f = uint8_t((f & 1) | Sz(x) | 0x02 | ((v & 15) == 0) << 4 | (v == 0x80) << 2);
                            s.af = (s.af & 0xFF00) | f;
                        }, kOperand);
            }
        }
    }
}

// Every A, operand and carry for the eight ALU operations (immediate forms) and INC/DEC A.
TEST_F(CpuExerciser, EveryOperandPair) {
    for (int op = 0; op < 8; ++op)
        for (int a = 0; a < 256; ++a)
            for (int v = 0; v < 256; ++v)
                exercise.Run(NAME("alu", op, a, v),
                    [&](CpuState& s) { s.af = uint32_t(a << 8 | (v & 1 ? 0xFF : 0x00)); Load({0xC6 | op << 3, v}); },
                    [&](CpuState& s, uint8_t&) {
                        auto [na, nf] = Alu(op, uint8_t(a), uint8_t(v), uint8_t(s.af));
                        s.af = uint32_t(na << 8 | nf);
                    }, 0);
}

// NEG and its mirrors, the accumulator rotates, CPL, SCF, CCF and DAA over every A and F.
TEST_F(CpuExerciser, AccumulatorOperations) {
    for (int af = 0; af < 0x10000; ++af) {
        uint8_t a = uint8_t(af >> 8), f = uint8_t(af);
        auto run = [&](std::initializer_list<int> code, uint8_t na, uint8_t nf) {
            exercise.Run(NAME("accumulator", *code.begin(), af),
                [&](CpuState& s) { s.af = uint32_t(af); Load(code); },
                [&](CpuState& s, uint8_t&) { s.af = uint32_t(na << 8 | nf); }, 0);
        };
        auto [negA, negF] = Alu(2, 0, a, 0);
        for (int mirror : {0x44, 0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C}) run({0xED, mirror}, negA, negF);
        for (int op = 0; op < 4; ++op) {
            auto [r, c] = Shift(op, a, f & 1);
            run({0x07 | op << 3}, r, uint8_t((f & 0xEC) | c));  // S, Z, 5, 3 and P/V kept
        }
        run({0x2F}, uint8_t(~a), uint8_t(f | 0x12));
        run({0x37}, a, uint8_t((f & 0xEC) | 1));
        run({0x3F}, a, uint8_t((f & 0xEC) | (f & 1) << 4 | (~f & 1)));
        // DAA by its rule: 06h if H or a low digit above 9, 60h if C or A above 99h.
        int h = (f >> 4) & 1, n = (f >> 1) & 1, c = f & 1;
        int correction = (h || (a & 15) > 9 ? 0x06 : 0) | (c || a > 0x99 ? 0x60 : 0);
        int newA = (n ? a - correction : a + correction) & 0xFF;
        int newH = n ? (h && (a & 15) < 6) : (a & 15) > 9;
        run({0x27}, uint8_t(newA), uint8_t(Szp(newA) | (newA & 0x28) | newH << 4 | n << 1 | (c || a > 0x99)));
    }
}

// The whole CB page and DD CB d / FD CB d: the register forms, (HL), and (IX+d)
// with the result (for BIT the byte read) also put into the register field.
TEST_F(CpuExerciser, BitPages) {
    for (int prefix : {0, 0xDD, 0xFD})
        for (int op = 0; op < 256; ++op)
            for (int round = 0; round < 12; ++round) {
                int field = op & 7;
                exercise.Run(NAME("cb", prefix, op),
                    [&](CpuState& s) {
                        PointAtOperand(s, prefix);
                        if (prefix) Load({prefix, 0xCB, 7, op});
                        else Load({0xCB, op});
                    },
                    [&](CpuState& s, uint8_t& m) {
                        uint8_t& target = (prefix || field == 6) ? m : *Field(s, field, 0, true);
                        auto [v, f] = CbOp(op, target, uint8_t(s.af));
                        s.af = (s.af & 0xFF00) | f;
                        if (prefix && field != 6) *Field(s, field, 0, true) = (op >> 6) == 1 ? target : v;
                        target = v;
                    }, kOperand);
            }
}

// ADD HL/IX/IY,rr, ADC HL,rr and SBC HL,rr: H from bit 11, C from bit 15, V from the signed range.
TEST_F(CpuExerciser, SixteenBitArithmetic) {
    for (int round = 0; round < 400; ++round)
        for (int rr = 0; rr < 4; ++rr)
            for (int kind = 0; kind < 5; ++kind) {  // ADD HL, ADD IX, ADD IY, ADC HL, SBC HL
                const int prefix = kind == 1 ? 0xDD : kind == 2 ? 0xFD : 0;
                auto target = [&](CpuState& s) -> uint32_t& { return kind == 1 ? s.ix : kind == 2 ? s.iy : s.hl; };
                auto operand = [&](CpuState& s) -> uint32_t& { uint32_t* p[4] = {&s.bc, &s.de, &target(s), &s.sp}; return *p[rr]; };
                exercise.Run(NAME("16-bit", kind, rr),
                    [&](CpuState& s) {
                        s.sp = uint32_t(Random() << 8 | Random());
                        if (round < 4) target(s) = round & 1 ? 0x7FFF : 0xFFFF, operand(s) = round & 2 ? 0x8000 : 0x0001;
                        if (kind < 3) Load({prefix ? prefix : -1, 0x09 | rr << 4});
                        else Load({0xED, (kind == 3 ? 0x4A : 0x42) | rr << 4});
                    },
                    [&](CpuState& s, uint8_t&) {
                        int x = int(target(s)), v = int(operand(s)), f = int(s.af & 0xFF), c = kind >= 3 ? f & 1 : 0;
                        bool subtract = kind == 4;
                        int r = subtract ? x - v - c : x + v + c;
                        int h = subtract ? (x & 0xFFF) < (v & 0xFFF) + c : (x & 0xFFF) + (v & 0xFFF) + c > 0xFFF;
                        int sr = subtract ? int16_t(x) - int16_t(v) - c : int16_t(x) + int16_t(v) + c;
                        int carry = r < 0 || r > 0xFFFF;
                        if (kind < 3) f = (f & 0xC4) | h << 4 | carry;
                        else f = (r & 0x8000 ? 0x80 : 0) | ((r & 0xFFFF) == 0 ? 0x40 : 0) | h << 4 |
                                 (sr < -32768 || sr > 32767) << 2 | subtract << 1 | carry;
                        target(s) = uint32_t(r & 0xFFFF);
                        s.af = (s.af & 0xFF00) | uint32_t(f);
                    }, 0);
            }
}
