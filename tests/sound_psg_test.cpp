// AY-3-8910 generator: register rules, amplitude table, tone, noise and
// envelope samples. Expected samples come from an independent model: each
// sample is (amplitude x time high within the sample) >> 15, with the square
// waves and noise toggles placed on the time axis by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "sound/psg.h"

namespace {

constexpr int64_t kSample = 32768;  // one sample in counter units
constexpr int64_t kStep = 2890;     // 8 chip clocks in counter units

struct Streams {
    std::vector<uint16_t> a, b, c;
};

Streams render(int count) {
    Streams s{std::vector<uint16_t>(size_t(count)), std::vector<uint16_t>(size_t(count)),
              std::vector<uint16_t>(size_t(count))};
    psgUpdate(0, s.a.data(), s.b.data(), s.c.data(), count);
    return s;
}

void writeRegs(std::initializer_list<std::pair<int, int>> writes) {
    for (auto [reg, value] : writes) {
        psgWrite(0, 0, uint8_t(reg));
        psgWrite(0, 1, uint8_t(value));
    }
}

// Time high within [from, to) of a signal `high(t)`, constant between the
// sorted breakpoints `edges`.
int64_t highTime(int64_t from, int64_t to, const std::vector<int64_t>& edges, const std::function<bool(int64_t)>& high) {
    std::vector<int64_t> cuts{from};
    for (int64_t e : edges)
        if (e > from && e < to) cuts.push_back(e);
    cuts.push_back(to);
    int64_t total = 0;
    for (size_t i = 0; i + 1 < cuts.size(); ++i)
        if (high(cuts[i])) total += cuts[i + 1] - cuts[i];
    return total;
}

// A tone starts low and flips every `period`.
std::vector<int64_t> toneEdges(int64_t period, int64_t until) {
    std::vector<int64_t> edges;
    for (int64_t t = period; t <= until; t += period) edges.push_back(t);
    return edges;
}
bool toneHigh(int64_t t, int64_t period) { return (t / period) % 2 == 1; }

// Noise period 31: toggles worked out from the 17-bit register (seed 1,
// feedback 28000h when bit 0 is set, toggle when bits 0 and 1 differ):
// events 1, 15, 16, 17, 18 toggle, the next at event 30. The output starts high.
const int64_t kNoisePeriod = 31 * kStep;
const std::vector<int64_t> kNoiseToggles = {1 * kNoisePeriod,  15 * kNoisePeriod, 16 * kNoisePeriod,
                                            17 * kNoisePeriod, 18 * kNoisePeriod, 30 * kNoisePeriod};
bool noiseHigh(int64_t t) { return std::count_if(kNoiseToggles.begin(), kNoiseToggles.end(), [t](int64_t e) { return t >= e; }) % 2 == 0; }

// Checks channel A sample by sample against the model at full amplitude.
void expectChannelA(const std::vector<uint16_t>& a, const std::vector<int64_t>& edges, const std::function<bool(int64_t)>& high) {
    for (size_t i = 0; i < a.size(); ++i) {
        int64_t t = int64_t(i) * kSample;
        ASSERT_EQ(a[i], uint16_t((16383 * highTime(t, t + kSample, edges, high)) >> 15)) << "sample " << i;
    }
}

// Envelope level after `steps` steps, from the shape descriptions: the
// first ramp, then repeat, alternate or hold.
int envelopeLevel(int shape, int64_t steps) {
    bool attack = shape & 4;
    if (steps < 32) return attack ? int(steps) : 31 - int(steps);
    if (!(shape & 8)) return 0;  // 0-7 end at 0 and hold
    switch (shape) {
    case 9: case 15: return 0;
    case 11: case 13: return 31;
    default: break;
    }
    bool rising = attack;
    if ((shape == 10 || shape == 14) && (steps / 32) % 2 == 1) rising = !rising;
    return rising ? int(steps % 32) : 31 - int(steps % 32);
}

class PsgTest : public ::testing::Test {
protected:
    void SetUp() override { psgInit(50); }
};

TEST_F(PsgTest, AmplitudeTableAndResetState) {
    EXPECT_EQ(maxOutput, 16383);
    const std::pair<int, int32_t> levels[] = {{31, 16383}, {30, 13785}, {29, 11598}, {28, 9759}, {27, 8211}, {26, 6909},
                                              {5, 184},    {4, 155},    {3, 130},    {2, 109},   {1, 92},    {0, 0}};
    for (auto [level, value] : levels) EXPECT_EQ(psgChip.volTable[level], value) << "level " << level;
    for (int i = 1; i < 31; ++i)  // 1.5 dB between neighbours, within rounding
        EXPECT_NEAR(psgChip.volTable[i], psgChip.volTable[i + 1] * 0.8413951419545804, 1.0) << "level " << i;

    for (int r = 0; r < 14; ++r) EXPECT_EQ(psgChip.regs[r], 0) << r;
    EXPECT_EQ(psgChip.periodA, kStep);
    EXPECT_EQ(psgChip.periodN, kStep);
    EXPECT_EQ(psgChip.periodE, kStep / 2);
    EXPECT_EQ(psgChip.countEnv, 31);
    EXPECT_EQ(psgChip.rng, 1);
    EXPECT_EQ(psgChip.outN, 0xFF);

    psgInit(100);
    EXPECT_EQ(psgChip.volTable[31], 32767);
    psgSetVolume(10);  // 327670 / 100
    EXPECT_EQ(maxOutput, 3276);
    EXPECT_EQ(psgChip.volTable[31], 3276);
    psgInit(0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(psgChip.volTable[i], 0);
}

TEST_F(PsgTest, RegisterMaskingAndSelect) {
    psgWrite(0, 0, 0x17);  // only the low four bits select
    EXPECT_EQ(psgChip.latch, 7);
    writeRegs({{1, 0xFF}});
    EXPECT_EQ(psgChip.regs[1], 0x0F);
    EXPECT_EQ(psgChip.periodA, 0x0F00 * kStep);
    writeRegs({{3, 0x12}, {2, 0x34}});
    EXPECT_EQ(psgChip.periodB, 0x0234 * kStep);
    writeRegs({{5, 0xF1}});
    EXPECT_EQ(psgChip.periodC, 0x0100 * kStep);
    writeRegs({{6, 0xE5}});
    EXPECT_EQ(psgChip.periodN, 5 * kStep);
    writeRegs({{9, 0xEF}});
    EXPECT_EQ(psgChip.regs[9], 0x0F);
    EXPECT_EQ(psgChip.volB, 16383u);
    writeRegs({{10, 0x07}});
    EXPECT_EQ(psgChip.volC, uint32_t(psgChip.volTable[15]));  // two levels per step
    writeRegs({{11, 0x34}, {12, 0x12}});
    EXPECT_EQ(psgChip.periodE, 0x1234 * kStep);
    writeRegs({{13, 0xFE}, {14, 0xAB}, {15, 0xCD}});
    EXPECT_EQ(psgChip.regs[13], 0x0E);
    EXPECT_EQ(psgChip.regs[14], 0xAB);
    psgWrite(0, 1, 0x11);  // data writes stay on the selected register
    EXPECT_EQ(psgChip.regs[15], 0x11);
    EXPECT_EQ(psgChip.regs[14], 0xAB);
}

TEST_F(PsgTest, PeriodChangeKeepsCountedTime) {
    writeRegs({{0, 10}});  // period 28900: the counter grows by the difference
    EXPECT_EQ(psgChip.countA, 28900);
    psgChip.countA = 1000;
    writeRegs({{0, 5}});  // shrinks by 14450: would be negative, so 1
    EXPECT_EQ(psgChip.countA, 1);
    psgChip.countN = 50;
    writeRegs({{6, 0}});  // period 0 counts as 1: unchanged
    EXPECT_EQ(psgChip.countN, 50);
    writeRegs({{6, 3}});
    EXPECT_EQ(psgChip.countN, 50 + 2 * kStep);
    psgChip.countE = 10;
    writeRegs({{11, 1}});  // envelope period from 1445 to 2890
    EXPECT_EQ(psgChip.countE, 10 + 1445);
}

TEST_F(PsgTest, HeldChannelsAndSilence) {
    // Tone and noise off: the square wave holds at 1, the output is the amplitude.
    writeRegs({{7, 0x3F}, {8, 15}, {9, 10}, {10, 0}, {0, 3}, {2, 77}});
    Streams s = render(500);
    for (size_t i = 0; i < 500; ++i) {
        ASSERT_EQ(s.a[i], 16383) << i;
        ASSERT_EQ(s.b[i], psgChip.volTable[21]) << i;
        ASSERT_EQ(s.c[i], 0) << i;
    }
    // All generators on but amplitude 0; then volume 0 with every amplitude up.
    for (int volume : {50, 0}) {
        psgInit(volume);
        if (volume == 0) writeRegs({{7, 0x38}, {8, 15}, {9, 0x10}, {10, 9}, {13, 12}});
        else writeRegs({{0, 100}, {7, 0x00}});
        s = render(400);
        for (size_t i = 0; i < 400; ++i) ASSERT_EQ(s.a[i] | s.b[i] | s.c[i], 0) << "volume " << volume << " sample " << i;
    }
}

TEST_F(PsgTest, ToneOf492HertzOnChannelA) {
    writeRegs({{0, 254}, {1, 0}, {7, 0x3E}, {8, 15}});
    const int count = 2000;
    Streams s = render(count);
    const int64_t period = 254 * kStep;  // half a wave: 22.4 samples
    expectChannelA(s.a, toneEdges(period, count * kSample), [&](int64_t t) { return toneHigh(t, period); });
    // The first edge falls inside sample 22 (at 22.40 samples).
    EXPECT_EQ(s.a[21], 0);
    EXPECT_EQ(s.a[22], (16383 * 19604) >> 15);
    EXPECT_EQ(s.a[23], 16383);
    // 89 edges in 2000 samples, none on a sample boundary: one intermediate sample each.
    EXPECT_EQ(std::count_if(s.a.begin(), s.a.end(), [](uint16_t v) { return v != 0 && v != 16383; }), 89);
    EXPECT_EQ(*std::max_element(s.b.begin(), s.b.end()), 0);
    EXPECT_EQ(*std::max_element(s.c.begin(), s.c.end()), 0);
}

TEST_F(PsgTest, FastToneIsAveragedAndPeriodZeroActsAsOne) {
    for (int reg0 : {1, 0}) {
        SCOPED_TRACE(reg0);
        psgInit(50);
        writeRegs({{0, reg0}, {7, 0x3E}, {8, 15}});
        // 62.5 kHz: over eleven edges per sample, each sample a mix near half amplitude.
        Streams s = render(300);
        expectChannelA(s.a, toneEdges(kStep, 300 * kSample), [](int64_t t) { return toneHigh(t, kStep); });
        for (uint16_t v : s.a) ASSERT_NEAR(v, 8191, 1500);
    }
}

TEST_F(PsgTest, NoiseAloneAndToneWithNoise) {
    const int count = 79;  // ends before noise event 29
    writeRegs({{6, 31}, {7, 0x37}, {8, 15}});  // noise only on A
    Streams s = render(count);
    expectChannelA(s.a, kNoiseToggles, noiseHigh);
    EXPECT_EQ(s.a[0], 16383);
    EXPECT_EQ(s.a[10], 0);

    psgInit(50);
    writeRegs({{0, 20}, {6, 31}, {7, 0x36}, {8, 15}});  // tone A and noise A: high only together
    const int64_t period = 20 * kStep;
    std::vector<int64_t> edges = toneEdges(period, count * kSample);
    edges.insert(edges.end(), kNoiseToggles.begin(), kNoiseToggles.end());
    std::sort(edges.begin(), edges.end());
    expectChannelA(render(count).a, edges, [&](int64_t t) { return toneHigh(t, period) && noiseHigh(t); });
}

TEST_F(PsgTest, EnvelopeShapes) {
    // Period 12: a step every 34680 units, just over a sample. Period 0: a step
    // every 1445 units, over 22 per sample, so the repeating shapes wrap
    // inside a sample and must still alternate.
    const struct {
        int reg11;
        int64_t step;
        int count;
    } periods[] = {{12, 12 * kStep, 250}, {0, kStep / 2, 40}};
    for (const auto& p : periods)
        for (int shape = 0; shape < 16; ++shape) {
            psgInit(50);
            writeRegs({{7, 0x3F}, {8, 0x10}, {9, 0x1F}, {11, p.reg11}, {13, shape}});  // B: envelope whatever the low bits
            Streams s = render(p.count);
            for (int i = 0; i < p.count; ++i) {
                int level = envelopeLevel(shape, (i + 1) * kSample / p.step);
                ASSERT_EQ(s.a[size_t(i)], psgChip.volTable[level]) << "period " << p.reg11 << " shape " << shape << " sample " << i;
                ASSERT_EQ(s.b[size_t(i)], s.a[size_t(i)]);
            }
        }
}

TEST_F(PsgTest, ShapeRewriteRestartsTheEnvelope) {
    writeRegs({{7, 0x3F}, {8, 0x10}, {11, 12}, {13, 8}});
    Streams first = render(40);
    EXPECT_LT(first.a[39], 16383);
    writeRegs({{13, 8}});  // same value: starts again at the top
    EXPECT_EQ(psgChip.volA, 16383u);
    EXPECT_EQ(render(40).a, first.a);
    writeRegs({{13, 12}});  // attacking shape starts at 0
    EXPECT_EQ(render(1).a[0], 0);
}

TEST_F(PsgTest, VolumeChangeWaitsForTheNextAmplitudeWrite) {
    writeRegs({{7, 0x3F}, {8, 15}});
    psgSetVolume(100);
    EXPECT_EQ(render(1).a[0], 16383);
    writeRegs({{8, 15}});
    EXPECT_EQ(render(1).a[0], 32767);
}

TEST_F(PsgTest, LongCallsMatchFrameSizedCalls) {
    // Tones, noise and envelope all run, so splitting the call changes nothing.
    writeRegs({{0, 37}, {2, 200}, {6, 9}, {7, 0x30}, {8, 15}, {9, 0x10}, {11, 50}, {13, 14}});
    Psg saved = psgChip;
    Streams whole = render(20000);
    psgChip = saved;
    std::vector<uint16_t> pieces;
    for (int i = 0; i < 20000; i += 400) {
        Streams part = render(400);
        pieces.insert(pieces.end(), part.a.begin(), part.a.end());
    }
    EXPECT_EQ(pieces, whole.a);
}

}  // namespace
