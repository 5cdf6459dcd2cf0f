// The binary loader: a host file copied into memory at a given address.
#pragma once

#include <cstdint>
#include <string>

namespace BinaryLoader {

enum class AddressError { None, BadHex, BadDecimal, OutOfRange };
struct ParsedAddress {
    AddressError error;
    uint16_t value;
    bool isHex;
};
ParsedAddress ParseAddress(const std::string& text);
bool Dialog();
// Loads a file at `load` as the dialog's OK does, optionally setting the USR
// vector; returns the error text (empty on success).
std::string LoadFileAt(const std::string& path, uint16_t load, bool setUsr, uint16_t usr);

}  // namespace BinaryLoader
