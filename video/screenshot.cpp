// Screenshots: the frame as last rendered, as an uncompressed 8-bit BMP.
#include "video/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "config/settings.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "video/renderer.h"

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kColourTableBytes = 256 * 4;
constexpr int kPixelOffset = kFileHeaderBytes + kInfoHeaderBytes + kColourTableBytes;  // 1078
constexpr int kImageBytes = platform::kFrameWidth * platform::kFrameHeight;         // 60480, rows need no padding
constexpr int kFileBytes = kPixelOffset + kImageBytes;                               // 61558
constexpr int kLastCounter = 9999;

void put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

enum class WriteResult { Written, NameTaken, Failed };

// Writes the BMP whole or not at all. With `fresh` an existing file is never
// replaced (NameTaken). `reason` (when given) says why a write failed.
WriteResult writeBmp(const std::string& path, bool fresh, std::string* reason = nullptr) {
    if (!Video::framePixels) return WriteResult::Failed;

    uint8_t headers[kPixelOffset] = {};
    headers[0] = 'B';
    headers[1] = 'M';
    put32(headers + 2, kFileBytes);
    put32(headers + 10, kPixelOffset);
    uint8_t* info = headers + kFileHeaderBytes;
    put32(info + 0, kInfoHeaderBytes);
    put32(info + 4, platform::kFrameWidth);
    put32(info + 8, platform::kFrameHeight);  // positive: bottom-up rows
    put16(info + 12, 1);
    put16(info + 14, 8);
    put32(info + 16, 0);
    put32(info + 20, kImageBytes);
    put32(info + 32, kPaletteSize);
    put32(info + 36, kPaletteSize);
    uint8_t* table = info + kInfoHeaderBytes;
    for (int i = 0; i < kPaletteSize; ++i) {
        table[4 * i + 0] = settings.colors[i].b;
        table[4 * i + 1] = settings.colors[i].g;
        table[4 * i + 2] = settings.colors[i].r;
    }

    std::unique_ptr<uint8_t[]> lookup(new (std::nothrow) uint8_t[65536]());
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[kImageBytes]);
    if (!lookup || !image) {
        if (reason) *reason = "not enough memory";
        return WriteResult::Failed;
    }
    // Of several entries with one pixel value the highest index wins; unknown pixels become 0.
    for (int i = 0; i < kPaletteSize; ++i) lookup[Video::PixelPalette[i]] = uint8_t(i);
    for (int k = 0; k < platform::kFrameHeight; ++k) {
        const uint16_t* source = Video::framePixels + (platform::kFrameHeight - 1 - k) * platform::kFrameWidth;
        uint8_t* target = image.get() + k * platform::kFrameWidth;
        for (int x = 0; x < platform::kFrameWidth; ++x) target[x] = lookup[source[x]];
    }

    // Through a temporary: a failed write leaves no partial file and an older file of that name whole.
    int error = 0;
    platform::SafeFile* file = platform::SafeFileBegin(path, !fresh, &error);
    if (file) {
        platform::SafeFileWrite(file, headers, kPixelOffset);
        platform::SafeFileWrite(file, image.get(), kImageBytes);
        if (platform::SafeFileCommit(file, &error)) return WriteResult::Written;
    }
    if (error == EEXIST) return WriteResult::NameTaken;
    if (reason) *reason = std::strerror(error ? error : EIO);
    return WriteResult::Failed;
}

}  // namespace

void saveScreenshot() {
    if (!Video::framePixels) return;
    // A fresh install has no "screenshots" folder yet; make it rather than fail silently.
    std::filesystem::path folder = std::filesystem::path(Machine::startDirectory) / "screenshots";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    // The counter names the file, but an earlier screenshot is never replaced
    // (a wrapped counter or a fresh INI file would otherwise overwrite old
    // ones): numbers already taken are passed over.
    int number = settings.screenshotCounter;
    if (number < 0 || number > kLastCounter) number = 0;
    for (int tries = 0; tries <= kLastCounter; ++tries) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot_%04d.bmp", number);
        std::filesystem::path path = folder / name;
        // A cheap look first; the exclusive open below settles any race.
        std::string reason;
        WriteResult result =
            std::filesystem::exists(path, error) ? WriteResult::NameTaken : writeBmp(path.string(), true, &reason);
        if (result == WriteResult::Failed) {
            platform::ShowNotice("Screenshot not saved: " + path.string() + ": " + reason);
            return;
        }
        if (result == WriteResult::Written) {
            settings.screenshotCounter = number == kLastCounter ? 0 : number + 1;
            Settings::SaveFilesKey("nscreenshot");
            platform::ShowNotice("Screenshot saved: " + path.string());
            return;
        }
        number = number == kLastCounter ? 0 : number + 1;
    }
    platform::DebugOutput("Screenshot not saved: every screenshot number is in use\n");
    platform::ShowNotice("Screenshot not saved: every number from 0000 to 9999 is in use in " + folder.string());
}

bool writeScreenshotFile(const char* path) { return path && writeBmp(path, false) == WriteResult::Written; }
