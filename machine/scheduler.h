// The frame scheduler: decides when a frame is due, runs it, and measures
// the emulation speed.
//
// Use: the main loop calls OnIdle whenever its queue is empty and `running`
// is set, and presents the frame when it returns true. Every reset calls
// ResyncClock. Time comes from the platform's counters: the high-resolution
// counter paces frames (late frames are dropped, not caught up); without one
// the millisecond clock paces them in whole milliseconds.
#pragma once

#include <cstdint>

namespace FrameScheduler {

struct State {
    bool useHighResolutionClock = false;
    int64_t counterFrequency = 0;
    int64_t ticksPerFrame = 0;
    int64_t nextFrameTicks = 0;
    uint32_t nextFrameMs = 0;
    int64_t nextVideoTicks = 0;
    uint32_t nextVideoMs = 0;
    bool fileSpeedUp = false;
    uint32_t meterTime[16] = {};
    uint32_t meterCycles[16] = {};
    int meterIndex = 0;
    int32_t speedPercent = 100;
    bool running = false;
    uint32_t framesRun = 0;  // frames run since start, for the runner's figures
    // The monitor's hold (debug/), a pause that the monitor made. A CPU
    // slice that the monitor ended early leaves its frame open; the frame's
    // end runs once the rest of its budget has been executed.
    int32_t (*cpuSlice)(int32_t budget) = nullptr;  // the checking core, only while the monitor is armed
    bool monitorStopped = false;
    bool frameOpen = false;
    int32_t frameLeft = 0;      // T-states of the open frame still to run
    int32_t frameExecuted = 0;  // T-states the open frame has run
    uint32_t frameStartMs = 0;  // millisecond clock when the open frame began
    // Time controls.
    bool paused = false;    // no frame runs; sound is stopped
    bool warpHeld = false;  // F8 held
    bool warpOn = false;    // the "Warp" toggle
    bool warping = false;   // warp was in force at the last pass (its end resyncs)
};
extern State state;

// Queries the counter's frequency and sets the frame period from the frame rate
// (the main window's create step).
void InitClock();
// Decides, runs at most one frame; true when the window is to be redrawn.
bool OnIdle();
// Runs one frame now, as OnIdle does when a frame is due; returns the T-states executed.
int32_t RunFrame();
// The next frame is due now.
void ResyncClock();
// The monitor holds the machine or lets it go: the same pause as SetPaused.
void SetMonitorStopped(bool stopped);

// ---- Time controls ----
// Pausing stops the sound; resuming makes the next frame due now.
void SetPaused(bool paused);
// While paused: one frame, not heard. While running: pauses.
void AdvanceFrame();
// Warp, while held or toggled on: frames back to back as with "Fast!" and
// the sound muted, whatever the timing setting; its end reopens the sound
// and resyncs the clock, as the end of the file speed-up does.
void SetWarpHeld(bool held);
void SetWarpOn(bool on);

}  // namespace FrameScheduler
