// The Zel Vega machine: memory map, ROM images, I/O latches, interrupt
// sources, timing and reset.
//
// Inputs: CPU accesses through MachineBus (machine_bus.h), the settings
// record, menu commands. Outputs: the memory image and video latches the
// renderer reads, interrupt requests to the CPU, calls into the devices.
// Use: LoadRomImages (from the configuration loader), RecomputeTiming,
// StartUpReset, then frames (FrameScheduler); Reset on F9 / Shift+F9;
// Shutdown when the window closes.
// Not modelled: a serial interface behind ports 80h-8Fh (two latches only),
// memory contention, any ROM patching or trapping.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "state/state_io.h"

// Built-in ROM images, assembled from firmware/ by the build.
extern const uint8_t BuiltinBasicRom[16384];
extern const uint8_t BuiltinCharRom[768];
extern const uint8_t BuiltinExtCharRom[4096];

namespace Machine {

constexpr uint32_t kBasicRomSize = 16384;
constexpr uint32_t kCharRomSize = 768;
constexpr uint32_t kExtCharRomSize = 4096;
constexpr uint32_t kGameRomSize = 16384;
constexpr uint16_t kVideoWindowBytes = 0x1A00;
constexpr int kAyLogCapacity = 256;

// Memory image and ROM images, kept for the whole run.
extern uint8_t MemoryImage[65536];
extern uint8_t BasicRomImage[kBasicRomSize];
extern uint8_t CharRomImage[kCharRomSize];
extern uint8_t ExtCharRomImage[kExtCharRomSize];
// The cartridge: 16384 bytes, or nullptr when none is loaded.
extern uint8_t* GameRomImage;
// The image a hard reset copies to 0000-3FFF; set when the ROM images are first
// loaded, so a hard reset before the start-up reset still has an image to copy.
extern const uint8_t* romSource;

// The bits each AY register holds when read back (registers 0-15).
extern const uint8_t ayReadMask[16];

// Latches and counters behind the ports. Plain data; start values as the
// program starts. Resets leave them alone except cycleCounter, cartridgeCodeRun
// and the AY shadow.
struct State {
    uint8_t serialLatch[2] = {0xFF, 0xFF};
    uint8_t ppiPortA = 0xFF;
    uint8_t portCLatch = 0xFF;    // bit 1 display enabled, bit 2 = 0 shows the extended character ROM
    uint8_t systemLatch = 0xFF;   // bit 0 timer mask, bits 2-1 video page, bit 3 cassette input
    uint16_t videoBase = 0xC000;
    uint8_t videoDirty = 1;
    uint8_t ayRegisterSelect = 0xFF;
    uint8_t ayShadow[15] = {};
    uint8_t ayWritten[15] = {};
    uint8_t ayPortBLatch = 0xFF;
    uint8_t pointerX = 0, pointerY = 0;
    uint8_t pointerDown = 0;
    uint8_t pointerBitsX = 0, pointerBitsY = 0;
    uint8_t joystick1 = 0xFF, joystick2 = 0xFF;
    bool expectCassetteByte = false;
    uint32_t timerCount = 0;
    bool timerPending = false;
    uint32_t cycleCounter = 0;  // T-states since the last reset
    bool cartridgeCodeRun = false;  // code fetched from a loaded cartridge since the last reset
    // AY log buffer: (register, value) pairs written this frame, up to 256.
    uint8_t ayLogRegister[kAyLogCapacity] = {};
    uint8_t ayLogValue[kAyLogCapacity] = {};
    int ayLogCount = 0;
};
extern State state;

// Frame timing derived from the settings and the display-enable bit.
struct MachineTiming {
    int32_t frameRate = 60;
    int32_t screenOnRate = 1820846;
    int32_t screenOffRate = 3436363;
    int32_t cyclesPerSecond = 1820846;
    int32_t cyclesPerFrame = 30347;
    int32_t timerPeriod = 3746;
};
extern MachineTiming timing;

constexpr int32_t kScreenOnBaseRate = 1820846;   // T-states per second at 100 %, display on
constexpr int32_t kScreenOffBaseRate = 3436363;  // display off
// The largest frame budget: one second at 1000 per cent with the display off.
constexpr int32_t kLongestFrame = kScreenOffBaseRate * 10;

// Whether the display is enabled (bit 1 of port C).
inline bool displayEnabled() { return (state.portCLatch & 0x02) != 0; }

// ---- Memory map ----
// romSource to 0000-3FFF, unfitted space FFh, fitted RAM 00h.
void FillMemoryForHardReset();
// Built-in images first, then the configured files (missing-file message box).
void LoadRomImages();
// The "Load Game ROM..." command: file chooser, then LoadGameRomFile.
void LoadGameRom();
// Loads a cartridge file (1..16384 bytes); false and nothing changed when refused.
bool LoadGameRomFile(const std::string& path);
// Frees the cartridge; hard-resets when the CPU is running in 4000-7FFF or
// has run cartridge code since the last reset (it may be in a ROM routine
// the cartridge called, and would return into nothing).
void RemoveGameRom();
// Writes the 64K the CPU sees to "ram.bin" in the start directory, whole or
// not at all, with a notice either way; false when it failed.
bool SaveRam();
// The directory that was current when the program started.
extern std::string startDirectory;

// ---- Ports and interrupts ----
// cycleCounter = 0, AY shadow cleared and AY registers 0-13 written with 0.
void ResetIo();
// MachineTiming from the timing settings and the display-enable bit.
void RecomputeTiming();

// ---- Reset and start-up ----
// 0 soft (CPU and counters), 2 hard (also ROM copied in, RAM cleared).
void Reset(int level);
// Stops quick type, ejects the tape, ends recording, closes the printer file.
void StopDevices();
// The once-only first reset; does nothing when it has already run.
void StartUpReset();
extern bool startUpResetDone;
// Stops the devices, removes the cartridge, closes the AY log (window close).
void Shutdown();

// ---- Save states ----
// Section "MACH" (the latches and counters of `state`, AY log buffer left
// out), "TIME" (the timing settings in force) and "MEM " (the memory
// configuration, the 64K image, the ROM images and the cartridge); layouts
// in docs/state-format.md.
constexpr char kLatchSectionTag[] = "MACH";
constexpr uint16_t kLatchSectionVersion = 2;  // 2: cartridgeCodeRun
constexpr char kTimingSectionTag[] = "TIME";
constexpr uint16_t kTimingSectionVersion = 1;
constexpr char kMemorySectionTag[] = "MEM ";
constexpr uint16_t kMemorySectionVersion = 1;

struct TimingSaved {
    uint8_t cpuSpeedOption;
    int32_t ntscPercent, palPercent;
    uint32_t customActiveRate, customBlankRate;
    int32_t customFps;
};

struct MemorySaved {
    uint8_t memoryEnhanced;
    int32_t ramExpansion;
    uint8_t memory[65536];
    uint8_t basicRom[kBasicRomSize];
    uint8_t charRom[kCharRomSize];
    uint8_t extCharRom[kExtCharRomSize];
    bool cartridgePresent;
    uint8_t cartridge[kGameRomSize];
};

void SaveLatches(StateWriter& out);
// False when a latch holds a value the machine never sets (a video base off its four pages).
bool LoadLatches(StateReader& in, uint16_t version, State* into);
// Takes the latches over and marks the picture for redraw.
void RestoreLatches(const State& saved);
void SaveTimingSettings(StateWriter& out);
bool LoadTimingSettings(StateReader& in, uint16_t version, TimingSaved* into);
// Puts the timing settings in force (the settings file is not written) and recomputes the timing.
void RestoreTimingSettings(const TimingSaved& saved);
void SaveMemoryMap(StateWriter& out);
bool LoadMemoryMap(StateReader& in, uint16_t version, MemorySaved* into);
// Memory, ROM images, memory configuration (not written to the settings file) and cartridge.
void RestoreMemoryMap(const MemorySaved& saved);

// ---- Game controllers ----
void OpenGameControllers();
void AcquireGameControllers(bool active);
void PollJoysticks();
void CloseGameControllers();

}  // namespace Machine
