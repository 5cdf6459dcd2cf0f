// Stand-ins until the configuration dialogs land.
#include "config/config_dialogs.h"
#include "config/settings.h"

namespace ConfigDialogs {
bool Memory() { return false; }
bool Sound() { return false; }
bool Timing() { return false; }
}  // namespace ConfigDialogs
