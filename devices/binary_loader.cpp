// The binary loader and its dialog.
#include "devices/binary_loader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "config/settings.h"
#include "devices/host_file.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "resources/binary_loader_layout.h"

namespace BinaryLoader {

namespace {

struct LoadRequest {
    std::string path;
    bool loadValid;
    uint16_t load;
    bool pokeUsr;
    bool usrValid;
    uint16_t usr;
};

// Every problem found, as one text; empty when there was none.
std::string Load(const LoadRequest& request) {
    std::string errors = "ERROR: \n";
    int count = 0;
    auto problem = [&](const char* line) {
        errors += line;
        ++count;
    };
    if (!request.loadValid) problem("Problem with load address\n");
    if (!request.usrValid && request.pokeUsr) problem("Problem with usr address\n");
    std::FILE* file = HostFile::OpenForReading(request.path);
    if (!file) {
        problem("Could not open input file \n");
        return errors;
    }
    int64_t size = HostFile::SizeOf(file);
    if (size <= 0) {
        problem("Problem with input file \n");
    } else if (size > kLargestFile) {
        problem("Input file is too big \n");
    } else {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kLargestFile]);
        if (!buffer) {
            problem("Could not allocate memory\n");
        } else if (std::fread(buffer.get(), 1, size_t(size), file) != size_t(size)) {
            problem("Problem reading file\n");
        } else if (count == 0) {
            if (int64_t(request.load) + size - 1 > 0xFFFF) {
                problem("Loading would extend beyond $FFFF\n");
            } else {
                std::memcpy(Machine::MemoryImage + request.load, buffer.get(), size_t(size));
                if (request.pokeUsr) {
                    Machine::MemoryImage[kUsrVector] = uint8_t(request.usr & 0xFF);
                    Machine::MemoryImage[kUsrVector + 1] = uint8_t(request.usr >> 8);
                }
            }
        }
    }
    std::fclose(file);
    return count ? errors : std::string();
}

using namespace BinaryLoaderLayout;

ParsedAddress ParseField(platform::Dialog* dialog, int id) {
    return ParseAddress(platform::DialogGetText(dialog, id).substr(0, kAddressChars));
}

void Ok(platform::Dialog* dialog) {
    Settings& s = settingsCopy;
    s.pokeExecAddress = platform::DialogIsChecked(dialog, kSetUsr) ? 1 : 0;
    ParsedAddress load = ParseField(dialog, kLoadAddress);
    ParsedAddress exec = ParseField(dialog, kUsrAddress);
    if (load.error == AddressError::None) {
        s.binaryLoadAddress = load.value;
        s.loadAddressIsHex = load.isHex ? 1 : 0;
    }
    if (exec.error == AddressError::None) {
        s.binaryExecAddress = exec.value;
        s.execAddressIsHex = exec.isHex ? 1 : 0;
    }
    setPath(s.binaryPath, platform::DialogGetText(dialog, kPathText));
    std::string errors = Load({s.binaryPath, load.error == AddressError::None, load.value, s.pokeExecAddress != 0,
                               exec.error == AddressError::None, exec.value});
    if (!errors.empty()) {
        platform::ShowMessageBox("Util Load Binary errors", errors, platform::MessageIcon::Exclamation);
        return;
    }
    platform::DialogEnd(dialog, platform::kDialogOk);
}

void DialogProc(platform::Dialog* dialog, platform::DialogEvent event, int id, void*) {
    Settings& s = settingsCopy;
    if (event == platform::DialogEvent::Init) {
        platform::DialogCheck(dialog, kSetUsr, s.pokeExecAddress != 0);
        platform::DialogSetText(dialog, kUsrAddress, FormatAddress(uint16_t(s.binaryExecAddress), s.execAddressIsHex));
        platform::DialogSetText(dialog, kLoadAddress, FormatAddress(uint16_t(s.binaryLoadAddress), s.loadAddressIsHex));
        platform::DialogSetText(dialog, kPathText, s.binaryPath);
        return;
    }
    if (event != platform::DialogEvent::Click) return;
    switch (id) {
    case kSetUsr: platform::DialogCheck(dialog, kSetUsr, !platform::DialogIsChecked(dialog, kSetUsr)); break;
    case kBrowse: {
        platform::FileChooserRequest request;
        request.filters = {
            {"Binary Files (*.bin)", "*.bin"}, {"TASM Object Files (*.obj)", "*.obj"}, {"All Files (*.*)", "*.*"}};
        request.defaultExtension = "bin";
        request.mustExist = true;
        request.presetPath = s.binaryPath;
        if (std::optional<std::string> chosen = platform::ChooseOpenFile(request)) {
            setPath(s.binaryPath, *chosen);
            platform::DialogSetText(dialog, kPathText, s.binaryPath);
        }
        break;
    }
    case platform::kDialogOk: Ok(dialog); break;
    case platform::kDialogCancel: platform::DialogEnd(dialog, platform::kDialogCancel); break;
    default: break;
    }
}

}  // namespace

ParsedAddress ParseAddress(const std::string& text) {
    bool hex = !text.empty() && text[0] == '$';
    std::string digits = hex ? text.substr(1) : text;
    if (digits.empty()) return {hex ? AddressError::BadHex : AddressError::BadDecimal, 0, hex};
    uint64_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return {hex ? AddressError::BadHex : AddressError::BadDecimal, 0, hex};
        // Any length of digits: stop growing once out of range.
        if (value <= 0xFFFF) value = value * (hex ? 16 : 10) + uint64_t(digit);
    }
    if (value > 0xFFFF) return {AddressError::OutOfRange, 0, hex};
    return {AddressError::None, uint16_t(value), hex};
}

std::string FormatAddress(uint16_t value, bool isHex) {
    char text[8];
    std::snprintf(text, sizeof text, isHex ? "$%04x" : "%u", unsigned(value));
    return text;
}

bool Dialog() { return Dialog(settings.binaryPath); }

bool Dialog(const std::string& presetPath) {
    settingsCopy = settings;
    setPath(settingsCopy.binaryPath, presetPath);
    if (platform::RunDialog(BinaryLoaderLayout::kLayout, DialogProc, nullptr) != platform::kDialogOk) return false;
    settings = settingsCopy;
    Settings::SaveLoadBinary();
    return true;
}

std::string LoadFileAt(const std::string& path, uint16_t load, bool setUsr, uint16_t usr) {
    return Load({path, true, load, setUsr, true, usr});
}

}  // namespace BinaryLoader
