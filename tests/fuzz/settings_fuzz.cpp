// The settings reader and writer. Input: a settings file, then (after NUL
// bytes) a section, a key and a value. Every section saved from what was read
// reads back to the same file; a key that is written reads back its value.
#include "config/settings.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/ini_test_support.h"

namespace {

std::string Trimmed(const std::string& s) {
    size_t first = s.find_first_not_of(" \t");
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterScratchFolder();
    platform::headless::ResetAll();
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[4];
    for (size_t i = 0, at = 0; i < 4 && at < input.size(); ++i) {
        size_t end = i < 3 ? std::min(input.find('\0', at), input.size()) : input.size();
        parts[i] = input.substr(at, end - at);
        at = end + 1;
    }
    iniPath = fuzz::PutFile("settings.ini", reinterpret_cast<const uint8_t*>(parts[0].data()), parts[0].size());

    auto loadAndSave = [] {
        settings = Settings::Defaults();
        Settings::LoadAll();
        SaveEverySection();
        return SettingsFileText();
    };
    const std::string saved = loadAndSave();
    FUZZ_CHECK(loadAndSave() == saved);

    const std::string &section = parts[1], &key = parts[2], &value = parts[3];
    if (platform::IniWriteString(iniPath, section, key, value))
        FUZZ_CHECK(platform::IniGetString(iniPath, section, key, "\x01(missing)") == Trimmed(value));
    return 0;
}
