// AY-3-8910 generator: register rules, amplitude table, tone, noise and
// envelope samples. Expected samples come from an independent model: each
// sample is (amplitude x time high within the sample) >> 15, with the square
// waves and noise toggles placed on the time axis by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "sound/psg.h"

namespace {

constexpr int64_t kSample = 32768;   // one sample in counter units
constexpr int64_t kStep = 2890;      // 8 chip clocks in counter units

struct Streams {
    std::vector<uint16_t> a, b, c;
};

Streams render(int count) {
    Streams s{std::vector<uint16_t>(size_t(count)), std::vector<uint16_t>(size_t(count)),
              std::vector<uint16_t>(size_t(count))};
    psgUpdate(0, s.a.data(), s.b.data(), s.c.data(), count);
    return s;
}

void writeReg(int reg, int value) {
    psgWrite(0, 0, uint8_t(reg));
    psgWrite(0, 1, uint8_t(value));
}

// Time high within [from, to) of a signal described by `high(t)`, constant
// between the sorted breakpoints `edges`.
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

// A tone that starts low and rises at `period`, 2 x period, ... alternately.
std::vector<int64_t> toneEdges(int64_t period, int64_t until) {
    std::vector<int64_t> edges;
    for (int64_t t = period; t <= until; t += period) edges.push_back(t);
    return edges;
}

bool toneHigh(int64_t t, int64_t period) { return (t / period) % 2 == 1; }

uint16_t expectedSample(int64_t amplitude, int64_t high) { return uint16_t((amplitude * high) >> 15); }

class PsgTest : public ::testing::Test {
protected:
    void SetUp() override { psgInit(50); }
};

TEST_F(PsgTest, ConstantsAndAmplitudeTable) {
    EXPECT_EQ(updateStep, 2890);
    EXPECT_EQ(maxOutput, 16383);
    const int32_t top[] = {16383, 13785, 11598, 9759, 8211, 6909};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(psgChip.volTable[31 - i], top[i]) << "level " << 31 - i;
    const int32_t low[] = {184, 155, 130, 109, 92};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(psgChip.volTable[5 - i], low[i]) << "level " << 5 - i;
    EXPECT_EQ(psgChip.volTable[0], 0);
    // 1.5 dB between neighbouring levels, within rounding.
    for (int i = 1; i < 31; ++i)
        EXPECT_NEAR(psgChip.volTable[i], psgChip.volTable[i + 1] * 0.8413951419545804, 1.0) << "level " << i;

    psgInit(100);
    EXPECT_EQ(maxOutput, 32767);
    EXPECT_EQ(psgChip.volTable[31], 32767);
    psgSetVolume(10);  // 327670 / 100
    EXPECT_EQ(maxOutput, 3276);
    EXPECT_EQ(psgChip.volTable[31], 3276);
}

TEST_F(PsgTest, StateAfterReset) {
    for (int r = 0; r < 14; ++r) EXPECT_EQ(psgChip.regs[r], 0) << r;
    EXPECT_EQ(psgChip.periodA, 2890);
    EXPECT_EQ(psgChip.periodB, 2890);
    EXPECT_EQ(psgChip.periodC, 2890);
    EXPECT_EQ(psgChip.periodN, 2890);
    EXPECT_EQ(psgChip.periodE, 1445);
    EXPECT_EQ(psgChip.countEnv, 31);
    EXPECT_EQ(psgChip.rng, 1);
    EXPECT_EQ(psgChip.outN, 0xFF);
    EXPECT_EQ(psgChip.latch, 0);
    EXPECT_EQ(psgChip.volA, 0u);
    EXPECT_TRUE(psgChip.initialised);
}

TEST_F(PsgTest, RegisterMaskingAndSelect) {
    psgWrite(0, 0, 0x17);  // only the low four bits select
    EXPECT_EQ(psgChip.latch, 7);
    psgWrite(0, 1, 0xFF);
    EXPECT_EQ(psgChip.regs[7], 0xFF);

    writeReg(1, 0xFF);
    EXPECT_EQ(psgChip.regs[1], 0x0F);
    EXPECT_EQ(psgChip.periodA, 0x0F00 * 2890);
    writeReg(3, 0x12);
    writeReg(2, 0x34);
    EXPECT_EQ(psgChip.regs[3], 0x02);
    EXPECT_EQ(psgChip.periodB, 0x0234 * 2890);
    writeReg(5, 0xF1);
    EXPECT_EQ(psgChip.periodC, 0x0100 * 2890);
    writeReg(6, 0xE5);
    EXPECT_EQ(psgChip.regs[6], 0x05);
    EXPECT_EQ(psgChip.periodN, 5 * 2890);
    writeReg(9, 0xEF);
    EXPECT_EQ(psgChip.regs[9], 0x0F);
    EXPECT_EQ(psgChip.volB, 16383u);
    writeReg(10, 0x07);
    EXPECT_EQ(psgChip.volC, uint32_t(psgChip.volTable[15]));  // two levels per step
    writeReg(11, 0x34);
    writeReg(12, 0x12);
    EXPECT_EQ(psgChip.periodE, 0x1234 * 2890);
    writeReg(13, 0xFE);
    EXPECT_EQ(psgChip.regs[13], 0x0E);
    writeReg(14, 0xAB);
    writeReg(15, 0xCD);
    EXPECT_EQ(psgChip.regs[14], 0xAB);
    EXPECT_EQ(psgChip.regs[15], 0xCD);
    // Data writes stay on the selected register.
    psgWrite(0, 1, 0x11);
    EXPECT_EQ(psgChip.regs[15], 0x11);
    EXPECT_EQ(psgChip.regs[14], 0xAB);
}

TEST_F(PsgTest, PeriodChangeKeepsCountedTime) {
    EXPECT_EQ(psgChip.countA, 2890);
    writeReg(0, 10);  // period 28900: the counter grows by the difference
    EXPECT_EQ(psgChip.countA, 28900);
    psgChip.countA = 1000;
    writeReg(0, 5);  // shrinks by 14450: would be negative, so 1
    EXPECT_EQ(psgChip.countA, 1);
    psgChip.countN = 50;
    writeReg(6, 0);  // period 0 counts as 1: unchanged period, unchanged count
    EXPECT_EQ(psgChip.countN, 50);
    writeReg(6, 3);
    EXPECT_EQ(psgChip.countN, 50 + 2 * 2890);
    psgChip.countE = 10;
    writeReg(11, 1);  // envelope period from 1445 to 2890
    EXPECT_EQ(psgChip.countE, 10 + 1445);
}

TEST_F(PsgTest, HeldChannelsGiveConstantAmplitude) {
    writeReg(7, 0x3F);  // tone and noise off everywhere: the square wave holds at 1
    writeReg(8, 15);
    writeReg(9, 10);
    writeReg(10, 0);
    writeReg(0, 3);
    writeReg(2, 77);
    Streams s = render(500);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(s.a[size_t(i)], 16383) << i;
        ASSERT_EQ(s.b[size_t(i)], psgChip.volTable[21]) << i;
        ASSERT_EQ(s.c[size_t(i)], 0) << i;
    }
}

TEST_F(PsgTest, ToneOf492HertzOnChannelA) {
    writeReg(0, 254);
    writeReg(1, 0);
    writeReg(7, 0x3E);
    writeReg(8, 15);
    const int count = 2000;
    Streams s = render(count);
    const int64_t period = 254 * kStep;  // half a wave: 22.4 samples
    std::vector<int64_t> edges = toneEdges(period, count * kSample);
    int intermediate = 0;
    for (int i = 0; i < count; ++i) {
        int64_t high = highTime(i * kSample, (i + 1) * kSample, edges, [&](int64_t t) { return toneHigh(t, period); });
        ASSERT_EQ(s.a[size_t(i)], expectedSample(16383, high)) << "sample " << i;
        if (s.a[size_t(i)] != 0 && s.a[size_t(i)] != 16383) ++intermediate;
    }
    // The first edge falls inside sample 22 (at 22.40 samples).
    EXPECT_EQ(s.a[21], 0);
    EXPECT_EQ(s.a[22], (16383 * 19604) >> 15);
    EXPECT_EQ(s.a[23], 16383);
    // 89 edges in 2000 samples, none on a sample boundary: one intermediate sample each.
    EXPECT_EQ(intermediate, 89);
    // Channels B and C have amplitude 0.
    EXPECT_EQ(*std::max_element(s.b.begin(), s.b.end()), 0);
    EXPECT_EQ(*std::max_element(s.c.begin(), s.c.end()), 0);
}

TEST_F(PsgTest, FastToneIsAveragedAndPeriodZeroActsAsOne) {
    for (int reg0 : {1, 0}) {
        psgInit(50);
        writeReg(0, reg0);
        writeReg(7, 0x3E);
        writeReg(8, 15);
        Streams s = render(300);
        // 62.5 kHz: more than eleven edges per sample, so every sample is a mix near half amplitude.
        std::vector<int64_t> edges = toneEdges(kStep, 300 * kSample);
        for (int i = 0; i < 300; ++i) {
            int64_t high = highTime(i * kSample, (i + 1) * kSample, edges, [](int64_t t) { return toneHigh(t, kStep); });
            ASSERT_EQ(s.a[size_t(i)], expectedSample(16383, high)) << "R0=" << reg0 << " sample " << i;
            ASSERT_NEAR(s.a[size_t(i)], 8191, 1500);
        }
    }
}

TEST_F(PsgTest, SilenceAtAmplitudeZeroAndVolumeZero) {
    writeReg(0, 100);
    writeReg(7, 0x00);  // all tones and noise on
    Streams s = render(400);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(s.a[size_t(i)] | s.b[size_t(i)] | s.c[size_t(i)], 0) << i;

    psgInit(0);
    EXPECT_EQ(maxOutput, 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(psgChip.volTable[i], 0);
    writeReg(7, 0x38);
    writeReg(8, 15);
    writeReg(9, 0x10);
    writeReg(10, 9);
    writeReg(13, 12);
    s = render(400);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(s.a[size_t(i)] | s.b[size_t(i)] | s.c[size_t(i)], 0) << i;
}

// Noise period 31: toggles worked out from the 17-bit register (seed 1,
// feedback 28000h when bit 0 is set, toggle when bits 0 and 1 differ):
// events 1, 15, 16, 17, 18 toggle, the next at event 30. The output starts high.
const int64_t kNoisePeriod = 31 * kStep;
const std::vector<int64_t> kNoiseToggles = {1 * kNoisePeriod, 15 * kNoisePeriod, 16 * kNoisePeriod,
                                            17 * kNoisePeriod, 18 * kNoisePeriod, 30 * kNoisePeriod};
bool noiseHigh(int64_t t) {
    int toggles = 0;
    for (int64_t e : kNoiseToggles)
        if (t >= e) ++toggles;
    return toggles % 2 == 0;
}

TEST_F(PsgTest, NoiseAloneFollowsTheShiftRegister) {
    writeReg(6, 31);
    writeReg(7, 0x37);  // tones off, noise only on A
    writeReg(8, 15);
    const int count = 79;  // ends before event 29
    Streams s = render(count);
    for (int i = 0; i < count; ++i) {
        int64_t high = highTime(i * kSample, (i + 1) * kSample, kNoiseToggles, noiseHigh);
        ASSERT_EQ(s.a[size_t(i)], expectedSample(16383, high)) << "sample " << i;
    }
    EXPECT_EQ(s.a[0], 16383);
    EXPECT_EQ(s.a[10], 0);
}

TEST_F(PsgTest, ToneAndNoiseAreHighOnlyTogether) {
    writeReg(0, 20);
    writeReg(6, 31);
    writeReg(7, 0x36);  // tone A and noise A on
    writeReg(8, 15);
    const int count = 79;
    Streams s = render(count);
    const int64_t period = 20 * kStep;
    std::vector<int64_t> edges = toneEdges(period, count * kSample);
    edges.insert(edges.end(), kNoiseToggles.begin(), kNoiseToggles.end());
    std::sort(edges.begin(), edges.end());
    for (int i = 0; i < count; ++i) {
        int64_t high = highTime(i * kSample, (i + 1) * kSample, edges,
                                [&](int64_t t) { return toneHigh(t, period) && noiseHigh(t); });
        ASSERT_EQ(s.a[size_t(i)], expectedSample(16383, high)) << "sample " << i;
    }
}

// Envelope level after `steps` envelope steps for a shape, written from the
// shape descriptions: the first ramp, then repeat, alternate or hold.
int envelopeLevel(int shape, int64_t steps) {
    bool attack = shape & 4;
    bool cont = shape & 8;
    int first = attack ? int(steps) : 31 - int(steps);
    if (steps < 32) return first;
    if (!cont) return 0;  // 0-7 end at 0 and hold
    switch (shape) {
    case 9: return 0;
    case 11: return 31;
    case 13: return 31;
    case 15: return 0;
    default: break;
    }
    int64_t cycle = steps / 32, pos = steps % 32;
    bool rising = attack;
    if ((shape == 10 || shape == 14) && cycle % 2 == 1) rising = !rising;
    return rising ? int(pos) : 31 - int(pos);
}

TEST_F(PsgTest, EnvelopeShapes) {
    // Envelope period 12: one step every 34680 units, just over a sample.
    const int64_t periodE = 12 * kStep;
    for (int shape = 0; shape < 16; ++shape) {
        psgInit(50);
        writeReg(7, 0x3F);  // held square wave: the output is the amplitude itself
        writeReg(8, 0x10);
        writeReg(9, 0x1F);  // envelope whatever the low bits
        writeReg(11, 12);
        writeReg(13, shape);
        const int count = 250;  // more than 7 ramps
        Streams s = render(count);
        for (int i = 0; i < count; ++i) {
            int64_t steps = (i + 1) * kSample / periodE;
            int level = envelopeLevel(shape, steps);
            ASSERT_EQ(s.a[size_t(i)], psgChip.volTable[level]) << "shape " << shape << " sample " << i;
            ASSERT_EQ(s.b[size_t(i)], s.a[size_t(i)]);
        }
    }
}

TEST_F(PsgTest, ShapeRewriteRestartsTheEnvelope) {
    writeReg(7, 0x3F);
    writeReg(8, 0x10);
    writeReg(11, 12);
    writeReg(13, 8);
    Streams first = render(40);
    EXPECT_LT(first.a[39], 16383);
    writeReg(13, 8);  // same value: starts again at the top
    EXPECT_EQ(psgChip.volA, 16383u);
    Streams again = render(40);
    EXPECT_EQ(again.a, first.a);

    writeReg(13, 12);  // attacking shape starts at 0
    EXPECT_EQ(psgChip.volA, 0u);
    Streams attack = render(1);
    EXPECT_EQ(attack.a[0], 0);
}

TEST_F(PsgTest, EnvelopePeriodZeroStepsTwiceAsFast) {
    // With period 0 a step is 1445 units: over 22 steps per sample, so the
    // repeating shapes wrap inside a sample and must still alternate.
    for (int shape = 0; shape < 16; ++shape) {
        psgInit(50);
        writeReg(7, 0x3F);
        writeReg(8, 0x10);
        writeReg(13, shape);
        Streams s = render(40);
        for (int i = 0; i < 40; ++i) {
            int64_t steps = (i + 1) * kSample / (kStep / 2);
            ASSERT_EQ(s.a[size_t(i)], psgChip.volTable[envelopeLevel(shape, steps)]) << "shape " << shape << " sample " << i;
        }
    }
}

TEST_F(PsgTest, VolumeChangeKeepsCurrentAmplitudes) {
    writeReg(7, 0x3F);
    writeReg(8, 15);
    psgSetVolume(100);
    EXPECT_EQ(psgChip.volTable[31], 32767);
    EXPECT_EQ(render(1).a[0], 16383);  // old scale until the next amplitude write
    writeReg(8, 15);
    EXPECT_EQ(render(1).a[0], 32767);
}

TEST_F(PsgTest, LongCallsMatchFrameSizedCalls) {
    writeReg(0, 37);
    writeReg(2, 200);
    writeReg(6, 9);
    writeReg(7, 0x30);
    writeReg(8, 15);
    writeReg(9, 0x10);
    writeReg(11, 50);
    writeReg(13, 14);
    Psg saved = psgChip;
    Streams whole = render(20000);
    psgChip = saved;
    // Tones, noise and envelope all run, so splitting the call changes nothing.
    std::vector<uint16_t> pieces;
    for (int i = 0; i < 20000; i += 400) {
        Streams part = render(400);
        pieces.insert(pieces.end(), part.a.begin(), part.a.end());
    }
    EXPECT_EQ(pieces, whole.a);
}

}  // namespace
