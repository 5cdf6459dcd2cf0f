// The binary loader: a host file copied straight into the memory image at a
// given address, optionally with the BASIC's USR vector set to a start address.
//
// Files are raw bytes (TASM object files included: not parsed). The copy goes
// into the 64K image whatever is mapped there, ROM areas included, with none
// of the side effects of a CPU write. Problems are collected into one message
// box titled "Util Load Binary errors"; memory is untouched when any is found.
//
// Use: Dialog for "Load Binary File ..."; LoadFileAt for the runner.
#pragma once

#include <cstdint>
#include <string>

namespace BinaryLoader {

// Characters taken from an address field; longer entries are cut.
constexpr size_t kAddressChars = 7;
// The USR vector: little-endian word at FAEBh-FAECh.
constexpr uint16_t kUsrVector = 0xFAEB;
constexpr int64_t kLargestFile = 65536;

enum class AddressError { None, BadHex, BadDecimal, OutOfRange };
struct ParsedAddress {
    AddressError error;
    uint16_t value;
    bool isHex;
};
// "$" and hexadecimal digits, or decimal digits only; at most FFFFh.
ParsedAddress ParseAddress(const std::string& text);
// An address as the dialog shows it: "$%04x" or decimal.
std::string FormatAddress(uint16_t value, bool isHex);
// "Load a binary file to memory"; true on OK (file loaded, settings saved).
bool Dialog();
// The same dialog with the file already chosen (a file opened or dropped).
bool Dialog(const std::string& presetPath);
// Loads a file at `load` as the dialog's OK does, optionally setting the USR
// vector; returns the error text (empty on success).
std::string LoadFileAt(const std::string& path, uint16_t load, bool setUsr, uint16_t usr);

}  // namespace BinaryLoader
