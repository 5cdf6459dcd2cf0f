// The printer port and its configuration dialog.
#include "devices/printer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/settings.h"
#include "devices/cassette.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "resources/printer_dialog_layout.h"

namespace PrinterPort {

State state;

namespace {

std::FILE* printerFile = nullptr;
std::string openedPath;  // the path may change in the dialog while the file is open
// One diagnostic line per run of failed opens, not one per byte.
bool openFailureReported = false;

void Put(uint8_t b) { std::fputc(b, printerFile); }

}  // namespace

void WritePortByte(uint8_t value) {
    state.lastPrinterCycle = Machine::state.cycleCounter;
    uint8_t b = uint8_t(~value);
    if (Machine::state.cycleCounter == kStartUpWriteCycle && b == 0xFF) return;
    WriteByte(b);
}

void WriteByte(uint8_t b) {
    state.lastPrinterCycle = Machine::state.cycleCounter;
    if (!printerFile) {
        printerFile = std::fopen(settings.printerPath, "ab");
        if (!printerFile) {
            if (!openFailureReported) {
                std::string reason = std::strerror(errno);
                std::string line = std::string("Could not open printer file ") + settings.printerPath + "\n";
                platform::DebugOutput(line.c_str());
                // The byte is lost as before; the user learns why the file stays empty.
                platform::ShowNotice(std::string("Printer file ") + settings.printerPath +
                                     " cannot be opened: " + reason);
                openFailureReported = true;
            }
            return;
        }
        openFailureReported = false;
        openedPath = settings.printerPath;
    }
    CassetteDeck::fileActivity |= CassetteDeck::kActivityPrinter;
    Put(b);
    if (b == 0x09) state.printerColumn = uint8_t((state.printerColumn + 8) & ~7);
    else if (b >= 0x20) ++state.printerColumn;
    else if (b == 0x0D) state.printerColumn = 0;
    if (settings.printerFixedWidth && state.printerColumn >= settings.printerWidth) {
        Put(0x0D);
        Put(0x0A);
        state.printerColumn = 0;
    }
}

void OnFrame() {
    if (printerFile && Machine::state.cycleCounter - state.lastPrinterCycle > kIdleCycles) Close();
}

void Close() {
    if (printerFile) {
        // Buffered writes fail late (a full disk): report it rather than lose it quietly.
        bool failed = std::ferror(printerFile) != 0;
        if (std::fclose(printerFile) != 0) failed = true;
        if (failed) {
            std::string line = std::string("Printer file ") + openedPath + " was not written completely\n";
            platform::DebugOutput(line.c_str());
            platform::ShowNotice("Printer file " + openedPath + " was not written completely");
        }
    }
    printerFile = nullptr;
    CassetteDeck::fileActivity &= uint8_t(~CassetteDeck::kActivityPrinter);
}

bool IsOpen() { return printerFile != nullptr; }

int32_t ClampWidth(bool valid, uint32_t entered) {
    if (!valid || entered < kSmallestWidth) return int32_t(kFallbackWidth);
    if (entered > kLargestWidth) return int32_t(kLargestWidth);
    return int32_t(entered);
}

namespace {

using namespace PrinterDialogLayout;

void SelectWidthMode(platform::Dialog* dialog, bool fixed) {
    platform::DialogCheck(dialog, kUnlimitedWidth, !fixed);
    platform::DialogCheck(dialog, kFixedWidth, fixed);
    platform::DialogEnable(dialog, kWidthField, fixed);
}

void DialogProc(platform::Dialog* dialog, platform::DialogEvent event, int id, void*) {
    Settings& s = settingsCopy;
    if (event == platform::DialogEvent::Init) {
        platform::DialogCheck(dialog, kAutoLineFeed, s.printerAutoLineFeed != 0);
        platform::DialogSetNumber(dialog, kWidthField, uint32_t(s.printerWidth));
        SelectWidthMode(dialog, s.printerFixedWidth != 0);
        platform::DialogSetText(dialog, kPathText, s.printerPath);
        return;
    }
    if (event != platform::DialogEvent::Click) return;
    switch (id) {
    case kAutoLineFeed:
        platform::DialogCheck(dialog, kAutoLineFeed, !platform::DialogIsChecked(dialog, kAutoLineFeed));
        break;
    case kUnlimitedWidth: SelectWidthMode(dialog, false); break;
    case kFixedWidth: SelectWidthMode(dialog, true); break;
    case kBrowse: {
        platform::FileChooserRequest request;
        request.filters = {{"Text Files (*.TXT)", "*.txt"}, {"All Files (*.*)", "*.*"}};
        request.defaultExtension = "txt";
        request.presetPath = platform::DialogGetText(dialog, kPathText);
        if (std::optional<std::string> chosen = platform::ChooseSaveFile(request)) {
            setPath(s.printerPath, *chosen);
            platform::DialogSetText(dialog, kPathText, s.printerPath);
        }
        break;
    }
    case platform::kDialogOk: {
        s.printerAutoLineFeed = platform::DialogIsChecked(dialog, kAutoLineFeed) ? 1 : 0;
        uint32_t entered = 0;
        bool valid = platform::DialogGetNumber(dialog, kWidthField, &entered);
        s.printerWidth = ClampWidth(valid, entered);
        setPath(s.printerPath, platform::DialogGetText(dialog, kPathText));
        s.printerFixedWidth = platform::DialogIsChecked(dialog, kFixedWidth) ? 1 : 0;
        platform::DialogEnd(dialog, platform::kDialogOk);
        break;
    }
    case platform::kDialogCancel: platform::DialogEnd(dialog, platform::kDialogCancel); break;
    default: break;
    }
}

}  // namespace

bool ConfigureDialog() {
    settingsCopy = settings;
    if (platform::RunDialog(PrinterDialogLayout::kLayout, DialogProc, nullptr) != platform::kDialogOk)
        return false;
    settings = settingsCopy;
    Settings::SavePrinter();
    return true;
}

void SaveState(StateWriter& out) {
    out.BeginSection(kStateSectionTag, kStateSectionVersion);
    out.U8(state.printerColumn);
    out.U32(state.lastPrinterCycle);
    out.EndSection();
}

bool LoadState(StateReader& in, uint16_t, State* into) {
    into->printerColumn = in.U8();
    into->lastPrinterCycle = in.U32();
    return in.Ok();
}

void RestoreState(const State& saved) {
    Close();
    state = saved;
}

}  // namespace PrinterPort
