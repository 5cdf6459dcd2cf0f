// The sound generator heard where the user hears it: registers written
// through the machine's ports, frames run, and the host device's mix
// compared with a model of each channel: its square wave and the noise
// output placed on the time axis by hand, the envelope's level after n steps
// from the shape descriptions, each sample (amplitude x time high) >> 15.
#include <algorithm>
#include <array>
#include <cmath>

#include "sound/psg.h"
#include "sound/sound_stream.h"
#include "tests/machine_fixture.h"

namespace {

constexpr int64_t kSample = 32768;  // one sample in counter units
constexpr int64_t kStep = 2890;     // 8 chip clocks in counter units

// Amplitudes of levels 0-31 by their rule: level 31 is the volume's maximum,
// each level below 1.5 dB under the one above.
std::array<int, 32> Levels(int percent) {
    std::array<int, 32> t{};
    double x = percent * 32767 / 100;
    t[31] = int(x + 0.5);
    for (int i = 30; i > 0; --i) t[size_t(i)] = int((x *= 0.8413951419545804) + 0.5);
    return t;
}

// Noise period 31: toggles worked out from the 17-bit register (seed 1,
// feedback 28000h when bit 0 is set, toggle when bits 0 and 1 differ):
// events 1, 15, 16, 17, 18 and 30. The output starts high.
bool NoiseHigh(int64_t t) {
    int toggles = 0;
    for (int event : {1, 15, 16, 17, 18, 30}) toggles += t >= event * 31 * kStep;
    return toggles % 2 == 0;
}

// Envelope level after `steps` steps: the first ramp, then repeat, alternate or hold.
int EnvelopeLevel(int shape, int64_t steps) {
    bool attack = shape & 4;
    if (steps < 32) return attack ? int(steps) : 31 - int(steps);
    if (!(shape & 8) || shape == 9 || shape == 15) return 0;
    if (shape == 11 || shape == 13) return 31;
    bool rising = ((shape == 10 || shape == 14) && (steps / 32) % 2 == 1) ? !attack : attack;
    return rising ? int(steps % 32) : 31 - int(steps % 32);
}

// One channel sounding: tone period register value (-1 tone off), noise on or
// off, fixed amplitude 0-15 or 16 for the envelope (shape, period register).
struct Voice {
    int channel, tone;
    bool noise;
    int amplitude, shape = 0, envelopePeriod = 12, samples = 368, percent = 50;
};

std::vector<int> Model(const Voice& v) {
    const std::array<int, 32> levels = Levels(v.percent);
    const int64_t period = (v.tone > 0 ? v.tone : 1) * kStep;
    const int64_t envelopeStep = v.envelopePeriod ? v.envelopePeriod * kStep : kStep / 2;
    std::vector<int> out;
    for (int64_t i = 0; i < v.samples; ++i) {
        int64_t from = i * kSample, to = from + kSample, high = 0;
        std::vector<int64_t> cuts{from, to};
        for (int64_t e = (from / period + 1) * period; v.tone >= 0 && e < to; e += period) cuts.push_back(e);
        for (int event : {1, 15, 16, 17, 18, 30}) cuts.push_back(std::clamp(event * 31 * kStep, from, to));
        std::sort(cuts.begin(), cuts.end());
        for (size_t k = 0; k + 1 < cuts.size(); ++k)
            if ((v.tone < 0 || (cuts[k] / period) % 2 == 1) && (!v.noise || NoiseHigh(cuts[k]))) high += cuts[k + 1] - cuts[k];
        int level = v.amplitude == 16 ? EnvelopeLevel(v.shape, (i + 1) * kSample / envelopeStep)
                    : v.amplitude ? 2 * v.amplitude + 1 : 0;
        out.push_back(int((levels[size_t(level)] * high) >> 15));
    }
    return out;
}

class SoundChannels : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        static uint8_t rom[16384] = {0xF3, 0x76};  // di; halt: the CPU writes no register
        Machine::romSource = rom;
        Machine::Reset(2);
    }
    void TearDown() override {
        SoundShutdown();
        MachineTest::TearDown();
    }
    // The voice's registers through ports A0h/A1h (unused bits set to show the
    // masks), frames run, and the first written frame as the host mixes it.
    std::vector<int> Hear(const Voice& v) {
        psgInit(50);
        settings.ayVolumePercent = v.percent;
        SoundRedo();
        const int c = v.channel;
        std::vector<std::pair<int, int>> writes = {
            {2 * c, v.tone & 0xFF}, {2 * c + 1, ((v.tone >> 8) & 0x0F) | 0xF0}, {6, 31 | 0xE0},
            {7, 0xC0 | (0x3F & ~((v.tone >= 0) << c) & ~(int(v.noise) << (3 + c)))},
            {8 + c, (v.amplitude == 16 ? 0x10 | (5 * c) : v.amplitude) | 0xE0},
            {11, v.envelopePeriod}, {12, 0}, {13, v.shape | 0xF0}};
        for (auto [reg, value] : writes) AyWrite(uint8_t(reg), uint8_t(value));
        return Listen(v.samples);
    }
    // Frames run and the first one written after the writes (three frames ahead of playback), as mixed.
    std::vector<int> Listen(int samples) {
        platform::headless::StartCapture();
        for (int frame = 0; frame < 4; ++frame) {
            FrameScheduler::RunFrame();
            platform::headless::PlaySamples(368);
        }
        const auto& mix = platform::headless::CapturedSamples();
        return std::vector<int>(mix.begin() + 3 * 368, mix.begin() + 3 * 368 + samples);
    }
};

}  // namespace

TEST_F(SoundChannels, EachChannelsToneNoiseEnvelopeAndMixer) {
    std::vector<Voice> voices = {
        {0, 254, false, 15}, {1, 0x120, false, 14}, {2, 0x234, false, 13},              // tones of 492, 434, 222 Hz
        {0, -1, true, 15, 0, 12, 79}, {1, -1, true, 15, 0, 12, 79}, {2, -1, true, 15, 0, 12, 79},  // noise alone
        {0, 20, true, 15, 0, 12, 79}, {1, 20, true, 15, 0, 12, 79}, {2, 20, true, 15, 0, 12, 79},  // high only together
        {0, -1, false, 15}, {1, -1, false, 10}, {2, 300, false, 0},  // held high; amplitude 0 is silence
        {0, 0, false, 15, 0, 12, 300}, {1, 1, false, 15, 0, 12, 300},  // period 0 sounds like 1
        {0, 254, false, 15, 0, 12, 368, 0}, {1, 254, false, 15, 0, 12, 368, 100},  // volume 0 and 100 %
        {0, -1, false, 16, 10, 0, 40}, {1, -1, false, 16, 14, 0, 40},  // envelope period 0: 22 steps a sample
    };
    for (int shape = 0; shape < 16; ++shape) voices.push_back({shape % 3, -1, false, 16, shape, 12, 250});
    for (const Voice& v : voices) {
        SCOPED_TRACE(::testing::Message() << "channel " << v.channel << " tone " << v.tone << " noise " << v.noise
                                          << " amplitude " << v.amplitude << " shape " << v.shape << " volume " << v.percent);
        std::vector<int> heard = Hear(v), expected = Model(v);
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(heard[i], expected[i]) << "sample " << i;
    }
    // The amplitudes the documentation lists, at 50 %.
    const std::array<int, 32> levels = Levels(50);
    EXPECT_EQ((std::vector<int>{levels[31], levels[30], levels[29], levels[28], levels[27], levels[26], levels[5], levels[4],
                                levels[3], levels[2], levels[1]}),
              (std::vector<int>{16383, 13785, 11598, 9759, 8211, 6909, 184, 155, 130, 109, 92}));
}

// Writing the shape again restarts the envelope, also with the same value.
TEST_F(SoundChannels, ShapeRewriteRestartsTheEnvelope) {
    Voice v{0, -1, false, 16, 8, 12, 368};
    std::vector<int> first = Hear(v);
    AyWrite(13, 8);
    EXPECT_EQ(Listen(368), first);
}

// A frame of 22050 samples (1 frame per second) sounds the same as many short ones.
TEST(SoundGenerator, LongCallsMatchFrameSizedCalls) {
    psgInit(50);
    for (auto [reg, value] : {std::pair{0, 37}, {2, 200}, {6, 9}, {7, 0x30}, {8, 15}, {9, 0x10}, {11, 50}, {13, 14}})
        psgWrite(0, 0, uint8_t(reg)), psgWrite(0, 1, uint8_t(value));
    Psg saved = psgChip;
    std::vector<uint16_t> a(22050), b(22050), c(22050), pieces(22050);
    psgUpdate(0, a.data(), b.data(), c.data(), 22050);
    psgChip = saved;
    for (int i = 0; i < 22050; i += 441) psgUpdate(0, pieces.data() + i, b.data(), c.data(), 441);
    EXPECT_EQ(pieces, a);
}
