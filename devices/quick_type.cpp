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

HostFile::WholeFile text;

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
    std::memcpy(copy.data.get(), clip->c_str(), length + 1);
    copy.size = int32_t(length);
    Start(std::move(copy), int32_t(length));
}

bool FeedFrame() {
    if (CpuCore::state.iff1 == 0) return false;
    if (!state.quickTypeActive) return false;
    if (++state.quickTypeFrameCount < 2) return false;
    state.quickTypeFrameCount = 0;
    ++state.quickTypeIndex;
    if (state.quickTypeIndex < state.quickTypeLength) {
        uint8_t c = text.data[size_t(state.quickTypeIndex)];
        if ((c >= 0x20 && c <= 0x7E) || c == 0x0D) {
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

}  // namespace QuickType
