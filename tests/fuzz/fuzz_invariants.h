// What holds after any run of the machine: the CPU never writes 0000-3FFF,
// writes to unfitted memory are dropped, register pairs keep 16 bits.
#pragma once

#include "tests/fuzz/fuzz_support.h"

namespace fuzz {

inline void CheckMachine() {
    FUZZ_CHECK(std::memcmp(Machine::MemoryImage, Machine::romSource, Machine::kBasicRomSize) == 0);
    if (!settings.memoryEnhanced) {
        // Normal memory: 4000-7FFF (and 8000-BFFF without the expansion) keep the FFh of the reset.
        uint32_t end = settings.ramExpansion ? 0x8000 : 0xC000;
        for (uint32_t a = 0x4000; a < end; ++a) FUZZ_CHECK(Machine::MemoryImage[a] == 0xFF);
    }
    const CpuState& cpu = CpuCore::state;
    for (uint32_t pair : {cpu.af, cpu.bc, cpu.de, cpu.hl, cpu.ix, cpu.iy, cpu.pc, cpu.sp, cpu.af2, cpu.bc2,
                          cpu.de2, cpu.hl2})
        FUZZ_CHECK(pair <= 0xFFFF);
    FUZZ_CHECK(cpu.iff1 <= 1 && cpu.iff2 <= 1 && cpu.halted <= 1 && cpu.interruptMode <= 2);
    FUZZ_CHECK(CassetteDeck::state.tapePosition >= 0 &&
               CassetteDeck::state.tapePosition <= CassetteDeck::state.tapeSize);
}

}  // namespace fuzz
