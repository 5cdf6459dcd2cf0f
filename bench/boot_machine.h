// The headless machine as the runner starts it, for the whole-machine benchmarks.
#pragma once

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "video/renderer.h"

namespace bench {

// Silent, default settings but for the timing choice, after the start-up hard reset.
inline void BootMachine(int cpuSpeedOption) {
    platform::headless::ResetAll();
    platform::headless::SetSoundAvailable(false);
    settings = Settings::Defaults();
    settings.cpuSpeedOption = cpuSpeedOption;
    Machine::LoadRomImages();
    Machine::RecomputeTiming();
    FrameScheduler::InitClock();
    if (!Video::frameBitmap) createFrame();
    Machine::startUpResetDone = false;
    Machine::StartUpReset();
}

}  // namespace bench
