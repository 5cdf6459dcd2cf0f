// The machine's side of the CPU bus: memory map, ports and the per-step hook.
// Memory accesses are inline so the CPU core's hot loop can fold them in.
#pragma once

#include <cstdint>

#include "config/settings.h"
#include "cpu/cpu_state.h"
#include "devices/cassette.h"
#include "devices/quick_type.h"
#include "machine/machine.h"

namespace Machine {

// First matching rule gives the byte; ROM always supplants RAM.
inline uint8_t ReadMemory(uint16_t address) {
    if (address < 0x4000) return MemoryImage[address];   // BASIC ROM
    if (address >= 0xC000) return MemoryImage[address];  // RAM, always fitted
    if (settings.ramExpansion == 1 && address >= 0x8000) return MemoryImage[address];
    if (address >= 0x6000 && address < 0x7000 && (state.portCLatch & 0x04) == 0)
        return ExtCharRomImage[address - 0x6000];
    if (address < 0x8000 && GameRomImage) return GameRomImage[address - 0x4000];
    if (settings.memoryEnhanced) return MemoryImage[address];
    return 0xFF;
}

// Code fetches: the same map. A fetch in 4000-7FFF with a cartridge loaded is
// remembered, so removing the cartridge resets a machine that ran its code;
// the ROM and top-RAM fetches take the same two tests as before.
inline uint8_t ReadOpcodeByte(uint16_t address) {
    if (address < 0x4000) return MemoryImage[address];
    if (address >= 0xC000) return MemoryImage[address];
    if (address < 0x8000 && GameRomImage) state.cartridgeCodeRun = true;
    return ReadMemory(address);
}

inline void WriteMemory(uint16_t address, uint8_t value) {
    if (uint16_t(address - state.videoBase) < kVideoWindowBytes) state.videoDirty = 1;
    if (address >= 0xC000) {
        MemoryImage[address] = value;
    } else if (settings.ramExpansion == 1 && address >= 0x8000) {
        MemoryImage[address] = value;
    } else if (settings.memoryEnhanced && address >= 0x4000) {
        MemoryImage[address] = value;  // also under a cartridge or the character ROM window
    }
}

// Only the low byte of the port is decoded.
uint8_t ReadPort(uint16_t port);
void WritePort(uint16_t port, uint8_t value);
// The timer's slow path: a held-back request or a period that has run out.
void TimerStep();

// After every CPU step (0..255 T-states): cycle counter, cassette pacing, timer.
// Inline because it runs after every instruction; calls out only when due.
inline void OnCpuCycles(uint32_t tStates) {
    state.cycleCounter += tStates;
    // Playback needs the motor on, so the flag spares the call on most steps.
    if (CassetteDeck::cassetteMotorOn && CassetteDeck::PlaybackActive()) {
        CassetteDeck::Tick(tStates);  // the timer does not run while the tape feeds bytes
        return;
    }
    // Typed keys stop the timer and its count (the flag IsActive reports, read inline).
    if (QuickType::state.quickTypeActive) return;
    state.timerCount += tStates;
    if (state.timerPending || state.timerCount > uint32_t(timing.timerPeriod)) TimerStep();
}

// Debug-output lines only.
void OnReti();
void OnRetn();
// ED FE does nothing on this machine.
void OnTrap(CpuState& cpu);

}  // namespace Machine

struct MachineBus {
    static uint8_t ReadOpcodeByte(uint16_t a) { return Machine::ReadOpcodeByte(a); }
    static uint8_t ReadMemory(uint16_t a) { return Machine::ReadMemory(a); }
    static void WriteMemory(uint16_t a, uint8_t v) { Machine::WriteMemory(a, v); }
    static uint8_t ReadPort(uint16_t port) { return Machine::ReadPort(port); }
    static void WritePort(uint16_t port, uint8_t v) { Machine::WritePort(port, v); }
    static void OnCpuCycles(uint32_t tStates) { Machine::OnCpuCycles(tStates); }
    static void OnReti() { Machine::OnReti(); }
    static void OnRetn() { Machine::OnRetn(); }
    static void OnTrap(CpuState& cpu) { Machine::OnTrap(cpu); }
};
