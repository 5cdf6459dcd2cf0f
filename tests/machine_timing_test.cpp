// Timing numbers and the frame scheduler: pacing, dropped frames, "Fast!",
// the video update limit, file speed-up and the speed meter.
#include <fstream>

#include "devices/cassette.h"
#include "tests/machine_fixture.h"

using MachineTimingTest = MachineTest;

// Option 0 NTSC, 1 PAL, 2 custom, 3 "Fast!". Percent applies to NTSC and PAL.
// Rates 0 are not checked. Worked out with truncating integer division.
TEST_F(MachineTimingTest, TimingTable) {
    struct Row {
        const char* name;
        uint8_t option;
        uint16_t percent;
        uint32_t customActive, customBlank;
        int32_t customFps;
        bool displayOn;
        int32_t frameRate, cyclesPerFrame, timerPeriod, onRate, offRate;
    };
    const Row rows[] = {
        {"NTSC on", 0, 100, 0, 0, 0, true, 60, 30347, 3746, 1820846, 3436363},
        {"NTSC off", 0, 100, 0, 0, 0, false, 60, 57272, 7070, 1820846, 3436363},
        {"PAL on", 1, 100, 0, 0, 0, true, 50, 36416, 3746, 1820846, 3436363},
        {"Fast on, percent ignored", 3, 500, 0, 0, 0, true, 60, 30347, 3746, 1820846, 3436363},
        // 27490904 / 60 = 458181; q = 800 * 486 / 100 = 3888, 27490904 / 3888 = 7070.
        {"NTSC 800 off", 0, 800, 0, 0, 0, false, 60, 458181, 7070, 14566768, 27490904},
        // 4552115 / 50 = 91042; q = 1215, 4552115 / 1215 = 3746.
        {"PAL 250 on", 1, 250, 0, 0, 0, true, 50, 91042, 3746, 4552115, 8590907},
        // 3641692 is 200 % of the display-on rate: q = 972.
        {"custom 200 on", 2, 100, 3641692, 1000000, 40, true, 40, 91042, 3746, 0, 0},
        // p = 1000000 * 100 / 3436363 = 29, q = 140, period 7142.
        {"custom off", 2, 100, 3641692, 1000000, 40, false, 40, 25000, 7142, 0, 0},
        // p = 0 still gives q = 1; 10 / 1 T-states is raised to 24.
        {"custom tiny", 2, 100, 10, 14, 1, true, 1, 10, 24, 0, 0},
        // The largest accepted rates at 1 fps: the rate is held to 2147483647
        // (p = 117938, q = 573178), the frame to one second at 1000 % display off.
        {"custom largest on", 2, 100, 4294967295u, 4294967295u, 1, true, 1, 34363630, 3746, 2147483647, 2147483647},
        {"NTSC 1000 off", 0, 1000, 0, 0, 0, false, 60, 572727, 7070, 18208460, 34363630},
        {"option out of range becomes NTSC", 7, 100, 0, 0, 0, true, 60, 30347, 3746, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        settings = Settings::Defaults();
        settings.cpuSpeedOption = r.option;
        (r.option == 1 ? settings.palPercent : settings.ntscPercent) = r.percent;  // the other stays 100
        if (r.customFps) {
            settings.customActiveRate = r.customActive;
            settings.customBlankRate = r.customBlank;
            settings.customFps = r.customFps;
        }
        Machine::state.portCLatch = r.displayOn ? 0xFF : 0xFD;
        Machine::RecomputeTiming();
        EXPECT_EQ(Machine::timing.frameRate, r.frameRate);
        EXPECT_EQ(Machine::timing.cyclesPerFrame, r.cyclesPerFrame);
        EXPECT_EQ(Machine::timing.timerPeriod, r.timerPeriod);
        if (r.onRate != 0) {
            EXPECT_EQ(Machine::timing.screenOnRate, r.onRate);
            EXPECT_EQ(Machine::timing.screenOffRate, r.offRate);
            EXPECT_EQ(Machine::timing.cyclesPerSecond, r.displayOn ? r.onRate : r.offRate);
        }
        if (r.option > 3) {
            EXPECT_EQ(settings.cpuSpeedOption, 0);
        }
    }
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
        // A ROM of NOPs: every frame spends its budget without touching a port.
        static const uint8_t kQuietRom[16384] = {};
        Machine::romSource = kQuietRom;
        Machine::Reset(2);
    }
    static uint32_t Frames() { return FrameScheduler::state.framesRun; }
    static void Fast(int updatesPerSecond) {
        settings.cpuSpeedOption = 3;
        settings.limitVideoUpdates = updatesPerSecond ? 1 : 0;
        settings.videoUpdatesPerSecond = updatesPerSecond;
        Machine::RecomputeTiming();
    }
    // Frames run by `passes` idle passes, advancing the counter by `step` after each.
    static int Redraws(int passes, uint32_t step) {
        int redraws = 0;
        for (int i = 0; i < passes; ++i) {
            redraws += FrameScheduler::OnIdle() ? 1 : 0;
            platform::headless::AdvanceCounter(step);
        }
        return redraws;
    }
};

// 1 MHz counter at 60 fps: 16666 ticks a frame; a late frame runs once and
// the next is due one period after that pass; half a period late keeps phase.
TEST_F(MachineSchedulerTest, PacingOnTheCounter) {
    EXPECT_TRUE(FrameScheduler::state.useHighResolutionClock);
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 16666);
    EXPECT_TRUE(FrameScheduler::OnIdle());  // due at once after the reset
    EXPECT_FALSE(FrameScheduler::OnIdle());
    platform::headless::AdvanceCounter(16665);
    EXPECT_FALSE(FrameScheduler::OnIdle());
    platform::headless::AdvanceCounter(1);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    EXPECT_EQ(Frames(), 2u);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 10'000'000 + 2 * 16666);

    platform::headless::AdvanceCounter(16666 + 8000);
    FrameScheduler::OnIdle();
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 10'000'000 + 3 * 16666);

    platform::headless::SetCounter(11'000'000);  // blocked for about a second
    for (int i = 0; i < 100; ++i) FrameScheduler::OnIdle();
    EXPECT_EQ(Frames(), 4u);
    EXPECT_EQ(FrameScheduler::state.nextFrameTicks, 11'000'000 + 16666);

}

// "Fast!": a frame every pass, redrawn every pass or, limited to 20 a second,
// every 50000 counts; a counter below two periods counts as wrapped.
TEST_F(MachineSchedulerTest, FastAndTheVideoUpdateLimit) {
    Fast(0);
    EXPECT_EQ(Redraws(10, 0), 10);
    Fast(20);
    EXPECT_EQ(Redraws(100, 5000), 10);
    EXPECT_EQ(Frames(), 110u);
    platform::headless::SetCounter(99'999);
    EXPECT_TRUE(FrameScheduler::OnIdle());
}

// While a file feeds the machine frames run back to back, redrawn only when
// due; switched off, file activity changes nothing.
TEST_F(MachineSchedulerTest, FileSpeedUp) {
    FrameScheduler::OnIdle();
    platform::headless::SetClipboardText("RUN\r");
    QuickType::Paste();
    ASSERT_TRUE(QuickType::IsActive());
    EXPECT_EQ(Redraws(10, 0), 0);
    EXPECT_EQ(Frames(), 11u);
    EXPECT_TRUE(FrameScheduler::state.fileSpeedUp);
    platform::headless::AdvanceCounter(16666);
    EXPECT_TRUE(FrameScheduler::OnIdle());
    QuickType::Stop();
    FrameScheduler::OnIdle();
    EXPECT_FALSE(FrameScheduler::state.fileSpeedUp);

    settings.speedUpFiles = 0;
    CassetteDeck::fileActivity = 1;
    platform::headless::AdvanceCounter(16666);
    for (int i = 0; i < 5; ++i) FrameScheduler::OnIdle();
    CassetteDeck::fileActivity = 0;
    EXPECT_EQ(Frames(), 13u);
    EXPECT_FALSE(FrameScheduler::state.fileSpeedUp);
}

// Measured every 16 frames over the 15 gaps between them, against the
// display-on rate. The real CPU may overshoot each budget by a few T-states.
TEST_F(MachineSchedulerTest, SpeedMeter) {
    // Custom 1820850 at 50 fps: 36417 a frame. 15 frames in 150 ms: 200 %.
    settings.cpuSpeedOption = 2;
    settings.customActiveRate = 1820850;
    settings.customFps = 50;
    Machine::RecomputeTiming();
    auto frameEvery = [](uint32_t ms) {
        FrameScheduler::RunFrame();
        platform::headless::AdvanceMilliseconds(ms);
    };
    for (int i = 0; i < 15; ++i) frameEvery(10);
    EXPECT_EQ(FrameScheduler::state.speedPercent, 100);  // not yet measured
    frameEvery(10);
    int first = FrameScheduler::state.speedPercent;
    EXPECT_GE(first, 200);
    EXPECT_LE(first, 201);
    for (int i = 0; i < 15; ++i) frameEvery(20);
    EXPECT_EQ(FrameScheduler::state.speedPercent, first);  // held between measurements
    frameEvery(20);
    EXPECT_EQ(FrameScheduler::state.speedPercent, 100);
}

// The largest rates the settings file accepts, at one frame a second: a frame
// is 34363630 T-states (one second at 1000 % with the display off), run whole
// without the count wrapping.
TEST_F(MachineSchedulerTest, LargestCustomRatesGiveBoundedFrames) {
    std::ofstream(iniPath) << "[SPEED]\ncpuspeedopt=2\nactivescancust=4294967295\nvblankcust=99999999999\nfpscust=1\n";
    Settings::LoadAll();
    Machine::RecomputeTiming();
    EXPECT_EQ(Machine::timing.cyclesPerFrame, 34363630);
    int32_t executed = FrameScheduler::RunFrame();  // NOPs: 4 T-states each
    EXPECT_GE(executed, 34363630);
    EXPECT_LT(executed, 34363634);
}
