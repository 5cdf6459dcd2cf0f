// Random Z80 code on the flat 64K bus. Input: the budget, an interrupt request
// value and how often it is raised, the registers, then memory (repeated to
// fill 64K; ports read the input too). Every slice runs its budget and
// overshoots by less than the longest step; register pairs keep 16 bits; the
// per-step reports add up to what Execute returns, modulo 256.
#include "cpu/flat_bus.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t kHeader = 24;
constexpr int32_t kLongestStep = 64;  // EI, the instruction after it and a mode 0 opcode

const uint8_t* input;
size_t inputSize;
uint32_t portReads, steps, raiseEvery;
int32_t raiseValue;
int64_t reported;

uint8_t ReadPort(uint16_t) { return input[portReads++ % inputSize]; }
void OnCycles(uint32_t tStates) {
    reported += tStates;
    if (raiseEvery && ++steps % raiseEvery == 0) FlatCore::RequestInterrupt(raiseValue);
}
uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size <= kHeader) return 0;
    input = data;
    inputSize = size;
    portReads = steps = 0;
    reported = 0;
    FlatBus::Clear();
    for (size_t a = 0; a < 65536; ++a) FlatBus::memory[a] = data[kHeader + a % (size - kHeader)];
    FlatBus::readPort = ReadPort;
    FlatBus::onCycles = OnCycles;
    FlatCore::Reset();
    int32_t budget = int16_t(Word(data));  // negative budgets run one step
    raiseValue = int32_t(data[2] | data[3] << 8 | data[4] << 16);
    if (data[5] == 0xFF) raiseValue = kIrqNmi;
    raiseEvery = data[6];
    CpuState& cpu = FlatCore::state;
    uint32_t* pairs[] = {&cpu.af, &cpu.bc, &cpu.de, &cpu.hl, &cpu.ix, &cpu.iy, &cpu.sp, &cpu.pc};
    for (int i = 0; i < 8; ++i) *pairs[i] = Word(data + 7 + 2 * i);
    cpu.iff1 = cpu.iff2 = data[23] & 1;
    cpu.interruptMode = (data[23] >> 1) % 3;
    cpu.i = data[23];

    int32_t executed = FlatCore::Execute(budget);
    // A dropped prefix or an undefined ED byte costs nothing: one such step returns 0.
    FUZZ_CHECK(executed >= 0);
    FUZZ_CHECK(executed >= budget && executed < std::max(budget, 0) + kLongestStep);
    // Each report is a step's T-states modulo 256 (a HALT spends the rest of the slice at once).
    FUZZ_CHECK(reported % 256 == executed % 256);
    fuzz::CheckRegisters(cpu);
    return 0;
}
