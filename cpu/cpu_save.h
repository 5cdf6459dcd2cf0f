// The machine CPU's part of a save state: the register file with its pending
// requests, and the address of the last opcode fetched (the cartridge
// removal looks at it). Section "CPU ", version 1: the 21 fields of CpuState
// in their order as 32-bit values, then lastOpcodeAddress.
#pragma once

#include <cstdint>

#include "cpu/cpu_state.h"
#include "state/state_io.h"

constexpr char kCpuSectionTag[] = "CPU ";
constexpr uint16_t kCpuSectionVersion = 1;

struct CpuSaved {
    CpuState registers;
    int32_t lastOpcodeAddress;
};

// Writes the section from the running CPU.
void CpuSaveState(StateWriter& out);
// Reads a section of `version` into `into`; false when a field is out of its range.
bool CpuLoadState(StateReader& in, uint16_t version, CpuSaved* into);
// The CPU takes the loaded state over.
void CpuRestoreState(const CpuSaved& saved);
