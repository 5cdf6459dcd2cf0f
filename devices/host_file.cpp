// Whole-file reads for the devices.
#include "devices/host_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace HostFile {

std::FILE* OpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    struct stat st;
    if (file && (::fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode))) {
        bool folder = S_ISDIR(st.st_mode);
        std::fclose(file);
        if (folder) errno = EISDIR;  // so the caller can say why
        return nullptr;
    }
    return file;
}

int64_t SizeOf(std::FILE* file) {
    // fseeko/ftello: 64-bit offsets, so sizes beyond 2 GB are seen as such and refused.
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    off_t size = ftello(file);
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
    return int64_t(size);
}

ReadResult ReadAll(std::FILE* file, int64_t maxBytes, WholeFile* out) {
    out->data.reset();
    out->size = 0;
    int64_t size = SizeOf(file);
    if (size < 0) return ReadResult::ShortRead;
    if (size == 0) return ReadResult::Empty;
    if (size > maxBytes || size > kLargestFile) return ReadResult::TooBig;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size_t(size)]);
    if (!buffer) return ReadResult::NoMemory;
    if (std::fread(buffer.get(), 1, size_t(size), file) != size_t(size)) return ReadResult::ShortRead;
    out->data = std::move(buffer);
    out->size = int32_t(size);
    return ReadResult::Ok;
}

std::string Describe(ReadResult result, int error) {
    switch (result) {
        case ReadResult::Ok: return "read";
        case ReadResult::Empty: return "the file is empty";
        case ReadResult::TooBig: return "the file is too large";
        case ReadResult::NoMemory: return "not enough memory for the file";
        case ReadResult::ShortRead: break;
    }
    return error ? std::string("the file cannot be read: ") + std::strerror(error) : "the file cannot be read";
}

}  // namespace HostFile
