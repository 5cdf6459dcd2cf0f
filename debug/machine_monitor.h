// The monitor on the Zel Vega: the machine CPU's registers, the 64K the CPU
// sees, the latches, and the frame scheduler's hold.
//
// Use: AttachMachine once the machine exists (the runner, the desktop);
// from then on the scheduler runs the checking core whenever the monitor is
// armed, and a stop holds the frame scheduler until a run command.
#pragma once

#include <string>

namespace Debug {

// Makes the machine the monitor's target.
void AttachMachine();
// The `l` command's text: video base, display, timer, port C, system latch, AY registers.
void MachineLatches(std::string& out);

}  // namespace Debug
