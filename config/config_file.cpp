// The settings file: where it is, how each field is read, and which keys each
// section writer writes.
//
// Reads pass the field's current value as the default, so a missing file,
// section or key leaves the field alone. Each writer sets its keys in one
// atomic replace of the file; a file that cannot be written leaves the
// in-memory settings as they are, without a message.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/platform.h"

namespace {

constexpr const char* kLocatorFile = "VZELVEGA.INI";
constexpr size_t kFlagBufferChars = 15;   // a 16-byte buffer with its terminator
constexpr size_t kStringChars = 255;      // path values taken from the file
constexpr int32_t kMinimumCustomRate = 24;

using Entries = std::vector<std::pair<std::string, std::string>>;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// ---- Readers ----

void readFlag(const char* section, const char* key, uint8_t& field) {
    std::string word = platform::IniGetString(iniPath, section, key, field ? "1" : "0");
    if (word.size() > kFlagBufferChars) word.resize(kFlagBufferChars);
    for (const char* on : {"1", "on", "true", "yes", "y"})
        if (equalsIgnoringCase(word, on)) field = 1;
    for (const char* off : {"0", "off", "false", "no", "n"})
        if (equalsIgnoringCase(word, off)) field = 0;
}

void readInt(const char* section, const char* key, int32_t& field, int32_t minimum, int32_t maximum) {
    int32_t value = platform::IniGetInt(iniPath, section, key, field);
    field = value < minimum ? minimum : value > maximum ? maximum : value;
}

void readInt(const char* section, const char* key, int32_t& field) {
    field = platform::IniGetInt(iniPath, section, key, field);
}

// An unsigned rate: decimal digits, at least kMinimumCustomRate. A negative
// number is below the range and reads as the minimum; beyond 32 bits it
// saturates. Text without digits keeps the field.
void readRate(const char* section, const char* key, uint32_t& field) {
    std::string text = platform::IniGetString(iniPath, section, key, std::to_string(field));
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        uint64_t n = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            n = n * 10 + uint64_t(text[i] - '0');
            if (n > 0xFFFFFFFFull) n = 0xFFFFFFFFull;
        }
        field = (negative && n != 0) ? 0 : uint32_t(n);
    }
    if (field < uint32_t(kMinimumCustomRate)) field = uint32_t(kMinimumCustomRate);
}

void readPath(const char* section, const char* key, char (&field)[kPathSize]) {
    std::string value = platform::IniGetString(iniPath, section, key, field);
    if (value.size() > kStringChars) value.resize(kStringChars);
    setPath(field, value);
}

// "RRRGGGBBB": three decimal groups, the low 8 bits of each kept.
void readColour(const char* key, Rgb& colour) {
    std::string value = platform::IniGetString(iniPath, "COLOR", key, "");
    if (value.size() != 9) return;
    auto group = [&](size_t at) {
        int n = 0;
        for (size_t i = at; i < at + 3 && value[i] >= '0' && value[i] <= '9'; ++i) n = n * 10 + (value[i] - '0');
        return uint8_t(n & 0xFF);
    };
    colour = Rgb{group(0), group(3), group(6)};
}

// ---- Key names ----

constexpr char kMapPrefix[3] = {'n', 's', 'c'};

std::string keyboardKey(int map, int hostKey) {
    char name[8];
    std::snprintf(name, sizeof name, "%c%02x", kMapPrefix[map], hostKey);
    return name;
}

std::string colourKey(int index) {
    char name[8];
    std::snprintf(name, sizeof name, "c%02x", index);
    return name;
}

// ---- Writers ----

std::string flagText(uint8_t flag) { return flag ? "1" : "0"; }

std::string colourText(const Rgb& c) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d%03d%03d", c.r, c.g, c.b);
    return text;
}

void write(const char* section, const Entries& entries) {
    // A failed write is silent: the settings stay in memory for this run.
    (void)platform::IniWriteStrings(iniPath, section, entries);
}

// ---- Sections ----

void loadMemory() {
    readFlag("MEMORY", "enhancedflag", settings.memoryEnhanced);
    readInt("MEMORY", "ramexpanders", settings.ramExpansion, 0, 1);
    readFlag("MEMORY", "usebuiltinromflag", settings.useBuiltinBasicRom);
    readFlag("MEMORY", "usebuiltincharflag", settings.useBuiltinCharRom);
    readFlag("MEMORY", "usebuiltincharxflag", settings.useBuiltinCharxRom);
    readPath("MEMORY", "ROMfilename", settings.basicRomPath);
    readPath("MEMORY", "CHARfilename", settings.charRomPath);
    readPath("MEMORY", "CHARXfilename", settings.charxRomPath);
}

void loadPrinter() {
    readFlag("PRINTER", "autolinefeedflag", settings.printerAutoLineFeed);
    readFlag("PRINTER", "fixedwidthflag", settings.printerFixedWidth);
    readInt("PRINTER", "width", settings.printerWidth);
    readPath("PRINTER", "filename", settings.printerPath);
}

void loadKeyboard() {
    // A file that already chose a mode by "emulatedflag" alone keeps it; the
    // host layout is the choice of a file that names no mode at all.
    constexpr const char* kAbsent = "\x01";
    if (platform::IniGetString(iniPath, "KEYBOARD", "emulatedflag", kAbsent) != kAbsent) settings.keyboardHostLayout = 0;
    readFlag("KEYBOARD", "emulatedflag", settings.keyboardEmulated);
    readFlag("KEYBOARD", "hostlayoutflag", settings.keyboardHostLayout);
    for (int map = 0; map < 3; ++map) {
        for (int hostKey = 0; hostKey < 256; ++hostKey) {
            uint16_t& value = settings.sensibleKeyMap[map][hostKey];
            value = uint16_t(platform::IniGetInt(iniPath, "KEYBOARD", keyboardKey(map, hostKey), value) & 0xFFFF);
        }
    }
}

void loadVideo() {
    readInt("VIDEO", "windowscaling", settings.windowScale, 1, 3);
    for (int i = 0; i < kPaletteSize; ++i) readColour(colourKey(i).c_str(), settings.colors[i]);
}

void loadSound() {
    readFlag("SOUND", "clickerflag", settings.clickerOn);
    readFlag("SOUND", "ayflag", settings.ayOn);
    readInt("SOUND", "clickervolpct", settings.clickerVolumePercent, 0, 100);
    readInt("SOUND", "ayvolpct", settings.ayVolumePercent, 0, 100);
}

void loadFiles() {
    readPath("FILES", "cassette", settings.cassettePlayPath);
    readPath("FILES", "quicktype", settings.quickTypePath);
    readPath("FILES", "cassettewr", settings.cassetteRecordPath);
    readPath("FILES", "gamerom", settings.gameRomPath);
    readInt("FILES", "nscreenshot", settings.screenshotCounter, 0, 9999);
}

void loadLoadBinary() {
    readFlag("LOADBINARY", "execaddrishex", settings.execAddressIsHex);
    readFlag("LOADBINARY", "loadaddrishex", settings.loadAddressIsHex);
    readFlag("LOADBINARY", "pokeexecaddr", settings.pokeExecAddress);
    readInt("LOADBINARY", "bloadaddr", settings.binaryLoadAddress, 0, 65535);
    readInt("LOADBINARY", "bexecaddr", settings.binaryExecAddress, 0, 65535);
    readPath("LOADBINARY", "bloadfilename", settings.binaryPath);
}

void loadSpeed() {
    // The speed option defaults to NTSC, whatever the record held before.
    int32_t option = 0;
    readInt("SPEED", "cpuspeedopt", option, 0, 3);
    settings.cpuSpeedOption = uint8_t(option);
    readInt("SPEED", "ntscmultiplierpct", settings.ntscPercent, 1, 1000);
    readInt("SPEED", "palmultiplierpct", settings.palPercent, 1, 1000);
    readRate("SPEED", "activescancust", settings.customActiveRate);
    readRate("SPEED", "vblankcust", settings.customBlankRate);
    readInt("SPEED", "fpscust", settings.customFps, 1, 600);
    readFlag("SPEED", "usevideoupdatepsflag", settings.limitVideoUpdates);
    readInt("SPEED", "videoupdatesps", settings.videoUpdatesPerSecond, 1, 600);
    readFlag("SPEED", "speedupfilesflag", settings.speedUpFiles);
}

void loadAdditions() {
    readFlag("OPEN", "autostart", settings.autoStart);
    for (int i = 0; i < kRecentFiles; ++i)
        readPath("RECENT", ("file" + std::to_string(i + 1)).c_str(), settings.recentFiles[i]);
    readInt("CAPTURE", "screenshotformat", settings.screenshotFormat, 0, 2);
}

}  // namespace

void Settings::LocateFile() {
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    if (error) current = std::filesystem::path(".");
    std::string folder = (current / "").string();
    std::string name = platform::IniGetString(folder + kLocatorFile, "CONFIG", "ini", "default.ini");
    if (name.size() > size_t(kPathSize - 1)) name.resize(size_t(kPathSize - 1));
    iniPath = folder + name;
}

void Settings::LoadAll() {
    // Temporaries of writes that a kill cut short would pile up beside the file.
    platform::RemoveStaleTemporaries(iniPath);
    loadMemory();
    // The ROM images follow the memory settings at once, before anything else is read.
    Machine::LoadRomImages();
    loadPrinter();
    loadKeyboard();
    loadVideo();
    loadSound();
    loadFiles();
    loadLoadBinary();
    loadSpeed();
    loadAdditions();
}

void Settings::SaveOpen() { write("OPEN", {{"autostart", flagText(settings.autoStart)}}); }

void Settings::SaveCapture() {
    write("CAPTURE", {{"screenshotformat", std::to_string(settings.screenshotFormat)}});
}

void Settings::SaveRecent() {
    Entries entries;
    for (int i = 0; i < kRecentFiles; ++i) entries.emplace_back("file" + std::to_string(i + 1), settings.recentFiles[i]);
    write("RECENT", entries);
}

void Settings::SaveMemory() {
    write("MEMORY", {
                        {"enhancedflag", flagText(settings.memoryEnhanced)},
                        {"ramexpanders", std::to_string(settings.ramExpansion)},
                        {"ROMfilename", settings.basicRomPath},
                        {"CHARfilename", settings.charRomPath},
                        {"CHARXfilename", settings.charxRomPath},
                        {"usebuiltinromflag", flagText(settings.useBuiltinBasicRom)},
                        {"usebuiltincharflag", flagText(settings.useBuiltinCharRom)},
                        {"usebuiltincharxflag", flagText(settings.useBuiltinCharxRom)},
                    });
}

void Settings::SavePrinter() {
    write("PRINTER", {
                         {"autolinefeedflag", flagText(settings.printerAutoLineFeed)},
                         {"fixedwidthflag", flagText(settings.printerFixedWidth)},
                         {"width", std::to_string(settings.printerWidth)},
                         {"filename", settings.printerPath},
                     });
}

void Settings::SaveKeyboard() {
    Entries entries;
    entries.reserve(2 + 3 * 256);
    entries.emplace_back("emulatedflag", flagText(settings.keyboardEmulated));
    for (int map = 0; map < 3; ++map)
        for (int hostKey = 0; hostKey < 256; ++hostKey)
            entries.emplace_back(keyboardKey(map, hostKey), std::to_string(settings.sensibleKeyMap[map][hostKey]));
    entries.emplace_back("hostlayoutflag", flagText(settings.keyboardHostLayout));
    write("KEYBOARD", entries);
}

void Settings::SaveVideo() {
    write("VIDEO", {{"windowscaling", std::to_string(settings.windowScale)}});
    Entries colours;
    for (int i = 0; i < kPaletteSize; ++i) colours.emplace_back(colourKey(i), colourText(settings.colors[i]));
    write("COLOR", colours);
}

void Settings::SaveSound() {
    write("SOUND", {
                       {"clickerflag", flagText(settings.clickerOn)},
                       {"ayflag", flagText(settings.ayOn)},
                       {"clickervolpct", std::to_string(settings.clickerVolumePercent)},
                       {"ayvolpct", std::to_string(settings.ayVolumePercent)},
                   });
}

void Settings::SaveSpeed() {
    write("SPEED", {
                       {"cpuspeedopt", std::to_string(int(settings.cpuSpeedOption))},
                       {"ntscmultiplierpct", std::to_string(settings.ntscPercent)},
                       {"palmultiplierpct", std::to_string(settings.palPercent)},
                       {"activescancust", std::to_string(settings.customActiveRate)},
                       {"vblankcust", std::to_string(settings.customBlankRate)},
                       {"fpscust", std::to_string(settings.customFps)},
                       {"usevideoupdatepsflag", flagText(settings.limitVideoUpdates)},
                       {"videoupdatesps", std::to_string(settings.videoUpdatesPerSecond)},
                       {"speedupfilesflag", flagText(settings.speedUpFiles)},
                   });
}

void Settings::SaveLoadBinary() {
    write("LOADBINARY", {
                            {"execaddrishex", flagText(settings.execAddressIsHex)},
                            {"loadaddrishex", flagText(settings.loadAddressIsHex)},
                            {"pokeexecaddr", flagText(settings.pokeExecAddress)},
                            {"bloadaddr", std::to_string(settings.binaryLoadAddress)},
                            {"bexecaddr", std::to_string(settings.binaryExecAddress)},
                            {"bloadfilename", settings.binaryPath},
                        });
}

void Settings::SaveFilesKey(const char* key) {
    std::string name = key ? key : "";
    std::string value;
    if (name == "cassette") value = settings.cassettePlayPath;
    else if (name == "cassettewr") value = settings.cassetteRecordPath;
    else if (name == "quicktype") value = settings.quickTypePath;
    else if (name == "gamerom") value = settings.gameRomPath;
    else if (name == "nscreenshot") value = std::to_string(settings.screenshotCounter);
    else return;  // not a key of section FILES
    write("FILES", {{name, value}});
}
