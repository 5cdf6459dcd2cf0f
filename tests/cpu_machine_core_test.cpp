// CpuCore, the core bound to the machine's bus: a program in the always-fitted
// RAM at C000-FFFF runs and writes there, and the stack works below F000h.
#include <gtest/gtest.h>

#include <cstring>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "machine/machine.h"

namespace {

TEST(CpuMachineCore, RunsAProgramInRam) {
    settings = Settings::Defaults();
    std::memset(Machine::MemoryImage + 0xE000, 0, 0x1000);
    const uint8_t program[] = {
        0x3E, 0x5A,        // LD A,5Ah
        0x32, 0x00, 0xE8,  // LD (E800h),A
        0x01, 0x34, 0x12,  // LD BC,1234h
        0xC5,              // PUSH BC
        0xE1,              // POP HL
        0xCD, 0x20, 0xE0,  // CALL E020h
        0x76,              // HALT
    };
    std::memcpy(Machine::MemoryImage + 0xE000, program, sizeof program);
    Machine::MemoryImage[0xE020] = 0x23;  // INC HL
    Machine::MemoryImage[0xE021] = 0xC9;  // RET
    CpuCore::Reset();
    CpuCore::state.pc = 0xE000;
    // 7 + 13 + 10 + 11 + 10 + 17 + 6 + 10 + 4 = 88 T-states up to the HALT.
    EXPECT_EQ(CpuCore::Execute(88), 88);
    EXPECT_EQ(CpuCore::state.pc, 0xE00Du);
    EXPECT_EQ(CpuCore::state.halted, 1u);
    EXPECT_EQ(Machine::MemoryImage[0xE800], 0x5A);
    EXPECT_EQ(CpuCore::state.hl, 0x1235u);
    EXPECT_EQ(CpuCore::state.sp, 0xF000u);
    EXPECT_EQ(Machine::MemoryImage[0xEFFE], 0x0D);  // the CALL's return address
    EXPECT_EQ(Machine::MemoryImage[0xEFFF], 0xE0);
    EXPECT_EQ(CpuCore::lastOpcodeAddress, 0xE00D);
}

}  // namespace
