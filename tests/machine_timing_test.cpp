// Timing numbers and the frame scheduler: pacing, dropped frames, "Fast!",
// the video update limit, file speed-up and the speed meter.
#include "devices/cassette.h"
#include "tests/machine_fixture.h"

using MachineTimingTest = MachineTest;

namespace {
void DisplayOn(bool on) { Machine::state.portCLatch = on ? 0xFF : 0xFD; }
}  // namespace

// frameRate, cyclesPerFrame and timerPeriod for display on and off at 100 %.
TEST_F(MachineTimingTest, TableAtHundredPercent) {
    struct Row {
        uint8_t option;
        int32_t frameRate, onFrame, offFrame, onTimer, offTimer;
    };
    for (Row row : {Row{0, 60, 30347, 57272, 3746, 7070}, Row{1, 50, 36416, 68727, 3746, 7070},
                    Row{3, 60, 30347, 57272, 3746, 7070}}) {
        SCOPED_TRACE(int(row.option));
        settings.cpuSpeedOption = row.option;
        DisplayOn(true);
        Machine::RecomputeTiming();
        EXPECT_EQ(Machine::timing.frameRate, row.frameRate);
        EXPECT_EQ(Machine::timing.screenOnRate, 1820846);
        EXPECT_EQ(Machine::timing.screenOffRate, 3436363);
        EXPECT_EQ(Machine::timing.cyclesPerSecond, 1820846);
        EXPECT_EQ(Machine::timing.cyclesPerFrame, row.onFrame);
        EXPECT_EQ(Machine::timing.timerPeriod, row.onTimer);
        DisplayOn(false);
        Machine::RecomputeTiming();
        EXPECT_EQ(Machine::timing.cyclesPerSecond, 3436363);
        EXPECT_EQ(Machine::timing.cyclesPerFrame, row.offFrame);
        EXPECT_EQ(Machine::timing.timerPeriod, row.offTimer);
    }
}

TEST_F(MachineTimingTest, FastIgnoresThePercentages) {
    settings.cpuSpeedOption = 3;
    settings.ntscPercent = 500;
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 30347);
    EXPECT_EQ(Machine::timing.timerPeriod, 3746);
}

// 800 % NTSC, display off: 27490904 per second, 458181 per frame, timer 27490904 / 3888 = 7070.
TEST_F(MachineTimingTest, NtscEightHundredPercentDisplayOff) {
    settings.ntscPercent = 800;
    DisplayOn(false);
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.screenOffRate, 27490904);
    EXPECT_EQ(Machine::timing.screenOnRate, 14566768);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 458181);
    EXPECT_EQ(Machine::timing.timerPeriod, 7070);
}

// 250 % PAL: 4552115 on, 8590907 off (truncated), 91042 / 171818 per frame; q = 1215.
TEST_F(MachineTimingTest, PalPercentTruncates) {
    settings.cpuSpeedOption = 1;
    settings.palPercent = 250;
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.screenOnRate, 4552115);
    EXPECT_EQ(Machine::timing.screenOffRate, 8590907);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 91042);
    EXPECT_EQ(Machine::timing.timerPeriod, 3746);  // 4552115 / 1215
}

// Custom 3641692 with the display on derives 200 %: q = 972, period 3746.
TEST_F(MachineTimingTest, CustomDerivesThePercentage) {
    settings.cpuSpeedOption = 2;
    settings.customActiveRate = 3641692;
    settings.customBlankRate = 1000000;
    settings.customFps = 40;
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.frameRate, 40);
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 91042);
    EXPECT_EQ(Machine::timing.timerPeriod, 3746);
    // Display off: p = 1000000 * 100 / 3436363 = 29, q = 140, period 7142.
    DisplayOn(false);
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 25000);
    EXPECT_EQ(Machine::timing.timerPeriod, 7142);
}

// Tiny custom rates: p = 0 gives q at least 1; the period never drops below 24.
TEST_F(MachineTimingTest, TimerPeriodFloor) {
    settings.cpuSpeedOption = 2;
    settings.customActiveRate = 24;
    settings.customFps = 1;
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 24);
    EXPECT_EQ(Machine::timing.timerPeriod, 24);
    settings.customActiveRate = 1820846 * 10;  // 1000 %: q = 4860, 18208460 / 4860 = 3746
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.timerPeriod, 3746);
}

TEST_F(MachineTimingTest, OutOfRangeOptionBecomesNtsc) {
    settings.cpuSpeedOption = 7;
    Machine::RecomputeTiming();
    EXPECT_EQ(settings.cpuSpeedOption, 0);
    EXPECT_EQ(Machine::timing.frameRate, 60);
}

// ---- Scheduler ----

class MachineSchedulerTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        platform::headless::SetCounterFrequency(1'000'000);
        platform::headless::SetCounter(10'000'000);
        platform::headless::SetMilliseconds(10'000);
        FrameScheduler::InitClock();
        // A ROM of NOPs: the CPU runs without touching a port or halting, so
        // every frame spends its budget and the display stays as the test sets it.
        static const uint8_t kQuietRom[16384] = {};
        Machine::romSource = kQuietRom;
        Machine::Reset(2);
    }
    static uint32_t Frames() { return FrameScheduler::state.framesRun; }
};

TEST_F(MachineSchedulerTest, InitClockFromCounterFrequency) {
    EXPECT_TRUE(FrameScheduler::state.useHighResolutionClock);
    EXPECT_EQ(FrameScheduler::state.counterFrequency, 1'000'000);
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 16666);
    settings.cpuSpeedOption = 1;
    Machine::RecomputeTiming();
    platform::headless::SetCounterFrequency(3'579'545);
    FrameScheduler::InitClock();
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 71590);
}

TEST_F(MachineSchedulerTest, OneFramePerPeriod) {
    EXPECT_TRUE(FrameScheduler::OnIdle());  // due at once after the reset
    EXPECT_EQ(Frames(), 1u);
    EXPECT_FALSE(FrameScheduler::OnIdle());
    platform::headless::AdvanceCounter(16665);
    EXPECT_FALSE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 1u);
    platform::headless::AdvanceCounter(1);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 2u);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 10'000'000 + 2 * 16666);
}

// Blocked for a second: one frame, the next one period after that pass.
TEST_F(MachineSchedulerTest, LateFramesAreDropped) {
    FrameScheduler::OnIdle();
    platform::headless::AdvanceCounter(1'000'000);
    int ran = 0;
    for (int i = 0; i < 100; ++i) {
        uint32_t before = Frames();
        FrameScheduler::OnIdle();
        ran += int(Frames() - before);
    }
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 11'000'000 + 16666);
}

// Half a period late: the schedule keeps its phase.
TEST_F(MachineSchedulerTest, SlightlyLateFrameKeepsPhase) {
    FrameScheduler::OnIdle();
    platform::headless::AdvanceCounter(16666 + 8000);
    FrameScheduler::OnIdle();
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 10'000'000 + 2 * 16666);
}

TEST_F(MachineSchedulerTest, FailedCounterReadRunsNoFrame) {
    FrameScheduler::OnIdle();
    platform::headless::AdvanceCounter(20000);
    platform::headless::SetCounterReadFails(true);
    EXPECT_FALSE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 1u);
    platform::headless::SetCounterReadFails(false);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 2u);
}

TEST_F(MachineSchedulerTest, FastRunsAndRedrawsEveryPass) {
    settings.cpuSpeedOption = 3;
    Machine::RecomputeTiming();
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 10u);
}

// 20 redraws per second in "Fast!": frames every pass, a redraw every 50000 counts.
TEST_F(MachineSchedulerTest, VideoUpdateLimit) {
    settings.cpuSpeedOption = 3;
    settings.limitVideoUpdates = 1;
    settings.videoUpdatesPerSecond = 20;
    Machine::RecomputeTiming();
    int redraws = 0;
    for (int i = 0; i < 100; ++i) {
        redraws += FrameScheduler::OnIdle() ? 1 : 0;
        platform::headless::AdvanceCounter(5000);  // 100 passes over half a second
    }
    EXPECT_EQ(Frames(), 100u);
    EXPECT_EQ(redraws, 10);
    // A counter below two periods counts as wrapped: redraw.
    platform::headless::SetCounter(99'999);
    EXPECT_TRUE(FrameScheduler::OnIdle());
}

// Without a counter the millisecond clock paces frames, 1000 / 60 = 16 ms apart.
TEST_F(MachineSchedulerTest, MillisecondClockPacesFrames) {
    platform::headless::SetCounterAvailable(false);
    FrameScheduler::InitClock();
    EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_FALSE(FrameScheduler::OnIdle());
    platform::headless::AdvanceMilliseconds(15);
    EXPECT_FALSE(FrameScheduler::OnIdle());
    platform::headless::AdvanceMilliseconds(1);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    platform::headless::AdvanceMilliseconds(1000);  // late: one frame, no catching up
    EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_FALSE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 3u);
}

TEST_F(MachineSchedulerTest, VideoUpdateLimitWithMillisecondClock) {
    platform::headless::SetCounterAvailable(false);
    FrameScheduler::InitClock();
    EXPECT_FALSE(FrameScheduler::state.useHighResolutionClock);
    settings.cpuSpeedOption = 3;
    settings.limitVideoUpdates = 1;
    settings.videoUpdatesPerSecond = 10;
    int redraws = 0;
    for (int i = 0; i < 50; ++i) {
        redraws += FrameScheduler::OnIdle() ? 1 : 0;
        platform::headless::AdvanceMilliseconds(10);  // half a second
    }
    EXPECT_EQ(redraws, 5);
}

// While a tape plays with the motor on, frames run back to back but the
// window is redrawn only when a frame is due.
TEST_F(MachineSchedulerTest, FileSpeedUpRunsFramesBackToBack) {
    FrameScheduler::OnIdle();
    platform::headless::SetClipboardText("RUN\r");
    QuickType::Paste();
    if (!QuickType::IsActive()) GTEST_SKIP() << "quick type is a stand-in in this build";
    int redraws = 0;
    for (int i = 0; i < 10; ++i) redraws += FrameScheduler::OnIdle() ? 1 : 0;
    EXPECT_EQ(Frames(), 11u);
    EXPECT_EQ(redraws, 0);
    EXPECT_TRUE(FrameScheduler::state.fileSpeedUp);
    platform::headless::AdvanceCounter(16666);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    QuickType::Stop();
    FrameScheduler::OnIdle();
    EXPECT_FALSE(FrameScheduler::state.fileSpeedUp);
    settings.speedUpFiles = 0;
}

TEST_F(MachineSchedulerTest, NoSpeedUpWhenSwitchedOff) {
    settings.speedUpFiles = 0;
    CassetteDeck::fileActivity = 1;
    FrameScheduler::OnIdle();
    for (int i = 0; i < 5; ++i) FrameScheduler::OnIdle();
    CassetteDeck::fileActivity = 0;
    EXPECT_EQ(Frames(), 1u);
    EXPECT_FALSE(FrameScheduler::state.fileSpeedUp);
}

// Custom 1820850 T-states/s at 50 fps: 36417 per frame, frames 20 ms apart.
// 15 frames in 300 ms: 1820850 per second -> 100 %; at double rate 200 %.
TEST_F(MachineSchedulerTest, SpeedMeterEvery16Frames) {
    settings.cpuSpeedOption = 2;
    settings.customActiveRate = 1820850;
    settings.customFps = 50;
    Machine::RecomputeTiming();
    ASSERT_EQ(Machine::timing.cyclesPerFrame, 36417);
    auto frameEvery = [](uint32_t ms) {
        FrameScheduler::RunFrame();
        platform::headless::AdvanceMilliseconds(ms);
    };
    for (int i = 0; i < 15; ++i) frameEvery(10);  // twice the rate, but not yet measured
    EXPECT_EQ(FrameScheduler::state.speedPercent, 100);
    frameEvery(10);  // 16th frame: first measurement
    int first = FrameScheduler::state.speedPercent;
    EXPECT_GE(first, 200);
    EXPECT_LE(first, 201);  // the real CPU may overshoot each budget by a few T-states
    for (int i = 0; i < 15; ++i) frameEvery(20);
    EXPECT_EQ(FrameScheduler::state.speedPercent, first);  // unchanged between measurements
    frameEvery(20);
    EXPECT_EQ(FrameScheduler::state.speedPercent, 100);
}

TEST_F(MachineSchedulerTest, SpeedMeterWithDisplayOffReadsAbove100) {
    Machine::WritePort(0x93, 0x02);  // display off: 57272 per frame at 60 fps
    for (int i = 0; i < 32; ++i) {
        FrameScheduler::RunFrame();
        platform::headless::AdvanceMilliseconds(i % 3 == 2 ? 16 : 17);  // 50 ms per 3 frames
    }
    // 15 x 57272 T-states over 250 ms: 3436320 per second, 188 % of the display-on rate.
    EXPECT_GE(FrameScheduler::state.speedPercent, 188);
    EXPECT_LE(FrameScheduler::state.speedPercent, 189);
}
