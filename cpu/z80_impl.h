// The Z80 core's body. Include only in the translation unit that
// instantiates `Z80Core<Bus>` for a bus (cpu/cpu_core.cpp for the machine,
// cpu/flat_bus.cpp for tests and tools, a test's own recording bus).
//
// Execute is one function per bus: each opcode page is a table of label
// addresses (GNU computed goto), one entry per opcode byte, and the handlers
// are the labels in cpu/z80_ops_*.inc. The registers live in locals while it
// runs and go back to `state` before anything outside may look at them
// (the trap, and the exit); iff1, the pending requests and the rarely used
// fields (I, IM, iff2, halted) stay in `state` throughout, because the bus
// callbacks read or set them from inside a step.
#pragma once

#include <climits>
#include <utility>

#include "cpu/z80.h"
#include "cpu/z80_alu.h"
#include "cpu/z80_tables.h"

template <class Bus>
void Z80Core<Bus>::Reset() {
    state = CpuState{};
    state.sp = 0xF000;
    state.r = 0;
    ClearPendingInterrupts();
}

template <class Bus>
void Z80Core<Bus>::RequestInterrupt(int32_t value) {
    if (value == kIrqNmi) state.pendingNmi = 1;
    else if (value != kIrqNone) state.pendingIrq = value;
}

template <class Bus>
void Z80Core<Bus>::ClearPendingInterrupts() {
    state.pendingIrq = kIrqNone;
    state.pendingNmi = 0;
}

// Out-of-line bus accesses for the prefixed pages. Execute is so large that
// GCC stops inlining bus functions into it (unit growth limit); routing the
// many rarely run accesses of the CB, ED, DD and FD pages through these
// leaves the inlining budget to the main page and the step loop. A bus whose
// accesses are plain array operations (`kInlineAllAccesses`) gets them all
// inline instead.
template <class Bus>
constexpr bool kColdPrefixedAccesses = !requires { requires Bus::kInlineAllAccesses; };

template <class Bus>
[[gnu::noinline]] uint8_t ColdRead(uint16_t address) {
    return Bus::ReadMemory(address);
}
template <class Bus>
[[gnu::noinline]] uint8_t ColdOpcodeRead(uint16_t address) {
    return Bus::ReadOpcodeByte(address);
}
template <class Bus>
[[gnu::noinline]] void ColdWrite(uint16_t address, uint8_t value) {
    Bus::WriteMemory(address, value);
}

// ---- Helpers for the handler files (undefined again at the end) ----

#define RD(address) Bus::ReadMemory(uint16_t(address))
#define WR(address, value) Bus::WriteMemory(uint16_t(address), uint8_t(value))
#define OPB(address) Bus::ReadOpcodeByte(uint16_t(address))
#define IMM() Bus::ReadOpcodeByte(pc++)
// Low byte first.
#define IMM16(dst)                           \
    do {                                     \
        unsigned lo_ = IMM();                \
        dst = uint16_t(lo_ | (IMM() << 8)); \
    } while (0)
#define RD16(address, dst)                                   \
    do {                                                     \
        unsigned a_ = (address);                             \
        unsigned lo_ = RD(a_);                               \
        dst = uint16_t(lo_ | (RD(a_ + 1) << 8));             \
    } while (0)
#define WR16(address, value)   \
    do {                       \
        unsigned a_ = (address); \
        unsigned v_ = (value); \
        WR(a_, v_);            \
        WR(a_ + 1, v_ >> 8);   \
    } while (0)
// SP is lowered by 2 first; then low byte at SP, high byte at SP+1.
#define PUSH(value)              \
    do {                         \
        unsigned v_ = (value);   \
        sp = uint16_t(sp - 2);   \
        WR(sp, v_);              \
        WR(sp + 1, v_ >> 8);     \
    } while (0)
// High byte from SP+1 first, then the low byte.
#define POP(dst)                                 \
    do {                                         \
        unsigned hi_ = RD(sp + 1);               \
        dst = uint16_t((hi_ << 8) | RD(sp));     \
        sp = uint16_t(sp + 2);                   \
    } while (0)
#define PAIR(h, l) uint16_t(((h) << 8) | (l))
#define SETPAIR(h, l, value)      \
    do {                          \
        unsigned v_ = (value);    \
        h = uint8_t(v_ >> 8);     \
        l = uint8_t(v_);          \
    } while (0)
#define TSTATES(n) (cl -= (n))
#define NEXT goto stepEnd
// Burn the slice: the rest of the budget counts as spent, and the step ends
// through the idle report, which hands the burnt time to the bus in pieces.
#define BURN()             \
    if (cl > 0) {          \
        burnt += cl;       \
        cl = 0;            \
        special |= kIdle;  \
    }
#define CAP(n)                   \
    if (cl > (n)) {              \
        burnt += cl - (n);       \
        cl = (n);                \
        special |= kIdle;        \
    }
// HALT and idle loops burn only in the plain core: the monitor's checking
// core runs them instruction by instruction, so a step is one instruction,
// the trace shows each pass and the clock moves by its T-states.
#define IDLE_BURN()                                \
    if constexpr (!kMonitoredBus<Bus>) {           \
        BURN();                                    \
    }
#define IDLE_CAP(n)                                \
    if constexpr (!kMonitoredBus<Bus>) {           \
        CAP(n);                                    \
    }
// Steps that cost nothing (dropped prefixes, undefined ED bytes, the trap)
// change nothing but pc and R, and each moves pc on: a run of that many has
// passed every address and would go on for ever, so the slice ends there.
#define ZERO_COST_STEP()              \
    do {                              \
        if (cl != zeroRunCl) {        \
            zeroRunCl = cl;           \
            zeroRun = 1;              \
        } else if (++zeroRun >= kZeroCostRunLimit) { \
            BURN();                   \
        }                             \
    } while (0)
#define SAVE_REGS()                                  \
    do {                                             \
        state.af = PAIR(A, F);                       \
        state.bc = PAIR(B, C);                       \
        state.de = PAIR(D, E);                       \
        state.hl = PAIR(H, L);                       \
        state.ix = ix;                               \
        state.iy = iy;                               \
        state.pc = pc;                               \
        state.sp = sp;                               \
        state.r = r;                                 \
        state.r7 = r7;                               \
        state.af2 = af2;                             \
        state.bc2 = bc2;                             \
        state.de2 = de2;                             \
        state.hl2 = hl2;                             \
    } while (0)
#define LOAD_REGS()                      \
    do {                                 \
        SETPAIR(A, F, state.af);         \
        SETPAIR(B, C, state.bc);         \
        SETPAIR(D, E, state.de);         \
        SETPAIR(H, L, state.hl);         \
        ix = uint16_t(state.ix);         \
        iy = uint16_t(state.iy);         \
        pc = uint16_t(state.pc);         \
        sp = uint16_t(state.sp);         \
        r = state.r;                     \
        r7 = state.r7;                   \
        af2 = uint16_t(state.af2);       \
        bc2 = uint16_t(state.bc2);       \
        de2 = uint16_t(state.de2);       \
        hl2 = uint16_t(state.hl2);       \
    } while (0)

// Label-address rows: 16 consecutive handlers of a fully defined page.
#define Z80_ROW(p, h)                                                                                            \
    &&p##h##0, &&p##h##1, &&p##h##2, &&p##h##3, &&p##h##4, &&p##h##5, &&p##h##6, &&p##h##7, &&p##h##8, &&p##h##9, \
        &&p##h##A, &&p##h##B, &&p##h##C, &&p##h##D, &&p##h##E, &&p##h##F
#define Z80_PAGE(p)                                                                                               \
    {Z80_ROW(p, 0), Z80_ROW(p, 1), Z80_ROW(p, 2), Z80_ROW(p, 3), Z80_ROW(p, 4), Z80_ROW(p, 5), Z80_ROW(p, 6),    \
     Z80_ROW(p, 7), Z80_ROW(p, 8), Z80_ROW(p, 9), Z80_ROW(p, A), Z80_ROW(p, B), Z80_ROW(p, C), Z80_ROW(p, D),    \
     Z80_ROW(p, E), Z80_ROW(p, F)}

template <class Bus>
int32_t Z80Core<Bus>::Execute(int32_t budget) {
    using namespace Z80;
    if (flagTablesPending) BuildFlagTables();

#include "cpu/z80_dispatch.inc"

    // What the end of a step does besides reporting it.
    enum : int {
        kPlain = 0,
        kAfterEi = 1,          // the instruction after EI ran: accept, then end the step
        kAcceptThenFetch = 2,  // a mode 0 opcode ran at the start of a step: fetch as usual
        kAcceptThenEnd = 3,    // a mode 0 opcode ran after an EI delay: end the step
        kIdle = 4,             // flag: HALT or an idle loop burnt `burnt` T-states of the slice
    };
    int special = kPlain;
    int32_t burnt = 0;
    bool acceptAtStart = true;
    [[maybe_unused]] bool stepAccepted = false;  // monitored cores: the step began with an acceptance

    uint8_t A, F, B, C, D, E, H, L;
    uint16_t ix, iy, pc, sp, af2, bc2, de2, hl2;
    uint32_t r, r7;
    LOAD_REGS();

    int32_t cl = budget;
    int32_t stepStart;
    // Kept out of registers: only the rare zero-cost handlers look at them.
    zeroRunCl = INT32_MIN;
    zeroRun = 0;
    uint8_t op;

step:
    stepStart = cl;
    if constexpr (kMonitoredBus<Bus>) stepAccepted = false;
    // A request that waits for iff1 does not leave the fast path.
    if (__builtin_expect(state.pendingNmi != 0 || (state.pendingIrq != kIrqNone && state.iff1 != 0), 0)) {
        acceptAtStart = true;
        goto accept;
    }
fetch:
    if constexpr (kMonitoredBus<Bus>) {
        SAVE_REGS();
        if (Bus::BeforeInstruction(pc)) {
            // Stopped before the instruction; an acceptance already made is this step's work.
            cyclesLeft = cl;
            if (stepAccepted || cl != stepStart) Bus::OnCpuCycles(uint32_t(stepStart - cl) & 255);
            return budget - cl;
        }
    }
    ++r;
    op = OPB(pc);
    lastOpcodeAddress = pc;
    ++pc;
    goto* opsMain[op];

stepEnd:
    if (__builtin_expect(special != kPlain, 0)) goto specialEnd;
reportStep:
    cyclesLeft = cl;
    Bus::OnCpuCycles(uint32_t(stepStart - cl) & 255);
    if constexpr (kMonitoredBus<Bus>) {
        if (Bus::AfterStep(pc, sp)) {
            SAVE_REGS();
            return budget - cl;
        }
    }
    if (cl > 0) goto step;
    SAVE_REGS();
    return budget - cl;

specialEnd: {
    int was = special & ~kIdle;
    special &= kIdle;  // an idle burn stays flagged until the step is reported
    if (was == kAcceptThenFetch) goto fetch;
    if (was == kPlain || was == kAcceptThenEnd) goto stepDone;
    acceptAtStart = false;
    goto accept;
}

stepDone:
    if (special == kPlain) goto reportStep;
    special = kPlain;
    {
    // A waiting CPU still lets time pass: the burnt T-states go to the bus in
    // pieces of one HALT refresh cycle, so timers and the tape run at their
    // real rate, and the wait ends as soon as a request can be taken; the
    // rest of the slice is then run as usual.
    int32_t left = cl + burnt;  // the budget as it stood before the burn
    cyclesLeft = left;
    Bus::OnCpuCycles(uint32_t(stepStart - left) & 255);  // the instruction itself
    while (burnt > 0 && state.pendingNmi == 0 && (state.pendingIrq == kIrqNone || state.iff1 == 0)) {
        int32_t piece = burnt < kIdlePieceTStates ? burnt : kIdlePieceTStates;
        burnt -= piece;
        left -= piece;
        cyclesLeft = left;
        Bus::OnCpuCycles(uint32_t(piece));
        if (state.halted) ++r;  // each HALT pass is a refresh cycle, as the checking core counts it
    }
    burnt = 0;
    cl = left;
    cyclesLeft = cl;
    if (cl > 0) goto step;
    SAVE_REGS();
    return budget - cl;
}

accept: {
    // A maskable request waits while interrupts are disabled.
    if (state.pendingNmi == 0 && (state.pendingIrq == kIrqNone || state.iff1 == 0)) goto acceptDone;
    lastOpcodeAddress = -1;
    state.iff1 = 0;
    if constexpr (kMonitoredBus<Bus>) stepAccepted = true;
    // Taken in the step that burnt the slice (EI; HALT with a request
    // waiting): the CPU never waited, so the burnt time is given back.
    if (special & kIdle) {
        cl += burnt;
        burnt = 0;
        special &= ~kIdle;
    }
    if (state.halted) {
        ++pc;
        state.halted = 0;
    }
    if (state.pendingNmi) {
        state.pendingNmi = 0;
        PUSH(pc);
        pc = 0x0066;
        goto acceptDone;
    }
    int32_t value = state.pendingIrq;
    state.pendingIrq = kIrqNone;
    if (state.interruptMode == 2) {
        PUSH(pc);
        RD16(state.i * 256 + (value & 0xFF), pc);
    } else if (state.interruptMode == 1) {
        // RST 38h
        TSTATES(cyclesMain[0xFF]);
        PUSH(pc);
        pc = 0x0038;
    } else if (((value >> 16) & 0xFF) == 0xC3) {
        pc = uint16_t(value);
    } else if (((value >> 16) & 0xFF) == 0xCD) {
        PUSH(pc);
        pc = uint16_t(value);
    } else {
        // The device puts an opcode on the bus; its handler costs its table count.
        special = acceptAtStart ? kAcceptThenFetch : kAcceptThenEnd;
        goto* opsMain[value & 0xFF];
    }
}
acceptDone:
    if (acceptAtStart) goto fetch;
    goto stepDone;

#include "cpu/z80_ops_main.inc"

#undef RD
#undef WR
#undef OPB
#undef IMM
#define RD(address)                                                                   \
    (kColdPrefixedAccesses<Bus> ? ColdRead<Bus>(uint16_t(address)) \
                                : Bus::ReadMemory(uint16_t(address)))
#define WR(address, value)                                                           \
    (kColdPrefixedAccesses<Bus> ? ColdWrite<Bus>(uint16_t(address), uint8_t(value)) \
                                : Bus::WriteMemory(uint16_t(address), uint8_t(value)))
#define OPB(address)                                                       \
    (kColdPrefixedAccesses<Bus> ? ColdOpcodeRead<Bus>(uint16_t(address)) \
                                : Bus::ReadOpcodeByte(uint16_t(address)))
#define IMM() \
    (kColdPrefixedAccesses<Bus> ? ColdOpcodeRead<Bus>(pc++) : Bus::ReadOpcodeByte(pc++))

#include "cpu/z80_ops_cb.inc"
#include "cpu/z80_ops_ed.inc"

#define XYP dd
#define XY ix
#define XYCB_TABLE opsDdCb
#include "cpu/z80_ops_xy.inc"
#include "cpu/z80_ops_xycb.inc"
#undef XYP
#undef XY
#undef XYCB_TABLE

#define XYP fd
#define XY iy
#define XYCB_TABLE opsFdCb
#include "cpu/z80_ops_xy.inc"
#include "cpu/z80_ops_xycb.inc"
#undef XYP
#undef XY
#undef XYCB_TABLE

    // Every handler ends with NEXT; nothing falls through to here.
    __builtin_unreachable();
}

#undef RD
#undef WR
#undef OPB
#undef IMM
#undef IMM16
#undef RD16
#undef WR16
#undef PUSH
#undef POP
#undef PAIR
#undef SETPAIR
#undef TSTATES
#undef NEXT
#undef BURN
#undef CAP
#undef IDLE_BURN
#undef IDLE_CAP
#undef ZERO_COST_STEP
#undef SAVE_REGS
#undef LOAD_REGS
#undef Z80_ROW
#undef Z80_PAGE
