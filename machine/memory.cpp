// Memory image, ROM images, cartridges and the RAM dump.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/host_file.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "platform/platform.h"

namespace Machine {

uint8_t MemoryImage[65536];
uint8_t BasicRomImage[kBasicRomSize];
uint8_t CharRomImage[kCharRomSize];
uint8_t ExtCharRomImage[kExtCharRomSize];
uint8_t* GameRomImage = nullptr;
const uint8_t* romSource = nullptr;
std::string startDirectory = ".";

namespace {

constexpr const char* kFileMissingTitle = "VZELVEGA - File Missing";

// Length of an open file; -1 when it cannot be told (not a regular file).
long FileLength(FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long length = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return length;
}

// Replaces `image` by up to `size` bytes of the file, 00h behind a short one.
// False (image untouched) when the file cannot be opened or is empty.
bool LoadRomFile(const char* path, uint8_t* image, size_t size) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    long length = FileLength(file);
    if (length <= 0) {
        std::fclose(file);
        return false;
    }
    std::memset(image, 0, size);
    size_t read = std::fread(image, 1, size, file);  // a short read leaves 00h behind, as a short file does
    std::fclose(file);
    return read > 0;  // nothing readable (a directory, say) counts as missing
}

void ReportMissing(const char* what, const char* path) {
    char text[kPathSize + 96];
    std::snprintf(text, sizeof text, "Could not load in %s\n %s\n  See Configuration/Memory.", what, path);
    platform::ShowMessageBox(kFileMissingTitle, text, platform::MessageIcon::Exclamation);
}

}  // namespace

void FillMemoryForHardReset() {
    if (romSource) std::memcpy(MemoryImage, romSource, kBasicRomSize);
    std::memset(MemoryImage + 0x4000, 0xFF, 0xC000);
    std::memset(MemoryImage + 0xC000, 0x00, 0x4000);
    if (settings.ramExpansion == 1) std::memset(MemoryImage + 0x8000, 0x00, 0x8000);
    if (settings.memoryEnhanced) std::memset(MemoryImage + 0x4000, 0x00, 0xC000);
}

void LoadRomImages() {
    std::memcpy(BasicRomImage, BuiltinBasicRom, kBasicRomSize);
    std::memcpy(ExtCharRomImage, BuiltinExtCharRom, kExtCharRomSize);
    std::memcpy(CharRomImage, BuiltinCharRom, kCharRomSize);
    if (!settings.useBuiltinBasicRom && !LoadRomFile(settings.basicRomPath, BasicRomImage, kBasicRomSize)) {
        std::memcpy(BasicRomImage, BuiltinBasicRom, kBasicRomSize);
        ReportMissing("ROM OS file", settings.basicRomPath);
    }
    if (!settings.useBuiltinCharRom && !LoadRomFile(settings.charRomPath, CharRomImage, kCharRomSize)) {
        std::memcpy(CharRomImage, BuiltinCharRom, kCharRomSize);
        ReportMissing("Character ROM file", settings.charRomPath);
    }
    if (!settings.useBuiltinCharxRom && !LoadRomFile(settings.charxRomPath, ExtCharRomImage, kExtCharRomSize)) {
        std::memcpy(ExtCharRomImage, BuiltinExtCharRom, kExtCharRomSize);
        ReportMissing("Extended Character ROM file", settings.charxRomPath);
    }
    if (!romSource) romSource = BasicRomImage;
}

void LoadGameRom() {
    if (QuickType::IsActive()) {
        platform::ShowNotice("Load Game ROM: wait until Quick Type has finished");
        return;
    }
    if (CassetteDeck::tapeLoaded && CassetteDeck::cassetteMotorOn) {
        platform::ShowNotice("Load Game ROM: wait until the tape has stopped");
        return;
    }
    platform::FileChooserRequest request;
    request.filters = {{"ROM Game/Application Files (*.ROM, *.BIN)", "*.rom;*.bin"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = "bin";
    request.mustExist = true;
    request.presetPath = settings.gameRomPath;
    std::optional<std::string> path = platform::ChooseOpenFile(request);
    if (!path) return;
    LoadGameRomFile(*path);
}

bool LoadGameRomFile(const std::string& path) {
    FILE* file = HostFile::OpenForReading(path);
    if (!file) {
        platform::ShowNotice("Cartridge " + path + " not loaded: " + std::strerror(errno));
        return false;
    }
    long length = FileLength(file);
    // Lengths are taken whole (no 32-bit wrap): a huge file is refused, not cut.
    if (length < 1 || length > long(kGameRomSize)) {
        std::fclose(file);
        // The old cartridge stays, as before; the user learns why nothing changed.
        std::string size = length < 0 ? std::string("its size cannot be told") : std::to_string(length) + " bytes";
        platform::ShowNotice("Cartridge " + path + " refused: " + size + " (1 to " + std::to_string(kGameRomSize) +
                             " bytes fit)");
        return false;
    }
    RemoveGameRom();
    auto* image = new uint8_t[kGameRomSize];
    std::memset(image, 0xFF, kGameRomSize);
    if (std::fread(image, 1, size_t(length), file) == size_t(length)) {
        GameRomImage = image;
    } else {
        delete[] image;
    }
    std::fclose(file);
    setPath(settings.gameRomPath, path);
    Settings::SaveFilesKey("gamerom");
    if (GameRomImage)
        platform::ShowNotice("Cartridge " + path + " loaded: " + std::to_string(length) + " bytes at 4000h");
    else
        platform::ShowNotice("Cartridge " + path + " not loaded: the file cannot be read whole; the old one was removed");
    return GameRomImage != nullptr;
}

void RemoveGameRom() {
    delete[] GameRomImage;
    GameRomImage = nullptr;
    int32_t pc = CpuCore::lastOpcodeAddress;
    if ((pc >= 0x4000 && pc <= 0x7FFF) || state.cartridgeCodeRun) Reset(2);
}

bool SaveRam() {
    std::string path = startDirectory + "/ram.bin";
    static uint8_t dump[0x10000];
    for (uint32_t address = 0; address < 0x10000; ++address) dump[address] = ReadMemory(uint16_t(address));
    // Through a temporary: a full disk keeps the previous dump whole.
    int error = 0;
    bool saved = platform::WriteWholeFile(path, dump, sizeof dump, true, &error);
    platform::ShowNotice(saved ? "Save Ram: " + path : "Save Ram failed: " + path + ": " + std::strerror(error));
    return saved;
}

namespace {

// A ROM image as the built-in one (a flag alone) or as its bytes.
void SaveRom(StateWriter& out, const uint8_t* image, const uint8_t* builtin, size_t size) {
    bool isBuiltin = std::memcmp(image, builtin, size) == 0;
    out.U8(isBuiltin ? 0 : 1);
    if (!isBuiltin) out.Bytes(image, size);
}

void LoadRom(StateReader& in, uint8_t* into, const uint8_t* builtin, size_t size) {
    uint8_t kind = in.U8();
    if (kind == 0) std::memcpy(into, builtin, size);
    else if (kind == 1) in.Bytes(into, size);
    else in.Fail();
}

}  // namespace

void SaveMemoryMap(StateWriter& out) {
    out.BeginSection(kMemorySectionTag, kMemorySectionVersion);
    out.U8(settings.memoryEnhanced ? 1 : 0);
    out.U8(uint8_t(settings.ramExpansion));
    out.Bytes(MemoryImage, sizeof MemoryImage);
    SaveRom(out, BasicRomImage, BuiltinBasicRom, kBasicRomSize);
    SaveRom(out, CharRomImage, BuiltinCharRom, kCharRomSize);
    SaveRom(out, ExtCharRomImage, BuiltinExtCharRom, kExtCharRomSize);
    out.Bool(GameRomImage != nullptr);
    if (GameRomImage) out.Bytes(GameRomImage, kGameRomSize);
    out.EndSection();
}

bool LoadMemoryMap(StateReader& in, uint16_t, MemorySaved* into) {
    into->memoryEnhanced = in.U8();
    into->ramExpansion = in.U8();
    in.Bytes(into->memory, sizeof into->memory);
    LoadRom(in, into->basicRom, BuiltinBasicRom, kBasicRomSize);
    LoadRom(in, into->charRom, BuiltinCharRom, kCharRomSize);
    LoadRom(in, into->extCharRom, BuiltinExtCharRom, kExtCharRomSize);
    into->cartridgePresent = in.Bool();
    if (into->cartridgePresent) in.Bytes(into->cartridge, kGameRomSize);
    return in.Ok() && into->memoryEnhanced <= 1 && into->ramExpansion <= 1;
}

void RestoreMemoryMap(const MemorySaved& saved) {
    settings.memoryEnhanced = saved.memoryEnhanced;
    settings.ramExpansion = saved.ramExpansion;
    std::memcpy(MemoryImage, saved.memory, sizeof MemoryImage);
    std::memcpy(BasicRomImage, saved.basicRom, kBasicRomSize);
    std::memcpy(CharRomImage, saved.charRom, kCharRomSize);
    std::memcpy(ExtCharRomImage, saved.extCharRom, kExtCharRomSize);
    romSource = BasicRomImage;
    if (saved.cartridgePresent) {
        if (!GameRomImage) GameRomImage = new uint8_t[kGameRomSize];
        std::memcpy(GameRomImage, saved.cartridge, kGameRomSize);
    } else {
        delete[] GameRomImage;  // not RemoveGameRom: no reset check, the CPU state is the file's
        GameRomImage = nullptr;
    }
}

}  // namespace Machine
