// Stand-in until the Z80 core lands.
#include "cpu/cpu_core.h"

template <class Bus>
void Z80Core<Bus>::Reset() {
    state = CpuState{};
    state.sp = 0xF000;
    ClearPendingInterrupts();
}

template <class Bus>
int32_t Z80Core<Bus>::Execute(int32_t budget) {
    return budget;
}

template <class Bus>
void Z80Core<Bus>::RequestInterrupt(int32_t value) {
    if (value == kIrqNmi) state.pendingNmi = 1;
    else if (value != kIrqNone) state.pendingIrq = value;
}

template <class Bus>
void Z80Core<Bus>::ClearPendingInterrupts() {
    state.pendingIrq = kIrqNone;
    state.pendingNmi = 0;
}

template struct Z80Core<MachineBus>;
