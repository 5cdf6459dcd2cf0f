// The cassette deck: CP6 files played byte by byte into the machine and
// recordings written to new CP6 files.
//
// The emulated program never sees a waveform: the keyboard/cassette
// sub-processor hands it whole bytes. A CP6 file is that raw byte stream, no
// header, no framing. Playback puts each byte in ppiPortA with interrupt
// vector 08h, paced in T-states while the read enable (bit 3 of the B0h-BFh
// latch) is high. Recording buffers the first 17 bytes (bytes 10-15 hold the
// program name), then asks for a file named after it and writes everything.
//
// Use: PlayFile (menu) or LoadFile (runner); per CPU step the machine calls
// Tick while PlaybackActive; OnReadEnableRising on a 0->1 edge of the read
// enable; BeginRecording / WriteByte / EndRecording on the sub-processor's
// record commands; OnFrame once per frame; Eject and EndRecording at every
// reset and at exit. Not modelled: tape audio, motor speed, rewinding.
#pragma once

#include <cstdint>
#include <string>

#include "devices/host_file.h"
#include "state/state_io.h"

namespace CassetteDeck {

// T-states between bytes, and the gap after the first 00 byte of a load (the leader's end).
constexpr uint32_t kByteInterval = 18392;
constexpr uint32_t kLeaderGap = 455211;
// A deck unused for this many T-states pauses (playback) or closes (recording).
constexpr uint32_t kIdleCycles = 2000000;
// A paused tape with fewer bytes than this left is ejected instead.
constexpr int32_t kPauseMinimumLeft = 10;
constexpr int kHeaderBytes = 17;
constexpr int kNameOffset = 10;
constexpr int kNameBytes = 6;

// fileActivity bits: printer file open, recording to a file, playing.
constexpr uint8_t kActivityPrinter = 0x01;
constexpr uint8_t kActivityRecording = 0x02;
constexpr uint8_t kActivityPlaying = 0x04;

// Set and cleared by the machine on the sub-processor's motor commands 19h and 1Ah.
extern bool cassetteMotorOn;
// A tape is loaded for play.
extern bool tapeLoaded;
// Shared with the printer; read by the frame scheduler to speed up file access.
extern uint8_t fileActivity;

// Everything else the deck keeps, as plain data (the tape bytes and the
// output file stay inside the deck).
struct State {
    int32_t tapeSize = 0;
    int32_t tapePosition = 0;  // index of the next byte
    uint32_t lastReadCycle = 0;
    uint32_t byteInterval = kByteInterval;
    bool leaderSeen = false;
    uint32_t intervalAccumulator = 0;
    uint32_t recordCount = 0;  // bytes since recording began
    uint8_t headerBuffer[kHeaderBytes] = {};
    uint32_t lastWriteCycle = 0;
};
extern State state;

// "Play Cassette File...": chooser, then LoadFile. Refused while a tape is
// loaded or quick type is active.
void PlayFile();
// Loads a tape from a path (the chooser's answer); false when none was loaded.
// An unopenable path leaves the current tape; any other failure ejects it.
bool LoadFile(const std::string& path);
// Whether the machine's per-step hook paces the tape (motor on, tape loaded).
bool PlaybackActive();
// Paces playback by the T-states of one CPU step.
void Tick(uint32_t cycles);
// A new load begins: resumes a paused tape while the motor runs.
void OnReadEnableRising();
// Sub-processor command 39h.
void BeginRecording();
// The data byte after sub-processor command 38h.
void WriteByte(uint8_t value);
// Sub-processor command 3Ah, a reset, exit or idle: the output file is completed and closed.
void EndRecording();
// Frees the tape.
void Eject();
// Once per frame: the idle rules for playback and recording.
void OnFrame();

// Inner steps, open for tests and the runner.
// The next tape byte (true), or FFh and false when none; running out ejects.
bool ReadByte(uint8_t* value);
void ResumePlayback();
void PausePlayback();
// Whether the deck holds tape bytes (loaded or paused).
bool HasTape();
// Whether a recording file is open.
bool RecordingToFile();
// The file name proposed for a recording whose first 17 bytes are `header`:
// the program name made safe for a file name, "_BAS.CP6" appended.
std::string ProposedName(const uint8_t* header);
// The proposed name placed in the folder of `recordPath`.
std::string ProposedPath(const std::string& recordPath, const uint8_t* header);

// Save states: section "TAPE", version 1: motor, the deck's counters, the
// tape's file path and position, the recording's path and count. Loading
// reads the tape file again (the tape is reopened at its position); a
// recording in progress is closed, as a reset closes it.
constexpr char kStateSectionTag[] = "TAPE";
constexpr uint16_t kStateSectionVersion = 1;
struct Saved {
    bool motorOn = false;
    bool tapeLoaded = false;  // playing (not paused)
    State state;
    bool hasTape = false;     // loaded or paused
    std::string tapePath;
    HostFile::WholeFile tape;  // the file read again; empty when it could not be
    std::string recordPath;    // the recording's file, kept for the record only
};
void SaveState(StateWriter& out);
// False on a damaged section; a tape file that cannot be read again is not
// an error (`tape` stays empty and the state loads without the tape).
bool LoadState(StateReader& in, uint16_t version, Saved* into);
void RestoreState(Saved& saved);

}  // namespace CassetteDeck
