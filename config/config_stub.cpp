// Stand-ins until the configuration file and dialogs land.
#include "config/config_dialogs.h"
#include "config/settings.h"

void Settings::LocateFile() {}
void Settings::LoadAll() {}
void Settings::SaveMemory() {}
void Settings::SavePrinter() {}
void Settings::SaveKeyboard() {}
void Settings::SaveVideo() {}
void Settings::SaveSound() {}
void Settings::SaveSpeed() {}
void Settings::SaveLoadBinary() {}
void Settings::SaveFilesKey(const char*) {}

namespace ConfigDialogs {
bool Memory() { return false; }
bool Sound() { return false; }
bool Timing() { return false; }
}  // namespace ConfigDialogs
