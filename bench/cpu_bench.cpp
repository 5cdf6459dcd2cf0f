// Emulated Z80 speed: T-states per host second, as the counter "MHz".
//
// One fixed instruction mix (8-bit ALU, loads, 16-bit arithmetic, indexed
// and block instructions, jumps, calls and returns, CB operations), run in
// frame-sized slices on the flat 64K bus and on the machine's memory map
// with its per-step callback. The mix has no idle loops, so no slice ends
// early. The monitor's cost: the machine map with the monitor closed is
// MachineMapMix itself (its core has no checks); armed with one breakpoint
// that never hits, and with a trace of the last 100000 instructions, the
// scheduler's slice runs the checking core.
#include <benchmark/benchmark.h>

#include <cstring>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "cpu/flat_bus.h"
#include "debug/machine_monitor.h"
#include "debug/monitor.h"
#include "machine/machine.h"
#include "machine/scheduler.h"

namespace {

// In RAM on both buses; above the machine's video window, below the stack.
constexpr uint16_t kCode = 0xE000;
constexpr int32_t kFrameTStates = 30347;

// clang-format off
const uint8_t kMix[] = {
    // loop: E000
    0x21, 0x00, 0xE8,        // LD HL,E800h
    0x11, 0x00, 0xE9,        // LD DE,E900h
    0x01, 0x10, 0x00,        // LD BC,16
    0xED, 0xB0,              // LDIR
    0xDD, 0x21, 0x00, 0xE8,  // LD IX,E800h
    0xDD, 0x7E, 0x01,        // LD A,(IX+1)
    0xDD, 0x86, 0x02,        // ADD A,(IX+2)
    0xDD, 0x77, 0x03,        // LD (IX+3),A
    0x21, 0x00, 0xE8,        // LD HL,E800h
    0x11, 0x00, 0xE9,        // LD DE,E900h
    0x06, 0x08,              // LD B,8
    // inner: E020
    0x7E,                    // LD A,(HL)
    0x81,                    // ADD A,C
    0xAA,                    // XOR D
    0xE6, 0x0F,              // AND 0Fh
    0xB3,                    // OR E
    0x12,                    // LD (DE),A
    0x23,                    // INC HL
    0x13,                    // INC DE
    0xFE, 0x08,              // CP 8
    0x30, 0x01,              // JR NC,skip
    0x0C,                    // INC C
    // skip: E02E
    0x10, 0xF0,              // DJNZ inner
    0x19,                    // ADD HL,DE
    0xED, 0x42,              // SBC HL,BC
    0xE5,                    // PUSH HL
    0xCD, 0x40, 0xE0,        // CALL sub
    0xE1,                    // POP HL
    0x07,                    // RLCA
    0xCB, 0x3F,              // SRL A
    0xCB, 0x5F,              // BIT 3,A
    0xC3, 0x00, 0xE0,        // JP loop
    0x00,
    // sub: E040
    0xEB,                    // EX DE,HL
    0x3C,                    // INC A
    0x05,                    // DEC B
    0xC9,                    // RET
};
// clang-format on

template <class Core>
void RunMix(benchmark::State& run) {
    int64_t tStates = 0;
    for (auto _ : run) tStates += Core::Execute(kFrameTStates);
    run.counters["MHz"] = benchmark::Counter(double(tStates) / 1e6, benchmark::Counter::kIsRate);
}

void FlatBusMix(benchmark::State& run) {
    FlatBus::Clear();
    std::memcpy(FlatBus::memory + kCode, kMix, sizeof kMix);
    FlatCore::Reset();
    FlatCore::state.pc = kCode;
    RunMix<FlatCore>(run);
}

void MachineMapMix(benchmark::State& run) {
    settings = Settings::Defaults();
    std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
    std::memcpy(Machine::MemoryImage + kCode, kMix, sizeof kMix);
    CpuCore::Reset();
    CpuCore::state.pc = kCode;
    RunMix<CpuCore>(run);
}

// The scheduler's slice with the monitor armed by `commands`.
void MonitorArmed(benchmark::State& run, const char* commands) {
    settings = Settings::Defaults();
    std::memset(Machine::MemoryImage, 0, sizeof Machine::MemoryImage);
    std::memcpy(Machine::MemoryImage + kCode, kMix, sizeof kMix);
    CpuCore::Reset();
    CpuCore::state.pc = kCode;
    Debug::AttachMachine();
    Debug::Command(commands);
    int64_t tStates = 0;
    for (auto _ : run) tStates += FrameScheduler::state.cpuSlice(kFrameTStates);
    run.counters["MHz"] = benchmark::Counter(double(tStates) / 1e6, benchmark::Counter::kIsRate);
    Debug::Detach();
}

void MachineMapOneBreakpoint(benchmark::State& run) { MonitorArmed(run, "b 0000"); }
void MachineMapTrace(benchmark::State& run) { MonitorArmed(run, "trace 100000"); }

}  // namespace

BENCHMARK(FlatBusMix);
BENCHMARK(MachineMapMix);
BENCHMARK(MachineMapOneBreakpoint);
BENCHMARK(MachineMapTrace);
BENCHMARK_MAIN();
