// Shared by the fuzz targets: a scratch folder that is the start directory
// (every file the machine writes lands there and goes at exit), the machine
// booted from its start state, the digit rule of the number models, and what
// holds after any run: the CPU never writes 0000-3FFF, writes to unfitted
// memory are dropped, register pairs keep 16 bits.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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
#define FUZZ_CHECK(condition) ((condition) ? void() : fuzz::Fail(#condition, __FILE__, __LINE__))
[[noreturn]] inline void Fail(const char* check, const char* file, int line) {
    std::fprintf(stderr, "check failed: %s (%s:%d)\n", check, file, line);
    std::abort();
}

inline std::string scratch;

// Once per process: a fresh temporary folder, the current and start directory and the settings' home.
inline void EnterScratchFolder() {
    if (!scratch.empty()) return;
    scratch = (std::filesystem::temp_directory_path() / "vz-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(scratch.data()) && chdir(scratch.c_str()) == 0);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    });
}

// A file in the scratch folder holding these bytes; its path.
inline std::string PutFile(const char* name, const uint8_t* data, size_t size) {
    std::string path = scratch + "/" + name;
    FUZZ_CHECK(std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size)));
    return path;
}

// The machine as the program starts it, each time the same: default settings (files in the
// scratch folder), the built-in ROM, every latch and device at its start state, the hard reset.
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

// Runs frames until the screen shows `text` (none: never) or `frames` have run; whether it showed.
inline bool RunUntil(const char* text, int frames) {
    for (int i = 0;; ++i) {
        if (text)
            for (const std::string& row : RunHelpers::ScreenText())
                if (row.find(text) != std::string::npos) return true;
        if (i == frames) return false;
        FrameScheduler::RunFrame();
    }
}

// Started, with BASIC waiting for a line.
inline void BootToReady() {
    StartMachine();
    FUZZ_CHECK(RunUntil("READY", 60));
}

// Text typed through the paste path, as the user's clipboard.
inline void Type(const std::string& text) {
    platform::headless::SetClipboardText(text);
    QuickType::Paste();
}

// Digits in a base (10 or 16), saturating above 2^40; nothing when any is not a digit.
inline std::optional<uint64_t> Digits(const std::string& text, int base) {
    const std::string digits = "0123456789abcdef";
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        size_t digit = digits.find(c >= 'A' && c <= 'F' ? char(c | 0x20) : c);
        if (digit >= size_t(base)) return std::nullopt;
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
