// Cassette deck costs: loading a large tape (time and resident memory) and the
// per-step pacing hook the machine calls while a tape plays.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "machine/machine.h"

namespace {

std::string MakeTape(uint64_t size) {
    std::string path = (std::filesystem::temp_directory_path() / ("vzbench-" + std::to_string(getpid()) + ".cp6")).string();
    { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
    std::filesystem::resize_file(path, size);
    return path;
}

long ResidentKilobytes() {
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void LoadHundredMegabyteTape(benchmark::State& state) {
    const uint64_t size = 100ull << 20;
    std::string path = MakeTape(size);
    long extraKb = 0;
    for (auto _ : state) {
        CassetteDeck::Eject();
        long before = ResidentKilobytes();
        bool loaded = CassetteDeck::LoadFile(path);
        extraKb = ResidentKilobytes() - before;
        benchmark::DoNotOptimize(loaded);
    }
    CassetteDeck::Eject();
    std::filesystem::remove(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
    // Resident growth per load: the tape's own size and nothing more.
    state.counters["resident_MB"] = double(extraKb) / 1024.0;
}
BENCHMARK(LoadHundredMegabyteTape)->Unit(benchmark::kMillisecond);

void PacingPerStep(benchmark::State& state) {
    std::string path = MakeTape(1 << 20);
    CassetteDeck::LoadFile(path);
    CassetteDeck::cassetteMotorOn = true;
    CassetteDeck::OnReadEnableRising();
    CpuCore::state.iff1 = 1;
    for (auto _ : state) {
        Machine::state.cycleCounter += 4;
        if (CassetteDeck::PlaybackActive()) CassetteDeck::Tick(4);
        if (!CassetteDeck::HasTape()) {
            state.PauseTiming();
            CassetteDeck::LoadFile(path);
            CassetteDeck::OnReadEnableRising();
            state.ResumeTiming();
        }
    }
    CassetteDeck::Eject();
    std::filesystem::remove(path);
}
BENCHMARK(PacingPerStep);

}  // namespace

BENCHMARK_MAIN();
