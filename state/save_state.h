// Save states: the whole machine at a frame boundary, in memory or in a file.
//
// A state is each component's own section (CPU, latches, timing settings,
// memory and ROM images, sound generator, sound stream, keyboard, quick
// type, cassette, printer), written by the component beside its state. A
// state file puts a header with a thumbnail of the picture in front and a
// CRC-32 behind (docs/state-format.md). Loading parses every section into a
// scratch machine first and takes it over only when all of it is sound, so
// a refused file leaves the running machine untouched.
//
// Taking a state over ends what a reset ends: quick type gets the state's
// text, the cassette deck reopens the state's tape at its position, and a
// recording in progress, the printer file and the AY log are closed.
//
// Use: the menu's "Save State..." / "Load State..." (SaveDialog, LoadDialog)
// and the quick slots (QuickSave, QuickLoad); the runner's SaveToPath and
// LoadFromPath; the rewind ring's WriteSections and ApplySections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace SaveState {

constexpr char kMagic[8] = {'V', 'Z', 'S', 'T', 'A', 'T', 'E', 0x1A};
constexpr uint16_t kFormatVersion = 1;
constexpr char kProgramVersion[] = "0.4a";
constexpr int kThumbnailWidth = 280;
constexpr int kThumbnailHeight = 216;
// Magic, format version, reserved, header size, file size, program version,
// thumbnail width and height, its pixels.
constexpr size_t kHeaderBytes = 8 + 2 + 2 + 4 + 4 + 16 + 2 + 2 + size_t(kThumbnailWidth) * kThumbnailHeight * 2;
constexpr size_t kChecksumBytes = 4;
constexpr int kQuickSlots = 9;
constexpr const char* kFileExtension = "vzs";

// Every section of the machine as it stands, appended to `out`.
void WriteSections(std::vector<uint8_t>& out);
// Reads sections into a scratch machine and, when all are sound, takes it
// over; otherwise returns why not and changes nothing.
std::string ApplySections(const uint8_t* data, size_t size);

// A whole state file in memory: header, thumbnail of the current picture,
// sections, checksum.
void WriteFile(std::vector<uint8_t>& out);
// Checks a whole file (magic, format version, size, checksum) and applies its
// sections; "" when loaded, else the reason it was refused.
std::string ApplyFile(const uint8_t* data, size_t size);

// Writes the file through a temporary and a rename, so a failed save never
// leaves a damaged file; false with a reason.
bool SaveToPath(const std::string& path, std::string* error);
bool LoadFromPath(const std::string& path, std::string* error);

// The quick slot's file (1..kQuickSlots) in the start directory, beside the settings.
std::string SlotPath(int slot);

// Menu commands; each reports its outcome as a notice.
void SaveDialog();
void LoadDialog();
void QuickSave(int slot);
void QuickLoad(int slot);

}  // namespace SaveState
