// The "Configure Keyboard" dialog.
#pragma once

namespace KeyboardConfig {
bool Dialog();
}
