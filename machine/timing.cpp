// MachineTiming: the CPU budget per frame, the frame rate and the timer period.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "config/settings.h"
#include "machine/machine.h"

namespace Machine {

MachineTiming timing;

namespace {
// The timer fires this many times per real second at 100 per cent.
constexpr int64_t kTimerRatePerSecond = 486;
constexpr int32_t kMinimumTimerPeriod = 24;

int32_t ToRate(uint64_t rate) {
    constexpr uint64_t kMax = uint64_t(std::numeric_limits<int32_t>::max());
    return int32_t(rate > kMax ? kMax : rate);
}
}  // namespace

void RecomputeTiming() {
    if (settings.cpuSpeedOption > 3) settings.cpuSpeedOption = 0;
    int64_t percent = 100;
    switch (settings.cpuSpeedOption) {
        case 0:
        case 1:
            percent = settings.cpuSpeedOption == 0 ? settings.ntscPercent : settings.palPercent;
            timing.screenOnRate = int32_t(percent * kScreenOnBaseRate / 100);
            timing.screenOffRate = int32_t(percent * kScreenOffBaseRate / 100);
            timing.frameRate = settings.cpuSpeedOption == 0 ? 60 : 50;
            break;
        case 2:
            timing.screenOnRate = ToRate(settings.customActiveRate);
            timing.screenOffRate = ToRate(settings.customBlankRate);
            timing.frameRate = settings.customFps;
            percent = displayEnabled() ? int64_t(uint64_t(uint32_t(timing.screenOnRate)) * 100 / kScreenOnBaseRate)
                                       : int64_t(uint64_t(uint32_t(timing.screenOffRate)) * 100 / kScreenOffBaseRate);
            break;
        default:  // "Fast!": base rates, frames run back to back
            timing.screenOnRate = kScreenOnBaseRate;
            timing.screenOffRate = kScreenOffBaseRate;
            timing.frameRate = 60;
            break;
    }
    // The settings rule out a zero frame rate; an INI edited by hand must not divide by it.
    if (timing.frameRate < 1) timing.frameRate = 1;
    timing.cyclesPerSecond = displayEnabled() ? timing.screenOnRate : timing.screenOffRate;
    // A frame runs to its end before the window sees its next event: a custom
    // rate of billions at one frame a second would hold it for seconds (and
    // run the budget near the end of 32 bits). No frame is longer than a
    // second of the fastest multiplier allows.
    timing.cyclesPerFrame = std::min(timing.cyclesPerSecond / timing.frameRate, kLongestFrame);
    int64_t q = percent * kTimerRatePerSecond / 100;
    if (q < 1) q = 1;
    int64_t period = timing.cyclesPerSecond / q;
    timing.timerPeriod = int32_t(period < kMinimumTimerPeriod ? kMinimumTimerPeriod : period);
}

void SaveTimingSettings(StateWriter& out) {
    out.BeginSection(kTimingSectionTag, kTimingSectionVersion);
    out.U8(settings.cpuSpeedOption);
    out.I32(settings.ntscPercent);
    out.I32(settings.palPercent);
    out.U32(settings.customActiveRate);
    out.U32(settings.customBlankRate);
    out.I32(settings.customFps);
    out.EndSection();
}

bool LoadTimingSettings(StateReader& in, uint16_t, TimingSaved* into) {
    into->cpuSpeedOption = in.U8();
    into->ntscPercent = in.I32();
    into->palPercent = in.I32();
    into->customActiveRate = in.U32();
    into->customBlankRate = in.U32();
    into->customFps = in.I32();
    // The ranges the timing dialog accepts.
    auto percentOk = [](int32_t p) { return p >= 1 && p <= 1000; };
    return in.Ok() && into->cpuSpeedOption <= 3 && percentOk(into->ntscPercent) && percentOk(into->palPercent) &&
           into->customActiveRate >= 24 && into->customBlankRate >= 24 && into->customFps >= 1 &&
           into->customFps <= 600;
}

void RestoreTimingSettings(const TimingSaved& saved) {
    settings.cpuSpeedOption = saved.cpuSpeedOption;
    settings.ntscPercent = saved.ntscPercent;
    settings.palPercent = saved.palPercent;
    settings.customActiveRate = saved.customActiveRate;
    settings.customBlankRate = saved.customBlankRate;
    settings.customFps = saved.customFps;
    RecomputeTiming();
}

}  // namespace Machine
