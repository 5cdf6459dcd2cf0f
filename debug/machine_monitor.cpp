// The monitor's machine target and the machine's checking core.
#include "debug/machine_monitor.h"

#include "cpu/cpu_core.h"
#include "cpu/z80_impl.h"
#include "debug/monitor.h"
#include "debug/monitored_bus.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"

using MonitoredMachineCore = Z80Core<MonitoredBus<MachineBus>>;
template struct Z80Core<MonitoredBus<MachineBus>>;

namespace Debug {

namespace {

int32_t CheckedSlice(int32_t budget) {
    int32_t executed = MonitoredMachineCore::Execute(budget);
    AfterSlice();
    return executed;
}

uint8_t Peek(uint16_t address) { return Machine::ReadMemory(address); }
void Poke(uint16_t address, uint8_t value) { Machine::WriteMemory(address, value); }
uint32_t Clock() { return Machine::state.cycleCounter; }
void SetArmed(bool armed) { FrameScheduler::state.cpuSlice = armed ? CheckedSlice : nullptr; }
void Hold(bool stopped) { FrameScheduler::SetMonitorStopped(stopped); }

}  // namespace

void MachineLatches(std::string& out) {
    const Machine::State& s = Machine::state;
    char text[200];
    std::snprintf(text, sizeof text,
                  "video base %04X  display %s  port C %02X  system latch %02X  PPI A %02X  serial %02X %02X\n",
                  s.videoBase, Machine::displayEnabled() ? "on" : "off", s.portCLatch, s.systemLatch, s.ppiPortA,
                  s.serialLatch[0], s.serialLatch[1]);
    out += text;
    std::snprintf(text, sizeof text, "timer %u of %d T-states%s%s  cycle counter %u\n", s.timerCount,
                  Machine::timing.timerPeriod, (s.systemLatch & 1) ? ", masked" : "",
                  s.timerPending ? ", pending" : "", s.cycleCounter);
    out += text;
    std::snprintf(text, sizeof text, "AY select %02X  port B %02X  R0-R14", s.ayRegisterSelect, s.ayPortBLatch);
    out += text;
    for (uint8_t value : s.ayShadow) {
        std::snprintf(text, sizeof text, " %02X", value);
        out += text;
    }
    out += '\n';
}

void AttachMachine() {
    Target target;
    target.name = "the machine";
    target.cpu = &CpuCore::state;
    target.peek = Peek;
    target.poke = Poke;
    target.clock = Clock;
    target.setArmed = SetArmed;
    target.stopped = Hold;
    target.latches = MachineLatches;
    Attach(target);
}

}  // namespace Debug
