// Screenshots: the frame as last rendered, as an uncompressed 8-bit BMP.
#include "video/screenshot.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <png.h>
#include <vector>

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

// Writes the parts as one file, whole or not at all.
WriteResult commit(const std::string& path, bool fresh, std::initializer_list<std::pair<const void*, size_t>> parts,
                   std::string* reason) {
    // Through a temporary: a failed write leaves no partial file and an older file of that name whole.
    int error = 0;
    platform::SafeFile* file = platform::SafeFileBegin(path, !fresh, &error);
    if (file) {
        for (const auto& [data, bytes] : parts) platform::SafeFileWrite(file, data, bytes);
        if (platform::SafeFileCommit(file, &error)) return WriteResult::Written;
    }
    if (error == EEXIST) return WriteResult::NameTaken;
    if (reason) *reason = std::strerror(error ? error : EIO);
    return WriteResult::Failed;
}

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

    return commit(path, fresh, {{headers, size_t(kPixelOffset)}, {image.get(), size_t(kImageBytes)}}, reason);
}

// Palette indices of the frame, top row first: the same mapping as the BMP.
bool frameIndices(std::vector<uint8_t>& indices) {
    std::unique_ptr<uint8_t[]> lookup(new (std::nothrow) uint8_t[65536]());
    if (!lookup) return false;
    for (int i = 0; i < kPaletteSize; ++i) lookup[Video::PixelPalette[i]] = uint8_t(i);
    indices.resize(size_t(kImageBytes));
    for (int i = 0; i < kImageBytes; ++i) indices[size_t(i)] = lookup[Video::framePixels[i]];
    return true;
}

void pngAppend(png_structp png, png_bytep data, png_size_t bytes) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + bytes);
}
void pngFlush(png_structp) {}

// An 8-bit palette PNG of the frame, each pixel a `scale` square, so it shows
// the colours the BMP's colour table gives.
WriteResult writePng(const std::string& path, int scale, bool fresh, std::string* reason = nullptr) {
    if (!Video::framePixels) return WriteResult::Failed;
    std::vector<uint8_t> indices, encoded;
    if (!frameIndices(indices)) {
        if (reason) *reason = "not enough memory";
        return WriteResult::Failed;
    }
    const int width = platform::kFrameWidth * scale, height = platform::kFrameHeight * scale;
    std::vector<uint8_t> row(static_cast<size_t>(width));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (reason) *reason = "PNG encoding failed";
        return WriteResult::Failed;
    }
    png_set_write_fn(png, &encoded, pngAppend, pngFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color table[kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i) table[i] = {settings.colors[i].r, settings.colors[i].g, settings.colors[i].b};
    png_set_PLTE(png, info, table, kPaletteSize);
    png_write_info(png, info);
    for (int y = 0; y < platform::kFrameHeight; ++y) {
        const uint8_t* source = indices.data() + y * platform::kFrameWidth;
        for (int x = 0; x < width; ++x) row[size_t(x)] = source[x / scale];
        for (int repeat = 0; repeat < scale; ++repeat) png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return commit(path, fresh, {{encoded.data(), encoded.size()}}, reason);
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
    const bool png = settings.screenshotFormat != kScreenshotBmp;
    const int scale = settings.screenshotFormat == kScreenshotPngShown ? std::clamp(platform::ShownPictureScale(), 1, 16) : 1;
    int number = settings.screenshotCounter;
    if (number < 0 || number > kLastCounter) number = 0;
    for (int tries = 0; tries <= kLastCounter; ++tries) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot_%04d.%s", number, png ? "png" : "bmp");
        std::filesystem::path path = folder / name;
        // A cheap look first; the exclusive open below settles any race.
        std::string reason;
        WriteResult result =
            std::filesystem::exists(path, error) ? WriteResult::NameTaken
            : png ? writePng(path.string(), scale, true, &reason)
                  : writeBmp(path.string(), true, &reason);
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

bool writeScreenshotFile(const char* path) {
    if (!path) return false;
    std::string name = path;
    std::string tail = name.size() >= 4 ? name.substr(name.size() - 4) : "";
    for (char& c : tail) c = char(std::tolower(static_cast<unsigned char>(c)));
    return (tail == ".png" ? writePng(name, 1, false) : writeBmp(name, false)) == WriteResult::Written;
}
