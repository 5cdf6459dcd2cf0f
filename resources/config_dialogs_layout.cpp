// Layouts of "Configure Zel Vega Memory", "Configure Sound" and "Configure
// CPU Timing" (dialog units).
#include "resources/config_dialogs_layout.h"

using platform::ControlKind;
using platform::ControlDef;

namespace {
template <size_t N>
constexpr int count(const ControlDef (&)[N]) {
    return int(N);
}
}  // namespace

namespace MemoryDialog {
namespace {
const ControlDef kControls[] = {
    {-1, ControlKind::GroupBox, "RAM", 7, 7, 286, 62},
    {kNormal, ControlKind::RadioButton, "Normal (as sold in stores) C000-FFFF", 14, 18, 200, 10},
    {kEnhanced, ControlKind::RadioButton, "Emulator enhanced 4000-FFFF", 14, 30, 200, 10},
    {kNoExpansion, ControlKind::RadioButton, "+ No RAM Expansion present", 26, 42, 200, 10},
    {kExpansion16K, ControlKind::RadioButton, "+ 16K RAM Expansion (As sold in stores) 8000-BFFF", 26, 54, 230, 10},
    {-1, ControlKind::GroupBox, "ROM", 7, 74, 286, 120},
    {kBuiltinBasic, ControlKind::RadioButton, "Use built-in 16K BASIC ROM", 14, 85, 200, 10},
    {kDiskBasic, ControlKind::RadioButton, "Load 16K BASIC ROM from disk", 14, 96, 200, 10},
    {kBrowseBasic, ControlKind::PushButton, "Browse", 236, 95, 50, 13},
    {kBasicPath, ControlKind::StaticText, "(none)", 26, 108, 260, 8},
    {kBuiltinChar, ControlKind::RadioButton, "Use built-in 768 byte Character  ROM", 14, 121, 200, 10},
    {kDiskChar, ControlKind::RadioButton, "Load 768 byte Character ROM from disk", 14, 132, 200, 10},
    {kBrowseChar, ControlKind::PushButton, "Browse", 236, 131, 50, 13},
    {kCharPath, ControlKind::StaticText, "(none)", 26, 144, 260, 8},
    {kBuiltinCharx, ControlKind::RadioButton, "Use built-in 4K Character  ROM", 14, 157, 200, 10},
    {kDiskCharx, ControlKind::RadioButton, "Load 4K Character ROM from disk", 14, 168, 200, 10},
    {kBrowseCharx, ControlKind::PushButton, "Browse", 236, 167, 50, 13},
    {kCharxPath, ControlKind::StaticText, "(none)", 26, 180, 260, 8},
    {-1, ControlKind::StaticText, "Note:  ROM will always supplant RAM.", 14, 198, 220, 8},
    {-1, ControlKind::StaticText, "NOTE:  Clicking \"OK\" will hard reset the emulator.", 14, 208, 220, 8},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 7, 222, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 63, 222, 50, 14},
};
}  // namespace
const platform::DialogLayout kLayout = {"Configure Zel Vega Memory", 300, 242, kControls, count(kControls)};
}  // namespace MemoryDialog

namespace SoundDialog {
namespace {
const ControlDef kControls[] = {
    {kClicker, ControlKind::CheckBox, "Key Click Sound", 10, 10, 150, 10},
    {kClickerVolume, ControlKind::Slider, "", 10, 24, 120, 16},
    {kClickerLabel, ControlKind::StaticText, "100% volume", 136, 28, 60, 8},
    {kAy, ControlKind::CheckBox, "AY-3-8910 Sound Chip Sound", 10, 48, 150, 10},
    {kAyVolume, ControlKind::Slider, "", 10, 62, 120, 16},
    {kAyLabel, ControlKind::StaticText, "100% volume", 136, 66, 60, 8},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 10, 88, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 70, 88, 50, 14},
};
}  // namespace
const platform::DialogLayout kLayout = {"Configure Sound", 206, 110, kControls, count(kControls)};
}  // namespace SoundDialog

namespace TimingDialog {
namespace {
const ControlDef kControls[] = {
    {-1, ControlKind::GroupBox, "CPU Timing", 7, 7, 246, 114},
    {kNtsc, ControlKind::RadioButton, "NTSC", 14, 18, 50, 10},
    {kPal, ControlKind::RadioButton, "Pal", 14, 30, 50, 10},
    {kCustom, ControlKind::RadioButton, "Custom", 14, 42, 50, 10},
    {kFast, ControlKind::RadioButton, "Fast!  (turns off sound)", 14, 54, 100, 10},
    {kSpeedSlider, ControlKind::Slider, "", 70, 18, 140, 16},
    {kSpeedLabel, ControlKind::StaticText, "speed * 800%", 74, 36, 100, 8},
    {kHundredPercent, ControlKind::PushButton, "100%", 214, 18, 32, 14},
    {kActiveRate, ControlKind::NumberField, "", 14, 68, 70, 12},
    {kActiveRateLabel, ControlKind::StaticText, "cycles per second, screen ON", 90, 70, 150, 8},
    {kBlankRate, ControlKind::NumberField, "", 14, 84, 70, 12},
    {kBlankRateLabel, ControlKind::StaticText, "cycles per second, screen OFF", 90, 86, 150, 8},
    {kFps, ControlKind::NumberField, "", 14, 100, 70, 12},
    {kFpsLabel, ControlKind::StaticText, "frames per second", 90, 102, 150, 8},
    {-1, ControlKind::GroupBox, "Video Updating", 7, 126, 246, 46},
    {kLimitUpdates, ControlKind::CheckBox, "Try to update this many times per second:", 14, 137, 180, 10},
    {kUpdatesSlider, ControlKind::Slider, "", 14, 150, 160, 16},
    {kUpdatesLabel, ControlKind::StaticText, "60 fps ", 180, 154, 60, 8},
    {-1, ControlKind::GroupBox, "Other", 7, 176, 246, 28},
    {kSpeedUpFiles, ControlKind::CheckBox, "Speed up when accessing files", 14, 187, 180, 10},
    {platform::kDialogOk, ControlKind::DefaultButton, "OK", 7, 212, 50, 14},
    {platform::kDialogCancel, ControlKind::PushButton, "Cancel", 63, 212, 50, 14},
    {kDefault, ControlKind::PushButton, "Default", 203, 212, 50, 14},
};
}  // namespace
const platform::DialogLayout kLayout = {"Configure CPU Timing", 260, 234, kControls, count(kControls)};
}  // namespace TimingDialog
