// The cassette deck: CP6 files played byte by byte into the machine and
// recordings written to new CP6 files.
#pragma once

#include <cstdint>
#include <string>

namespace CassetteDeck {

extern bool cassetteMotorOn;
extern bool tapeLoaded;
// Bit 0 printer file open, bit 1 recording, bit 2 playing.
extern uint8_t fileActivity;

void PlayFile();
// Loads a tape from a path (the chooser's answer); false when none was loaded.
bool LoadFile(const std::string& path);
bool PlaybackActive();
void Tick(uint32_t cycles);
void OnReadEnableRising();
void BeginRecording();
void WriteByte(uint8_t value);
void EndRecording();
void Eject();
void OnFrame();

}  // namespace CassetteDeck
