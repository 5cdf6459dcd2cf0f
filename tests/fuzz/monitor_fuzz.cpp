// The monitor's command language on the flat bus over memory made of the
// input. Input: four bytes disassembled on their own, then the commands (no
// '/' or '\': files stay in the scratch folder). Every instruction has 1 to 4
// bytes and a text; the checking core is armed exactly while something can
// stop it or a trace runs, the trace holds no more than its length, and
// register pairs keep 16 bits.
#include "cpu/flat_bus.h"
#include "debug/disasm.h"
#include "debug/flat_monitor.h"
#include "debug/monitor.h"
#include "tests/fuzz/fuzz_support.h"

constexpr size_t kHeader = 4;
constexpr int kSlices = 20;
constexpr int32_t kSliceTStates = 2000;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size <= kHeader) return 0;
    fuzz::EnterScratchFolder();
    Debug::Instruction instruction = Debug::Disassemble(data, 0x1234);
    FUZZ_CHECK(instruction.length >= 1 && instruction.length <= Debug::kMaxInstructionBytes);
    FUZZ_CHECK(instruction.text[0] != 0);

    std::string commands(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
    if (commands.find_first_of("/\\") != std::string::npos) return 0;
    FlatBus::Clear();
    for (size_t a = 0; a < 65536; ++a) FlatBus::memory[a] = data[a % size];
    FlatCore::Reset();
    Debug::AttachFlat();
    Debug::Submit(commands);
    for (int i = 0; i < kSlices; ++i) {
        Debug::Pump();
        if (!Debug::state.runPending || Debug::state.stopped) break;
        Debug::RunFlatSlice(kSliceTStates);
    }
    const Debug::State& m = Debug::state;
    FUZZ_CHECK(m.armed == (Debug::CanStop() || m.traceCapacity > 0 || m.traceFile != nullptr));
    FUZZ_CHECK(m.traceCount <= m.traceCapacity);
    fuzz::CheckRegisters(FlatCore::state);
    Debug::TakeOutput();
    Debug::Detach();
    return 0;
}
