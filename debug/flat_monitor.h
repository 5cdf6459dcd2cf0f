// The monitor on the flat 64K bus (the CP/M runner): FlatCore's registers
// and FlatBus memory. While armed, the host runs its slices with RunSlice.
#pragma once

#include <cstdint>

namespace Debug {

// Makes the flat bus the monitor's target.
void AttachFlat();
// One slice: the checking core while the monitor is armed, FlatCore otherwise.
int32_t RunFlatSlice(int32_t budget);

}  // namespace Debug
