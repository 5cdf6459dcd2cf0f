// Keyboard: host key-downs into emulated key codes, once per frame, in the
// emulated layout or through the user's sensible assignments.
#pragma once

#include <cstdint>

namespace KeyboardMapper {

void BuildTables();
void OnKeyDown(uint32_t hostKeyCode);
void PollFrame();
void DeliverKey(uint8_t code);
uint8_t GameKeyByte();

}  // namespace KeyboardMapper
