// Layouts and control ids of the memory, sound and timing dialogs.
#pragma once

#include "platform/platform.h"

namespace MemoryDialog {
enum : int {
    kNormal = 1000,
    kEnhanced = 1001,
    kNoExpansion = 1002,
    kExpansion16K = 1003,
    kBuiltinBasic = 1007,
    kDiskBasic = 1008,
    kBrowseBasic = 1009,
    kBasicPath = 1010,
    kBuiltinChar = 1011,
    kDiskChar = 1012,
    kBrowseChar = 1013,
    kCharPath = 1014,
    kBuiltinCharx = 1015,
    kDiskCharx = 1016,
    kBrowseCharx = 1017,
    kCharxPath = 1018,
};
extern const platform::DialogLayout kLayout;
}  // namespace MemoryDialog

namespace SoundDialog {
enum : int {
    kClicker = 1400,
    kAy = 1401,
    kClickerLabel = 1402,
    kAyLabel = 1403,
    kClickerVolume = 1404,
    kAyVolume = 1405,
};
extern const platform::DialogLayout kLayout;
}  // namespace SoundDialog

namespace TimingDialog {
enum : int {
    kNtsc = 1500,
    kPal = 1501,
    kCustom = 1502,
    kFast = 1503,
    kSpeedSlider = 1504,
    kSpeedLabel = 1505,
    kActiveRate = 1506,
    kBlankRate = 1507,
    kFps = 1508,
    kSpeedUpFiles = 1509,
    kLimitUpdates = 1510,
    kUpdatesSlider = 1511,
    kUpdatesLabel = 1512,
    kHundredPercent = 1513,
    kDefault = 1514,
    kActiveRateLabel = 1515,
    kBlankRateLabel = 1516,
    kFpsLabel = 1517,
};
extern const platform::DialogLayout kLayout;
}  // namespace TimingDialog
