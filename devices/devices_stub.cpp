// Stand-ins until the cassette deck, quick type, printer and binary loader land.
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "devices/quick_type.h"

namespace CassetteDeck {
bool cassetteMotorOn = false;
bool tapeLoaded = false;
uint8_t fileActivity = 0;
void PlayFile() {}
bool LoadFile(const std::string&) { return false; }
bool PlaybackActive() { return false; }
void Tick(uint32_t) {}
void OnReadEnableRising() {}
void BeginRecording() {}
void WriteByte(uint8_t) {}
void EndRecording() {}
void Eject() {}
void OnFrame() {}
}  // namespace CassetteDeck

namespace QuickType {
void TypeFile() {}
bool TypeFilePath(const std::string&) { return false; }
void Paste() {}
bool FeedFrame() { return false; }
void Stop() {}
bool IsActive() { return false; }
}  // namespace QuickType

namespace PrinterPort {
void WritePortByte(uint8_t) {}
void OnFrame() {}
void Close() {}
bool ConfigureDialog() { return false; }
}  // namespace PrinterPort

namespace BinaryLoader {
ParsedAddress ParseAddress(const std::string&) { return {AddressError::BadDecimal, 0, false}; }
bool Dialog() { return false; }
std::string LoadFileAt(const std::string&, uint16_t, bool, uint16_t) { return "not available"; }
}  // namespace BinaryLoader
