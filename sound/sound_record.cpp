// The WAV writer and the sound recording.
#include "sound/sound_record.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "machine/machine.h"
#include "platform/platform.h"

namespace {

// RIFF sizes are 32 bits: a recording stops before its data would overflow them.
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - (kWavHeaderBytes - 8);

platform::SafeFile* recording = nullptr;
std::string recordingPath;
uint32_t recordedSamples = 0;

void put16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void put32(uint8_t* at, uint32_t v) {
    put16(at, uint16_t(v));
    put16(at + 2, uint16_t(v >> 16));
}

}  // namespace

void WavHeader(uint8_t header[kWavHeaderBytes], uint32_t samples) {
    uint32_t dataBytes = samples * 2;
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, kWavHeaderBytes - 8 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);  // the format chunk's size
    put16(header + 20, 1);   // PCM
    put16(header + 22, 1);   // mono
    put32(header + 24, platform::kSampleRate);
    put32(header + 28, platform::kSampleRate * 2);  // bytes per second
    put16(header + 32, 2);   // bytes per sample
    put16(header + 34, 16);  // bits per sample
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, dataBytes);
}

bool WriteWavFile(const std::string& path, const std::vector<int16_t>& samples, int* error) {
    std::vector<uint8_t> bytes(kWavHeaderBytes + samples.size() * 2);
    WavHeader(bytes.data(), uint32_t(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i) put16(&bytes[kWavHeaderBytes + 2 * i], uint16_t(samples[i]));
    return platform::WriteWholeFile(path, bytes.data(), bytes.size(), true, error);
}

void SoundRecordCommand() {
    if (recording) {
        SoundRecordStop();
        return;
    }
    platform::FileChooserRequest request;
    request.title = "Record Sound";
    request.filters = {{"WAV Files (*.wav)", "*.wav"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = "wav";
    request.presetPath = Machine::startDirectory + "/sound.wav";
    std::optional<std::string> path = platform::ChooseSaveFile(request);
    if (path) SoundRecordStart(*path);
    // A checkable menu item turns its own mark on when chosen; a cancelled chooser takes it off again.
    platform::SetMenuCheck(kRecordSoundCommand, recording != nullptr);
}

bool SoundRecordStart(const std::string& path) {
    SoundRecordStop();
    recordingPath = path;
    recordedSamples = 0;
    int error = 0;
    recording = platform::SafeFileBegin(path, true, &error);
    uint8_t header[kWavHeaderBytes];
    WavHeader(header, 0);  // its sizes are written when the recording stops
    if (recording && !platform::SafeFileWrite(recording, header, kWavHeaderBytes)) {
        platform::SafeFileCommit(recording, &error);  // fails, removing the temporary
        recording = nullptr;
    }
    if (!recording) {
        platform::SetMenuCheck(kRecordSoundCommand, false);
        platform::ShowNotice("Sound not recorded: " + path + ": " + std::strerror(error));
        return false;
    }
    platform::SetMenuCheck(kRecordSoundCommand, true);
    platform::ShowNotice("Recording sound: " + path);
    return true;
}

void SoundRecordStop() {
    if (!recording) return;
    uint8_t header[kWavHeaderBytes];
    WavHeader(header, recordedSamples);
    platform::SafeFileWriteAt(recording, 0, header, kWavHeaderBytes);
    int error = 0;
    bool done = platform::SafeFileCommit(recording, &error);
    recording = nullptr;
    platform::SetMenuCheck(kRecordSoundCommand, false);
    platform::ShowNotice(done ? "Sound recorded: " + recordingPath
                              : "Sound not recorded: " + recordingPath + ": " + std::strerror(error));
}

bool SoundRecording() { return recording != nullptr; }

void SoundRecordFrame(const int16_t* samples, int count) {
    if (!recording || count <= 0) return;
    if ((uint64_t(recordedSamples) + uint32_t(count)) * 2 > kMaxDataBytes) {
        SoundRecordStop();  // the file is full: kept as far as it goes
        return;
    }
    uint8_t bytes[2 * 2048];
    for (int done = 0; done < count;) {
        int part = std::min(count - done, 2048);
        for (int i = 0; i < part; ++i) put16(bytes + 2 * i, uint16_t(samples[done + i]));
        if (!platform::SafeFileWrite(recording, bytes, size_t(part) * 2)) {
            SoundRecordStop();  // the commit fails with the write's reason and removes the temporary
            return;
        }
        done += part;
    }
    recordedSamples += uint32_t(count);
}
