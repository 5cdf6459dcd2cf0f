// The monitor: breakpoints, stepping, a trace of the last instructions, and
// the command language the runner and the monitor window both speak.
//
// The monitor works on a Target: a CPU's registers and the memory it sees,
// given as plain functions (the machine's in debug/machine_monitor.h, the
// flat bus's for the CP/M runner in debug/flat_monitor.h). While nothing is
// armed (no breakpoint, no trace, no step under way) the target runs its
// ordinary core; once armed it runs a second instantiation of the core on a
// checking bus (debug/monitored_bus.h), which calls BeforeInstruction before
// each step's instruction, NoteInstruction for the one after an EI, AfterStep
// after each step, and NoteWrite / NotePort on watched addresses and ports.
//
// Stopping ends the CPU slice between two instructions; the target keeps
// the rest of it (the machine leaves its frame open) and runs nothing more
// until a run command resumes it. Execution breakpoints, the cursor, a step
// count and a stop request stop before an instruction (after an interrupt
// accepted at that step's start); write and port breakpoints and the end of
// a routine (run until RET) stop right after the instruction that caused them.
// EI and the instruction after it are one step: a breakpoint on that
// instruction stops before the EI.
//
// Use: Attach a target, Submit commands, Pump them from the host loop (after
// every frame or slice; commands after a run command wait for the stop),
// TakeOutput to show what they printed. Stops print their own report.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "cpu/cpu_state.h"
#include "debug/disasm.h"
#include "debug/symbols.h"

namespace Debug {

// What the monitor needs of a CPU and its memory. Only `cpu`, `peek` and
// `poke` are required.
struct Target {
    const char* name = "";
    CpuState* cpu = nullptr;
    uint8_t (*peek)(uint16_t address) = nullptr;            // the CPU's view, without side effects
    void (*poke)(uint16_t address, uint8_t value) = nullptr;  // as a CPU write, never a breakpoint
    uint32_t (*clock)() = nullptr;                           // T-states, for the trace
    void (*setArmed)(bool armed) = nullptr;                  // run the checking core or the plain one
    void (*stopped)(bool stopped) = nullptr;                 // the target holds or resumes
    void (*latches)(std::string& out) = nullptr;             // the `l` command's text
};

enum class BreakKind : uint8_t { Execute, Write, PortIn, PortOut };

struct Breakpoint {
    BreakKind kind = BreakKind::Execute;
    uint16_t from = 0, to = 0;  // an address range (inclusive), or a port in the low byte
};

enum class StopReason : uint8_t { None, Breakpoint, Write, PortIn, PortOut, Step, Cursor, Over, Return, Request };

// One executed instruction, with the registers before it ran.
struct TraceEntry {
    uint16_t pc, af, bc, de, hl, ix, iy, sp;
    uint8_t bytes[kMaxInstructionBytes];
    uint32_t tStates;
};

constexpr uint32_t kMaxTraceEntries = 100000;
constexpr int kDefaultLines = 16;
constexpr int kDefaultBytes = 128;
constexpr int kDefaultStackWords = 8;

struct State {
    Target target;
    std::vector<Breakpoint> breakpoints;
    bool armed = false;
    bool stopped = false;      // held between two instructions
    bool runPending = false;   // a run command waits for the next stop
    StopReason reason = StopReason::None;
    std::string stopText;      // the last stop's reason line
    int commandErrors = 0;     // commands refused since Attach

    // What a run stops on besides the breakpoints.
    int64_t stepsLeft = -1;    // instructions to run before stopping; -1 none
    bool cursorActive = false;
    uint16_t cursor = 0;
    bool cursorNeedsStack = false;  // step over: only at the caller's stack level
    uint16_t cursorSp = 0;
    bool untilReturn = false;
    uint16_t returnSp = 0;
    bool stopRequested = false;
    bool skipOnce = false;     // the instruction a run resumes at never stops it
    uint16_t skipPc = 0;

    // The instruction running now.
    uint16_t currentPc = 0;
    bool currentIsReturn = false;
    uint16_t currentSp = 0;
    // A write or port hit in the step under way.
    bool hitPending = false;
    StopReason hitKind = StopReason::None;
    uint16_t hitAddress = 0;
    uint8_t hitValue = 0;
    uint16_t hitPc = 0;

    // The trace: a ring of the last `traceCapacity` instructions, and a file
    // that receives every instruction.
    std::vector<TraceEntry> trace;
    uint32_t traceCapacity = 0;
    uint32_t traceNext = 0;
    uint32_t traceCount = 0;
    std::FILE* traceFile = nullptr;
    std::string traceFilePath;

    Symbols symbols;
    std::deque<std::string> queue;
    std::string output;
    uint16_t nextDisassembly = 0;
    uint16_t nextMemory = 0;
};
extern State state;

// Watch maps the checking bus reads inline: nonzero where a write breakpoint
// covers an address; bit 0 in, bit 1 out for a port's low byte.
extern uint8_t writeWatch[65536];
extern uint8_t portWatch[256];
extern uint8_t executeWatch[65536];
constexpr uint8_t kWatchIn = 1, kWatchOut = 2;

// Forgets everything (breakpoints, trace, symbols, queue) and works on `target`.
void Attach(const Target& target);
// Closes the trace file and disarms; the target runs its plain core again.
void Detach();

// ---- Commands ----
// Queues commands separated by ';' or new lines.
void Submit(const std::string& commands);
// Runs queued commands until one resumes the target (the rest wait for its
// stop) or the queue is empty.
void Pump();
// Runs one command now (Submit + Pump for a single command).
void Command(const std::string& command);
// Runs one command at once, ahead of any waiting ones, and returns what it
// printed instead of adding it to the output (the window's views).
std::string Immediate(const std::string& command);
// What the commands and stops printed since the last call.
std::string TakeOutput();

// ---- Running ----
// Resumes: a plain run, a step of `steps` instructions, step over, run to
// `address`, or run until the current routine returns.
void Run();
void Step(int64_t steps);
void StepOver();
void RunTo(uint16_t address);
void RunUntilReturn();
// Stops before the next instruction (at once when not running a slice).
void RequestStop();
// Stops now, between slices, when the host has held the target itself (its
// pause, the end of a frame advance): the report, and the waiting commands run.
void StopHere(const std::string& text);
// Adds or removes an execution breakpoint at `address` (the window's click).
void ToggleBreakpoint(uint16_t address);
bool HasExecuteBreakpoint(uint16_t address);
// A breakpoint or a run condition could still stop the target.
bool CanStop();

// ---- Views ----
std::string RegisterText(const CpuState& cpu);
// One disassembly line: address, bytes, text, "name:" lines before it when a symbol names it.
std::string DisassemblyLine(uint16_t address, uint16_t* next, bool withLabel = true);
std::string MemoryLine(uint16_t address, int count);
std::string TraceLine(const TraceEntry& entry);
// The trace oldest first, at most `count` of the last entries.
std::vector<TraceEntry> TraceEntries(uint32_t count);
Instruction DecodeAt(uint16_t address);

// After changing `breakpoints`: rebuilds the watch maps and re-arms.
void RebuildWatches();
// After changing a run condition: arms or disarms the target's checking core.
void Rearm();

// ---- The checking core's hooks ----
bool BeforeInstruction(uint16_t pc);
void NoteInstruction(uint16_t pc);
bool AfterStep(uint16_t pc, uint16_t sp);
void NoteWrite(uint16_t address, uint8_t value);
void NotePort(uint16_t port, uint8_t value, bool out);
// After the checking core returned: a stop that happened prints its report
// and tells the target to hold.
void AfterSlice();

}  // namespace Debug
