// Sound recording: the mix the host plays (the clicker and the three AY
// channels added with saturation, as the device adds them) written to a WAV
// file, 22050 Hz, mono, signed 16 bits, one frame of samples per frame heard.
//
// Input: each frame's samples from the sound stream, as they go to the host
// buffers; frames that are not heard (pause, warp, frame advance, no sound
// device) are not recorded. Output: the WAV file, written through a temporary
// that takes the chosen name when the recording stops, so an interrupted
// recording never leaves a half file under that name. The frames are
// recorded as written for playback: the three frames ahead that a reopened
// or realigned stream drops, and the silence it restarts with, are live
// playback's hiccups, not part of the recording.
// Use: SoundRecordCommand from the menu (start with a chooser, or stop),
// SoundRecordFrame from the stream after every frame, SoundRecordStop when
// the program ends. The recording goes on across SoundRedo and resets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kRecordSoundCommand = 3875;  // Util "Record Sound..."
constexpr int kWavHeaderBytes = 44;

// The RIFF header of a 22050 Hz mono 16-bit file holding `samples` samples.
void WavHeader(uint8_t header[kWavHeaderBytes], uint32_t samples);
// A whole WAV file; false and *error (an errno value) when it was not written.
bool WriteWavFile(const std::string& path, const std::vector<int16_t>& samples, int* error);

// Menu command: stops the recording, or asks for a file and starts one.
void SoundRecordCommand();
// Starts recording into `path` with the notices; false when the file cannot be started.
bool SoundRecordStart(const std::string& path);
// Finishes the file (sizes in its header) and gives it its name; nothing when not recording.
void SoundRecordStop();
bool SoundRecording();
// Appends one frame of mixed samples while recording; a failed write ends the recording.
void SoundRecordFrame(const int16_t* samples, int count);
