// The "Colors" dialog's logic.
#include "video/colours_dialog.h"

#include "config/settings.h"
#include "machine/machine.h"
#include "resources/colours_dialog_layout.h"
#include "video/display.h"
#include "video/renderer.h"

using namespace ColoursDialog;

namespace {

// The chooser's custom colours live for the whole run and are never saved.
Rgb customColours[16];
bool customColoursFilled = false;

// The distinct default colours, then black.
constexpr Rgb kStartCustomColours[16] = {
    {16, 16, 16},   {40, 224, 40},  {240, 240, 112}, {32, 32, 216}, {168, 32, 32}, {240, 240, 240},
    {40, 168, 168}, {211, 97, 250}, {240, 136, 40},  {16, 96, 16},  {128, 48, 16}, {240, 176, 64},
    {0, 0, 0},      {0, 0, 0},      {0, 0, 0},       {0, 0, 0},
};

// Entry 5 and entries 23-32 have no swatch.
bool isSwatch(int id) {
    if (id < kFirstSwatch || id > kLastSwatch) return false;
    int entry = id - kFirstSwatch;
    return entry != 5 && (entry < 23 || entry > 32);
}

void checkScale(platform::Dialog* dialog, int scale) {
    for (int s = 1; s <= 3; ++s) platform::DialogCheck(dialog, kScale100 + s - 1, s == scale);
}

void coloursProc(platform::Dialog* dialog, platform::DialogEvent event, int id, void*) {
    using platform::DialogEvent;
    switch (event) {
        case DialogEvent::Init:
            if (!customColoursFilled) {
                for (int i = 0; i < 16; ++i) customColours[i] = kStartCustomColours[i];
                customColoursFilled = true;
            }
            checkScale(dialog, settingsCopy.windowScale);  // a scale out of range checks none
            break;
        case DialogEvent::DrawSwatch:
            if (isSwatch(id)) platform::DialogFillSwatch(dialog, id, settingsCopy.colors[id - kFirstSwatch]);
            break;
        case DialogEvent::Click:
            if (isSwatch(id)) {
                Rgb colour = settingsCopy.colors[id - kFirstSwatch];
                if (platform::ChooseColour(&colour, customColours)) settingsCopy.colors[id - kFirstSwatch] = colour;
                platform::DialogInvalidate(dialog, id);
            } else if (id >= kScale100 && id <= kScale300) {
                settingsCopy.windowScale = id - kScale100 + 1;
                checkScale(dialog, settingsCopy.windowScale);
            } else if (id == platform::kDialogOk || id == platform::kDialogCancel) {
                platform::DialogEnd(dialog, id);
            }
            break;
        default:
            break;
    }
}

}  // namespace

int editColours() {
    settingsCopy = settings;
    int result = platform::RunDialog(kLayout, coloursProc, nullptr);
    if (result != platform::kDialogOk) return platform::kDialogCancel;
    settings = settingsCopy;
    Settings::SaveVideo();
    if (settings.windowScale != Display::displayScale) {
        Display::displayScale = settings.windowScale;
        resizeToScale();
    }
    createFrame();
    // The rebuilt bitmap is black: draw it at the next presentation rather
    // than waiting for the program to touch video memory.
    Machine::state.videoDirty = 1;
    return platform::kDialogOk;
}
