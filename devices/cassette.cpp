// The cassette deck: playback pacing, idle rules and recording to CP6 files.
#include "devices/cassette.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/host_file.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "platform/platform.h"

namespace CassetteDeck {

bool cassetteMotorOn = false;
bool tapeLoaded = false;
uint8_t fileActivity = 0;
State state;

namespace {

constexpr int32_t kCassetteIrq = 0x08;
constexpr uint8_t kReadEnableBit = 0x08;  // of the B0h-BFh latch

HostFile::WholeFile tape;
// The recording goes to a temporary that takes the chosen name when it ends:
// a full disk or a kill never leaves half a tape in place of an older one.
platform::SafeFile* recordFile = nullptr;
std::string tapePath;
std::string recordFilePath;

platform::FileChooserRequest CassetteChooser(const std::string& extension, bool mustExist,
                                             const std::string& preset) {
    platform::FileChooserRequest request;
    request.filters = {{"Zel Vega Cassette Files (*.CP6)", "*.cp6"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = extension;
    request.mustExist = mustExist;
    request.presetPath = preset;
    return request;
}

// Tape bytes are untrusted: only these may reach a file name, so the name
// cannot climb out of the chosen folder or hold control characters.
bool SafeNameByte(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
           c == '-' || c == '_';
}

void AskForRecordingFile() {
    std::string proposed = ProposedPath(settings.cassetteRecordPath, state.headerBuffer);
    platform::ShowCursor(true);
    std::optional<std::string> chosen = platform::ChooseSaveFile(CassetteChooser("CP6", false, proposed));
    platform::ShowCursor(false);
    if (!chosen) {
        platform::ShowNotice("Recording discarded: no file was chosen");
        return;
    }
    int error = 0;
    recordFile = platform::SafeFileBegin(*chosen, true, &error);
    if (!recordFile) {
        std::string reason = std::strerror(error);
        std::string line = "Failed to open Cassette file " + *chosen + " for output\n";
        platform::DebugOutput(line.c_str());
        platform::ShowNotice("Recording discarded: " + *chosen + " cannot be created: " + reason);
        return;
    }
    recordFilePath = *chosen;
    setPath(settings.cassetteRecordPath, *chosen);
    Settings::SaveFilesKey("cassettewr");
    platform::SafeFileWrite(recordFile, state.headerBuffer, kHeaderBytes);
}

}  // namespace

std::string ProposedName(const uint8_t* header) {
    std::string name;
    for (int i = 0; i < kNameBytes && header[kNameOffset + i] != 0; ++i) {
        uint8_t c = header[kNameOffset + i];
        name += SafeNameByte(c) ? char(c) : '_';
    }
    if (name.empty()) name = "NONAME";
    return name + "_BAS.CP6";
}

std::string ProposedPath(const std::string& recordPath, const uint8_t* header) {
    size_t slash = recordPath.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? std::string() : recordPath.substr(0, slash + 1);
    return folder + ProposedName(header);
}

void PlayFile() {
    if (tapeLoaded) {
        platform::ShowNotice("Play Cassette File: a tape is playing; wait until it has ended");
        return;
    }
    if (QuickType::IsActive()) {
        platform::ShowNotice("Play Cassette File: wait until Quick Type has finished");
        return;
    }
    std::optional<std::string> chosen =
        platform::ChooseOpenFile(CassetteChooser("cp6", true, settings.cassettePlayPath));
    if (!chosen) return;
    LoadFile(*chosen);
}

bool LoadFile(const std::string& path) {
    std::FILE* file = HostFile::OpenForReading(path);
    if (!file) {
        platform::ShowNotice("Tape " + path + " not loaded: " + std::strerror(errno));
        return false;
    }
    Eject();
    HostFile::WholeFile loaded;
    errno = 0;
    HostFile::ReadResult result = HostFile::ReadAll(file, HostFile::kLargestFile, &loaded);
    int readError = errno;
    std::fclose(file);
    if (result != HostFile::ReadResult::Ok) {
        platform::ShowNotice("Tape " + path + " not loaded: " +
                             HostFile::Describe(result, readError));
        return false;
    }
    tape = std::move(loaded);
    tapePath = path;
    state.tapeSize = tape.size;
    state.tapePosition = 0;
    tapeLoaded = true;
    fileActivity |= kActivityPlaying;
    setPath(settings.cassettePlayPath, path);
    Settings::SaveFilesKey("cassette");
    platform::ShowNotice("Tape " + path + " loaded: " + std::to_string(tape.size) + " bytes");
    return true;
}

bool PlaybackActive() { return cassetteMotorOn && tapeLoaded && tape.data; }

void Tick(uint32_t cycles) {
    if ((Machine::state.systemLatch & kReadEnableBit) == 0) return;
    state.intervalAccumulator += cycles;
    if (state.intervalAccumulator <= state.byteInterval) return;
    state.intervalAccumulator = 0;
    // With interrupts off the sub-processor's offer goes unanswered: the slot is lost.
    if (CpuCore::state.iff1 == 0) return;
    uint8_t value;
    if (!ReadByte(&value)) return;
    Machine::state.ppiPortA = value;
    CpuCore::RequestInterrupt(kCassetteIrq);
    if (state.leaderSeen) {
        state.byteInterval = kByteInterval;
    } else if (value == 0x00) {
        state.leaderSeen = true;
        state.byteInterval = kLeaderGap;
    }
}

void OnReadEnableRising() {
    if (cassetteMotorOn && !tapeLoaded) ResumePlayback();
    state.intervalAccumulator = 0;
    state.leaderSeen = false;
}

bool ReadByte(uint8_t* value) {
    *value = 0xFF;
    if (!tapeLoaded || !tape.data) return false;
    if (state.tapePosition < state.tapeSize) {
        state.lastReadCycle = Machine::state.cycleCounter;
        *value = tape.data[size_t(state.tapePosition)];
        ++state.tapePosition;
        return true;
    }
    Eject();
    return false;
}

void ResumePlayback() {
    if (!tape.data) return;
    state.lastReadCycle = Machine::state.cycleCounter;
    tapeLoaded = true;
    fileActivity |= kActivityPlaying;
}

void PausePlayback() {
    tapeLoaded = false;
    fileActivity &= uint8_t(~kActivityPlaying);
}

void Eject() {
    PausePlayback();
    state.tapePosition = 0;
    tape.data.reset();
    tape.size = 0;
}

bool HasTape() { return tape.data != nullptr; }
bool RecordingToFile() { return recordFile != nullptr; }

void OnFrame() {
    uint32_t now = Machine::state.cycleCounter;
    if ((fileActivity & kActivityPlaying) && now - state.lastReadCycle > kIdleCycles) {
        if (state.tapeSize - state.tapePosition >= kPauseMinimumLeft) PausePlayback();
        else Eject();
    }
    if ((fileActivity & kActivityRecording) && now - state.lastWriteCycle > kIdleCycles) EndRecording();
}

void BeginRecording() {
    // A second start without an end would orphan the open file: finish it first.
    if (recordFile) EndRecording();
    state.lastWriteCycle = Machine::state.cycleCounter;
    state.recordCount = 0;
}

void WriteByte(uint8_t value) {
    fileActivity |= kActivityRecording;
    state.lastWriteCycle = Machine::state.cycleCounter;
    if (state.recordCount < kHeaderBytes - 1) {
        state.headerBuffer[state.recordCount++] = value;
        return;
    }
    if (state.recordCount == kHeaderBytes - 1) {
        state.headerBuffer[kHeaderBytes - 1] = value;
        AskForRecordingFile();
        state.recordCount = kHeaderBytes;
        return;
    }
    if (recordFile) platform::SafeFileWrite(recordFile, &value, 1);
    // Saturates rather than wrapping back into header buffering.
    if (state.recordCount != UINT32_MAX) ++state.recordCount;
}

void EndRecording() {
    fileActivity &= uint8_t(~kActivityRecording);
    if (recordFile) {
        // A full disk often shows only here: buffered writes fail late. Say so rather than lose it quietly.
        if (!platform::SafeFileCommit(recordFile, nullptr)) {
            std::string line = "Cassette file " + recordFilePath + " was not written completely\n";
            platform::DebugOutput(line.c_str());
            platform::ShowNotice("Recording " + recordFilePath + " was not written completely");
        } else {
            platform::ShowNotice("Recording saved: " + recordFilePath + " (" + std::to_string(state.recordCount) +
                                 " bytes)");
        }
    }
    recordFile = nullptr;
    state.recordCount = 0;
}

void SaveState(StateWriter& out) {
    out.BeginSection(kStateSectionTag, kStateSectionVersion);
    out.Bool(cassetteMotorOn);
    out.Bool(tapeLoaded);
    out.Bool(tape.data != nullptr);
    out.String(tape.data ? tapePath : std::string());
    out.I32(state.tapeSize);
    out.I32(state.tapePosition);
    out.U32(state.lastReadCycle);
    out.U32(state.byteInterval);
    out.Bool(state.leaderSeen);
    out.U32(state.intervalAccumulator);
    out.String(recordFile ? recordFilePath : std::string());
    out.U32(state.recordCount);
    out.Bytes(state.headerBuffer, kHeaderBytes);
    out.U32(state.lastWriteCycle);
    out.EndSection();
}

bool LoadState(StateReader& in, uint16_t, Saved* into) {
    into->motorOn = in.Bool();
    into->tapeLoaded = in.Bool();
    into->hasTape = in.Bool();
    into->tapePath = in.String(4096);
    State& s = into->state;
    s.tapeSize = in.I32();
    s.tapePosition = in.I32();
    s.lastReadCycle = in.U32();
    s.byteInterval = in.U32();
    s.leaderSeen = in.Bool();
    s.intervalAccumulator = in.U32();
    into->recordPath = in.String(4096);
    s.recordCount = in.U32();
    in.Bytes(s.headerBuffer, kHeaderBytes);
    s.lastWriteCycle = in.U32();
    if (!in.Ok() || (into->tapeLoaded && !into->hasTape)) return false;
    if (!into->hasTape) return s.tapeSize == 0 && s.tapePosition == 0;
    if (s.tapeSize < 1 || s.tapePosition < 0 || s.tapePosition > s.tapeSize) return false;
    // The same file, unchanged in size, or no tape at all.
    into->tape = HostFile::WholeFile{};
    if (std::FILE* file = std::fopen(into->tapePath.c_str(), "rb")) {
        HostFile::WholeFile again;
        if (HostFile::ReadAll(file, HostFile::kLargestFile, &again) == HostFile::ReadResult::Ok &&
            again.size == s.tapeSize)
            into->tape = std::move(again);
        std::fclose(file);
    }
    return true;
}

void RestoreState(Saved& saved) {
    EndRecording();
    Eject();
    cassetteMotorOn = saved.motorOn;
    state = saved.state;
    state.recordCount = 0;  // the recording was closed
    if (saved.hasTape && saved.tape.data) {
        tape = std::move(saved.tape);
        tapePath = saved.tapePath;
        tapeLoaded = saved.tapeLoaded;
        if (tapeLoaded) fileActivity |= kActivityPlaying;
    } else {
        state.tapeSize = 0;
        state.tapePosition = 0;
    }
}

}  // namespace CassetteDeck
