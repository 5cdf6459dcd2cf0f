// What a test reads back from the settings file.
#pragma once

#include <stdlib.h>

#include <filesystem>
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

// Points the settings file into a fresh scratch folder for the life of the
// object, then puts the old path back and removes the folder.
class ScratchSettingsFile {
public:
    ScratchSettingsFile() : savedIniPath_(iniPath) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vz-ini-XXXXXX").string();
        if (mkdtemp(pattern.data())) folder_ = pattern;
        iniPath = (folder_ / "test.ini").string();
    }
    ~ScratchSettingsFile() {
        iniPath = savedIniPath_;
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    ScratchSettingsFile(const ScratchSettingsFile&) = delete;
    ScratchSettingsFile& operator=(const ScratchSettingsFile&) = delete;
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::string savedIniPath_;
    std::filesystem::path folder_;
};

// Writes every section and every FILES key, as after a few confirmed dialogs.
inline void SaveEverySection() {
    Settings::SaveMemory();
    Settings::SavePrinter();
    Settings::SaveKeyboard();
    Settings::SaveVideo();
    Settings::SaveSound();
    Settings::SaveSpeed();
    Settings::SaveLoadBinary();
    for (const char* key : {"cassette", "quicktype", "cassettewr", "gamerom", "nscreenshot"}) Settings::SaveFilesKey(key);
}
