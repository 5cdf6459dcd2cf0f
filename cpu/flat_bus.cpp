// The Z80 core compiled against the flat test bus.
#include "cpu/flat_bus.h"

#include "cpu/z80_impl.h"

template struct Z80Core<FlatBus>;
