// Services both host layers share: the colour conversion and the US key layout.
#include <cctype>

#include "platform/platform.h"

namespace platform {

uint16_t ColourToPixel(Rgb colour) {
    // Round each 8-bit channel to the nearest of 32 levels.
    auto five = [](uint8_t v) { return uint16_t((v * 31 + 127) / 255); };
    return uint16_t(five(colour.r) << 10 | five(colour.g) << 5 | five(colour.b));
}

uint8_t KeyForCharacter(char c) {
    // The low byte of VkKeyScanA on the US layout: the key, whatever the shift state.
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return uint8_t(u - 'a' + 'A');
    if (u >= 'A' && u <= 'Z') return uint8_t(u);
    if (u >= '0' && u <= '9') return uint8_t(u);
    switch (u) {
        case ')': return '0';
        case '!': return '1';
        case '@': return '2';
        case '#': return '3';
        case '$': return '4';
        case '%': return '5';
        case '^': return '6';
        case '&': return '7';
        case '*': return '8';
        case '(': return '9';
        case ' ': return 0x20;
        case ';': case ':': return 0xBA;
        case '=': case '+': return 0xBB;
        case ',': case '<': return 0xBC;
        case '-': case '_': return 0xBD;
        case '.': case '>': return 0xBE;
        case '/': case '?': return 0xBF;
        case '`': case '~': return 0xC0;
        case '[': case '{': return 0xDB;
        case '\\': case '|': return 0xDC;
        case ']': case '}': return 0xDD;
        case '\'': case '"': return 0xDE;
        case '\t': return 0x09;
        case '\r': case '\n': return 0x0D;
        case 8: return 0x08;
        case 27: return 0x1B;
        default: return 0xFF;
    }
}

uint32_t CharacterForKey(uint8_t virtualKey, bool shift) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return shift ? virtualKey : virtualKey - 'A' + 'a';
    if (virtualKey >= '0' && virtualKey <= '9') return uint32_t(shift ? ")!@#$%^&*("[virtualKey - '0'] : virtualKey);
    struct Pair {
        uint8_t key;
        char normal, shifted;
    };
    static constexpr Pair kPunctuation[] = {
        {0x20, ' ', ' '}, {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'}, {0xBE, '.', '>'},
        {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
    };
    for (const Pair& p : kPunctuation)
        if (p.key == virtualKey) return uint32_t(shift ? p.shifted : p.normal);
    return kNoCharacter;
}

}  // namespace platform
