// The machine's one CPU: the Z80 core bound to the machine's bus.
#pragma once

#include "cpu/z80.h"
#include "machine/machine_bus.h"

using CpuCore = Z80Core<MachineBus>;
extern template struct Z80Core<MachineBus>;
