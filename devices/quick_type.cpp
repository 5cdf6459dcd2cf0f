// Quick type and paste.
#include "devices/quick_type.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/host_file.h"
#include "input/keyboard.h"
#include "platform/platform.h"

namespace QuickType {

State state;

namespace {

constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;

HostFile::WholeFile text;

// A character of the clipboard text that the machine lacks: one byte that
// uses up its slot and types nothing, as an 8-bit character of that text did.
constexpr uint8_t kPassedOver = 0x80;

// Clipboard text is UTF-8. ASCII stays byte for byte (the typing rules apply
// to it later); each other character becomes its ASCII equivalent or one
// passed-over byte. A byte that starts no well-formed sequence stands for
// itself. The result is never longer than the text.
size_t machineText(const uint8_t* in, size_t length, uint8_t* out) {
    size_t n = 0, i = 0;
    while (i < length) {
        uint8_t lead = in[i];
        size_t extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xC2 && lead <= 0xDF ? 1 : 0;
        uint32_t character = lead & (0x3F >> extra);
        size_t k = 1;
        for (; k <= extra && i + k < length && (in[i + k] & 0xC0) == 0x80; ++k) character = character << 6 | (in[i + k] & 0x3F);
        if (extra == 0 || k <= extra) {  // ASCII, or no complete sequence
            out[n++] = lead;
            ++i;
            continue;
        }
        i += extra + 1;
        KeyboardMapper::CharacterCodes codes = KeyboardMapper::CodesForCharacter(character);
        if (codes.count == 0) out[n++] = kPassedOver;
        for (int c = 0; c < codes.count; ++c) out[n++] = codes.codes[c];
    }
    return n;
}

void Start(HostFile::WholeFile&& newText, int32_t length) {
    text = std::move(newText);
    state.quickTypeLength = length;
    state.quickTypeIndex = -1;
    state.quickTypeActive = true;
}

}  // namespace

void TypeFile() {
    if (state.quickTypeActive) return;
    platform::FileChooserRequest request;
    request.filters = {{"Text Files (*.TXT)", "*.txt"}, {"All Files (*.*)", "*.*"}};
    request.defaultExtension = "txt";
    request.mustExist = true;
    request.presetPath = settings.quickTypePath;
    std::optional<std::string> chosen = platform::ChooseOpenFile(request);
    if (!chosen) return;
    TypeFilePath(*chosen);
}

bool TypeFilePath(const std::string& path) {
    if (state.quickTypeActive) return false;
    std::FILE* file = HostFile::OpenForReading(path);
    if (!file) {
        platform::DebugOutput("Could not open file\n");
        return false;
    }
    HostFile::WholeFile loaded;
    bool ok = HostFile::ReadAll(file, HostFile::kLargestFile, &loaded) == HostFile::ReadResult::Ok;
    std::fclose(file);
    if (!ok) return false;
    int32_t length = loaded.size;
    Start(std::move(loaded), length);
    setPath(settings.quickTypePath, path);
    Settings::SaveFilesKey("quicktype");
    return true;
}

void Paste() {
    if (state.quickTypeActive || CassetteDeck::tapeLoaded || !platform::ClipboardHasText()) return;
    std::optional<std::string> clip = platform::ClipboardText();
    if (!clip) return;
    // The text ends at its first zero, as a C string would.
    size_t length = std::strlen(clip->c_str());
    if (length == 0 || length > size_t(HostFile::kLargestFile)) return;
    HostFile::WholeFile copy;
    copy.data.reset(new (std::nothrow) uint8_t[length + 1]);
    if (!copy.data) return;
    length = machineText(reinterpret_cast<const uint8_t*>(clip->c_str()), length, copy.data.get());
    copy.data[length] = 0;
    copy.size = int32_t(length);
    Start(std::move(copy), int32_t(length));
}

bool TypeText(const std::string& typed) {
    if (state.quickTypeActive || typed.empty()) return false;
    HostFile::WholeFile copy;
    copy.data.reset(new uint8_t[typed.size()]);
    std::memcpy(copy.data.get(), typed.data(), typed.size());
    copy.size = int32_t(typed.size());
    Start(std::move(copy), int32_t(typed.size()));
    return true;
}

bool FeedFrame() {
    if (CpuCore::state.iff1 == 0) return false;
    if (!state.quickTypeActive) return false;
    if (++state.quickTypeFrameCount < 2) return false;
    state.quickTypeFrameCount = 0;
    ++state.quickTypeIndex;
    if (state.quickTypeIndex < state.quickTypeLength) {
        uint8_t c = text.data[size_t(state.quickTypeIndex)];
        // A line feed alone ends its line as CR does; after CR (CR LF) it types nothing.
        if (c == kLineFeed && (state.quickTypeIndex == 0 || text.data[size_t(state.quickTypeIndex) - 1] != kCarriageReturn))
            c = kCarriageReturn;
        if ((c >= 0x20 && c <= 0x7E) || c == kCarriageReturn) {
            KeyboardMapper::DeliverKey(c);
            return true;
        }
        return false;
    }
    text.data.reset();
    text.size = 0;
    state.quickTypeActive = false;
    return false;
}

void Stop() {
    text.data.reset();
    text.size = 0;
    state.quickTypeIndex = 0;
    state.quickTypeLength = 0;
    state.quickTypeActive = false;
}

bool IsActive() { return state.quickTypeActive; }

void SaveState(StateWriter& out) {
    out.BeginSection(kStateSectionTag, kStateSectionVersion);
    out.Bool(state.quickTypeActive);
    out.I32(state.quickTypeLength);
    out.I32(state.quickTypeIndex);
    out.U32(state.quickTypeFrameCount);
    if (state.quickTypeActive) out.Bytes(text.data.get(), size_t(state.quickTypeLength));
    out.EndSection();
}

bool LoadState(StateReader& in, uint16_t, Saved* into) {
    State& s = into->state;
    s.quickTypeActive = in.Bool();
    s.quickTypeLength = in.I32();
    s.quickTypeIndex = in.I32();
    s.quickTypeFrameCount = in.U32();
    into->text.clear();
    if (!in.Ok()) return false;
    if (s.quickTypeActive) {
        if (s.quickTypeLength < 1 || size_t(s.quickTypeLength) > in.Remaining() || s.quickTypeIndex < -1 ||
            s.quickTypeIndex > s.quickTypeLength)
            return false;
        into->text.resize(size_t(s.quickTypeLength));
        in.Bytes(into->text.data(), into->text.size());
    }
    return in.Ok();
}

void RestoreState(Saved& saved) {
    Stop();
    state = saved.state;
    if (!state.quickTypeActive) return;
    text.data.reset(new uint8_t[saved.text.size()]);
    std::memcpy(text.data.get(), saved.text.data(), saved.text.size());
    text.size = int32_t(saved.text.size());
}

}  // namespace QuickType
