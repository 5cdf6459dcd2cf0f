// Z80 core, bound to a bus at compile time.
//
// `Z80Core<Bus>` runs whole instructions against a T-state budget. The bus is
// a type with static functions, so the machine's callbacks are called
// directly and can be inlined:
//   static uint8_t ReadOpcodeByte(uint16_t address);
//   static uint8_t ReadMemory(uint16_t address);
//   static void WriteMemory(uint16_t address, uint8_t value);
//   static uint8_t ReadPort(uint16_t port);        // high byte A or B
//   static void WritePort(uint16_t port, uint8_t value);
//   static void OnCpuCycles(uint32_t tStates);     // after every step, 0..255
//   static void OnReti();
//   static void OnRetn();
//   static void OnTrap(CpuState& state);           // ED FE
// While Execute runs, the registers live in locals: callbacks may read
// `state.iff1` and call RequestInterrupt, and only OnTrap sees (and may
// change) the whole register file and `cyclesLeft`.
// Each instantiation has its own static state: the machine's CPU is
// `CpuCore` (cpu/cpu_core.h); tests and tools use a flat 64K bus.
//
// Use: Reset, then Execute once per frame; RequestInterrupt from the bus
// callbacks or between frames. Not modelled: memory contention, the
// undocumented flag bits 3 and 5 (cleared except by DAA), MEMPTR.
//
// Where things are: cpu/z80_impl.h (the execute loop, interrupt acceptance,
// included only where a bus is instantiated), cpu/z80_dispatch.inc (the seven
// opcode pages), cpu/z80_ops_*.inc (the handlers, one line per opcode),
// cpu/z80_tables.h (T-state, flag and DAA tables), cpu/z80_alu.h (flag rules),
// cpu/flat_bus.h (a flat 64K bus for tests and tools).
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"

// The register file and scalars of one CPU. A bus that names another bus in
// `using StateOf = OtherBus;` runs the same CPU as that bus's core: the
// monitor's checking bus shares the machine CPU's registers this way.
template <class Owner>
struct Z80Storage {
    static inline CpuState state{};
    static inline int32_t cyclesLeft = 0;
    static inline int32_t lastOpcodeAddress = 0;
};
template <class Bus>
struct Z80StateOwner {
    using type = Bus;
};
template <class Bus>
    requires requires { typename Bus::StateOf; }
struct Z80StateOwner<Bus> {
    using type = typename Bus::StateOf;
};

// A monitored bus (`static constexpr bool kMonitored = true;`) also offers
//   static bool BeforeInstruction(uint16_t pc); // registers saved; true stops before it
//   static void NoteInstruction(uint16_t pc);   // the instruction after EI (never stops)
//   static bool AfterStep(uint16_t pc, uint16_t sp);  // true stops after the step
// and its core ends Execute early when asked. No other core pays for it.
template <class Bus>
constexpr bool kMonitoredBus = requires { requires Bus::kMonitored; };

// Zero-cost steps in a row after which a slice ends: twice the address space,
// so every address has been passed even with an interrupt accepted on the way.
constexpr uint32_t kZeroCostRunLimit = 2 * 65536;
// A HALT or an idle loop burns the rest of the slice; the burnt T-states
// reach OnCpuCycles in pieces of this size (the HALT's own refresh cycle),
// and the wait ends at the first piece after which a request can be taken.
constexpr int32_t kIdlePieceTStates = 4;

template <class Bus>
struct Z80Core {
    using Storage = Z80Storage<typename Z80StateOwner<Bus>::type>;
    static constexpr CpuState& state = Storage::state;
    // T-states left in the running Execute; negative after an overshoot.
    static constexpr int32_t& cyclesLeft = Storage::cyclesLeft;
    // Address of the opcode the last step fetched; -1 after an interrupt acceptance.
    static constexpr int32_t& lastOpcodeAddress = Storage::lastOpcodeAddress;
    // The current run of zero-cost steps: cyclesLeft during it, and its length
    // (each Execute starts them afresh, so every core keeps its own).
    static inline int32_t zeroRunCl = 0;
    static inline uint32_t zeroRun = 0;

    // All registers 0, SP F000h, IM 0, interrupts disabled, nothing pending.
    // Leaves lastOpcodeAddress alone.
    static void Reset();
    // Runs whole instructions until the budget is spent (at least one step);
    // returns the T-states executed. Builds the flag tables on first use.
    // Code that costs nothing for ever (memory of only dropped prefixes and
    // undefined ED bytes) ends the slice after kZeroCostRunLimit steps.
    // Calls Bus::OnCpuCycles after every step with that step's T-states
    // modulo 256; a step may include an accepted interrupt and, after EI,
    // the instruction that follows it. A step that burns the slice (HALT,
    // idle loops) reports its instruction, then the burnt time in pieces of
    // kIdlePieceTStates, and ends the wait early when a request becomes
    // acceptable; the slice's budget and the returned count are unchanged.
    static int32_t Execute(int32_t budget);
    // kIrqNmi raises an NMI, kIrqNone does nothing, anything else replaces the pending request.
    static void RequestInterrupt(int32_t value);
    // Drops a pending maskable request and a pending NMI.
    static void ClearPendingInterrupts();
};
