// AY-3-8910 sound generator: three square-wave tone channels (A, B, C), one
// noise generator and one envelope generator behind sixteen 8-bit registers.
//
// Inputs: register selects and data bytes from the machine's ports
// (psgWrite). Outputs: three separate unsigned 16-bit sample streams at
// 22050 Hz, one per channel, each from 0 to `maxOutput` (psgUpdate).
// Use: psgInit once at start-up (after the sound device opened), psgWrite
// while the CPU runs, psgUpdate once per frame from the sound stream,
// psgSetVolume when the stream re-creates its buffers.
//
// Time is fixed point: one output sample is STEP (32768) units, and each
// sample integrates the square waves over that span, so tones faster than the
// sample rate are averaged rather than aliased. No floating point is used
// while generating samples.
//
// Not modelled: register read-back (the machine keeps its own shadow copy),
// the I/O ports behind registers 14 and 15, more than one chip.
#pragma once

#include <cstdint>

#include "state/state_io.h"

constexpr int32_t kPsgChipClock = 2000000;  // Hz
constexpr int32_t kPsgSampleRate = 22050;   // Hz
// One output sample in the time unit of every counter and period.
constexpr int32_t STEP = 32768;
// Number of entries of the amplitude table (levels 0-31, 1.5 dB apart).
constexpr int kPsgLevels = 32;

struct Psg {
    int32_t latch;        // selected register, 0-15
    uint8_t regs[16];     // last value written to each register, masked
    int32_t periodA, periodB, periodC, periodN, periodE;  // in 1/32768 sample
    int32_t countA, countB, countC, countN, countE;       // down-counters, same unit
    uint32_t volA, volB, volC;  // current amplitude of each channel
    uint32_t volE;              // current envelope amplitude
    uint8_t envA, envB, envC;   // non-zero: the channel follows the envelope
    uint8_t outA, outB, outC;   // tone square waves, 0 or 1
    uint8_t outN;               // noise output, 0x00 or 0xFF
    int8_t countEnv;            // envelope step, 31 down to 0
    uint8_t hold, alternate, attack, holding;  // envelope shape; attack is 0x00 or 0x1F
    int32_t rng;                // 17-bit noise shift register
    int32_t volTable[kPsgLevels];
    // Set by psgInit: the chip feeds the sound stream from then on.
    bool initialised;
};

// The machine's one chip (chip number 0).
extern Psg psgChip;
// Length of one generator step (8 chip clocks) in 1/32768 sample: 2890.
extern int32_t updateStep;
// Amplitude of level 31, from the volume percentage: 16383 at 50 %.
extern int32_t maxOutput;

// Sets the volume, clears the chip, computes updateStep, resets the chip and
// builds the amplitude table.
void psgInit(int volumePercent);
// Sets the volume and rebuilds the amplitude table only; current amplitudes
// keep their old scale until the next amplitude write or envelope step.
void psgSetVolume(int volumePercent);
// Selects register 0, seeds the noise, and writes 0 into registers 0-13.
void psgReset(int chip);
// Selector bit 0 clear: select register (value AND 0Fh); set: write the value
// into the selected register.
void psgWrite(int chip, int selector, uint8_t value);
// Renders `count` samples of each channel into the three buffers.
void psgUpdate(int chip, uint16_t* bufferA, uint16_t* bufferB, uint16_t* bufferC, int count);

// Save states: section "PSG ", version 1, every field of the chip but the
// amplitude table (rebuilt from the volume setting).
constexpr char kPsgSectionTag[] = "PSG ";
constexpr uint16_t kPsgSectionVersion = 1;
void psgSaveState(StateWriter& out);
// False when a period is below 1 on an initialised chip (it could never advance).
bool psgLoadState(StateReader& in, uint16_t version, Psg* into);
// Takes the registers, counters, noise and envelope over; keeps the live
// amplitude table and whether the chip feeds the sound stream.
void psgRestoreState(const Psg& saved);
