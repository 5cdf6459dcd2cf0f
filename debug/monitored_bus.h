// The checking bus: a CPU bus with the monitor's hooks, for the second
// instantiation of the core that runs only while the monitor is armed.
//
// It forwards every access to `Base` and shares Base's CPU registers
// (`StateOf`), so a target switches between its plain core and its checking
// core between any two slices. Writes and port accesses look up the watch
// maps inline; the step hooks go to the monitor.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "debug/monitor.h"

template <class Base>
struct MonitoredBus {
    using StateOf = Base;
    static constexpr bool kMonitored = true;

    static uint8_t ReadOpcodeByte(uint16_t a) { return Base::ReadOpcodeByte(a); }
    static uint8_t ReadMemory(uint16_t a) { return Base::ReadMemory(a); }
    static void WriteMemory(uint16_t a, uint8_t v) {
        if (Debug::writeWatch[a]) Debug::NoteWrite(a, v);
        Base::WriteMemory(a, v);
    }
    static uint8_t ReadPort(uint16_t port) {
        uint8_t v = Base::ReadPort(port);
        if (Debug::portWatch[port & 0xFF] & Debug::kWatchIn) Debug::NotePort(port, v, false);
        return v;
    }
    static void WritePort(uint16_t port, uint8_t v) {
        if (Debug::portWatch[port & 0xFF] & Debug::kWatchOut) Debug::NotePort(port, v, true);
        Base::WritePort(port, v);
    }
    static void OnCpuCycles(uint32_t tStates) { Base::OnCpuCycles(tStates); }
    static void OnReti() { Base::OnReti(); }
    static void OnRetn() { Base::OnRetn(); }
    static void OnTrap(CpuState& cpu) { Base::OnTrap(cpu); }

    static bool BeforeInstruction(uint16_t pc) { return Debug::BeforeInstruction(pc); }
    static void NoteInstruction(uint16_t pc) { Debug::NoteInstruction(pc); }
    static bool AfterStep(uint16_t pc, uint16_t sp) { return Debug::AfterStep(pc, sp); }
};
