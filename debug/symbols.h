// Symbols: names for addresses, read from a pasmo symbol listing
// ("name<tab>EQU 0C000H", what `pasmo --bin x.asm x.bin x.lst` writes) or a
// plain "name = value" file, for the disassembly and the monitor's expressions.
//
// Use: LoadSymbolFile (adds to what is loaded), then NameAt / ValueOf.
// Values in a "name = value" file are read as the monitor reads numbers:
// hexadecimal, or decimal after '#'. When several names share a value the
// first one read names it. In a file that mixes names in capitals alone (the
// usual spelling of constants) with names in small letters, only the latter
// name addresses in the disassembly; all of them work in expressions.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace Debug {

struct Symbols {
    std::map<uint16_t, std::string> names;   // value -> the first name read for it
    std::map<std::string, uint16_t> values;  // lower-case name -> value
};

// Adds the file's symbols; false (and a message) when it cannot be read or
// holds no symbol. `message` says what was loaded and how many lines were skipped.
bool LoadSymbolFile(Symbols& symbols, const std::string& path, std::string* message);
// One line of either format; false when it is neither (blank lines and
// comments are true and add nothing).
bool AddSymbolLine(Symbols& symbols, const std::string& line);
// The name of a value, or nullptr.
const std::string* NameAt(const Symbols& symbols, uint16_t value);
// The value of a name (any case).
std::optional<uint16_t> ValueOf(const Symbols& symbols, const std::string& name);

// A number as the monitor reads it: hexadecimal ("C000", "$C000", "0xC000",
// "0C000h"), or decimal after '#' ("#49152"); nothing when malformed or
// above `maximum`.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t maximum);

}  // namespace Debug
