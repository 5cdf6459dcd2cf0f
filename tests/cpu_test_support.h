// Shared set-up for the Z80 core tests: the core on the flat bus, a program
// loaded at kOrigin, single steps, and the per-step reports recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "cpu/flat_bus.h"

namespace cputest {

constexpr uint16_t kOrigin = 0x1000;

inline std::vector<uint32_t> stepReports;
inline void RecordStep(uint32_t tStates) { stepReports.push_back(tStates); }

inline CpuState& Cpu() { return FlatCore::state; }
inline uint8_t RegA() { return uint8_t(Cpu().af >> 8); }
inline uint8_t RegF() { return uint8_t(Cpu().af); }
inline void SetAF(uint8_t a, uint8_t f) { Cpu().af = uint32_t(a << 8 | f); }

inline void Load(uint16_t at, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) FlatBus::memory[at++] = b;
}

// Exactly one step (a budget of 0 still runs one); returns its T-states.
inline int32_t Step() { return FlatCore::Execute(0); }

class Z80Test : public ::testing::Test {
protected:
    void SetUp() override {
        FlatBus::Clear();
        FlatCore::Reset();
        FlatCore::lastOpcodeAddress = 0;
        Cpu().pc = kOrigin;
        stepReports.clear();
        FlatBus::onCycles = RecordStep;
    }
    void TearDown() override { FlatBus::Clear(); }
};

}  // namespace cputest
