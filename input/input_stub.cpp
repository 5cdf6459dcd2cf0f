// Stand-ins until the joysticks land.
#include "machine/machine.h"

namespace Machine {
void OpenGameControllers() {}
void AcquireGameControllers(bool) {}
void PollJoysticks() {}
void CloseGameControllers() {}
}  // namespace Machine
