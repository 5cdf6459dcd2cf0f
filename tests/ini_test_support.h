// What a test reads back from the settings file.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "config/settings.h"
#include "platform/platform.h"

// The settings file's bytes.
inline std::string SettingsFileText() {
    std::ifstream in(iniPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// One key of the settings file, or "(missing)".
inline std::string SettingsFileValue(const char* section, const char* key) {
    return platform::IniGetString(iniPath, section, key, "(missing)");
}
