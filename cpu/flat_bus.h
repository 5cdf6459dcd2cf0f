// A flat 64K RAM bus for the Z80 core, for unit tests and the CP/M runner.
//
// Memory is one 64K array, read and written without decoding. Ports, the
// trap (ED FE) and the per-step report go to optional hooks; without a hook
// a port reads FFh and writes are dropped. RETI and RETN are counted.
// Use: FlatBus::Clear(), fill `memory`, set hooks, then FlatCore::Reset and
// FlatCore::Execute.
#pragma once

#include <cstdint>
#include <cstring>

#include "cpu/cpu_state.h"
#include "cpu/z80.h"

struct FlatBus {
    // Every access is a plain array operation: the core inlines them all.
    static constexpr bool kInlineAllAccesses = true;
    static inline uint8_t memory[65536];
    static inline uint8_t (*readPort)(uint16_t port) = nullptr;
    static inline void (*writePort)(uint16_t port, uint8_t value) = nullptr;
    static inline void (*onTrap)(CpuState& cpu) = nullptr;
    static inline void (*onCycles)(uint32_t tStates) = nullptr;
    static inline uint32_t retiCount = 0;
    static inline uint32_t retnCount = 0;

    // Zeroes memory and the counters and removes every hook.
    static void Clear() {
        std::memset(memory, 0, sizeof memory);
        readPort = nullptr;
        writePort = nullptr;
        onTrap = nullptr;
        onCycles = nullptr;
        retiCount = 0;
        retnCount = 0;
    }

    static uint8_t ReadOpcodeByte(uint16_t address) { return memory[address]; }
    static uint8_t ReadMemory(uint16_t address) { return memory[address]; }
    static void WriteMemory(uint16_t address, uint8_t value) { memory[address] = value; }
    static uint8_t ReadPort(uint16_t port) { return readPort ? readPort(port) : 0xFF; }
    static void WritePort(uint16_t port, uint8_t value) {
        if (writePort) writePort(port, value);
    }
    static void OnCpuCycles(uint32_t tStates) {
        if (onCycles) onCycles(tStates);
    }
    static void OnReti() { ++retiCount; }
    static void OnRetn() { ++retnCount; }
    static void OnTrap(CpuState& cpu) {
        if (onTrap) onTrap(cpu);
    }
};

// The core on the flat bus; compiled once in cpu/flat_bus.cpp.
using FlatCore = Z80Core<FlatBus>;
extern template struct Z80Core<FlatBus>;
