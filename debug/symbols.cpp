// Symbol files and the monitor's numbers.
#include "debug/symbols.h"

#include <cctype>
#include <cstdio>
#include <fstream>

namespace Debug {

namespace {

std::string Trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '@'; }
bool IsNameChar(char c) { return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$' || c == '?'; }

bool ValidName(const std::string& name) {
    if (name.empty() || !IsNameStart(name[0])) return false;
    for (char c : name)
        if (!IsNameChar(c)) return false;
    return true;
}

// Names in capitals alone are taken for constants (the usual habit): a value
// that also has another name is named by that one.
bool LooksConstant(const std::string& name) {
    for (char c : name)
        if (std::islower(static_cast<unsigned char>(c))) return false;
    return true;
}

// The first name read names a value, unless a later one looks less like a constant.
void Name(Symbols& symbols, uint16_t value, const std::string& name) {
    auto [at, added] = symbols.names.emplace(value, name);
    if (!added && LooksConstant(at->second) && !LooksConstant(name)) at->second = name;
}

void Add(Symbols& symbols, const std::string& name, uint16_t value) {
    symbols.values[Lower(name)] = value;
    Name(symbols, value, name);
}

}  // namespace

std::optional<uint32_t> ParseNumber(const std::string& input, uint32_t maximum) {
    std::string text = Trim(input);
    int base = 16;
    if (!text.empty() && text[0] == '#') {
        base = 10;
        text.erase(0, 1);
    } else if (!text.empty() && text[0] == '$') {
        text.erase(0, 1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.erase(0, 2);
    } else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        text.pop_back();
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (std::isdigit(static_cast<unsigned char>(c))) digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) digit = std::tolower(c) - 'a' + 10;
        else return std::nullopt;
        value = value * uint64_t(base) + uint64_t(digit);
    }
    if (value > maximum) return std::nullopt;
    return uint32_t(value);
}

bool AddSymbolLine(Symbols& symbols, const std::string& raw) {
    std::string line = raw;
    if (size_t comment = line.find(';'); comment != std::string::npos) line.erase(comment);
    line = Trim(line);
    if (line.empty()) return true;
    std::string name, value;
    if (size_t eq = line.find('='); eq != std::string::npos) {
        name = Trim(line.substr(0, eq));
        value = Trim(line.substr(eq + 1));
    } else {
        // pasmo: NAME, blanks, EQU, blanks, value.
        size_t end = 0;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        name = line.substr(0, end);
        if (!name.empty() && name.back() == ':') name.pop_back();
        std::string rest = Trim(line.substr(end));
        if (rest.size() < 4 || Lower(rest.substr(0, 3)) != "equ" || !std::isspace(static_cast<unsigned char>(rest[3])))
            return false;
        value = Trim(rest.substr(4));
    }
    if (!ValidName(name)) return false;
    auto number = ParseNumber(value, 0xFFFF);
    if (!number) return false;
    Add(symbols, name, uint16_t(*number));
    return true;
}

bool LoadSymbolFile(Symbols& symbols, const std::string& path, std::string* message) {
    std::ifstream file(path);
    if (!file) {
        if (message) *message = "cannot read " + path;
        return false;
    }
    Symbols read;
    std::string line;
    int skipped = 0;
    while (std::getline(file, line))
        if (!AddSymbolLine(read, line)) ++skipped;
    if (read.values.empty()) {
        if (message) *message = "no symbols in " + path;
        return false;
    }
    for (const auto& [value, name] : read.names) Name(symbols, value, name);
    for (const auto& [name, value] : read.values) symbols.values[name] = value;
    if (message) {
        char text[96];
        std::snprintf(text, sizeof text, "%zu symbols", read.values.size());
        *message = std::string(text) + " from " + path;
        if (skipped) *message += ", " + std::to_string(skipped) + " lines skipped";
    }
    return true;
}

const std::string* NameAt(const Symbols& symbols, uint16_t value) {
    auto found = symbols.names.find(value);
    return found == symbols.names.end() ? nullptr : &found->second;
}

std::optional<uint16_t> ValueOf(const Symbols& symbols, const std::string& name) {
    auto found = symbols.values.find(Lower(name));
    if (found == symbols.values.end()) return std::nullopt;
    return found->second;
}

}  // namespace Debug
