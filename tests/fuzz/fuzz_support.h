// Shared by the fuzz targets: a scratch folder that is the start directory
// (every file the machine writes lands there and goes at exit), the machine
// booted to READY from its start state, frames, the screen text.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

}  // namespace fuzz
