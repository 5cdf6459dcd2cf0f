// The monitor's flat-bus target and the flat bus's checking core.
#include "debug/flat_monitor.h"

#include "cpu/flat_bus.h"
#include "cpu/z80_impl.h"
#include "debug/monitor.h"
#include "debug/monitored_bus.h"

using MonitoredFlatCore = Z80Core<MonitoredBus<FlatBus>>;
template struct Z80Core<MonitoredBus<FlatBus>>;

namespace Debug {

namespace {

uint8_t Peek(uint16_t address) { return FlatBus::memory[address]; }
void Poke(uint16_t address, uint8_t value) { FlatBus::memory[address] = value; }

}  // namespace

void AttachFlat() {
    Target target;
    target.name = "the flat bus";
    target.cpu = &FlatCore::state;
    target.peek = Peek;
    target.poke = Poke;
    Attach(target);
}

int32_t RunFlatSlice(int32_t budget) {
    if (!state.armed) return FlatCore::Execute(budget);
    int32_t executed = MonitoredFlatCore::Execute(budget);
    AfterSlice();
    return executed;
}

}  // namespace Debug
