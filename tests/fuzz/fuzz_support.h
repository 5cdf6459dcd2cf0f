// Shared by the fuzz targets: a scratch folder that is the start directory
// (every file the machine writes lands there and goes at exit), the machine
// booted to READY from its start state, frames, the screen text, the decimal
// and hexadecimal digit rule of the number models, and what holds after any
// run: the CPU never writes 0000-3FFF, writes to unfitted memory are dropped,
// register pairs keep 16 bits.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/headless/headless.h"
#include "tools/run/run_helpers.h"

namespace fuzz {

// A fault found by a property check: libFuzzer reports it with the input.
#define FUZZ_CHECK(condition)                                                      \
    do {                                                                           \
        if (!(condition)) {                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                          \
        }                                                                          \
    } while (0)

inline std::string scratch;

inline void RemoveScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

// Once per process: a fresh folder under the system's temporary directory,
// made the current directory, the start directory and the settings file's home.
inline void EnterScratchFolder() {
    if (!scratch.empty()) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "vz-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    scratch = pattern;
    if (chdir(scratch.c_str()) != 0) std::abort();
    std::atexit(RemoveScratch);
}

// A file in the scratch folder holding these bytes; its path.
inline std::string PutFile(const char* name, const uint8_t* data, size_t size) {
    std::string path = scratch + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

// The machine as the program starts it, each time the same: settings at their
// defaults (files in the scratch folder), the built-in ROM, every latch and
// device at its start state, then the hard reset.
inline void StartMachine() {
    EnterScratchFolder();
    platform::headless::ResetAll();
    settings = Settings::Defaults();
    iniPath = scratch + "/fuzz.ini";
    setPath(settings.printerPath, scratch + "/LPRINT.TXT");
    setPath(settings.cassetteRecordPath, scratch + "/cassav.cp6");
    Machine::startDirectory = scratch;
    Machine::RemoveGameRom();
    Machine::state = Machine::State{};
    CassetteDeck::state = CassetteDeck::State{};
    CassetteDeck::cassetteMotorOn = false;
    QuickType::state = QuickType::State{};
    PrinterPort::state = PrinterPort::State{};
    FrameScheduler::state = FrameScheduler::State{};
    CpuCore::lastOpcodeAddress = 0;
    Machine::LoadRomImages();
    Machine::romSource = Machine::BasicRomImage;
    KeyboardMapper::BuildTables();
    KeyboardMapper::state = KeyboardMapper::State{};
    Machine::RecomputeTiming();
    Machine::Reset(2);
}

inline bool ScreenShows(const char* text) {
    for (const std::string& row : RunHelpers::ScreenText())
        if (row.find(text) != std::string::npos) return true;
    return false;
}

// Runs frames until the screen shows `text` or `frames` have run; whether it showed.
inline bool RunUntil(const char* text, int frames) {
    for (int i = 0; i < frames; ++i) {
        if (text && ScreenShows(text)) return true;
        FrameScheduler::RunFrame();
    }
    return text && ScreenShows(text);
}

// Started, with BASIC waiting for a line.
inline void BootToReady() {
    StartMachine();
    if (!RunUntil("READY", 60)) {
        std::fprintf(stderr, "the built-in ROM did not reach READY\n");
        std::abort();
    }
}

// Text typed through the paste path, as the user's clipboard.
inline void Type(const std::string& text) {
    platform::headless::SetClipboardText(text);
    QuickType::Paste();
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Digits in a base, saturating above 2^40; nothing when any is not a digit.
inline std::optional<uint64_t> Digits(const std::string& text, int base) {
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!(base == 16 ? IsHexDigit(c) : IsDigit(c))) return std::nullopt;
        uint64_t digit = IsDigit(c) ? uint64_t(c - '0') : uint64_t((c | 0x20) - 'a' + 10);
        value = std::min<uint64_t>(value * uint64_t(base) + digit, 1ull << 40);
    }
    return value;
}

inline void CheckRegisters(const CpuState& cpu) {
    for (uint32_t pair : {cpu.af, cpu.bc, cpu.de, cpu.hl, cpu.ix, cpu.iy, cpu.pc, cpu.sp, cpu.af2, cpu.bc2,
                          cpu.de2, cpu.hl2})
        FUZZ_CHECK(pair <= 0xFFFF);
    FUZZ_CHECK(cpu.iff1 <= 1 && cpu.iff2 <= 1 && cpu.halted <= 1 && cpu.interruptMode <= 2);
}

inline void CheckMachine() {
    FUZZ_CHECK(std::memcmp(Machine::MemoryImage, Machine::romSource, Machine::kBasicRomSize) == 0);
    if (!settings.memoryEnhanced) {
        // Normal memory: 4000-7FFF (and 8000-BFFF without the expansion) keep the FFh of the reset.
        uint32_t end = settings.ramExpansion ? 0x8000 : 0xC000;
        for (uint32_t a = 0x4000; a < end; ++a) FUZZ_CHECK(Machine::MemoryImage[a] == 0xFF);
    }
    CheckRegisters(CpuCore::state);
    FUZZ_CHECK(CassetteDeck::state.tapePosition >= 0 &&
               CassetteDeck::state.tapePosition <= CassetteDeck::state.tapeSize);
}

}  // namespace fuzz
