// The monitor's command language (docs/monitor.md): one command per ';' or
// line, a word and its arguments separated by blanks. Addresses and values
// are hexadecimal (or a register, a symbol, '#' decimal, sums with + and -);
// counts are decimal.
#include <cctype>
#include <cstring>

#include "debug/monitor.h"

namespace Debug {

namespace {

void Format(std::string& out, const char* format, auto... values) {
    char text[200];
    std::snprintf(text, sizeof text, format, values...);
    out += text;
}

void Error(const std::string& text) {
    state.output += "error: " + text + "\n";
    ++state.commandErrors;
}

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Words separated by blanks; "a file name" in double quotes is one word.
std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
        if (i < command.size() && command[i] == '"') {
            size_t end = command.find('"', i + 1);
            if (end == std::string::npos) end = command.size();
            words.push_back(command.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        size_t start = i;
        while (i < command.size() && !std::isspace(static_cast<unsigned char>(command[i]))) ++i;
        if (i > start) words.push_back(command.substr(start, i - start));
    }
    return words;
}

// ---- Registers by name ----

struct RegisterRef {
    const char* name;
    uint32_t CpuState::*field;
    int shift;    // 8 for the high byte, 0 for the low byte or a whole field
    int bits;     // 8 or 16 (1 or 2 for the flip-flops and the mode)
};

constexpr RegisterRef kRegisterRefs[] = {
    {"af", &CpuState::af, 0, 16},   {"bc", &CpuState::bc, 0, 16},   {"de", &CpuState::de, 0, 16},
    {"hl", &CpuState::hl, 0, 16},   {"ix", &CpuState::ix, 0, 16},   {"iy", &CpuState::iy, 0, 16},
    {"sp", &CpuState::sp, 0, 16},   {"pc", &CpuState::pc, 0, 16},   {"af'", &CpuState::af2, 0, 16},
    {"bc'", &CpuState::bc2, 0, 16}, {"de'", &CpuState::de2, 0, 16}, {"hl'", &CpuState::hl2, 0, 16},
    {"a", &CpuState::af, 8, 8},     {"f", &CpuState::af, 0, 8},     {"b", &CpuState::bc, 8, 8},
    {"c", &CpuState::bc, 0, 8},     {"d", &CpuState::de, 8, 8},     {"e", &CpuState::de, 0, 8},
    {"h", &CpuState::hl, 8, 8},     {"l", &CpuState::hl, 0, 8},     {"ixh", &CpuState::ix, 8, 8},
    {"ixl", &CpuState::ix, 0, 8},   {"iyh", &CpuState::iy, 8, 8},   {"iyl", &CpuState::iy, 0, 8},
    {"i", &CpuState::i, 0, 8},      {"r", &CpuState::r, 0, 8},      {"im", &CpuState::interruptMode, 0, 2},
    {"iff1", &CpuState::iff1, 0, 1}, {"iff2", &CpuState::iff2, 0, 1},
};

const RegisterRef* FindRegister(const std::string& name) {
    std::string lower = Lower(name);
    for (const RegisterRef& ref : kRegisterRefs)
        if (lower == ref.name) return &ref;
    return nullptr;
}

uint32_t MaximumOf(const RegisterRef& ref) { return ref.bits == 2 ? 2 : ref.bits == 1 ? 1 : (1u << ref.bits) - 1; }

uint32_t ReadRegister(const CpuState& cpu, const RegisterRef& ref) {
    if (ref.field == &CpuState::r) return (cpu.r & 0x7F) | (cpu.r7 & 0x80);
    return (cpu.*ref.field >> ref.shift) & MaximumOf(ref);
}

void WriteRegister(CpuState& cpu, const RegisterRef& ref, uint32_t value) {
    if (ref.field == &CpuState::r) {
        cpu.r = value;  // as LD R,A: both the counter and bit 7
        cpu.r7 = value;
        return;
    }
    uint32_t mask = MaximumOf(ref) == 2 ? 3 : MaximumOf(ref);
    cpu.*ref.field = (cpu.*ref.field & ~(mask << ref.shift)) | (value << ref.shift);
    // A new PC leaves the HALT behind: acceptance would otherwise step over a byte.
    if (ref.field == &CpuState::pc) cpu.halted = 0;
}

// ---- Values ----

// A register, a symbol or a number; sums and differences of those.
std::optional<uint32_t> Value(const std::string& text, uint32_t maximum) {
    if (text.empty()) return std::nullopt;
    int64_t total = 0;
    size_t i = 0;
    int sign = 1;
    while (i <= text.size()) {
        size_t end = text.find_first_of("+-", i);
        if (end == std::string::npos) end = text.size();
        std::string term = text.substr(i, end - i);
        if (term.empty()) return std::nullopt;
        std::optional<uint32_t> value;
        if (const RegisterRef* ref = FindRegister(term)) value = ReadRegister(*state.target.cpu, *ref);
        else if (auto symbol = ValueOf(state.symbols, term)) value = *symbol;
        else value = ParseNumber(term, maximum);
        if (!value) return std::nullopt;
        total += sign * int64_t(*value);
        if (end == text.size()) break;
        sign = text[end] == '-' ? -1 : 1;
        i = end + 1;
    }
    if (maximum == 0xFFFF) total &= 0xFFFF;  // address arithmetic wraps (each term is in range)
    if (total < 0 || total > int64_t(maximum)) return std::nullopt;
    return uint32_t(total);
}

std::optional<uint16_t> Address(const std::string& text) {
    auto value = Value(text, 0xFFFF);
    if (!value) return std::nullopt;
    return uint16_t(*value);
}

// Counts are decimal unless written as hexadecimal ("$40", "0x40", "40h").
std::optional<uint32_t> Count(const std::string& text, uint32_t maximum) {
    if (text.empty()) return std::nullopt;
    if (text[0] == '$' || text[0] == '#' || text.find("0x") == 0 || text.back() == 'h' || text.back() == 'H')
        return ParseNumber(text, maximum);
    return ParseNumber("#" + text, maximum);
}

bool NeedAddress(const std::string& text, uint16_t* out) {
    auto value = Address(text);
    if (!value) {
        Error("not an address: " + text);
        return false;
    }
    *out = *value;
    return true;
}

// ---- Commands ----

const char* KindName(BreakKind kind) {
    switch (kind) {
        case BreakKind::Execute: return "execute";
        case BreakKind::Write: return "write";
        case BreakKind::PortIn: return "in";
        case BreakKind::PortOut: return "out";
    }
    return "";
}

void ListBreakpoints() {
    if (state.breakpoints.empty()) {
        state.output += "no breakpoints\n";
        return;
    }
    int number = 1;
    for (const Breakpoint& b : state.breakpoints) {
        if (b.kind == BreakKind::Write && b.to != b.from)
            Format(state.output, "%d  write %04X-%04X\n", number++, b.from, b.to);
        else if (b.kind == BreakKind::PortIn || b.kind == BreakKind::PortOut)
            Format(state.output, "%d  %s %02X\n", number++, KindName(b.kind), b.from & 0xFF);
        else
            Format(state.output, "%d  %s %04X\n", number++, KindName(b.kind), b.from);
    }
}

void AddBreakpoint(BreakKind kind, uint16_t from, uint16_t to) {
    for (const Breakpoint& b : state.breakpoints)
        if (b.kind == kind && b.from == from && b.to == to) return;  // already there
    state.breakpoints.push_back({kind, from, to});
    RebuildWatches();
}

void BreakCommand(const std::string& word, const std::vector<std::string>& args) {
    if (word == "b") {
        if (args.empty()) return ListBreakpoints();
        for (const std::string& arg : args) {
            uint16_t address;
            if (!NeedAddress(arg, &address)) return;
            AddBreakpoint(BreakKind::Execute, address, address);
        }
        return;
    }
    if (word == "bw") {
        uint16_t from, to;
        if (args.empty() || args.size() > 2) return Error("bw ADDRESS [LAST]");
        if (!NeedAddress(args[0], &from)) return;
        to = from;
        if (args.size() == 2 && !NeedAddress(args[1], &to)) return;
        if (to < from) return Error("the range ends before it starts");
        return AddBreakpoint(BreakKind::Write, from, to);
    }
    if (word == "bi" || word == "bo") {
        if (args.size() != 1) return Error(word + " PORT");
        uint16_t port;
        if (!NeedAddress(args[0], &port)) return;
        // Only the low byte of a port is decoded.
        return AddBreakpoint(word == "bi" ? BreakKind::PortIn : BreakKind::PortOut, port & 0xFF, port & 0xFF);
    }
    // bc: one by its number in the list, or all.
    if (args.empty()) {
        state.breakpoints.clear();
        RebuildWatches();
        return;
    }
    auto number = Count(args[0], 0xFFFF);
    if (!number || *number < 1 || *number > state.breakpoints.size())
        return Error("no breakpoint " + args[0] + " (b lists them)");
    state.breakpoints.erase(state.breakpoints.begin() + long(*number - 1));
    RebuildWatches();
}

void RegisterCommand(const std::vector<std::string>& args) {
    CpuState& cpu = *state.target.cpu;
    if (args.empty()) {
        state.output += RegisterText(cpu);
        return;
    }
    for (const std::string& arg : args) {
        size_t eq = arg.find('=');
        const RegisterRef* ref = eq == std::string::npos ? nullptr : FindRegister(arg.substr(0, eq));
        if (!ref) return Error("r NAME=VALUE (a register: " + arg + ")");
        auto value = Value(arg.substr(eq + 1), MaximumOf(*ref));
        if (!value) return Error("not a value for " + arg.substr(0, eq) + ": " + arg.substr(eq + 1));
        WriteRegister(cpu, *ref, *value);
    }
}

void DisassembleCommand(const std::vector<std::string>& args) {
    uint16_t address = state.nextDisassembly;
    uint32_t lines = kDefaultLines;
    if (!args.empty() && !NeedAddress(args[0], &address)) return;
    if (args.size() > 1) {
        auto count = Count(args[1], 10000);
        if (!count) return Error("not a count: " + args[1]);
        lines = *count;
    }
    for (uint32_t i = 0; i < lines; ++i) state.output += DisassemblyLine(address, &address);
    state.nextDisassembly = address;
}

void MemoryCommand(const std::vector<std::string>& args) {
    uint16_t address = state.nextMemory;
    uint32_t bytes = kDefaultBytes;
    if (!args.empty() && !NeedAddress(args[0], &address)) return;
    if (args.size() > 1) {
        auto count = Count(args[1], 65536);
        if (!count) return Error("not a count: " + args[1]);
        bytes = *count;
    }
    for (uint32_t done = 0; done < bytes; done += 16) {
        int n = int(bytes - done < 16 ? bytes - done : 16);
        state.output += MemoryLine(address, n);
        address = uint16_t(address + n);
    }
    state.nextMemory = address;
}

void EnterCommand(const std::vector<std::string>& args) {
    uint16_t address;
    if (args.size() < 2) return Error("e ADDRESS BYTE [BYTE ...]");
    if (!NeedAddress(args[0], &address)) return;
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i < args.size(); ++i) {
        auto value = Value(args[i], 0xFF);
        if (!value) return Error("not a byte: " + args[i]);
        bytes.push_back(uint8_t(*value));
    }
    int refused = 0;
    for (uint8_t value : bytes) {
        state.target.poke(address, value);
        if (state.target.peek(address) != value) ++refused;
        address = uint16_t(address + 1);
    }
    if (refused) Format(state.output, "%d of %zu bytes not written (ROM or no memory there)\n", refused, bytes.size());
}

void StackCommand(const std::vector<std::string>& args) {
    uint32_t words = kDefaultStackWords;
    if (!args.empty()) {
        auto count = Count(args[0], 1000);
        if (!count) return Error("not a count: " + args[0]);
        words = *count;
    }
    uint16_t sp = uint16_t(state.target.cpu->sp);
    for (uint32_t i = 0; i < words; ++i) {
        uint16_t at = uint16_t(sp + 2 * i);
        uint16_t word = uint16_t(state.target.peek(at) | state.target.peek(uint16_t(at + 1)) << 8);
        Format(state.output, "%04X  %04X", at, word);
        if (const std::string* name = NameAt(state.symbols, word)) state.output += "  " + *name;
        state.output += '\n';
    }
}

bool WriteTraceFile(const std::string& path, uint32_t count) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    for (const TraceEntry& entry : TraceEntries(count)) std::fprintf(file, "%s\n", TraceLine(entry).c_str());
    return std::fclose(file) == 0;
}

void TraceCommand(const std::vector<std::string>& args) {
    State& m = state;
    std::string what = args.empty() ? "" : Lower(args[0]);
    if (what.empty()) {
        Format(m.output, "trace: %u of the last %u instructions", m.traceCount, m.traceCapacity);
        if (m.traceFile) m.output += ", every instruction to " + m.traceFilePath;
        m.output += '\n';
        return;
    }
    if (what == "off") {
        m.traceCapacity = m.traceCount = m.traceNext = 0;
        m.trace.clear();
        m.trace.shrink_to_fit();
        if (m.traceFile) std::fclose(m.traceFile);
        m.traceFile = nullptr;
        return Rearm();
    }
    if (what == "show") {
        uint32_t count = 20;
        if (args.size() > 1) {
            auto n = Count(args[1], kMaxTraceEntries);
            if (!n) return Error("not a count: " + args[1]);
            count = *n;
        }
        for (const TraceEntry& entry : TraceEntries(count)) m.output += TraceLine(entry) + "\n";
        return;
    }
    if (what == "save" || what == "file") {
        if (args.size() != 2) return Error("trace " + what + " FILE");
        if (what == "save") {
            if (!WriteTraceFile(args[1], m.traceCount)) return Error("cannot write " + args[1]);
            Format(m.output, "%u instructions written to %s\n", m.traceCount, args[1].c_str());
            return;
        }
        std::FILE* file = std::fopen(args[1].c_str(), "w");
        if (!file) return Error("cannot write " + args[1]);
        if (m.traceFile) std::fclose(m.traceFile);
        m.traceFile = file;
        m.traceFilePath = args[1];
        return Rearm();
    }
    auto n = Count(args[0], kMaxTraceEntries);
    if (!n || *n == 0) return Error("trace N (1 to 100000), off, show [N], save FILE or file FILE");
    // A new length starts an empty ring.
    m.trace.assign(*n, TraceEntry{});
    m.traceCapacity = *n;
    m.traceCount = m.traceNext = 0;
    Rearm();
}

void SymbolCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        Format(state.output, "%zu symbols\n", state.symbols.values.size());
        return;
    }
    if (args.size() == 1 && Lower(args[0]) == "clear") {
        state.symbols = Symbols{};
        return;
    }
    for (const std::string& path : args) {
        std::string message;
        if (!LoadSymbolFile(state.symbols, path, &message)) return Error(message);
        state.output += message + "\n";
    }
}

constexpr const char* kHelp =
    "b [ADDR ...]      execution breakpoints (list without ADDR)\n"
    "bw ADDR [LAST]    write breakpoint on an address or a range\n"
    "bi PORT, bo PORT  port breakpoint on IN or OUT (low byte)\n"
    "bc [N]            clear breakpoint N, or all\n"
    "g [ADDR]          run (to ADDR)\n"
    "s [N]             step N instructions\n"
    "o                 step over a CALL or RST\n"
    "ret               run until the current routine returns\n"
    "stop              stop before the next instruction\n"
    "r [REG=VALUE ...] registers: show or set\n"
    "d [ADDR [N]]      disassemble N instructions\n"
    "m [ADDR [N]]      memory, N bytes\n"
    "e ADDR BYTE ...   enter bytes\n"
    "l                 the machine's latches\n"
    "k [N]             N words of the stack\n"
    "trace N|off|show [N]|save FILE|file FILE\n"
    "sym [FILE|clear]  load symbols (pasmo listing or name = value)\n";

// True when the command resumed the target.
bool Execute(const std::string& command) {
    std::vector<std::string> words = Words(command);
    if (words.empty()) return false;
    std::string word = Lower(words[0]);
    std::vector<std::string> args(words.begin() + 1, words.end());
    if (!state.target.cpu) {
        Error("no machine to work on");
        return false;
    }
    if (word == "b" || word == "bw" || word == "bi" || word == "bo" || word == "bc") {
        BreakCommand(word, args);
    } else if (word == "g") {
        if (args.empty()) {
            Run();
        } else {
            uint16_t address;
            if (!NeedAddress(args[0], &address)) return false;
            RunTo(address);
        }
        return true;
    } else if (word == "s") {
        uint32_t steps = 1;
        if (!args.empty()) {
            auto n = Count(args[0], 100000000);
            if (!n || *n == 0) {
                Error("not a count: " + args[0]);
                return false;
            }
            steps = *n;
        }
        Step(steps);
        return true;
    } else if (word == "o") {
        StepOver();
        return true;
    } else if (word == "ret") {
        RunUntilReturn();
        return true;
    } else if (word == "stop") {
        RequestStop();
        return state.runPending;
    } else if (word == "r") {
        RegisterCommand(args);
    } else if (word == "d") {
        DisassembleCommand(args);
    } else if (word == "m") {
        MemoryCommand(args);
    } else if (word == "e") {
        EnterCommand(args);
    } else if (word == "l") {
        if (state.target.latches) state.target.latches(state.output);
        else state.output += "no latches on " + std::string(state.target.name) + "\n";
    } else if (word == "k") {
        StackCommand(args);
    } else if (word == "trace") {
        TraceCommand(args);
    } else if (word == "sym") {
        SymbolCommand(args);
    } else if (word == "help" || word == "?") {
        state.output += kHelp;
    } else {
        Error("unknown command: " + words[0] + " (help lists them)");
    }
    return false;
}

}  // namespace

void Submit(const std::string& commands) {
    std::string command;
    bool quoted = false;
    for (size_t i = 0; i <= commands.size(); ++i) {
        char c = i < commands.size() ? commands[i] : '\n';
        if (c == '"') quoted = !quoted;
        if ((c == ';' && !quoted) || c == '\n') {
            if (command.find_first_not_of(" \t\r") != std::string::npos) state.queue.push_back(command);
            command.clear();
            quoted = false;
        } else {
            command += c;
        }
    }
}

void Pump() {
    State& m = state;
    while (!m.queue.empty()) {
        if (m.runPending && !m.stopped) return;  // the rest waits for the stop
        std::string command = m.queue.front();
        m.queue.pop_front();
        if (Execute(command)) return;
    }
}

void Command(const std::string& command) {
    Submit(command);
    Pump();
}

std::string Immediate(const std::string& command) {
    std::string before;
    before.swap(state.output);
    Execute(command);
    std::string out;
    out.swap(state.output);
    state.output = before;
    return out;
}

}  // namespace Debug
