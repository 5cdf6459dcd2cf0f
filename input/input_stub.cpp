// Stand-ins until the keyboard, keyboard dialog and joysticks land.
#include "input/keyboard.h"
#include "input/keyboard_config.h"
#include "cpu/cpu_core.h"
#include "machine/machine.h"

namespace KeyboardMapper {
void BuildTables() {}
void OnKeyDown(uint32_t) {}
void PollFrame() {}
void DeliverKey(uint8_t code) {
    // Stand-in delivery: the code at port 90h and vector 02h, as the real mapper does for 00h-EFh.
    Machine::state.ppiPortA = code;
    CpuCore::RequestInterrupt(0x02);
}
uint8_t GameKeyByte() { return 0; }
}  // namespace KeyboardMapper

namespace KeyboardConfig {
bool Dialog() { return false; }
}

namespace Machine {
void OpenGameControllers() {}
void AcquireGameControllers(bool) {}
void PollJoysticks() {}
void CloseGameControllers() {}
}  // namespace Machine
