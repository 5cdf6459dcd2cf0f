// Stand-ins until the keyboard and keyboard dialog land.
#include "input/keyboard.h"
#include "input/keyboard_config.h"

namespace KeyboardMapper {
void BuildTables() {}
void OnKeyDown(uint32_t) {}
void PollFrame() {}
void DeliverKey(uint8_t) {}
uint8_t GameKeyByte() { return 0; }
}  // namespace KeyboardMapper

namespace KeyboardConfig {
bool Dialog() { return false; }
}
