// Sound output stream over the headless sound device: the frame size per
// rate, the outputs the settings ask for, a channel heard without a gap
// through the ring, and silence while suspended.
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

// The frame period in ticks of a 1 MHz counter: bytes x 10^6 / 44100, truncated.
TEST_F(SoundStreamTest, FrameSizeFollowsTheFrameRate) {
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
}

// A buffer for each output that is on; with both off, or without a device,
// the frames still run, at the pace of the sound they would have played.
TEST_F(SoundStreamTest, OutputsFollowTheSettingsAndTheDevice) {
    FrameScheduler::state.useHighResolutionClock = true;
    FrameScheduler::state.counterFrequency = 3579545;
    const struct { bool clicker, ay; } rows[] = {{true, false}, {false, true}, {false, false}};
    for (const auto& row : rows) {
        settings.clickerOn = row.clicker;
        settings.ayOn = row.ay;
        FrameScheduler::state.ticksPerFrame = 1;
        SoundRedo();
        EXPECT_EQ(FrameScheduler::state.ticksPerFrame, int64_t(736) * 3579545 / 44100);
        for (int i = 0; i < kSoundBuffers; ++i) EXPECT_EQ(soundStream.buffers[i] >= 0, i ? row.ay : row.clicker) << i;
    }
    SoundShutdown();
    platform::headless::SetSoundAvailable(false);
    FrameScheduler::state.ticksPerFrame = 16667;
    EXPECT_FALSE(SoundInit());
    EXPECT_EQ(FrameScheduler::state.ticksPerFrame, 16667);
    for (int i = 0; i < kSoundBuffers; ++i) EXPECT_EQ(soundStream.buffers[i], -1);
    for (int f = 0; f < 5; ++f) runFrame();
}

// Written three frames ahead of playback: silence, then the channel without a
// gap past the end of the 32-frame ring.
TEST_F(SoundStreamTest, AChannelPlaysOnThroughTheRing) {
    ASSERT_TRUE(SoundInit());
    soundChannelA();
    platform::headless::StartCapture();
    for (int frame = 0; frame < 40; ++frame) {
        runFrame();
        platform::headless::PlaySamples(368);
    }
    const std::vector<int16_t> heard = platform::headless::CapturedSamples();
    ASSERT_EQ(heard.size(), 40u * 368);
    EXPECT_EQ(std::vector<int16_t>(heard.begin(), heard.begin() + 3 * 368), std::vector<int16_t>(3 * 368, 0));
    EXPECT_EQ(std::vector<int16_t>(heard.begin() + 3 * 368, heard.end()), std::vector<int16_t>(37 * 368, 16383));
}

TEST_F(SoundStreamTest, SuspendSilencesUntilTheNextFrame) {
    ASSERT_TRUE(SoundInit());
    soundChannelA();
    for (int frame = 0; frame < 5; ++frame) runFrame();
    SoundSuspend();
    SoundFrameEnd();  // nothing is written while suspended
    for (int i = 0; i < kSoundBuffers; ++i) {
        EXPECT_EQ(platform::SoundGetStatus(soundStream.buffers[i]), 0u);
        for (int16_t v : readBuffer(soundStream.buffers[i], 0, 32 * 736)) ASSERT_EQ(v, 0);
    }
    // The next frame restarts playback at 0 with writing three frames ahead.
    platform::headless::StartCapture();
    runFrame();
    platform::headless::PlaySamples(3 * 368);
    for (int16_t v : platform::headless::CapturedSamples()) ASSERT_EQ(v, 0);
    platform::headless::PlaySamples(1);
    EXPECT_EQ(platform::headless::CapturedSamples().back(), 16383);
}

}  // namespace
