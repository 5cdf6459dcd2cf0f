// Whole-machine speed: "Fast!" frames per second with a busy CPU that writes
// video memory and a full redraw every frame (target: 6000 frames/s, 100 times
// real time), and the memory map's read path on its own.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/boot_machine.h"
#include "cpu/cpu_core.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "video/renderer.h"

namespace {

// At E000h: walk the text data area C200h-D9FFh incrementing every byte, forever.
constexpr uint8_t kBusyLoop[] = {
    0xF3,              // di
    0x21, 0x00, 0xC2,  // ld hl,C200h
    0x34,              // loop: inc (hl)
    0x23,              // inc hl
    0x7C,              // ld a,h
    0xFE, 0xDA,        // cp DAh
    0x20, 0xF9,        // jr nz,loop
    0x18, 0xF2,        // jr E000h
};

void StartMachine() {
    bench::BootMachine(3);  // "Fast!"
    std::memcpy(&Machine::MemoryImage[0xE000], kBusyLoop, sizeof kBusyLoop);
    std::memset(&Machine::MemoryImage[0xC000], 0x00, 512);  // text cells, 768-byte ROM
    CpuCore::state.pc = 0xE000;
}

void BM_FastFramesWithRedraw(benchmark::State& st) {
    StartMachine();
    uint64_t tStates = 0;
    for (auto _ : st) {
        if (FrameScheduler::OnIdle()) renderFrame();
        tStates += FrameScheduler::state.meterCycles[(FrameScheduler::state.meterIndex + 15) % 16];
    }
    st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
    st.counters["emulated MHz"] = benchmark::Counter(double(tStates) / 1e6, benchmark::Counter::kIsRate);
    st.counters["x real time"] = benchmark::Counter(double(st.iterations()) / 60.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastFramesWithRedraw)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same frames without drawing: the CPU and the machine alone.
void BM_FastFramesNoRedraw(benchmark::State& st) {
    StartMachine();
    for (auto _ : st) FrameScheduler::RunFrame();
    st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastFramesNoRedraw)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// 64K reads through the memory map in each configuration.
void BM_ReadMemoryMap(benchmark::State& st) {
    settings = Settings::Defaults();
    settings.memoryEnhanced = st.range(0) == 2;
    settings.ramExpansion = st.range(0) == 1;
    uint32_t sum = 0;
    for (auto _ : st) {
        for (uint32_t a = 0; a < 0x10000; ++a) sum += Machine::ReadMemory(uint16_t(a));
        benchmark::DoNotOptimize(sum);
    }
    st.counters["reads/s"] = benchmark::Counter(double(st.iterations()) * 65536, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadMemoryMap)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
