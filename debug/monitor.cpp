// The monitor: run control, the checking core's hooks, the views and the trace.
// The command language is in debug/commands.cpp.
#include "debug/monitor.h"

#include <cstring>

namespace Debug {

State state;
uint8_t writeWatch[65536];
uint8_t portWatch[256];
uint8_t executeWatch[65536];

namespace {

bool AnyCondition() {
    const State& m = state;
    return !m.breakpoints.empty() || m.traceCapacity > 0 || m.traceFile || m.stepsLeft >= 0 || m.cursorActive ||
           m.untilReturn || m.stopRequested;
}

void Format(std::string& out, const char* format, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, format, values...);
    out += text;
}

// Ends every run condition and holds the target before the next instruction.
void Stop(StopReason reason, const std::string& text) {
    State& m = state;
    m.stopped = true;
    m.runPending = false;
    m.reason = reason;
    m.stopText = text;
    m.stepsLeft = -1;
    m.cursorActive = false;
    m.untilReturn = false;
    m.stopRequested = false;
    m.hitPending = false;
}

void Record(uint16_t pc) {
    State& m = state;
    const CpuState& cpu = *m.target.cpu;
    TraceEntry entry{uint16_t(pc),        uint16_t(cpu.af), uint16_t(cpu.bc), uint16_t(cpu.de), uint16_t(cpu.hl),
                     uint16_t(cpu.ix),    uint16_t(cpu.iy), uint16_t(cpu.sp), {},               0};
    for (int i = 0; i < kMaxInstructionBytes; ++i) entry.bytes[i] = m.target.peek(uint16_t(pc + i));
    entry.tStates = m.target.clock ? m.target.clock() : 0;
    if (m.traceCapacity > 0) {
        m.trace[m.traceNext] = entry;
        m.traceNext = (m.traceNext + 1) % m.traceCapacity;
        if (m.traceCount < m.traceCapacity) ++m.traceCount;
    }
    if (m.traceFile) std::fprintf(m.traceFile, "%s\n", TraceLine(entry).c_str());
}

// The instruction at pc runs now.
void Executing(uint16_t pc) {
    State& m = state;
    if (m.traceCapacity > 0 || m.traceFile) Record(pc);
    if (m.stepsLeft > 0) --m.stepsLeft;
    m.currentPc = pc;
    m.currentSp = uint16_t(m.target.cpu->sp);
    if (m.untilReturn) m.currentIsReturn = DecodeAt(pc).flow == Flow::Return;
}

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

}  // namespace

void Rearm() {
    State& m = state;
    bool armed = m.target.cpu && AnyCondition();
    if (armed == m.armed) return;
    m.armed = armed;
    if (m.target.setArmed) m.target.setArmed(armed);
}

void RebuildWatches() {
    std::memset(writeWatch, 0, sizeof writeWatch);
    std::memset(portWatch, 0, sizeof portWatch);
    std::memset(executeWatch, 0, sizeof executeWatch);
    for (const Breakpoint& b : state.breakpoints) {
        switch (b.kind) {
            case BreakKind::Execute: executeWatch[b.from] = 1; break;
            case BreakKind::Write:
                for (uint32_t a = b.from; a <= b.to; ++a) writeWatch[a] = 1;
                break;
            case BreakKind::PortIn: portWatch[b.from & 0xFF] |= kWatchIn; break;
            case BreakKind::PortOut: portWatch[b.from & 0xFF] |= kWatchOut; break;
        }
    }
    Rearm();
}

void Attach(const Target& target) {
    Detach();
    state = State{};
    state.target = target;
    RebuildWatches();
}

void Detach() {
    State& m = state;
    if (m.traceFile) std::fclose(m.traceFile);
    m.traceFile = nullptr;
    bool wasStopped = m.stopped;
    m.breakpoints.clear();
    m.traceCapacity = 0;
    m.stepsLeft = -1;
    m.cursorActive = m.untilReturn = m.stopRequested = false;
    m.stopped = false;
    RebuildWatches();
    if (wasStopped && m.target.stopped) m.target.stopped(false);
}

// ---- Running ----

namespace {

void Resume() {
    State& m = state;
    if (!m.target.cpu) return;
    m.skipOnce = true;
    m.skipPc = uint16_t(m.target.cpu->pc);
    m.runPending = true;
    m.hitPending = false;
    m.currentIsReturn = false;
    Rearm();
    // Also when the target was held by someone else (the menu's pause): a run command runs.
    m.stopped = false;
    if (m.target.stopped) m.target.stopped(false);
}

}  // namespace

void Run() { Resume(); }

void Step(int64_t steps) {
    state.stepsLeft = steps < 1 ? 1 : steps;
    Resume();
}

void StepOver() {
    State& m = state;
    if (!m.target.cpu) return;
    uint16_t pc = uint16_t(m.target.cpu->pc);
    Instruction instruction = DecodeAt(pc);
    if (instruction.flow != Flow::Call && instruction.flow != Flow::Rst) {
        Step(1);
        return;
    }
    // Back at the next instruction with the caller's stack: recursion and
    // interrupts that pass the same address deeper down do not stop.
    m.cursorActive = true;
    m.cursor = uint16_t(pc + instruction.length);
    m.cursorNeedsStack = true;
    m.cursorSp = uint16_t(m.target.cpu->sp);
    Resume();
}

void RunTo(uint16_t address) {
    State& m = state;
    m.cursorActive = true;
    m.cursor = address;
    m.cursorNeedsStack = false;
    Resume();
}

void RunUntilReturn() {
    State& m = state;
    if (!m.target.cpu) return;
    m.untilReturn = true;
    m.returnSp = uint16_t(m.target.cpu->sp);
    Resume();
}

void RequestStop() {
    State& m = state;
    if (m.stopped || !m.target.cpu) return;
    m.stopRequested = true;
    m.runPending = true;  // what follows waits for the stop
    Rearm();
}

bool HasExecuteBreakpoint(uint16_t address) { return executeWatch[address] != 0; }

bool CanStop() {
    const State& m = state;
    return !m.breakpoints.empty() || m.stepsLeft >= 0 || m.cursorActive || m.untilReturn || m.stopRequested;
}

void ToggleBreakpoint(uint16_t address) {
    auto& list = state.breakpoints;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].kind == BreakKind::Execute && list[i].from == address) {
            list.erase(list.begin() + long(i));
            RebuildWatches();
            return;
        }
    list.push_back({BreakKind::Execute, address, address});
    RebuildWatches();
}

// ---- The checking core's hooks ----

bool BeforeInstruction(uint16_t pc) {
    State& m = state;
    bool resumed = m.skipOnce && pc == m.skipPc;
    // An interrupt taken before the resumed instruction is a step of its own.
    if (m.skipOnce && !resumed && m.stepsLeft > 0) --m.stepsLeft;
    m.skipOnce = false;
    if (!resumed) {
        const CpuState& cpu = *m.target.cpu;
        if (m.stepsLeft == 0) {
            Stop(StopReason::Step, "step");
            return true;
        }
        if (executeWatch[pc]) {
            Stop(StopReason::Breakpoint, "breakpoint at " + Hex4(pc));
            return true;
        }
        if (m.cursorActive && pc == m.cursor &&
            (!m.cursorNeedsStack || int16_t(uint16_t(cpu.sp) - m.cursorSp) >= 0)) {
            bool over = m.cursorNeedsStack;
            Stop(over ? StopReason::Over : StopReason::Cursor, over ? "stepped over" : "reached " + Hex4(pc));
            return true;
        }
        if (m.stopRequested) {
            Stop(StopReason::Request, "on request");
            return true;
        }
        // EI runs the next instruction in its own step: its breakpoint stops here.
        if (executeWatch[uint16_t(pc + 1)] && cpu.iff1 == 0 && m.target.peek(pc) == 0xFB) {
            Stop(StopReason::Breakpoint, "breakpoint at " + Hex4(uint16_t(pc + 1)) + ", before the EI ahead of it");
            return true;
        }
    }
    Executing(pc);
    return false;
}

void NoteInstruction(uint16_t pc) { Executing(pc); }

bool AfterStep(uint16_t pc, uint16_t sp) {
    State& m = state;
    if (m.hitPending) {
        char text[120];
        const char* at = "by the instruction at";
        if (m.hitKind == StopReason::Write)
            std::snprintf(text, sizeof text, "write of %02X to %04X %s %04X", m.hitValue, m.hitAddress, at, m.hitPc);
        else if (m.hitKind == StopReason::PortIn)
            std::snprintf(text, sizeof text, "in from port %02X (%02X) %s %04X", m.hitAddress & 0xFF, m.hitValue, at,
                          m.hitPc);
        else
            std::snprintf(text, sizeof text, "out of %02X to port %02X %s %04X", m.hitValue, m.hitAddress & 0xFF, at,
                          m.hitPc);
        Stop(m.hitKind, text);
        return true;
    }
    if (m.untilReturn && m.currentIsReturn) {
        m.currentIsReturn = false;
        // A return taken at the routine's own stack level, not one of a call made since.
        if (sp != m.currentSp && int16_t(uint16_t(m.currentSp - m.returnSp)) >= 0) {
            Stop(StopReason::Return, "returned from the routine at " + Hex4(m.currentPc));
            return true;
        }
    }
    (void)pc;
    return false;
}

void NoteWrite(uint16_t address, uint8_t value) {
    State& m = state;
    if (m.hitPending) return;  // the first hit of a step is the one reported
    m.hitPending = true;
    m.hitKind = StopReason::Write;
    m.hitAddress = address;
    m.hitValue = value;
    m.hitPc = m.currentPc;
}

void NotePort(uint16_t port, uint8_t value, bool out) {
    State& m = state;
    if (m.hitPending) return;
    m.hitPending = true;
    m.hitKind = out ? StopReason::PortOut : StopReason::PortIn;
    m.hitAddress = port;
    m.hitValue = value;
    m.hitPc = m.currentPc;
}

void AfterSlice() {
    State& m = state;
    if (!m.stopped || m.reason == StopReason::None) return;
    // The report, once per stop; the registers are back in the record now.
    const CpuState& cpu = *m.target.cpu;
    Format(m.output, "stop at %04X: %s\n", unsigned(cpu.pc & 0xFFFF), m.stopText.c_str());
    m.output += RegisterText(cpu);
    uint16_t next;
    m.output += DisassemblyLine(uint16_t(cpu.pc), &next);
    m.nextDisassembly = next;
    m.reason = StopReason::None;
    Rearm();
    if (m.target.stopped) m.target.stopped(true);
}

void StopHere(const std::string& text) {
    State& m = state;
    if (m.stopped || !m.target.cpu) return;
    Stop(StopReason::Request, text);
    AfterSlice();
}

// ---- Views ----

Instruction DecodeAt(uint16_t address) {
    uint8_t bytes[kMaxInstructionBytes];
    for (int i = 0; i < kMaxInstructionBytes; ++i) bytes[i] = state.target.peek(uint16_t(address + i));
    return Disassemble(bytes, address, &state.symbols);
}

std::string RegisterText(const CpuState& cpu) {
    static const char kFlagNames[] = "SZ5H3PNC";
    char flags[9];
    for (int bit = 0; bit < 8; ++bit) flags[bit] = (cpu.af & (0x80 >> bit)) ? kFlagNames[bit] : '-';
    flags[8] = 0;
    std::string out;
    Format(out, "AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X PC=%04X F=%s\n", cpu.af & 0xFFFF,
           cpu.bc & 0xFFFF, cpu.de & 0xFFFF, cpu.hl & 0xFFFF, cpu.ix & 0xFFFF, cpu.iy & 0xFFFF, cpu.sp & 0xFFFF,
           cpu.pc & 0xFFFF, flags);
    Format(out, "AF'=%04X BC'=%04X DE'=%04X HL'=%04X I=%02X R=%02X IM=%u IFF1=%u IFF2=%u", cpu.af2 & 0xFFFF,
           cpu.bc2 & 0xFFFF, cpu.de2 & 0xFFFF, cpu.hl2 & 0xFFFF, cpu.i & 0xFF, (cpu.r & 0x7F) | (cpu.r7 & 0x80),
           cpu.interruptMode, cpu.iff1, cpu.iff2);
    if (cpu.halted) out += " HALT";
    if (cpu.pendingIrq != kIrqNone) Format(out, " IRQ=%02X", unsigned(cpu.pendingIrq) & 0xFF);
    if (cpu.pendingNmi) out += " NMI";
    out += '\n';
    return out;
}

std::string DisassemblyLine(uint16_t address, uint16_t* next, bool withLabel) {
    std::string out;
    if (withLabel)
        if (const std::string* name = NameAt(state.symbols, address)) out += *name + ":\n";
    uint8_t bytes[kMaxInstructionBytes];
    for (int i = 0; i < kMaxInstructionBytes; ++i) bytes[i] = state.target.peek(uint16_t(address + i));
    Instruction instruction = Disassemble(bytes, address, &state.symbols);
    std::string hex;
    for (int i = 0; i < instruction.length; ++i) Format(hex, "%02X ", bytes[i]);
    Format(out, "%04X  %-12s %s\n", address, hex.c_str(), instruction.text);
    if (next) *next = uint16_t(address + instruction.length);
    return out;
}

std::string MemoryLine(uint16_t address, int count) {
    std::string out, text;
    Format(out, "%04X ", address);
    for (int i = 0; i < 16; ++i) {
        if (i < count) {
            uint8_t value = state.target.peek(uint16_t(address + i));
            Format(out, " %02X", value);
            text += (value >= 0x20 && value < 0x7F) ? char(value) : '.';
        } else {
            out += "   ";
        }
    }
    return out + "  " + text + "\n";
}

std::string TraceLine(const TraceEntry& e) {
    Instruction instruction = Disassemble(e.bytes, e.pc, &state.symbols);
    std::string hex;
    for (int i = 0; i < instruction.length; ++i) Format(hex, "%02X", e.bytes[i]);
    std::string out;
    Format(out, "%04X  %-8s %-20s AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X IY=%04X SP=%04X T=%u", e.pc, hex.c_str(),
           instruction.text, e.af, e.bc, e.de, e.hl, e.ix, e.iy, e.sp, e.tStates);
    return out;
}

std::vector<TraceEntry> TraceEntries(uint32_t count) {
    const State& m = state;
    std::vector<TraceEntry> entries;
    uint32_t n = count < m.traceCount ? count : m.traceCount;
    if (m.traceCapacity == 0) return entries;
    uint32_t start = (m.traceNext + m.traceCapacity - n) % m.traceCapacity;
    for (uint32_t i = 0; i < n; ++i) entries.push_back(m.trace[(start + i) % m.traceCapacity]);
    return entries;
}

std::string TakeOutput() {
    std::string out;
    out.swap(state.output);
    return out;
}

}  // namespace Debug
