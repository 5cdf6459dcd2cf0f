// The frame scheduler: frame pacing, the frame itself and the speed meter.
#include "machine/scheduler.h"

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/open_file.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "sound/ay_log.h"
#include "sound/sound_stream.h"
#include "state/rewind.h"

namespace FrameScheduler {

State state;

namespace {

constexpr int kMeterEntries = 16;

// One frame; `now` is the millisecond clock read before it, for the speed meter.
int32_t RunFrameAt(uint32_t startCycles, uint32_t now) {
    if (!state.frameOpen) {
        SoundFrameStart(startCycles);
        Machine::PollJoysticks();
        // The budget is read after the poll: a display change in the last frame has
        // already recomputed it. Overshoot is not carried over.
        state.frameOpen = true;
        state.frameLeft = Machine::timing.cyclesPerFrame;
        state.frameExecuted = 0;
        state.frameStartMs = now;
    }
    int32_t slice = state.cpuSlice ? state.cpuSlice(state.frameLeft) : CpuCore::Execute(state.frameLeft);
    state.frameExecuted += slice;
    state.frameLeft -= slice;
    if (state.monitorStopped && state.frameLeft > 0) return slice;  // stopped inside the frame
    state.frameOpen = false;
    int32_t executed = state.frameExecuted;
    now = state.frameStartMs;
    Machine::PollJoysticks();
    SoundFrameEnd();
    KeyboardMapper::PollFrame();
    PrinterPort::OnFrame();
    CassetteDeck::OnFrame();
    OpenFile::OnFrame();
    logAyFrame();

    int i = state.meterIndex;
    state.meterTime[i] = now;
    state.meterCycles[i] = uint32_t(executed);
    uint64_t sum = 0;
    for (int k = 1; k < kMeterEntries; ++k) sum += state.meterCycles[(i + k) % kMeterEntries];
    i = (i + 1) % kMeterEntries;
    state.meterIndex = i;
    uint32_t elapsed = now - state.meterTime[i];  // since the oldest entry, 15 frames ago
    if (i == 0 && elapsed != 0)
        state.speedPercent = int32_t((sum * 1000 / elapsed) * 100 / uint64_t(Machine::kScreenOnBaseRate));
    ++state.framesRun;
    Rewind::OnFrame();
    return executed;
}

bool FileActivity() {
    return QuickType::IsActive() || (CassetteDeck::tapeLoaded && CassetteDeck::cassetteMotorOn) ||
           CassetteDeck::fileActivity != 0;
}

// Warp's start mutes the sound; its end reopens it and resyncs the clock.
void FollowWarp() {
    bool warp = state.warpHeld || state.warpOn;
    if (warp == state.warping) return;
    state.warping = warp;
    SoundSetMuted(warp);
    if (warp) return;
    SoundRedo();
    ResyncClock();
}

}  // namespace

void InitClock() {
    int64_t frequency = 0;
    state.useHighResolutionClock = platform::QueryCounterFrequency(&frequency) && frequency > 0;
    if (state.useHighResolutionClock) {
        state.counterFrequency = frequency;
        state.ticksPerFrame = frequency / Machine::timing.frameRate;
    }
}

bool OnIdle() {
    if (state.paused) return false;
    FollowWarp();
    uint32_t startCycles = Machine::state.cycleCounter;
    uint32_t now = platform::MillisecondClock();
    bool due = false;
    bool redraw = false;

    int64_t t = 0;
    bool counterRead = false;
    if (state.useHighResolutionClock) {
        counterRead = platform::ReadCounter(&t);
        if (counterRead && t >= state.nextFrameTicks) {
            due = true;
            state.nextFrameTicks += state.ticksPerFrame;
            // A whole period late or more: drop the missed frames, do not catch up.
            if (t >= state.nextFrameTicks) state.nextFrameTicks = t + state.ticksPerFrame;
        }
    } else if (int32_t(now - state.nextFrameMs) >= 0) {
        due = true;
        // Without a counter, pace by the millisecond clock (whole milliseconds).
        state.nextFrameMs = now + uint32_t(1000 / Machine::timing.frameRate);
    }

    if (settings.cpuSpeedOption == 3 || state.warping) due = true;  // "Fast!" or warp: frames back to back

    if (!settings.limitVideoUpdates) {
        redraw = due;
    } else {
        int64_t perSecond = settings.videoUpdatesPerSecond > 0 ? settings.videoUpdatesPerSecond : 1;
        if (state.useHighResolutionClock) {
            if (counterRead) {
                // A counter below two periods means it has wrapped.
                if (t >= state.nextVideoTicks || t < 2 * state.counterFrequency / perSecond) {
                    redraw = true;
                    state.nextVideoTicks = t + state.counterFrequency / perSecond;
                }
            }
        } else if (now >= state.nextVideoMs || now < uint32_t(2000 / perSecond)) {
            redraw = true;
            state.nextVideoMs = now + uint32_t(1000 / perSecond);
        }
    }

    if (settings.speedUpFiles && FileActivity()) {
        state.fileSpeedUp = true;
        RunFrameAt(startCycles, now);
        return redraw;
    }
    if (state.fileSpeedUp) {
        state.fileSpeedUp = false;
        SoundRedo();
    }
    if (!due) return redraw;
    RunFrameAt(startCycles, now);
    return redraw;
}

int32_t RunFrame() { return RunFrameAt(Machine::state.cycleCounter, platform::MillisecondClock()); }

void ResyncClock() {
    if (!state.useHighResolutionClock) return;
    int64_t t = 0;
    if (platform::ReadCounter(&t)) state.nextFrameTicks = t;
}

void SetMonitorStopped(bool stopped) {
    state.monitorStopped = stopped;
    SetPaused(stopped);  // one pause: a resume from the monitor also ends a pause from the menu
}

}  // namespace FrameScheduler

namespace FrameScheduler {

void SetPaused(bool paused) {
    if (paused == state.paused) return;
    state.paused = paused;
    if (paused) SoundSuspend();
    else ResyncClock();
}

void AdvanceFrame() {
    if (!state.paused) {
        SetPaused(true);
        return;
    }
    SoundSetMuted(true);
    RunFrame();
    SoundSetMuted(state.warping);
    SoundSuspend();
}

void SetWarpHeld(bool held) { state.warpHeld = held; }
void SetWarpOn(bool on) { state.warpOn = on; }

}  // namespace FrameScheduler
