// The AY register log file.
#include "sound/ay_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "machine/machine.h"
#include "platform/platform.h"
#include "sound/sound_stream.h"

namespace {

constexpr int kLogAyCommand = 3793;  // "Log AY Sound"
constexpr int kAyRegisters = 16;

FILE* ayLogFile = nullptr;
std::string ayLogPath;  // the open log's file, for the notices
int ayLogFrames = 0;    // frames since the last line

// Names repeat (two starts in one millisecond, or the tick count of an
// earlier session): an existing log is never replaced, the next free name
// above it is taken instead.
constexpr unsigned kNameTries = 64;

// The file and its name in `path`; nullptr when none could be created (`path` then names the last try).
std::FILE* createLogFile(std::string* path) {
    unsigned tick = unsigned(platform::MillisecondClock());
    for (unsigned k = 0; k < kNameTries; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/aysound_%x.txt", tick + k);
        *path = Machine::startDirectory + name;
        std::FILE* file = std::fopen(path->c_str(), "wx");
        if (file || errno != EEXIST) return file;
    }
    errno = EEXIST;
    return nullptr;
}

}  // namespace

void toggleAyLog() {
    if (ayLogFile) {
        closeAyLog();
        platform::SetMenuCheck(kLogAyCommand, false);
    } else {
        ayLogFile = createLogFile(&ayLogPath);
        if (ayLogFile) platform::ShowNotice("AY log started: " + ayLogPath);
        else platform::ShowNotice("AY log not started: " + ayLogPath + ": " + std::strerror(errno));
        // The mark tells whether a log is being written: a failed open leaves it off.
        platform::SetMenuCheck(kLogAyCommand, ayLogFile != nullptr);
    }
    SoundRedo();
}

void logAyFrame() {
    if (!ayLogFile) return;
    ++ayLogFrames;
    int count = Machine::state.ayLogCount;
    if (count <= 0) return;
    if (count > Machine::kAyLogCapacity) count = Machine::kAyLogCapacity;

    bool written[kAyRegisters] = {};
    int value[kAyRegisters] = {};
    for (int i = 0; i < count; ++i) {
        int r = Machine::state.ayLogRegister[i] & (kAyRegisters - 1);
        written[r] = true;
        value[r] = Machine::state.ayLogValue[i];
    }
    int distinct = 0;
    for (bool w : written) distinct += w ? 1 : 0;

    std::fprintf(ayLogFile, "    .byte %d,%d", ayLogFrames, distinct);
    for (int r = 0; r < kAyRegisters; ++r)
        if (written[r]) std::fprintf(ayLogFile, ",%d,%d", r, value[r]);
    std::fputc('\n', ayLogFile);

    Machine::state.ayLogCount = 0;
    ayLogFrames = 0;
}

void closeAyLog() {
    if (!ayLogFile) return;
    bool failed = std::ferror(ayLogFile) != 0;
    if (std::fclose(ayLogFile) != 0) failed = true;
    ayLogFile = nullptr;
    platform::ShowNotice((failed ? "AY log not written completely: " : "AY log stopped: ") + ayLogPath);
}

void endAyLog() {
    if (!ayLogFile) return;
    closeAyLog();
    platform::SetMenuCheck(kLogAyCommand, false);
}

bool ayLogOpen() { return ayLogFile != nullptr; }
