// The machine's CPU: the core compiled against the machine's bus, so the
// memory functions inline into the handlers.
#include "cpu/cpu_core.h"

#include "cpu/z80_impl.h"

template struct Z80Core<MachineBus>;
