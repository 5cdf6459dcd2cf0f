// Sound output stream over the headless sound device: frame sizes, ring
// positions, realignment, suspension, the key clicker and the mixed output.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"

namespace {

class SoundStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        SoundShutdown();
        soundStream = SoundStreamState{};
        platform::headless::ResetAll();
        settings = Settings::Defaults();
        Machine::state = Machine::State{};
        Machine::timing = Machine::MachineTiming{};
        FrameScheduler::state = FrameScheduler::State{};
        psgChip = Psg{};
    }
    void TearDown() override {
        SoundShutdown();
        psgChip = Psg{};
    }
};

// Samples of a host buffer from a byte offset.
std::vector<int16_t> readBuffer(int id, uint32_t offset, uint32_t bytes) {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t s1 = 0, s2 = 0;
    EXPECT_EQ(platform::SoundLock(id, offset, bytes, &p1, &s1, &p2, &s2), platform::HostResult::Ok);
    std::vector<int16_t> out(bytes / 2);
    std::memcpy(out.data(), p1, s1);
    if (p2) std::memcpy(reinterpret_cast<uint8_t*>(out.data()) + s1, p2, s2);
    platform::SoundUnlock(id, p1, s1, p2, s2);
    return out;
}

bool lockWorks(int id, uint32_t offset, uint32_t bytes) {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t s1 = 0, s2 = 0;
    bool ok = platform::SoundLock(id, offset, bytes, &p1, &s1, &p2, &s2) == platform::HostResult::Ok;
    if (ok) platform::SoundUnlock(id, p1, s1, p2, s2);
    return ok;
}

void runFrame() {
    SoundFrameStart(0);
    SoundFrameEnd();
}

// Channel A through the generator: tone and noise off (held high) at full amplitude.
void soundChannelA() {
    psgInit(50);
    const uint8_t writes[][2] = {{7, 0x3F}, {8, 15}};
    for (const auto& w : writes) {
        psgWrite(0, 0, w[0]);
        psgWrite(0, 1, w[1]);
    }
    Machine::state.ayShadow[8] = 15;
}

TEST_F(SoundStreamTest, FrameSizeFollowsTheFrameRate) {
    // The frame period in ticks of a 1 MHz counter: bytes x 10^6 / 44100, truncated.
    FrameScheduler::state.useHighResolutionClock = true;
    FrameScheduler::state.counterFrequency = 1000000;
    const struct { int fps; int32_t bytes; int64_t ticks; } cases[] = {
        {60, 736, 16689}, {50, 882, 20000}, {36, 1226, 27800}, {25, 1764, 40000}, {1, 44100, 1000000}};
    for (const auto& c : cases) {
        Machine::timing.frameRate = c.fps;
        SoundRedo();
        EXPECT_EQ(s_nLockSize, c.bytes) << c.fps << " fps";
        EXPECT_EQ(FrameScheduler::state.ticksPerFrame, c.ticks) << c.fps << " fps";
    }
    // Every buffer holds 32 frames: 23552 bytes at 60 fps.
    Machine::timing.frameRate = 60;
    SoundRedo();
    for (int i = 0; i < kSoundBuffers; ++i) {
        ASSERT_GE(soundStream.buffers[i], 0) << i;
        EXPECT_TRUE(lockWorks(soundStream.buffers[i], 0, 23552));
        EXPECT_FALSE(lockWorks(soundStream.buffers[i], 0, 23553));
    }
    // A rate change waits for the next redo.
    Machine::timing.frameRate = 50;
    runFrame();
    EXPECT_EQ(s_nLockSize, 736);
    EXPECT_EQ(s_nNextLockPos, 4 * 736);
    SoundRedo();
    EXPECT_EQ(s_nLockSize, 882);
    EXPECT_EQ(s_nNextLockPos, 3 * 882);
}

TEST_F(SoundStreamTest, InitWithOutputsOffOrWithoutTheCounter) {
    FrameScheduler::state.useHighResolutionClock = true;
    // Both outputs off: no buffer, still a success that sets the period.
    settings.clickerOn = 0;
    settings.ayOn = 0;
    FrameScheduler::state.counterFrequency = 3579545, FrameScheduler::state.ticksPerFrame = 1;
    SoundRedo();
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, int64_t(736) * 3579545 / 44100);
    for (int i = 0; i < kSoundBuffers; ++i) EXPECT_EQ(soundStream.buffers[i], -1);

    // Clicker only.
    settings.clickerOn = 1;
    SoundRedo();
    EXPECT_GE(soundStream.buffers[0], 0);
    EXPECT_EQ(soundStream.buffers[1], -1);

    // Without the counter the scheduler keeps its own period.
    FrameScheduler::state.useHighResolutionClock = false;
    FrameScheduler::state.ticksPerFrame = 5;
    SoundShutdown();
    EXPECT_TRUE(SoundInit());
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 5);
}

TEST_F(SoundStreamTest, NoDeviceMeansNoSoundButFramesRun) {
    platform::headless::SetSoundAvailable(false);
    FrameScheduler::state.useHighResolutionClock = true;
    FrameScheduler::state.counterFrequency = 1000000;
    FrameScheduler::state.ticksPerFrame = 16667;
    EXPECT_FALSE(SoundInit());
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 16667);
    for (int i = 0; i < kSoundBuffers; ++i) EXPECT_EQ(soundStream.buffers[i], -1);
    Machine::state.ayWritten[8] = 1;
    for (int f = 0; f < 5; ++f) runFrame();
    EXPECT_EQ(s_nNextLockSize, 0);
    EXPECT_EQ(Machine::state.ayWritten[8], 1);  // nothing looked at the registers
}

TEST_F(SoundStreamTest, RingPositionsAndWrap) {
    ASSERT_TRUE(SoundInit());
    EXPECT_EQ(s_nNextLockPos, 3 * 736);
    EXPECT_EQ(s_nNextLockSize, 736);
    Machine::state.ayShadow[8] = 15;  // channel A sounding: no silence realignment
    for (int frame = 1; frame <= 40; ++frame) {
        SoundFrameStart(0);
        for (int i = 0; i < kSoundBuffers; ++i)
            EXPECT_TRUE(platform::SoundGetStatus(soundStream.buffers[i]) & platform::kSoundPlaying);
        EXPECT_EQ(s_nNextLockSize, 736);
        SoundFrameEnd();
        // Written from 3 frames in, one frame per frame, wrapping after 32.
        EXPECT_EQ(s_nNextLockPos, ((3 + frame) % 32) * 736) << "frame " << frame;
        platform::headless::PlaySamples(368);
    }
}

TEST_F(SoundStreamTest, LongSilenceRealignsEvery33Frames) {
    ASSERT_TRUE(SoundInit());
    std::vector<int> realigned;
    for (int frame = 1; frame <= 100; ++frame) {
        SoundFrameStart(0);
        bool fresh = true;
        for (int i = 0; i < kSoundBuffers; ++i) fresh = fresh && soundStream.silenceFrames[i] == 0;
        if (fresh) {
            realigned.push_back(frame);
            EXPECT_EQ(s_nNextLockPos, 3 * 736);
        }
        SoundFrameEnd();
        platform::headless::PlaySamples(368);
    }
    // Frame 1 starts the stopped buffers; then 33 silent frames each time.
    EXPECT_EQ(realigned, (std::vector<int>{1, 34, 67, 100}));
}

TEST_F(SoundStreamTest, AmplitudeWritesCountAsSound) {
    ASSERT_TRUE(SoundInit());
    for (int frame = 1; frame <= 20; ++frame) runFrame();
    EXPECT_EQ(soundStream.silenceFrames[2], 20);
    // A write of amplitude 0 still counts as activity for that frame.
    Machine::state.ayWritten[9] = 1;
    Machine::state.ayWritten[5] = 1;
    runFrame();
    EXPECT_EQ(soundStream.silenceFrames[2], 0);
    EXPECT_EQ(soundStream.silenceFrames[1], 21);
    EXPECT_EQ(Machine::state.ayWritten[9], 0);
    // Only bits 0-4 of the shadow matter.
    Machine::state.ayShadow[10] = 0xE0;
    runFrame();
    EXPECT_EQ(soundStream.silenceFrames[3], 22);
    Machine::state.ayShadow[10] = 0x10;
    runFrame();
    EXPECT_EQ(soundStream.silenceFrames[3], 0);
}

TEST_F(SoundStreamTest, SuspendStopsAndSilencesUntilTheNextFrame) {
    ASSERT_TRUE(SoundInit());
    soundChannelA();
    for (int frame = 0; frame < 5; ++frame) runFrame();
    const int idA = soundStream.buffers[1];
    EXPECT_EQ(readBuffer(idA, 3 * 736, 2)[0], 16383);

    SoundSuspend();
    EXPECT_TRUE(soundStream.suspended);
    EXPECT_EQ(s_nNextLockPos, 3 * 736);
    EXPECT_EQ(s_nNextLockSize, 736);
    SoundFrameEnd();  // nothing is written while suspended
    EXPECT_EQ(s_nNextLockPos, 3 * 736);
    for (int i = 0; i < kSoundBuffers; ++i) {
        EXPECT_EQ(platform::SoundGetStatus(soundStream.buffers[i]), 0u);
        for (int16_t v : readBuffer(soundStream.buffers[i], 0, 32 * 736)) ASSERT_EQ(v, 0);
    }

    // The next frame restarts playback at 0 with writing three frames ahead.
    platform::headless::StartCapture();
    runFrame();
    EXPECT_FALSE(soundStream.suspended);
    EXPECT_TRUE(platform::SoundGetStatus(idA) & platform::kSoundPlaying);
    EXPECT_EQ(s_nNextLockPos, 4 * 736);
    platform::headless::PlaySamples(3 * 368);
    for (int16_t v : platform::headless::CapturedSamples()) ASSERT_EQ(v, 0);
    platform::headless::PlaySamples(1);
    EXPECT_EQ(platform::headless::CapturedSamples().back(), 16383);
}

TEST_F(SoundStreamTest, LostBuffersAreRestoredOnce) {
    ASSERT_TRUE(SoundInit());
    soundChannelA();
    runFrame();
    runFrame();
    const int idA = soundStream.buffers[1];

    // Lost while stopped: the frame start restores, restarts and realigns.
    platform::headless::LoseSoundBuffers(false);
    SoundFrameStart(0);
    for (int i = 0; i < kSoundBuffers; ++i)
        EXPECT_EQ(platform::SoundGetStatus(soundStream.buffers[i]),
                  uint32_t(platform::kSoundPlaying | platform::kSoundLooping));
    EXPECT_EQ(s_nNextLockPos, 3 * 736);
    EXPECT_EQ(soundStream.silenceFrames[1], 0);

    // Lost between start and end: the lock restores and writes all the same.
    platform::headless::LoseSoundBuffers(false);
    SoundFrameEnd();
    EXPECT_EQ(readBuffer(idA, 3 * 736, 736), std::vector<int16_t>(368, 16383));
    EXPECT_EQ(s_nNextLockPos, 4 * 736);

    // A restore that fails skips the frame, but the ring still advances.
    SoundFrameStart(0);
    platform::headless::LoseSoundBuffers(true);
    SoundFrameEnd();
    EXPECT_EQ(s_nNextLockPos, 4 * 736);
}

TEST_F(SoundStreamTest, ClickTablesFollowTheVolume) {
    ASSERT_TRUE(SoundInit());
    EXPECT_EQ(clickShape[0], 22);
    EXPECT_EQ(clickShape[82], 1);
    EXPECT_EQ(soundStream.clickUp[5], 3840);  // 60 x 128 x 50 / 100
    EXPECT_EQ(soundStream.clickDown[5], -3840);
    settings.clickerVolumePercent = 33;
    SoundRedo();
    EXPECT_EQ(soundStream.clickUp[0], 929);  // 92928 / 100, truncated
    EXPECT_EQ(soundStream.clickUp[5], 2534);
    EXPECT_EQ(soundStream.clickDown[5], -2534);
}

TEST_F(SoundStreamTest, ClicksAreRenderedAtTheirTimes) {
    ASSERT_TRUE(SoundInit());
    SoundFrameStart(0);
    // Time scale 1820846 + 3436363 = 5257209: time 1428590 is sample 100,
    // time 5000064 is sample 350 of the 368 in a frame.
    SoundAddClickEvent(1428590, 1);
    SoundAddClickEvent(5000064, 0);
    const int idClick = soundStream.buffers[0];
    uint32_t position = uint32_t(s_nNextLockPos);
    SoundFrameEnd();
    EXPECT_EQ(soundStream.silenceFrames[0], 0);
    std::vector<int16_t> frame = readBuffer(idClick, position, 736);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(frame[size_t(i)], 0) << i;
    for (int i = 0; i < kClickLength; ++i) ASSERT_EQ(frame[size_t(100 + i)], clickShape[i] * 64) << i;
    for (int i = 183; i < 350; ++i) ASSERT_EQ(frame[size_t(i)], 0) << i;
    for (int i = 0; i < 18; ++i) ASSERT_EQ(frame[size_t(350 + i)], -clickShape[i] * 64) << i;

    // The falling click carries over into the next frame, then zeros.
    SoundFrameStart(0);
    position = uint32_t(s_nNextLockPos);
    SoundFrameEnd();
    EXPECT_EQ(soundStream.silenceFrames[0], 1);
    frame = readBuffer(idClick, position, 736);
    for (int i = 18; i < kClickLength; ++i) ASSERT_EQ(frame[size_t(i - 18)], -clickShape[i] * 64) << i;
    for (int i = kClickLength - 18; i < 368; ++i) ASSERT_EQ(frame[size_t(i)], 0) << i;
}

}  // namespace
