// Option parsing and screen text for the headless runner.
#include "tools/run/run_helpers.h"

#include <cctype>
#include <cstring>

#include "machine/machine.h"
#include "platform/platform.h"

namespace RunHelpers {

namespace {

constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkControl = 0x11;

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct NamedKey {
    const char* name;
    uint8_t key;
};

// Windows virtual-key codes by name (US layout positions).
constexpr NamedKey kNamedKeys[] = {
    {"enter", 0x0D},     {"return", 0x0D},       {"space", 0x20},     {"backspace", 0x08}, {"tab", 0x09},
    {"esc", 0x1B},       {"escape", 0x1B},       {"shift", 0x10},     {"ctrl", 0x11},      {"control", 0x11},
    {"up", 0x26},        {"down", 0x28},         {"left", 0x25},      {"right", 0x27},     {"home", 0x24},
    {"end", 0x23},       {"pageup", 0x21},       {"pagedown", 0x22},  {"insert", 0x2D},    {"delete", 0x2E},
    {"minus", 0xBD},     {"equals", 0xBB},       {"comma", 0xBC},     {"period", 0xBE},    {"slash", 0xBF},
    {"semicolon", 0xBA}, {"quote", 0xDE},        {"backquote", 0xC0}, {"backslash", 0xDC}, {"leftbracket", 0xDB},
    {"rightbracket", 0xDD}, {"numstar", 0x6A},   {"numplus", 0x6B},    {"numminus", 0x6D},  {"numdot", 0x6E},
    {"numslash", 0x6F},
};

std::optional<uint8_t> KeyCode(const std::string& name) {
    if (name.size() == 1) {
        uint8_t key = platform::KeyForCharacter(name[0]);
        if (key == 0xFF) return std::nullopt;
        return key;
    }
    std::string lower = Lower(name);
    for (const NamedKey& k : kNamedKeys)
        if (lower == k.name) return k.key;
    if (lower.size() == 4 && lower.compare(0, 3, "num") == 0 && lower[3] >= '0' && lower[3] <= '9')
        return uint8_t(0x60 + lower[3] - '0');  // number pad with Num Lock on
    if (lower.size() >= 2 && lower[0] == 'f') {
        auto n = ParseNumber(lower.substr(1), 24);
        if (n && *n >= 1) return uint8_t(0x70 + *n - 1);  // F1 = 70h
    }
    return std::nullopt;
}

}  // namespace

std::optional<KeyPress> ParseKeyName(const std::string& name) {
    KeyPress press;
    std::string rest = name;
    for (;;) {
        size_t plus = rest.find('+');
        if (plus == std::string::npos || plus == 0 || plus + 1 == rest.size()) break;
        std::string modifier = Lower(rest.substr(0, plus));
        if (modifier == "shift") press.modifiers.push_back(kVkShift);
        else if (modifier == "ctrl" || modifier == "control") press.modifiers.push_back(kVkControl);
        else return std::nullopt;
        rest = rest.substr(plus + 1);
    }
    auto key = KeyCode(rest);
    if (!key) return std::nullopt;
    press.key = *key;
    return press;
}

std::optional<ScheduledKey> ParseScheduledKey(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    auto frame = ParseNumber(text.substr(0, colon), 0x7FFFFFFF);
    auto press = ParseKeyName(text.substr(colon + 1));
    if (!frame || !press) return std::nullopt;
    return ScheduledKey{long(*frame), *press};
}

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t maximum) {
    std::string digits = text;
    int base = 10;
    if (!digits.empty() && digits[0] == '$') {
        base = 16;
        digits = digits.substr(1);
    } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    } else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H')) {
        base = 16;
        digits.pop_back();
    }
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        // Any number of digits (leading zeros too): stop growing once out of range.
        if (value <= maximum) value = value * uint64_t(base) + uint64_t(d);
    }
    if (value > maximum) return std::nullopt;
    return uint32_t(value);
}

std::optional<BinaryLoad> ParseBinaryLoad(const std::string& text) {
    size_t at = text.rfind('@');
    if (at == std::string::npos || at == 0) return std::nullopt;
    BinaryLoad load;
    load.path = text.substr(0, at);
    std::string rest = text.substr(at + 1);
    std::string address = rest;
    size_t comma = rest.find(',');
    if (comma != std::string::npos) {
        address = rest.substr(0, comma);
        std::string usr = rest.substr(comma + 1);
        if (Lower(usr.substr(0, 4)) != "usr=") return std::nullopt;
        auto value = ParseNumber(usr.substr(4), 0xFFFF);
        if (!value) return std::nullopt;
        load.setUsr = true;
        load.usr = uint16_t(*value);
    }
    auto value = ParseNumber(address, 0xFFFF);
    if (!value) return std::nullopt;
    load.load = uint16_t(*value);
    return load;
}

std::optional<Pointer> ParsePointer(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    auto x = ParseNumber(parts[0], 255);
    auto y = ParseNumber(parts[1], 255);
    if (!x || !y) return std::nullopt;
    Pointer pointer{uint8_t(*x), uint8_t(*y), false};
    if (parts.size() == 3) {
        if (Lower(parts[2]) != "down") return std::nullopt;
        pointer.down = true;
    }
    return pointer;
}

std::string TypedText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n' || next == 'r') {
                out += '\r';
                ++i;
                continue;
            }
            if (next == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        if (c == '\r' || c == '\n') {
            out += '\r';
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF is one line end
            continue;
        }
        out += c;
    }
    return out;
}

std::vector<std::string> ScreenText() {
    // Glyph order of the 768-byte character ROM.
    static constexpr char kRomGlyphs[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ !\"#$%&'()*+,-./0123456789:;<=>?";
    std::vector<std::string> rows(16, std::string(32, ' '));
    if (!Machine::displayEnabled()) return rows;
    uint16_t base = Machine::state.videoBase;
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 32; ++c) {
            uint8_t attribute = Machine::MemoryImage[uint16_t(base + r * 32 + c)];
            uint8_t code = Machine::MemoryImage[uint16_t(base + 512 + r * 32 + c)];
            char shown;
            if (attribute & 0xC0) shown = '#';  // semigraphics and graphics cells
            else if (attribute & 0x20) shown = (code >= 0x20 && code < 0x7F) ? char(code) : '.';
            else shown = kRomGlyphs[code & 63];
            rows[size_t(r)][size_t(c)] = shown;
        }
    }
    return rows;
}

}  // namespace RunHelpers
