// AY-3-8910 sound generator: three tone channels, noise and envelope, in fixed
// point, rendering three sample streams at 22050 Hz from a 2 MHz clock.
#pragma once

#include <cstdint>

struct Psg {
    int32_t latch;
    uint8_t regs[16];
    int32_t periodA, periodB, periodC, periodN, periodE;
    int32_t countA, countB, countC, countN, countE;
    uint32_t volA, volB, volC, volE;
    uint8_t envA, envB, envC;
    uint8_t outA, outB, outC, outN;
    int8_t countEnv;
    uint8_t hold, alternate, attack, holding;
    int32_t rng;
    int32_t volTable[32];
    bool initialised;
};

extern Psg psgChip;
extern int32_t updateStep;
extern int32_t maxOutput;

void psgInit(int volumePercent);
void psgSetVolume(int volumePercent);
void psgReset(int chip);
void psgWrite(int chip, int selector, uint8_t value);
void psgUpdate(int chip, uint16_t* bufferA, uint16_t* bufferB, uint16_t* bufferC, int count);
