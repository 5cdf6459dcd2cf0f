// Symbol files and the monitor's numbers.
#include "debug/symbols.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <vector>

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

// Names in capitals alone are the usual spelling of constants.
bool LooksConstant(const std::string& name) {
    for (char c : name)
        if (std::islower(static_cast<unsigned char>(c))) return false;
    return true;
}

void Add(Symbols& symbols, const std::string& name, uint16_t value, bool names) {
    symbols.values[Lower(name)] = value;
    if (names) symbols.names.emplace(value, name);  // the first name read keeps the value
}

enum class Line { Blank, Symbol, Bad };

Line Parse(const std::string& raw, std::string* name, uint16_t* value) {
    std::string line = raw;
    if (size_t comment = line.find(';'); comment != std::string::npos) line.erase(comment);
    line = Trim(line);
    if (line.empty()) return Line::Blank;
    std::string text;
    if (size_t eq = line.find('='); eq != std::string::npos) {
        *name = Trim(line.substr(0, eq));
        text = Trim(line.substr(eq + 1));
    } else {
        // pasmo: NAME, blanks, EQU, blanks, value.
        size_t end = 0;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        *name = line.substr(0, end);
        if (!name->empty() && name->back() == ':') name->pop_back();
        std::string rest = Trim(line.substr(end));
        if (rest.size() < 4 || Lower(rest.substr(0, 3)) != "equ" || !std::isspace(static_cast<unsigned char>(rest[3])))
            return Line::Bad;
        text = Trim(rest.substr(4));
    }
    auto number = ParseNumber(text, 0xFFFF);
    if (!ValidName(*name) || !number) return Line::Bad;
    *value = uint16_t(*number);
    return Line::Symbol;
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

bool AddSymbolLine(Symbols& symbols, const std::string& line) {
    std::string name;
    uint16_t value = 0;
    Line kind = Parse(line, &name, &value);
    if (kind == Line::Symbol) Add(symbols, name, value, true);
    return kind != Line::Bad;
}

bool LoadSymbolFile(Symbols& symbols, const std::string& path, std::string* message) {
    std::ifstream file(path);
    if (!file) {
        if (message) *message = "cannot read " + path;
        return false;
    }
    std::vector<std::pair<std::string, uint16_t>> read;
    std::string line, name;
    uint16_t value = 0;
    int skipped = 0;
    bool constants = false, labels = false;
    while (std::getline(file, line)) {
        Line kind = Parse(line, &name, &value);
        if (kind == Line::Bad) ++skipped;
        if (kind != Line::Symbol) continue;
        read.emplace_back(name, value);
        (LooksConstant(name) ? constants : labels) = true;
    }
    if (read.empty()) {
        if (message) *message = "no symbols in " + path;
        return false;
    }
    // A file that mixes the two spellings names addresses by its labels only.
    const bool mixed = constants && labels;
    for (const auto& [symbol, at] : read) Add(symbols, symbol, at, !mixed || !LooksConstant(symbol));
    if (message) {
        *message = std::to_string(read.size()) + " symbols from " + path;
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
