// The memory, sound and timing configuration dialogs. Each edits
// settingsCopy; OK copies it back and writes only its own INI section.
#include "config/config_dialogs.h"

#include <cstdio>

#include "config/settings.h"
#include "machine/machine.h"
#include "resources/config_dialogs_layout.h"

using platform::Dialog;
using platform::DialogEvent;

namespace {

void selectRadio(Dialog* dialog, int first, int last, int selected) {
    for (int id = first; id <= last; ++id) platform::DialogCheck(dialog, id, id == selected);
}

void enable(Dialog* dialog, int first, int last, bool enabled) {
    for (int id = first; id <= last; ++id) platform::DialogEnable(dialog, id, enabled);
}

std::string formatInt(const char* format, int value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// ---- Memory ------------------------------------------------------------------------

namespace mem = MemoryDialog;

// One ROM's controls: built-in and from-disk radio buttons, Browse, the path text.
struct RomControls {
    int builtin, disk, browse, path;
    uint8_t Settings::*useBuiltin;
    char (Settings::*file)[kPathSize];
};
const RomControls kRoms[3] = {
    {mem::kBuiltinBasic, mem::kDiskBasic, mem::kBrowseBasic, mem::kBasicPath, &Settings::useBuiltinBasicRom,
     &Settings::basicRomPath},
    {mem::kBuiltinChar, mem::kDiskChar, mem::kBrowseChar, mem::kCharPath, &Settings::useBuiltinCharRom,
     &Settings::charRomPath},
    {mem::kBuiltinCharx, mem::kDiskCharx, mem::kBrowseCharx, mem::kCharxPath, &Settings::useBuiltinCharxRom,
     &Settings::charxRomPath},
};

void selectRomSource(Dialog* dialog, const RomControls& rom, bool builtin) {
    platform::DialogCheck(dialog, rom.builtin, builtin);
    platform::DialogCheck(dialog, rom.disk, !builtin);
    platform::DialogEnable(dialog, rom.browse, !builtin);
    platform::DialogEnable(dialog, rom.path, !builtin);
}

void browseRom(Dialog* dialog, const RomControls& rom) {
    platform::FileChooserRequest request;
    request.filters = {{"ROM Files (*.ROM, *.BIN)", "*.rom;*.bin"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = "bin";
    request.mustExist = true;
    request.presetPath = settingsCopy.*rom.file;
    if (auto chosen = platform::ChooseOpenFile(request)) {
        setPath(settingsCopy.*rom.file, *chosen);
        platform::DialogSetText(dialog, rom.path, settingsCopy.*rom.file);
    }
}

void memoryProc(Dialog* dialog, DialogEvent event, int id, void*) {
    if (event == DialogEvent::Init) {
        selectRadio(dialog, mem::kNoExpansion, mem::kExpansion16K,
                    settingsCopy.ramExpansion ? mem::kExpansion16K : mem::kNoExpansion);
        selectRadio(dialog, mem::kNormal, mem::kEnhanced, settingsCopy.memoryEnhanced ? mem::kEnhanced : mem::kNormal);
        // The expansion only matters in the normal map; it keeps its selection while greyed.
        enable(dialog, mem::kNoExpansion, mem::kExpansion16K, !settingsCopy.memoryEnhanced);
        for (const RomControls& rom : kRoms) {
            platform::DialogSetText(dialog, rom.path, settingsCopy.*rom.file);
            selectRomSource(dialog, rom, settingsCopy.*rom.useBuiltin != 0);
        }
        return;
    }
    if (event != DialogEvent::Click) return;
    switch (id) {
        case mem::kNormal:
        case mem::kEnhanced:
            selectRadio(dialog, mem::kNormal, mem::kEnhanced, id);
            enable(dialog, mem::kNoExpansion, mem::kExpansion16K, id == mem::kNormal);
            return;
        case mem::kNoExpansion:
        case mem::kExpansion16K:
            selectRadio(dialog, mem::kNoExpansion, mem::kExpansion16K, id);
            return;
        case platform::kDialogOk:
            settingsCopy.memoryEnhanced = platform::DialogIsChecked(dialog, mem::kEnhanced);
            settingsCopy.ramExpansion = platform::DialogIsChecked(dialog, mem::kExpansion16K) ? 1 : 0;
            for (const RomControls& rom : kRoms) settingsCopy.*rom.useBuiltin = platform::DialogIsChecked(dialog, rom.builtin);
            platform::DialogEnd(dialog, platform::kDialogOk);
            return;
        case platform::kDialogCancel:
            platform::DialogEnd(dialog, platform::kDialogCancel);
            return;
        default:
            break;
    }
    for (const RomControls& rom : kRoms) {
        if (id == rom.builtin || id == rom.disk) selectRomSource(dialog, rom, id == rom.builtin);
        if (id == rom.browse) browseRom(dialog, rom);
    }
}

// ---- Sound ------------------------------------------------------------------------

namespace snd = SoundDialog;

void soundProc(Dialog* dialog, DialogEvent event, int id, void*) {
    switch (event) {
        case DialogEvent::Init:
            platform::DialogCheck(dialog, snd::kClicker, settingsCopy.clickerOn);
            platform::DialogCheck(dialog, snd::kAy, settingsCopy.ayOn);
            for (int slider : {snd::kClickerVolume, snd::kAyVolume}) platform::DialogSliderSetup(dialog, slider, 0, 100, 10);
            platform::DialogSliderSetPosition(dialog, snd::kClickerVolume, settingsCopy.clickerVolumePercent);
            platform::DialogSliderSetPosition(dialog, snd::kAyVolume, settingsCopy.ayVolumePercent);
            platform::DialogSetText(dialog, snd::kClickerLabel, formatInt("%d%% Volume", settingsCopy.clickerVolumePercent));
            platform::DialogSetText(dialog, snd::kAyLabel, formatInt("%d%% Volume", settingsCopy.ayVolumePercent));
            break;
        case DialogEvent::SliderMoved:
            if (id == snd::kClickerVolume) {
                settingsCopy.clickerVolumePercent = platform::DialogSliderPosition(dialog, id);
                platform::DialogSetText(dialog, snd::kClickerLabel, formatInt("%d%% Volume", settingsCopy.clickerVolumePercent));
            } else if (id == snd::kAyVolume) {
                settingsCopy.ayVolumePercent = platform::DialogSliderPosition(dialog, id);
                platform::DialogSetText(dialog, snd::kAyLabel, formatInt("%d%% Volume", settingsCopy.ayVolumePercent));
            }
            break;
        case DialogEvent::Click:
            if (id == snd::kClicker || id == snd::kAy) {
                platform::DialogCheck(dialog, id, !platform::DialogIsChecked(dialog, id));
            } else if (id == platform::kDialogOk) {
                settingsCopy.clickerOn = platform::DialogIsChecked(dialog, snd::kClicker);
                settingsCopy.ayOn = platform::DialogIsChecked(dialog, snd::kAy);
                platform::DialogEnd(dialog, platform::kDialogOk);
            } else if (id == platform::kDialogCancel) {
                platform::DialogEnd(dialog, platform::kDialogCancel);
            }
            break;
        default:
            break;
    }
}

// ---- Timing ------------------------------------------------------------------------

namespace tim = TimingDialog;

constexpr int kMinimumCustomRate = 24;  // T-states per second, the two rates together
// The settings' range; far more frames per second would leave the sound
// stream less than one sample a frame.
constexpr uint32_t kMaximumCustomFps = 600;

struct TimingContext {
    int32_t* percentTarget = nullptr;  // ntscPercent or palPercent of the copy, or none
};

void showRates(Dialog* dialog, int percent) {
    platform::DialogSetNumber(dialog, tim::kActiveRate, uint32_t(int64_t(Machine::kScreenOnBaseRate) * percent / 100));
    platform::DialogSetNumber(dialog, tim::kBlankRate, uint32_t(int64_t(Machine::kScreenOffBaseRate) * percent / 100));
}

void speedSliderMoved(Dialog* dialog, TimingContext& context) {
    int position = platform::DialogSliderPosition(dialog, tim::kSpeedSlider);
    if (context.percentTarget) {
        *context.percentTarget = position;
        showRates(dialog, position);
    }
    if (platform::DialogIsChecked(dialog, tim::kNtsc))
        platform::DialogSetText(dialog, tim::kSpeedLabel, formatInt("NTSC * %d%%", position));
    else if (platform::DialogIsChecked(dialog, tim::kPal))
        platform::DialogSetText(dialog, tim::kSpeedLabel, formatInt("PAL * %d%%", position));
    else
        platform::DialogSetText(dialog, tim::kSpeedLabel, " ");
}

void selectSpeedOption(Dialog* dialog, TimingContext& context, int id) {
    selectRadio(dialog, tim::kNtsc, tim::kFast, id);
    const bool standard = id == tim::kNtsc || id == tim::kPal;
    platform::DialogEnable(dialog, tim::kSpeedSlider, standard);
    platform::DialogEnable(dialog, tim::kSpeedLabel, standard);
    platform::DialogEnable(dialog, tim::kHundredPercent, standard);
    enable(dialog, tim::kActiveRate, tim::kFps, id == tim::kCustom);
    if (standard) {
        const bool ntsc = id == tim::kNtsc;
        context.percentTarget = ntsc ? &settingsCopy.ntscPercent : &settingsCopy.palPercent;
        int percent = *context.percentTarget;
        platform::DialogSliderSetPosition(dialog, tim::kSpeedSlider, percent);
        platform::DialogSetText(dialog, tim::kSpeedLabel, formatInt(ntsc ? "NTSC * %d%%" : "PAL * %d%%", percent));
        showRates(dialog, percent);
        platform::DialogSetNumber(dialog, tim::kFps, ntsc ? 60 : 50);
    } else if (id == tim::kCustom) {
        platform::DialogSetNumber(dialog, tim::kActiveRate, settingsCopy.customActiveRate);
        platform::DialogSetNumber(dialog, tim::kBlankRate, settingsCopy.customBlankRate);
        platform::DialogSetNumber(dialog, tim::kFps, uint32_t(settingsCopy.customFps));
    } else {
        for (int field = tim::kActiveRate; field <= tim::kFps; ++field) platform::DialogSetText(dialog, field, "n/a");
    }
}

void toggleLimitUpdates(Dialog* dialog) {
    bool ticked = !platform::DialogIsChecked(dialog, tim::kLimitUpdates);
    platform::DialogCheck(dialog, tim::kLimitUpdates, ticked);
    enable(dialog, tim::kUpdatesSlider, tim::kUpdatesLabel, ticked);
}

void toggleSpeedUpFiles(Dialog* dialog) {
    platform::DialogCheck(dialog, tim::kSpeedUpFiles, !platform::DialogIsChecked(dialog, tim::kSpeedUpFiles));
}

// Reads the custom fields; false (with the corrected values shown) when they were refused.
bool acceptCustomTiming(Dialog* dialog) {
    uint32_t active = 0, blank = 0, fps = 0;
    platform::DialogGetNumber(dialog, tim::kActiveRate, &active);
    platform::DialogGetNumber(dialog, tim::kBlankRate, &blank);
    platform::DialogGetNumber(dialog, tim::kFps, &fps);
    bool accepted = true;
    if (fps == 0 || fps > kMaximumCustomFps) {
        platform::DialogSetNumber(dialog, tim::kFps, fps == 0 ? 1 : kMaximumCustomFps);
        accepted = false;
    }
    if (uint64_t(active) + blank < uint64_t(kMinimumCustomRate)) {
        platform::DialogSetNumber(dialog, tim::kActiveRate, kMinimumCustomRate);
        platform::DialogSetNumber(dialog, tim::kBlankRate, kMinimumCustomRate);
        accepted = false;
    } else {
        // Each rate on its own is held to the settings' range too: the INI
        // reader raises a lower one to 24 at the next start, so storing it
        // would make this run and the next run at different speeds.
        if (active < uint32_t(kMinimumCustomRate)) {
            platform::DialogSetNumber(dialog, tim::kActiveRate, kMinimumCustomRate);
            accepted = false;
        }
        if (blank < uint32_t(kMinimumCustomRate)) {
            platform::DialogSetNumber(dialog, tim::kBlankRate, kMinimumCustomRate);
            accepted = false;
        }
    }
    if (!accepted) return false;
    settingsCopy.customActiveRate = active;
    settingsCopy.customBlankRate = blank;
    settingsCopy.customFps = int32_t(fps);
    return true;
}

void timingOk(Dialog* dialog) {
    settingsCopy.speedUpFiles = platform::DialogIsChecked(dialog, tim::kSpeedUpFiles);
    settingsCopy.limitVideoUpdates = platform::DialogIsChecked(dialog, tim::kLimitUpdates);
    if (platform::DialogIsChecked(dialog, tim::kNtsc)) {
        settingsCopy.cpuSpeedOption = 0;
    } else if (platform::DialogIsChecked(dialog, tim::kPal)) {
        settingsCopy.cpuSpeedOption = 1;
    } else if (platform::DialogIsChecked(dialog, tim::kFast)) {
        settingsCopy.cpuSpeedOption = 3;
        // Fast runs without sound for this run; the SOUND section is left as it was.
        settingsCopy.clickerOn = 0;
        settingsCopy.ayOn = 0;
    } else if (platform::DialogIsChecked(dialog, tim::kCustom)) {
        settingsCopy.cpuSpeedOption = 2;
        if (!acceptCustomTiming(dialog)) return;
    }
    platform::DialogEnd(dialog, platform::kDialogOk);
}

void timingProc(Dialog* dialog, DialogEvent event, int id, void* contextPointer) {
    TimingContext& context = *static_cast<TimingContext*>(contextPointer);
    switch (event) {
        case DialogEvent::Init: {
            context.percentTarget = nullptr;
            platform::DialogSliderSetup(dialog, tim::kSpeedSlider, 1, 800, 20);
            platform::DialogSliderSetup(dialog, tim::kUpdatesSlider, 1, 600, 5);
            platform::DialogSliderSetPosition(dialog, tim::kUpdatesSlider, settingsCopy.videoUpdatesPerSecond);
            enable(dialog, tim::kSpeedSlider, tim::kFps, false);
            enable(dialog, tim::kUpdatesSlider, tim::kHundredPercent, false);
            enable(dialog, tim::kActiveRateLabel, tim::kFpsLabel, false);
            platform::DialogCheck(dialog, tim::kSpeedUpFiles, false);
            platform::DialogCheck(dialog, tim::kLimitUpdates, false);
            if (settingsCopy.cpuSpeedOption <= 3) selectSpeedOption(dialog, context, tim::kNtsc + settingsCopy.cpuSpeedOption);
            if (settingsCopy.speedUpFiles) toggleSpeedUpFiles(dialog);
            if (settingsCopy.limitVideoUpdates) toggleLimitUpdates(dialog);
            platform::DialogSetText(dialog, tim::kUpdatesLabel, formatInt("%d fps ", settingsCopy.videoUpdatesPerSecond));
            break;
        }
        case DialogEvent::SliderMoved:
            if (id == tim::kSpeedSlider) {
                speedSliderMoved(dialog, context);
            } else if (id == tim::kUpdatesSlider) {
                settingsCopy.videoUpdatesPerSecond = platform::DialogSliderPosition(dialog, id);
                platform::DialogSetText(dialog, tim::kUpdatesLabel, formatInt("%d fps ", settingsCopy.videoUpdatesPerSecond));
            }
            break;
        case DialogEvent::Click:
            switch (id) {
                case tim::kNtsc:
                case tim::kPal:
                case tim::kCustom:
                case tim::kFast:
                    selectSpeedOption(dialog, context, id);
                    break;
                case tim::kLimitUpdates:
                    toggleLimitUpdates(dialog);
                    break;
                case tim::kSpeedUpFiles:
                    toggleSpeedUpFiles(dialog);
                    break;
                case tim::kHundredPercent:
                    platform::DialogSliderSetPosition(dialog, tim::kSpeedSlider, 100);
                    speedSliderMoved(dialog, context);
                    break;
                case tim::kDefault:
                    selectSpeedOption(dialog, context, tim::kNtsc);
                    platform::DialogSliderSetPosition(dialog, tim::kSpeedSlider, 100);
                    speedSliderMoved(dialog, context);
                    if (platform::DialogIsChecked(dialog, tim::kLimitUpdates)) toggleLimitUpdates(dialog);
                    if (platform::DialogIsChecked(dialog, tim::kSpeedUpFiles)) toggleSpeedUpFiles(dialog);
                    break;
                case platform::kDialogOk:
                    timingOk(dialog);
                    break;
                case platform::kDialogCancel:
                    platform::DialogEnd(dialog, platform::kDialogCancel);
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
}

// The run's key click and AY sound from before "Fast!" switched them off,
// given back when the timing leaves Fast. Never written to the file.
struct SoundBeforeFast {
    bool held = false;
    uint8_t clickerOn = 0, ayOn = 0;
};
SoundBeforeFast soundBeforeFast;

}  // namespace

namespace ConfigDialogs {

bool Memory() {
    settingsCopy = settings;
    if (platform::RunDialog(MemoryDialog::kLayout, memoryProc, nullptr) != platform::kDialogOk) return false;
    settings = settingsCopy;
    Settings::SaveMemory();
    Machine::LoadRomImages();
    return true;
}

bool Sound() {
    settingsCopy = settings;
    if (platform::RunDialog(SoundDialog::kLayout, soundProc, nullptr) != platform::kDialogOk) return false;
    settings = settingsCopy;
    Settings::SaveSound();
    soundBeforeFast.held = false;  // the user's own choice from now on
    return true;
}

bool Timing() {
    settingsCopy = settings;
    TimingContext context;
    if (platform::RunDialog(TimingDialog::kLayout, timingProc, &context) != platform::kDialogOk) return false;
    if (settingsCopy.cpuSpeedOption == 3) {
        if (!soundBeforeFast.held) soundBeforeFast = {true, settings.clickerOn, settings.ayOn};
    } else if (soundBeforeFast.held) {
        settingsCopy.clickerOn = soundBeforeFast.clickerOn;
        settingsCopy.ayOn = soundBeforeFast.ayOn;
        soundBeforeFast.held = false;
    }
    settings = settingsCopy;
    Settings::SaveSpeed();
    return true;
}

}  // namespace ConfigDialogs
