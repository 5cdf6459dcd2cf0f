// Render time of one frame of a busy mixed screen: text in both ROMs,
// semigraphics of both kinds and every graphics mode, redrawn in full.
#include <benchmark/benchmark.h>

#include <cstring>

#include "config/settings.h"
#include "machine/machine.h"
#include "video/renderer.h"

namespace {

void fillBusyScreen() {
    uint8_t* attributes = Machine::MemoryImage + Machine::state.videoBase;
    uint32_t seed = 12345;
    for (int i = 0; i < 6656; ++i) {
        seed = seed * 1103515245u + 12345u;
        attributes[i] = uint8_t(seed >> 16);
    }
    // Row by row: text, extended text, semigraphics-4, semigraphics-6, then graphics modes 0-7 twice.
    const uint8_t rowKinds[4] = {0x00, 0x21, 0x40, 0x62};
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 32; ++c)
            attributes[r * 32 + c] = r < 4 ? uint8_t(rowKinds[r] | (c & 3)) : uint8_t(0x80 | ((r - 4) & 7) << 2 | (c & 2));
    for (int i = 0; i < 768; ++i) Machine::CharRomImage[i] = uint8_t(i * 7);
    for (int i = 0; i < 4096; ++i) Machine::ExtCharRomImage[i] = uint8_t(i * 13);
}

void BM_RenderBusyFrame(benchmark::State& state) {
    settings = Settings::Defaults();
    Machine::state.portCLatch = 0xFF;
    Machine::state.videoBase = 0xC000;
    fillBusyScreen();
    createFrame();
    for (auto _ : state) {
        Machine::state.videoDirty = 1;
        renderFrame();
        benchmark::DoNotOptimize(Video::framePixels[140 * 280 + 140]);
        benchmark::ClobberMemory();
    }
    destroyFrame();
}
BENCHMARK(BM_RenderBusyFrame);

void BM_RenderUnchangedFrame(benchmark::State& state) {
    settings = Settings::Defaults();
    fillBusyScreen();
    createFrame();
    for (auto _ : state) {
        renderFrame();  // videoDirty stays clear: skipped
        benchmark::ClobberMemory();
    }
    destroyFrame();
}
BENCHMARK(BM_RenderUnchangedFrame);

void BM_CreateFrame(benchmark::State& state) {
    settings = Settings::Defaults();
    for (auto _ : state) benchmark::DoNotOptimize(createFrame());
    destroyFrame();
}
BENCHMARK(BM_CreateFrame);

}  // namespace

BENCHMARK_MAIN();
