// Save states: sections, the file around them, the scratch machine a load
// goes through, and the menu commands.
#include "state/save_state.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "cpu/cpu_save.h"
#include "devices/cassette.h"
#include "devices/host_file.h"
#include "devices/printer.h"
#include "devices/quick_type.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "sound/ay_log.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"
#include "state/state_io.h"
#include "video/renderer.h"

namespace SaveState {

namespace {

// Offsets in the header.
constexpr size_t kFormatVersionAt = 8;
constexpr size_t kHeaderSizeAt = 12;
constexpr size_t kFileSizeAt = 16;
constexpr size_t kProgramVersionAt = 20;
constexpr size_t kThumbnailSizeAt = 36;
constexpr size_t kThumbnailAt = 40;
// Larger files are not ours: a state is some 190 KB, 250 KB with ROM files
// and a cartridge, more only with a long quick-type text.
constexpr int64_t kLargestStateFile = 256 * 1024 * 1024;

// The machine a load builds before anything running is touched.
struct Scratch {
    CpuSaved cpu;
    Machine::State latches;
    Machine::TimingSaved timing;
    Machine::MemorySaved memory;
    Psg psg;
    SoundSaved sound;
    KeyboardMapper::State keyboard;
    QuickType::Saved quickType;
    CassetteDeck::Saved cassette;
    PrinterPort::State printer;
};

// One known section: its tag, the newest version this program reads, and its reader.
struct SectionKind {
    const char* tag;
    uint16_t version;
    bool (*load)(StateReader& in, uint16_t version, Scratch& into);
};

const SectionKind kSections[] = {
    {kCpuSectionTag, kCpuSectionVersion, [](StateReader& in, uint16_t v, Scratch& s) { return CpuLoadState(in, v, &s.cpu); }},
    {Machine::kLatchSectionTag, Machine::kLatchSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return Machine::LoadLatches(in, v, &s.latches); }},
    {Machine::kTimingSectionTag, Machine::kTimingSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return Machine::LoadTimingSettings(in, v, &s.timing); }},
    {Machine::kMemorySectionTag, Machine::kMemorySectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return Machine::LoadMemoryMap(in, v, &s.memory); }},
    {kPsgSectionTag, kPsgSectionVersion, [](StateReader& in, uint16_t v, Scratch& s) { return psgLoadState(in, v, &s.psg); }},
    {kSoundSectionTag, kSoundSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return SoundLoadState(in, v, &s.sound); }},
    {KeyboardMapper::kStateSectionTag, KeyboardMapper::kStateSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return KeyboardMapper::LoadState(in, v, &s.keyboard); }},
    {QuickType::kStateSectionTag, QuickType::kStateSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return QuickType::LoadState(in, v, &s.quickType); }},
    {CassetteDeck::kStateSectionTag, CassetteDeck::kStateSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return CassetteDeck::LoadState(in, v, &s.cassette); }},
    {PrinterPort::kStateSectionTag, PrinterPort::kStateSectionVersion,
     [](StateReader& in, uint16_t v, Scratch& s) { return PrinterPort::LoadState(in, v, &s.printer); }},
};
constexpr size_t kSectionCount = sizeof kSections / sizeof kSections[0];

uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void TakeOver(Scratch& s) {
    // What a reset ends; the devices' restores close their own files.
    endAyLog();
    QuickType::RestoreState(s.quickType);
    CassetteDeck::RestoreState(s.cassette);
    PrinterPort::RestoreState(s.printer);
    Machine::RestoreMemoryMap(s.memory);
    Machine::RestoreLatches(s.latches);
    Machine::RestoreTimingSettings(s.timing);  // after the latches: the display bit picks the rate
    CpuRestoreState(s.cpu);
    psgRestoreState(s.psg);
    SoundRestoreState(s.sound);
    KeyboardMapper::RestoreState(s.keyboard);
    FrameScheduler::state.running = true;
    FrameScheduler::state.frameOpen = false;  // a frame the monitor stopped inside belongs to the moment left
    FrameScheduler::ResyncClock();
}

std::string Named(const std::string& reason, const std::string& path) { return reason + ": " + path; }

}  // namespace

void WriteSections(std::vector<uint8_t>& out) {
    StateWriter w(out);
    CpuSaveState(w);
    Machine::SaveLatches(w);
    Machine::SaveTimingSettings(w);
    Machine::SaveMemoryMap(w);
    psgSaveState(w);
    SoundSaveState(w);
    KeyboardMapper::SaveState(w);
    QuickType::SaveState(w);
    CassetteDeck::SaveState(w);
    PrinterPort::SaveState(w);
}

std::string ApplySections(const uint8_t* data, size_t size) {
    auto scratch = std::make_unique<Scratch>();
    bool seen[kSectionCount] = {};
    size_t at = 0;
    while (at < size) {
        if (size - at < kSectionHeaderBytes) return "the state is damaged (a section is cut short)";
        const uint8_t* head = data + at;
        std::string tag(reinterpret_cast<const char*>(head), 4);
        uint16_t version = Read16(head + 4);
        uint32_t length = Read32(head + 6);
        at += kSectionHeaderBytes;
        if (length > size - at) return "the state is damaged (section \"" + tag + "\" is cut short)";
        for (size_t k = 0; k < kSectionCount; ++k) {
            if (tag != kSections[k].tag) continue;
            if (version > kSections[k].version)
                return "the state was made by a newer version of Virtual Zel Vega (section \"" + tag + "\" version " +
                       std::to_string(version) + ")";
            if (seen[k]) return "the state is damaged (section \"" + tag + "\" twice)";
            StateReader in(data + at, length);
            if (!kSections[k].load(in, version, *scratch) || !in.AtEnd())
                return "the state is damaged (section \"" + tag + "\")";
            seen[k] = true;
        }
        // Sections this version does not know are passed over.
        at += length;
    }
    for (size_t k = 0; k < kSectionCount; ++k)
        if (!seen[k]) return std::string("the state is incomplete (no section \"") + kSections[k].tag + "\")";
    bool tapeLost = scratch->cassette.hasTape && !scratch->cassette.tape.data;
    std::string lostPath = scratch->cassette.tapePath;
    TakeOver(*scratch);
    if (tapeLost) platform::ShowNotice("Tape not reopened (file missing or changed): " + lostPath);
    return std::string();
}

void WriteFile(std::vector<uint8_t>& out) {
    out.assign(kHeaderBytes, 0);
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    Put16(&out[kFormatVersionAt], kFormatVersion);
    Put32(&out[kHeaderSizeAt], uint32_t(kHeaderBytes));
    std::memcpy(&out[kProgramVersionAt], kProgramVersion, sizeof kProgramVersion);
    Put16(&out[kThumbnailSizeAt], kThumbnailWidth);
    Put16(&out[kThumbnailSizeAt + 2], kThumbnailHeight);
    WriteSections(out);
    renderFrame();  // the picture as the window shows it, for the thumbnail
    if (Video::framePixels) {
        uint8_t* pixels = &out[kThumbnailAt];
        const size_t count = size_t(kThumbnailWidth) * kThumbnailHeight;
        for (size_t i = 0; i < count; ++i) Put16(pixels + 2 * i, Video::framePixels[i]);
    }
    Put32(&out[kFileSizeAt], uint32_t(out.size() + kChecksumBytes));
    uint32_t crc = Crc32(out.data(), out.size());
    out.resize(out.size() + kChecksumBytes);
    Put32(&out[out.size() - kChecksumBytes], crc);
}

std::string ApplyFile(const uint8_t* data, size_t size) {
    if (size < kFormatVersionAt + 2 || std::memcmp(data, kMagic, sizeof kMagic) != 0)
        return "not a Virtual Zel Vega state file";
    uint16_t format = Read16(data + kFormatVersionAt);
    if (format > kFormatVersion)
        return "the state was made by a newer version of Virtual Zel Vega (format " + std::to_string(format) + ")";
    if (format == 0) return "not a Virtual Zel Vega state file";
    if (size < kThumbnailAt + kChecksumBytes) return "the state file is cut short";
    // Format 1 has one header size: a thumbnail of 280 x 216.
    uint32_t stated = Read32(data + kFileSizeAt);
    if (Read32(data + kHeaderSizeAt) != kHeaderBytes || stated < kHeaderBytes + kChecksumBytes)
        return "the state file is damaged (header)";
    if (size < stated)
        return "the state file is cut short (" + std::to_string(size) + " of " + std::to_string(stated) + " bytes)";
    if (size > stated) return "the state file is damaged (" + std::to_string(size - stated) + " bytes too many)";
    if (Crc32(data, size - kChecksumBytes) != Read32(data + size - kChecksumBytes))
        return "the state file is damaged (its checksum does not match)";
    return ApplySections(data + kHeaderBytes, size - kHeaderBytes - kChecksumBytes);
}

bool SaveToPath(const std::string& path, std::string* error) {
    std::vector<uint8_t> bytes;
    WriteFile(bytes);
    std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        if (std::fclose(file) != 0) ok = false;
    }
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        *error = Named("State not saved (cannot write the file)", path);
    }
    return ok;
}

bool LoadFromPath(const std::string& path, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = Named("State not loaded (cannot open the file)", path);
        return false;
    }
    HostFile::WholeFile whole;
    HostFile::ReadResult read = HostFile::ReadAll(file, kLargestStateFile, &whole);
    std::fclose(file);
    std::string reason;
    if (read == HostFile::ReadResult::TooBig || read == HostFile::ReadResult::Empty)
        reason = "not a Virtual Zel Vega state file";
    else if (read != HostFile::ReadResult::Ok)
        reason = "the file cannot be read";
    else
        reason = ApplyFile(whole.data.get(), size_t(whole.size));
    if (reason.empty()) return true;
    *error = Named("State not loaded: " + reason, path);
    return false;
}

std::string SlotPath(int slot) { return Machine::startDirectory + "/slot" + std::to_string(slot) + "." + kFileExtension; }

namespace {

std::string lastPath;  // the chooser's preset, for this run

platform::FileChooserRequest Chooser(bool save) {
    platform::FileChooserRequest request;
    request.title = save ? "Save State" : "Load State";
    request.filters = {{"Zel Vega State Files (*.VZS)", "*.vzs"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = kFileExtension;
    request.mustExist = !save;
    request.presetPath = lastPath.empty() ? Machine::startDirectory + "/state." + kFileExtension : lastPath;
    return request;
}

void Save(const std::string& path, const std::string& done) {
    std::string error;
    platform::ShowNotice(SaveToPath(path, &error) ? done : error);
}

void Load(const std::string& path, const std::string& done) {
    std::string error;
    platform::ShowNotice(LoadFromPath(path, &error) ? done : error);
}

}  // namespace

void SaveDialog() {
    std::optional<std::string> path = platform::ChooseSaveFile(Chooser(true));
    if (!path) return;
    lastPath = *path;
    Save(*path, "State saved: " + *path);
}

void LoadDialog() {
    std::optional<std::string> path = platform::ChooseOpenFile(Chooser(false));
    if (!path) return;
    lastPath = *path;
    Load(*path, "State loaded: " + *path);
}

void QuickSave(int slot) {
    if (slot < 1 || slot > kQuickSlots) return;
    Save(SlotPath(slot), "State saved to slot " + std::to_string(slot));
}

void QuickLoad(int slot) {
    if (slot < 1 || slot > kQuickSlots) return;
    std::string path = SlotPath(slot);
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
    } else {
        platform::ShowNotice("Slot " + std::to_string(slot) + " is empty");
        return;
    }
    Load(path, "State loaded from slot " + std::to_string(slot));
}

}  // namespace SaveState
