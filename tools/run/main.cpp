// vzelvega-run: the machine without a window. First form: run N frames.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"

int main(int argc, char** argv) {
    long frames = 600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::atol(argv[++i]);
    }
    Settings::LocateFile();
    Settings::LoadAll();
    Machine::RecomputeTiming();
    Machine::StartUpReset();
    auto start = std::chrono::steady_clock::now();
    uint64_t tStates = 0;
    for (long f = 0; f < frames; ++f) tStates += uint64_t(FrameScheduler::RunFrame());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("frames %ld, emulated %.2f s, %.0f frames/s, %.1f emulated MHz\n", frames,
                double(frames) / Machine::timing.frameRate, seconds > 0 ? frames / seconds : 0.0,
                seconds > 0 ? tStates / seconds / 1e6 : 0.0);
    return 0;
}
