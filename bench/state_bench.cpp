// Save states and the rewind ring: saving and loading one state (target
// below 1 ms each), and the ring's cost per frame and memory (target below
// 3 % of a 60 fps frame, 16.7 ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/boot_machine.h"
#include "cpu/cpu_core.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "state/rewind.h"
#include "state/save_state.h"
#include "video/renderer.h"

namespace {

void StartMachine() {
    bench::BootMachine(Settings::Defaults().cpuSpeedOption);
    for (int i = 0; i < 120; ++i) FrameScheduler::RunFrame();  // at READY
    Rewind::Clear();
}

// A frame's worth of memory writes: a scattered few hundred bytes of RAM,
// as a busy BASIC program writes its variables and the screen.
void Scribble(std::mt19937& random, int bytes) {
    for (int i = 0; i < bytes; ++i) Machine::MemoryImage[0xC000 + random() % 0x4000] = uint8_t(random());
}

void BM_SaveStateInMemory(benchmark::State& st) {
    StartMachine();
    std::vector<uint8_t> file;
    for (auto _ : st) {
        Machine::state.videoDirty = 1;  // the thumbnail is drawn afresh each time
        SaveState::WriteFile(file);
        benchmark::DoNotOptimize(file.data());
    }
    st.counters["bytes"] = double(file.size());
}
BENCHMARK(BM_SaveStateInMemory)->Unit(benchmark::kMicrosecond);

void BM_LoadStateInMemory(benchmark::State& st) {
    StartMachine();
    std::vector<uint8_t> file;
    SaveState::WriteFile(file);
    for (auto _ : st) {
        std::string error = SaveState::ApplyFile(file.data(), file.size());
        if (!error.empty()) st.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_LoadStateInMemory)->Unit(benchmark::kMicrosecond);

// The same through a file (the page cache: what the commands cost).
void BM_SaveAndLoadStateFile(benchmark::State& st) {
    StartMachine();
    std::string path = std::string(P_tmpdir) + "/vz_state_bench.vzs", error;
    for (auto _ : st) {
        if (!SaveState::SaveToPath(path, &error) || !SaveState::LoadFromPath(path, &error))
            st.SkipWithError(error.c_str());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveAndLoadStateFile)->Unit(benchmark::kMicrosecond);

// The ring's share of a frame: OnFrame after every frame (a state once a
// second), with `range(0)` bytes of RAM changed per frame; the ring's memory
// once it holds 60 states.
void BM_RewindPerFrame(benchmark::State& st) {
    StartMachine();
    std::mt19937 random(1);
    const int bytesPerFrame = int(st.range(0));
    for (int f = 0; f < 61 * 60; ++f) {
        Scribble(random, bytesPerFrame);
        Rewind::OnFrame();
    }
    // The scribbling is timed too: the figure overstates the ring a little.
    for (auto _ : st) {
        Scribble(random, bytesPerFrame);
        Rewind::OnFrame();
    }
    Rewind::Usage usage = Rewind::CurrentUsage();
    st.counters["ring KB"] = double(usage.bytes) / 1024.0;
    st.counters["states"] = usage.entries;
    st.counters["frames/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RewindPerFrame)->Arg(0)->Arg(256)->Arg(4096)->Unit(benchmark::kMicrosecond);

// One second of frames (60 OnFrame calls, one of them taking a state) after
// a second in which 15 KB of RAM changed.
void BM_RewindSecond(benchmark::State& st) {
    StartMachine();
    std::mt19937 random(2);
    for (int f = 0; f < 61 * 60; ++f) Rewind::OnFrame();
    for (auto _ : st) {
        Scribble(random, 256 * 60);
        for (int f = 0; f < 60; ++f) Rewind::OnFrame();
    }
}
BENCHMARK(BM_RewindSecond)->Unit(benchmark::kMicrosecond);

// The worst case for memory: all of RAM different every second.
void BM_RewindWorstMemory(benchmark::State& st) {
    StartMachine();
    std::mt19937 random(3);
    for (auto _ : st) {
        for (int s = 0; s < 61; ++s) {
            for (uint32_t a = 0x4000; a < 0x10000; ++a) Machine::MemoryImage[a] = uint8_t(random());
            for (int f = 0; f < 60; ++f) Rewind::OnFrame();
        }
    }
    st.counters["ring KB"] = double(Rewind::CurrentUsage().bytes) / 1024.0;
}
BENCHMARK(BM_RewindWorstMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
