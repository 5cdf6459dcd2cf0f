// Stand-ins until the configuration file lands.
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
