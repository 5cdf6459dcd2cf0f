// vzelvega-cpm: runs a CP/M console program (.COM) on the bare Z80 core.
//
// The program is loaded at 0100h on the flat 64K bus. Page zero holds what
// CP/M programs expect: 0000h is the warm boot (here a trap that ends the
// run), 0005h jumps to the BDOS, and the word at 0006h (the BDOS address)
// is the top of the TPA, where exercisers put their stack. The BDOS is a
// trap (ED FE) followed by RET; it serves function 2 (character in E) and
// function 9 (string at DE up to '$'); function 0 ends the run like a jump
// to 0000h; the others do nothing. The program's output goes to stdout, the
// T-states executed and the emulated speed to stderr. --break, --trace and
// --monitor work as in vzelvega-run, on the flat bus (the monitor's output
// goes to stdout with the program's).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cpu/flat_bus.h"
#include "debug/flat_monitor.h"
#include "debug/monitor.h"

namespace {

constexpr uint16_t kTpaStart = 0x0100;
constexpr uint16_t kBdosAddress = 0xFE00;  // also the top of the TPA
constexpr uint16_t kBootTrapReturn = 0x0002;
constexpr uint16_t kBdosTrapReturn = kBdosAddress + 2;
// The CCP's stack lies above the BDOS entry, out of reach of a program whose
// stack starts at the top of the TPA.
constexpr uint16_t kCcpStack = 0xFF00;
constexpr int32_t kSliceTStates = 1000000;

bool finished = false;
// T-states left in the slice when the program ended; the runner gives the
// rest of the slice up, and it does not count as executed.
int32_t leftAtFinish = 0;

void Bdos(CpuState& cpu) {
    uint8_t function = uint8_t(cpu.bc);
    if (function == 0) {
        finished = true;
    } else if (function == 2) {
        std::putchar(uint8_t(cpu.de));
    } else if (function == 9) {
        // A string without '$' stops at the end of memory.
        for (uint32_t a = cpu.de & 0xFFFF; a < 0x10000 && FlatBus::memory[a] != '$'; ++a)
            std::putchar(FlatBus::memory[a]);
    }
}

void Trap(CpuState& cpu) {
    if (cpu.pc == kBootTrapReturn) finished = true;
    else if (cpu.pc == kBdosTrapReturn) Bdos(cpu);
    if (finished) {
        leftAtFinish = FlatCore::cyclesLeft;
        FlatCore::cyclesLeft = 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    unsigned long long maxTStates = 0;
    std::vector<std::string> monitorCommands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--max-tstates") == 0 && i + 1 < argc) {
            maxTStates = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--break") == 0 && i + 1 < argc) {
            monitorCommands.push_back(std::string("b ") + argv[++i]);
        } else if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc) {
            monitorCommands.push_back(std::string("trace file ") + argv[++i]);
        } else if (std::strcmp(argv[i], "--monitor") == 0 && i + 1 < argc) {
            monitorCommands.push_back(argv[++i]);
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            path = nullptr;
            break;
        }
    }
    if (!path) {
        std::fprintf(stderr,
                     "usage: vzelvega-cpm [--max-tstates N] [--break ADDR] [--trace FILE] [--monitor CMDS] FILE.COM\n");
        return 2;
    }

    FlatBus::Clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(stderr, "vzelvega-cpm: cannot open %s\n", path);
        return 1;
    }
    const size_t capacity = kBdosAddress - kTpaStart;
    size_t size = std::fread(FlatBus::memory + kTpaStart, 1, capacity, file);
    bool tooLarge = std::fgetc(file) != EOF;
    std::fclose(file);
    if (tooLarge) {
        std::fprintf(stderr, "vzelvega-cpm: %s is larger than the TPA (%zu bytes)\n", path, capacity);
        return 1;
    }
    if (size == 0) {
        std::fprintf(stderr, "vzelvega-cpm: %s is empty\n", path);
        return 1;
    }

    uint8_t* m = FlatBus::memory;
    m[0x0000] = 0xED;  // warm boot: trap, then HALT
    m[0x0001] = 0xFE;
    m[0x0002] = 0x76;
    m[0x0005] = 0xC3;  // JP BDOS
    m[0x0006] = uint8_t(kBdosAddress);
    m[0x0007] = uint8_t(kBdosAddress >> 8);
    m[kBdosAddress] = 0xED;
    m[kBdosAddress + 1] = 0xFE;
    m[kBdosAddress + 2] = 0xC9;  // RET
    FlatBus::onTrap = Trap;

    FlatCore::Reset();
    // The CCP leaves 0000h on the stack, so a final RET is a warm boot.
    FlatCore::state.sp = kCcpStack - 2;
    m[kCcpStack - 2] = 0x00;
    m[kCcpStack - 1] = 0x00;
    FlatCore::state.pc = kTpaStart;

    const bool monitoring = !monitorCommands.empty();
    if (monitoring) {
        Debug::AttachFlat();
        for (const std::string& commands : monitorCommands) Debug::Submit(commands);
        Debug::Pump();
        std::fputs(Debug::TakeOutput().c_str(), stdout);
    }

    unsigned long long tStates = 0;
    bool stuck = false;
    bool held = false;
    auto start = std::chrono::steady_clock::now();
    while (!finished) {
        int32_t executed = monitoring ? Debug::RunFlatSlice(kSliceTStates) : FlatCore::Execute(kSliceTStates);
        if (finished) executed = kSliceTStates - leftAtFinish;
        tStates += unsigned(executed);
        if (monitoring && Debug::state.stopped) {
            Debug::Pump();
            std::fputs(Debug::TakeOutput().c_str(), stdout);
            // Stopped with no command to go on: the run ends here.
            if (Debug::state.stopped) {
                held = true;
                break;
            }
            continue;
        }
        if (FlatCore::state.halted && !FlatCore::state.iff1) {
            stuck = true;  // HALT with interrupts off: nothing can wake it
            break;
        }
        if (maxTStates && tStates >= maxTStates) break;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fflush(stdout);
    int monitorErrors = monitoring ? Debug::state.commandErrors : 0;
    if (monitoring) Debug::Detach();
    if (stuck) std::fprintf(stderr, "vzelvega-cpm: HALT with interrupts disabled at %04Xh\n", FlatCore::state.pc);
    else if (held) std::fprintf(stderr, "vzelvega-cpm: held by the monitor at %04Xh\n", FlatCore::state.pc);
    else if (!finished) std::fprintf(stderr, "vzelvega-cpm: stopped after the T-state limit\n");
    std::fprintf(stderr, "T-states: %llu\nTime: %.3f s\nSpeed: %.1f MHz\n", tStates, seconds,
                 seconds > 0 ? double(tStates) / seconds / 1e6 : 0.0);
    if (monitorErrors) return 2;
    return finished || held ? 0 : 1;
}
