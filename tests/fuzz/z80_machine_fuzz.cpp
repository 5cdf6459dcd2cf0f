// Random Z80 code on the machine's bus: the first byte picks the memory
// configuration, the rest is code and data in RAM at C000h where the CPU
// starts (it reaches every port: display, video page, timer, sound,
// cassette and printer commands). Frames run their budget; the ROM and
// unfitted memory are never written.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    fuzz::StartMachine();
    settings.memoryEnhanced = data[0] & 1;
    settings.ramExpansion = (data[0] >> 1) & 1;
    Machine::Reset(2);
    for (size_t a = 0; a < 0x4000; ++a) Machine::MemoryImage[0xC000 + a] = data[1 + a % (size - 1)];
    CpuCore::state.pc = 0xC000;
    CpuCore::state.interruptMode = (data[0] >> 2) % 3;
    for (int frame = 0; frame < 8; ++frame) {
        int32_t budget = Machine::timing.cyclesPerFrame;
        int32_t executed = FrameScheduler::RunFrame();
        FUZZ_CHECK(executed >= budget && executed < budget + 64);
        fuzz::CheckMachine();
    }
    return 0;
}
