// The memory, sound and timing configuration dialogs.
#pragma once

namespace ConfigDialogs {
bool Memory();
bool Sound();
bool Timing();
}  // namespace ConfigDialogs
