// The settings record's defaults.
#include "config/settings.h"

#include <cstring>

Settings settings = Settings::Defaults();
Settings settingsCopy = Settings::Defaults();
std::string iniPath = "default.ini";

void setPath(char (&field)[kPathSize], const std::string& value) {
    size_t n = value.size() < size_t(kPathSize - 1) ? value.size() : size_t(kPathSize - 1);
    std::memcpy(field, value.data(), n);
    field[n] = '\0';
}

Settings Settings::Defaults() {
    Settings s{};
    s.memoryEnhanced = 0;
    s.ramExpansion = 0;
    s.useBuiltinBasicRom = 1;
    s.useBuiltinCharRom = 1;
    s.useBuiltinCharxRom = 1;
    setPath(s.basicRomPath, "ROM/ZELVEGA.BIN");
    setPath(s.charRomPath, "ROM/VEGACHAR.BIN");
    setPath(s.charxRomPath, "ROM/VEGACHRX.BIN");
    s.printerAutoLineFeed = 1;
    s.printerFixedWidth = 0;
    s.printerWidth = 132;
    setPath(s.printerPath, "LPRINT.TXT");
    s.keyboardEmulated = 1;
    s.keyboardHostLayout = 1;
    for (auto& layer : s.sensibleKeyMap)
        for (auto& value : layer) value = 0x00FF;
    s.cpuSpeedOption = 0;
    s.ntscPercent = 100;
    s.palPercent = 100;
    s.customActiveRate = 1820846;
    s.customBlankRate = 3436363;
    s.customFps = 60;
    s.limitVideoUpdates = 0;
    s.videoUpdatesPerSecond = 60;
    s.speedUpFiles = 1;
    s.clickerOn = 1;
    s.ayOn = 1;
    s.clickerVolumePercent = 50;
    s.ayVolumePercent = 50;
    setPath(s.cassettePlayPath, "window.cp6");
    setPath(s.quickTypePath, "colors.txt");
    setPath(s.cassetteRecordPath, "cassav.cp6");
    setPath(s.gameRomPath, "biorhythms.bin");
    s.screenshotCounter = 0;
    s.execAddressIsHex = 1;
    s.loadAddressIsHex = 1;
    s.pokeExecAddress = 0;
    s.binaryLoadAddress = 0x4C00;
    s.binaryExecAddress = 0x4CFF;
    setPath(s.binaryPath, "pinball.bin");
    s.windowScale = 2;
    static constexpr Rgb kDefaultColours[kPaletteSize] = {
        {40, 224, 40},   {240, 240, 240}, {40, 224, 40},   {240, 240, 240}, {16, 16, 16},    // 0-4 borders
        {16, 16, 16},                                                                          // 5 spare
        {16, 96, 16},    {40, 224, 40},   {40, 224, 40},   {16, 96, 16},                       // 6-9 text pairs 00, 01
        {16, 16, 16},                                                                          // 10 semigraphics background
        {40, 224, 40},   {240, 240, 112}, {32, 32, 216},   {168, 32, 32},                      // 11-14
        {240, 240, 240}, {40, 168, 168},  {211, 97, 250},  {240, 136, 40},                     // 15-18
        {240, 176, 64},  {128, 48, 16},   {128, 48, 16},   {240, 176, 64},                     // 19-22 text pairs 11, 10
        {16, 16, 16},    {40, 224, 40},   {240, 240, 112}, {32, 32, 216},   {168, 32, 32},     // 23-27 spare
        {240, 240, 240}, {40, 168, 168},  {211, 97, 250},  {240, 136, 40},  {16, 16, 16},      // 28-32 spare
        {40, 224, 40},   {240, 240, 112}, {32, 32, 216},   {168, 32, 32},                      // 33-36 four-colour set 0
        {240, 240, 240}, {40, 168, 168},  {211, 97, 250},  {240, 136, 40},                     // 37-40 four-colour set 1
        {16, 96, 16},    {40, 224, 40},   {16, 16, 16},    {240, 240, 240},                    // 41-44 two-colour
    };
    for (int i = 0; i < kPaletteSize; ++i) s.colors[i] = kDefaultColours[i];
    s.autoStart = 1;
    return s;
}
