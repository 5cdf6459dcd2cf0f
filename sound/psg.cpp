// AY-3-8910 registers, envelope and sample generation.
#include "sound/psg.h"

#include <cstring>

Psg psgChip;
int32_t updateStep = 0;
int32_t maxOutput = 0;

namespace {

// 1.5 dB per level: each level is the one above divided by 1.188502227.
constexpr double kLevelFactor = 0.8413951419545804;

// Bits of register 7 (mixer); a set bit disables.
constexpr uint8_t kToneOffA = 0x01;
constexpr uint8_t kNoiseOffA = 0x08;
constexpr uint8_t kNoiseOffAll = 0x38;

// Noise feedback: taps at bits 0 and 3 of the 17-bit register, folded in
// before the shift.
constexpr int32_t kNoiseFeedback = 0x28000;

Psg* chipFor(int chip) { return chip == 0 ? &psgChip : nullptr; }

void setMaxOutput(int volumePercent) { maxOutput = volumePercent * 32767 / 100; }

void buildVolumeTable(Psg& p) {
    double level = maxOutput;
    p.volTable[kPsgLevels - 1] = int32_t(level + 0.5);
    for (int i = kPsgLevels - 2; i > 0; --i) {
        level *= kLevelFactor;
        p.volTable[i] = int32_t(level + 0.5);
    }
    p.volTable[0] = 0;
}

// A period register pair changed: keep the time already counted towards the
// next edge, but never let the counter sit at or below zero.
void setPeriod(int32_t& period, int32_t& count, int32_t newPeriod) {
    int32_t old = period;
    period = newPeriod;
    count += period - old;
    if (count <= 0) count = 1;
}

void setTonePeriod(Psg& p, int fine, int32_t& period, int32_t& count) {
    p.regs[fine + 1] &= 0x0F;
    int32_t value = (p.regs[fine + 1] * 256 + p.regs[fine]) * updateStep;
    setPeriod(period, count, value == 0 ? updateStep : value);
}

void setAmplitude(Psg& p, int reg, uint8_t& env, uint32_t& vol) {
    p.regs[reg] &= 0x1F;
    uint8_t value = p.regs[reg];
    env = value & 0x10;
    if (env)
        vol = p.volE;
    else if (value != 0)
        vol = uint32_t(p.volTable[value * 2 + 1]);  // fixed steps are two levels (3 dB)
    else
        vol = uint32_t(p.volTable[0]);
}

void applyEnvelope(Psg& p) {
    if (p.envA) p.volA = p.volE;
    if (p.envB) p.volB = p.volE;
    if (p.envC) p.volC = p.volE;
}

void writeRegister(Psg& p, int r, uint8_t value) {
    p.regs[r] = value;
    switch (r) {
    case 0:
    case 1:
        setTonePeriod(p, 0, p.periodA, p.countA);
        break;
    case 2:
    case 3:
        setTonePeriod(p, 2, p.periodB, p.countB);
        break;
    case 4:
    case 5:
        setTonePeriod(p, 4, p.periodC, p.countC);
        break;
    case 6: {
        p.regs[6] &= 0x1F;
        int32_t value6 = p.regs[6] * updateStep;
        setPeriod(p.periodN, p.countN, value6 == 0 ? updateStep : value6);
        break;
    }
    case 8:
        setAmplitude(p, 8, p.envA, p.volA);
        break;
    case 9:
        setAmplitude(p, 9, p.envB, p.volB);
        break;
    case 10:
        setAmplitude(p, 10, p.envC, p.volC);
        break;
    case 11:
    case 12: {
        int32_t valueE = (p.regs[12] * 256 + p.regs[11]) * updateStep;
        // Period 0 steps twice as fast as period 1.
        setPeriod(p.periodE, p.countE, valueE == 0 ? updateStep / 2 : valueE);
        break;
    }
    case 13: {
        p.regs[13] &= 0x0F;
        uint8_t shape = p.regs[13];
        p.attack = (shape & 0x04) ? 0x1F : 0x00;
        if ((shape & 0x08) == 0) {
            // Without "continue" every shape ends at level 0 and stays there.
            p.hold = 1;
            p.alternate = p.attack;
        } else {
            p.hold = shape & 0x01;
            p.alternate = shape & 0x02;
        }
        p.countE = p.periodE;
        p.countEnv = 31;
        p.holding = 0;
        p.volE = uint32_t(p.volTable[31 ^ p.attack]);
        applyEnvelope(p);
        break;
    }
    default:  // 7 (mixer), 14 and 15 are only stored
        break;
    }
}

// Integrates a sounding tone over `step` units into `acc` (the time it was high).
inline void integrateTone(int32_t& count, int32_t period, uint8_t& out, int32_t& acc, int32_t step) {
    if (out) acc += count;
    count -= step;
    while (count <= 0) {
        count += period;
        if (count > 0) {
            out ^= 1;
            if (out) acc += period;
            break;
        }
        // A whole cycle inside the step: high for one half of it.
        count += period;
        acc += period;
    }
    if (out) acc -= count;
}

// Advances a tone that the noise mutes, keeping its phase.
inline void advanceTone(int32_t& count, int32_t period, uint8_t& out, int32_t step) {
    count -= step;
    while (count <= 0) {
        count += period;
        if (count > 0) {
            out ^= 1;
            break;
        }
        count += period;
    }
}

// Channels that are held or silent during the whole call skip their edges.
inline void skipIfIdle(int32_t& count, int32_t span) {
    if (count <= span) count += span;
}

void renderChunk(Psg& p, uint16_t* bufferA, uint16_t* bufferB, uint16_t* bufferC, int count) {
    const int32_t span = count * STEP;
    const uint8_t mixer = p.regs[7];

    if (mixer & kToneOffA) {
        skipIfIdle(p.countA, span);
        p.outA = 1;
    } else if (p.regs[8] == 0) {
        skipIfIdle(p.countA, span);
    }
    if (mixer & (kToneOffA << 1)) {
        skipIfIdle(p.countB, span);
        p.outB = 1;
    } else if (p.regs[9] == 0) {
        skipIfIdle(p.countB, span);
    }
    if (mixer & (kToneOffA << 2)) {
        skipIfIdle(p.countC, span);
        p.outC = 1;
    } else if (p.regs[10] == 0) {
        skipIfIdle(p.countC, span);
    }
    if ((mixer & kNoiseOffAll) == kNoiseOffAll) skipIfIdle(p.countN, span);

    // Bit k of the noise mask set: channel k's tone is heard (noise off for it, or noise high).
    uint8_t noiseMask = p.outN | mixer;

    for (int i = 0; i < count; ++i) {
        int32_t accA = 0, accB = 0, accC = 0;
        int32_t left = STEP;
        while (left > 0) {
            int32_t step = p.countN < left ? p.countN : left;

            if (noiseMask & kNoiseOffA)
                integrateTone(p.countA, p.periodA, p.outA, accA, step);
            else
                advanceTone(p.countA, p.periodA, p.outA, step);
            if (noiseMask & (kNoiseOffA << 1))
                integrateTone(p.countB, p.periodB, p.outB, accB, step);
            else
                advanceTone(p.countB, p.periodB, p.outB, step);
            if (noiseMask & (kNoiseOffA << 2))
                integrateTone(p.countC, p.periodC, p.outC, accC, step);
            else
                advanceTone(p.countC, p.periodC, p.outC, step);

            p.countN -= step;
            if (p.countN <= 0) {
                // The output toggles when the two lowest bits differ.
                if ((p.rng + 1) & 2) {
                    p.outN = uint8_t(~p.outN);
                    noiseMask = p.outN | mixer;
                }
                if (p.rng & 1) p.rng ^= kNoiseFeedback;
                p.rng >>= 1;
                p.countN += p.periodN;
            }
            left -= step;
        }

        if (!p.holding) {
            p.countE -= STEP;
            if (p.countE <= 0) {
                do {
                    p.countE += p.periodE;
                    p.countEnv = int8_t(p.countEnv - 1);
                } while (p.countE <= 0);
                if (p.countEnv < 0) {
                    if (p.hold) {
                        if (p.alternate) p.attack ^= 0x1F;
                        p.holding = 1;
                        p.countEnv = 0;
                    } else {
                        // Bit 5 is set after any wrap below zero.
                        if (p.alternate && (p.countEnv & 0x20)) p.attack ^= 0x1F;
                        p.countEnv = int8_t(p.countEnv & 0x1F);
                    }
                }
                p.volE = uint32_t(p.volTable[p.countEnv ^ p.attack]);
                applyEnvelope(p);
            }
        }

        bufferA[i] = uint16_t((p.volA * uint32_t(accA)) >> 15);
        bufferB[i] = uint16_t((p.volB * uint32_t(accB)) >> 15);
        bufferC[i] = uint16_t((p.volC * uint32_t(accC)) >> 15);
    }
}

}  // namespace

void psgInit(int volumePercent) {
    setMaxOutput(volumePercent);
    Psg* p = chipFor(0);
    std::memset(p, 0, sizeof(Psg));
    p->initialised = true;
    updateStep = int32_t(double(STEP) * 8.0 * kPsgSampleRate / kPsgChipClock);
    psgReset(0);
    buildVolumeTable(*p);
}

void psgSetVolume(int volumePercent) {
    setMaxOutput(volumePercent);
    buildVolumeTable(psgChip);
}

void psgReset(int chip) {
    Psg* p = chipFor(chip);
    if (!p) return;
    p->latch = 0;
    p->rng = 1;
    p->outA = p->outB = p->outC = 0;
    p->outN = 0xFF;
    for (int r = 0; r <= 13; ++r) writeRegister(*p, r, 0);
}

void psgWrite(int chip, int selector, uint8_t value) {
    Psg* p = chipFor(chip);
    if (!p) return;
    if ((selector & 1) == 0)
        p->latch = value & 0x0F;
    else
        writeRegister(*p, p->latch & 0x0F, value);
}

void psgUpdate(int chip, uint16_t* bufferA, uint16_t* bufferB, uint16_t* bufferC, int count) {
    Psg* p = chipFor(chip);
    if (!p || count <= 0) return;
    // A frame is a few hundred samples; longer calls go in pieces so that
    // count x STEP stays well inside 32 bits.
    constexpr int kMaxChunk = 16384;
    while (count > 0) {
        int n = count < kMaxChunk ? count : kMaxChunk;
        renderChunk(*p, bufferA, bufferB, bufferC, n);
        bufferA += n;
        bufferB += n;
        bufferC += n;
        count -= n;
    }
}

namespace {

// Every field but volTable and initialised, in one order for save and load.
template <class Io, class Chip>
void psgFields(Io& io, Chip& p) {
    io.I32(p.latch);
    io.Bytes(p.regs, 16);
    for (auto* v : {&p.periodA, &p.periodB, &p.periodC, &p.periodN, &p.periodE, &p.countA, &p.countB, &p.countC,
                    &p.countN, &p.countE})
        io.I32(*v);
    for (auto* v : {&p.volA, &p.volB, &p.volC, &p.volE}) io.U32(*v);
    for (auto* v : {&p.envA, &p.envB, &p.envC, &p.outA, &p.outB, &p.outC, &p.outN, &p.hold, &p.alternate,
                    &p.attack, &p.holding})
        io.U8(*v);
    io.I8(p.countEnv);
    io.I32(p.rng);
    io.Bool(p.initialised);
}

struct PsgWriter {
    StateWriter& w;
    void I32(int32_t v) { w.I32(v); }
    void U32(uint32_t v) { w.U32(v); }
    void U8(uint8_t v) { w.U8(v); }
    void I8(int8_t v) { w.U8(uint8_t(v)); }
    void Bool(bool v) { w.Bool(v); }
    void Bytes(const uint8_t* d, size_t n) { w.Bytes(d, n); }
};

struct PsgReader {
    StateReader& r;
    void I32(int32_t& v) { v = r.I32(); }
    void U32(uint32_t& v) { v = r.U32(); }
    void U8(uint8_t& v) { v = r.U8(); }
    void I8(int8_t& v) { v = int8_t(r.U8()); }
    void Bool(bool& v) { v = r.Bool(); }
    void Bytes(uint8_t* d, size_t n) { r.Bytes(d, n); }
};

}  // namespace

void psgSaveState(StateWriter& out) {
    out.BeginSection(kPsgSectionTag, kPsgSectionVersion);
    PsgWriter w{out};
    psgFields(w, const_cast<const Psg&>(psgChip));
    out.EndSection();
}

bool psgLoadState(StateReader& in, uint16_t, Psg* into) {
    PsgReader r{in};
    psgFields(r, *into);
    if (!in.Ok()) return false;
    if (!into->initialised) return true;
    for (int32_t period : {into->periodA, into->periodB, into->periodC, into->periodN, into->periodE})
        if (period < 1) return false;
    return into->countEnv >= 0 && into->countEnv <= 31 && (into->attack == 0 || into->attack == 0x1F);
}

void psgRestoreState(const Psg& saved) {
    bool initialised = psgChip.initialised;
    int32_t table[kPsgLevels];
    std::memcpy(table, psgChip.volTable, sizeof table);
    if (saved.initialised) {
        psgChip = saved;
    } else {
        // Saved before the chip ever ran: a chip fresh from its reset.
        psgChip.initialised = initialised;
        if (initialised) psgReset(0);
    }
    std::memcpy(psgChip.volTable, table, sizeof table);
    psgChip.initialised = initialised;
}
