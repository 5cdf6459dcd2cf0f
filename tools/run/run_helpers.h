// Helpers of the headless runner: parsing of option values and the screen
// as text. Kept apart from main() so the tests can check them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace RunHelpers {

// A host key press: the modifiers held with it and the key itself (virtual-key codes).
struct KeyPress {
    std::vector<uint8_t> modifiers;  // 10h Shift, 11h Ctrl
    uint8_t key = 0;
};

// "A", "Enter", "F3", "Shift+A", "Ctrl+C", "Comma", "Up" ...; nothing when unknown.
std::optional<KeyPress> ParseKeyName(const std::string& name);

struct ScheduledKey {
    long frame = 0;
    KeyPress press;
};
// "FRAME:KEY"; nothing when malformed.
std::optional<ScheduledKey> ParseScheduledKey(const std::string& text);

// Decimal, "$hex", "0xhex" or "hexh" number up to `maximum`; nothing when malformed.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t maximum);

struct BinaryLoad {
    std::string path;
    uint16_t load = 0;
    bool setUsr = false;
    uint16_t usr = 0;
};
// "FILE@ADDR" or "FILE@ADDR,usr=ADDR".
std::optional<BinaryLoad> ParseBinaryLoad(const std::string& text);

struct Pointer {
    uint8_t x = 0, y = 0;
    bool down = false;
};
// "X,Y" or "X,Y,down", coordinates 0..255.
std::optional<Pointer> ParsePointer(const std::string& text);

// Text to type: the escapes \n and \r (and real line ends) become carriage
// returns, \\ a backslash.
std::string TypedText(const std::string& text);

// The 16 rows of 32 cells as characters, as the machine shows them now.
std::vector<std::string> ScreenText();

}  // namespace RunHelpers
