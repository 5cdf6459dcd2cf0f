// Whole-file reads for the devices that take a host file into memory.
//
// A file is read into one buffer of exactly its size, so a large tape or text
// costs its own size and nothing more. Sizes are kept to signed 32-bit counts:
// a file larger than that is refused like one that cannot be read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace HostFile {

constexpr int64_t kLargestFile = INT32_MAX;

enum class ReadResult { Ok, Empty, TooBig, NoMemory, ShortRead };

struct WholeFile {
    std::unique_ptr<uint8_t[]> data;
    int32_t size = 0;
};

// Opens a file for binary reading; nullptr when it cannot be opened or is a
// folder (which the C library opens but cannot read).
std::FILE* OpenForReading(const std::string& path);
// Size of an open file found by seeking to its end; back at the start after.
// -1 when the host cannot tell.
int64_t SizeOf(std::FILE* file);
// Reads an open file of 1 .. maxBytes bytes from its start into `out`.
// `out` is left empty unless the result is Ok.
ReadResult ReadAll(std::FILE* file, int64_t maxBytes, WholeFile* out);
// Why a read was refused, for the user: "the file is empty", ... With a
// ShortRead, `error` (errno after the read, or 0) names the host's reason.
std::string Describe(ReadResult result, int error);

}  // namespace HostFile
