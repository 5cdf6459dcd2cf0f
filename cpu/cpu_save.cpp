// Save and load of the machine CPU's state.
#include "cpu/cpu_save.h"

#include "cpu/cpu_core.h"

namespace {

// The fields in their stored order.
uint32_t* Fields(CpuState& s, int i) {
    uint32_t* all[] = {&s.af, &s.bc, &s.de, &s.hl, &s.ix, &s.iy, &s.pc, &s.sp, &s.af2, &s.bc2, &s.de2,
                       &s.hl2, &s.iff1, &s.iff2, &s.halted, &s.interruptMode, &s.i, &s.r, &s.r7,
                       reinterpret_cast<uint32_t*>(&s.pendingIrq), &s.pendingNmi};
    return all[i];
}
constexpr int kFieldCount = 21;
constexpr int kPairFields = 12;  // af .. hl2 hold 16 bits

}  // namespace

void CpuSaveState(StateWriter& out) {
    out.BeginSection(kCpuSectionTag, kCpuSectionVersion);
    for (int i = 0; i < kFieldCount; ++i) out.U32(*Fields(CpuCore::state, i));
    out.I32(CpuCore::lastOpcodeAddress);
    out.EndSection();
}

bool CpuLoadState(StateReader& in, uint16_t, CpuSaved* into) {
    CpuState& s = into->registers;
    for (int i = 0; i < kFieldCount; ++i) *Fields(s, i) = in.U32();
    into->lastOpcodeAddress = in.I32();
    bool pairsFit = true;
    for (int i = 0; i < kPairFields; ++i) pairsFit = pairsFit && *Fields(s, i) <= 0xFFFF;
    return in.Ok() && pairsFit && s.iff1 <= 1 && s.iff2 <= 1 && s.halted <= 1 && s.interruptMode <= 2 &&
           s.i <= 0xFF && s.r7 <= 0xFF && s.pendingNmi <= 1 && into->lastOpcodeAddress >= -1 &&
           into->lastOpcodeAddress <= 0xFFFF;
}

void CpuRestoreState(const CpuSaved& saved) {
    CpuCore::state = saved.registers;
    CpuCore::lastOpcodeAddress = saved.lastOpcodeAddress;
}
