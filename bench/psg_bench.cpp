// Sound generator throughput: samples per second with tone, noise and
// envelope all active (one frame of 368 samples per call, as the stream asks).
#include <benchmark/benchmark.h>

#include <vector>

#include "sound/psg.h"

namespace {

void writeReg(int reg, int value) {
    psgWrite(0, 0, uint8_t(reg));
    psgWrite(0, 1, uint8_t(value));
}

void setUpChip(int noisePeriod) {
    psgInit(50);
    writeReg(0, 254);   // A: 492 Hz
    writeReg(2, 3);     // B: 41.7 kHz, several edges per sample
    writeReg(4, 100);   // C: 1250 Hz
    writeReg(6, noisePeriod);
    writeReg(7, 0x00);  // every tone and every noise on
    writeReg(8, 15);
    writeReg(9, 0x10);  // B follows the envelope
    writeReg(10, 12);
    writeReg(11, 40);
    writeReg(13, 14);   // alternating envelope: it never holds
}

void BM_PsgFrame(benchmark::State& state) {
    setUpChip(int(state.range(0)));
    constexpr int kFrameSamples = 368;
    std::vector<uint16_t> a(kFrameSamples), b(kFrameSamples), c(kFrameSamples);
    for (auto _ : state) {
        psgUpdate(0, a.data(), b.data(), c.data(), kFrameSamples);
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
        benchmark::DoNotOptimize(c.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrameSamples);
}
// Noise period 1 (the fastest noise, the costliest case), 16 and 31.
BENCHMARK(BM_PsgFrame)->Arg(1)->Arg(16)->Arg(31);

}  // namespace

BENCHMARK_MAIN();
