// The settings record: every user setting, with its default.
//
// One record, `settings`, filled with the defaults at start, then from the
// INI file (LocateFile, LoadAll), and changed afterwards only by a dialog's
// OK (which copies `settingsCopy` back whole) or by a remembered file choice
// (which writes its single key at once). `settingsCopy` is the working copy a
// dialog edits. Both are plain data, copied whole.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

constexpr int kPathSize = 260;
constexpr int kPaletteSize = 45;
constexpr int kRecentFiles = 10;

// Copies a path into a fixed field, cut to what fits (at most kPathSize - 1 characters).
void setPath(char (&field)[kPathSize], const std::string& value);

struct Settings {
    // MEMORY
    uint8_t memoryEnhanced;       // "enhancedflag": RAM at 4000-FFFF
    int32_t ramExpansion;         // "ramexpanders" 0..1: 16K RAM at 8000-BFFF
    uint8_t useBuiltinBasicRom;   // "usebuiltinromflag"
    uint8_t useBuiltinCharRom;    // "usebuiltincharflag"
    uint8_t useBuiltinCharxRom;   // "usebuiltincharxflag"
    char basicRomPath[kPathSize];   // "ROMfilename"
    char charRomPath[kPathSize];    // "CHARfilename"
    char charxRomPath[kPathSize];   // "CHARXfilename"
    // PRINTER
    uint8_t printerAutoLineFeed;  // "autolinefeedflag"
    uint8_t printerFixedWidth;    // "fixedwidthflag"
    int32_t printerWidth;         // "width"
    char printerPath[kPathSize];  // "filename"
    // KEYBOARD
    uint8_t keyboardEmulated;            // "emulatedflag"
    uint8_t keyboardHostLayout;          // "hostlayoutflag": keys type the host layout's characters (wins)
    uint16_t sensibleKeyMap[3][256];     // n00..nff, s00..sff, c00..cff; 00FFh unassigned
    // SPEED
    uint8_t cpuSpeedOption;           // "cpuspeedopt" 0 NTSC, 1 PAL, 2 custom, 3 fast
    int32_t ntscPercent;              // "ntscmultiplierpct" 1..1000
    int32_t palPercent;               // "palmultiplierpct" 1..1000
    uint32_t customActiveRate;        // "activescancust", T-states per second, screen on, >= 24
    uint32_t customBlankRate;         // "vblankcust", T-states per second, screen off, >= 24
    int32_t customFps;                // "fpscust" 1..600
    uint8_t limitVideoUpdates;        // "usevideoupdatepsflag"
    int32_t videoUpdatesPerSecond;    // "videoupdatesps" 1..600
    uint8_t speedUpFiles;             // "speedupfilesflag"
    // SOUND
    uint8_t clickerOn;                // "clickerflag"
    uint8_t ayOn;                     // "ayflag"
    int32_t clickerVolumePercent;     // "clickervolpct" 0..100
    int32_t ayVolumePercent;          // "ayvolpct" 0..100
    // FILES
    char cassettePlayPath[kPathSize];    // "cassette"
    char quickTypePath[kPathSize];       // "quicktype"
    char cassetteRecordPath[kPathSize];  // "cassettewr"
    char gameRomPath[kPathSize];         // "gamerom"
    int32_t screenshotCounter;           // "nscreenshot" 0..9999
    // LOADBINARY
    uint8_t execAddressIsHex;      // "execaddrishex"
    uint8_t loadAddressIsHex;      // "loadaddrishex"
    uint8_t pokeExecAddress;       // "pokeexecaddr"
    int32_t binaryLoadAddress;     // "bloadaddr" 0..65535
    int32_t binaryExecAddress;     // "bexecaddr" 0..65535
    char binaryPath[kPathSize];    // "bloadfilename"
    // VIDEO and COLOR
    int32_t windowScale;           // "windowscaling" 1..3
    Rgb colors[kPaletteSize];      // c00..c2c
    // OPEN: files opened from the command line, by dropping or with File "Open..."
    uint8_t autoStart;             // "autostart": a tape is loaded with CLOAD and RUN, a cartridge reset
    // RECENT: the last files opened that way, newest first
    char recentFiles[kRecentFiles][kPathSize];  // "file1".."file10"; empty: no entry
    // CAPTURE
    int32_t screenshotFormat;      // "screenshotformat": 0 BMP, 1 PNG of the frame, 2 PNG as shown

    // The record as the program starts, before the INI file is read.
    static Settings Defaults();

    // Finds the settings file: "VZELVEGA.INI" [CONFIG] ini in the current
    // directory, default "default.ini". Sets `iniPath`.
    static void LocateFile();
    // Removes stale temporaries of earlier interrupted writes beside the file,
    // then reads every key in the documented order; loads the ROM images right after MEMORY.
    static void LoadAll();
    static void SaveMemory();
    static void SavePrinter();
    static void SaveKeyboard();
    static void SaveVideo();
    static void SaveSound();
    static void SaveSpeed();
    static void SaveLoadBinary();
    static void SaveOpen();     // OPEN autostart
    static void SaveCapture();  // CAPTURE screenshotformat
    static void SaveRecent();   // RECENT file1..file10 (an empty entry is written empty)
    // Writes one key of section FILES: "cassette", "cassettewr", "quicktype", "gamerom" or "nscreenshot".
    static void SaveFilesKey(const char* key);
};

extern Settings settings;
extern Settings settingsCopy;
// The settings file that every read and write uses.
extern std::string iniPath;
