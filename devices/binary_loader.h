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

}  // namespace BinaryLoader
