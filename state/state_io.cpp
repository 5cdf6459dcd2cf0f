// Section framing, bounded reads and the CRC-32 of state files.
#include "state/state_io.h"

#include <array>
#include <cstring>

void StateWriter::BeginSection(const char* tag, uint16_t version) {
    sectionStart_ = out_.size();
    Bytes(reinterpret_cast<const uint8_t*>(tag), 4);
    U16(version);
    U32(0);  // the length, filled in by EndSection
}

void StateWriter::EndSection() {
    uint32_t length = uint32_t(out_.size() - sectionStart_ - kSectionHeaderBytes);
    for (int i = 0; i < 4; ++i) out_[sectionStart_ + 6 + size_t(i)] = uint8_t(length >> (8 * i));
}

void StateReader::Bytes(uint8_t* into, size_t count) {
    if (!Take(count)) {
        std::memset(into, 0, count);
        return;
    }
    std::memcpy(into, data_ + pos_ - count, count);
}

std::string StateReader::String(size_t maximum) {
    uint32_t length = U32();
    if (length > maximum || !Take(length)) {
        ok_ = false;
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(data_ + pos_ - length), length);
}

namespace {

// Eight tables let the loop take eight bytes per step ("slicing").
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables BuildCrcTables() {
    CrcTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (int k = 1; k < 8; ++k) t[size_t(k)][n] = (t[size_t(k) - 1][n] >> 8) ^ t[0][t[size_t(k) - 1][n] & 0xFF];
    return t;
}

const CrcTables kCrc = BuildCrcTables();

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    while (size >= 8) {
        uint32_t lo = (uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24) ^ c;
        uint32_t hi = uint32_t(data[4]) | uint32_t(data[5]) << 8 | uint32_t(data[6]) << 16 | uint32_t(data[7]) << 24;
        c = kCrc[7][lo & 0xFF] ^ kCrc[6][(lo >> 8) & 0xFF] ^ kCrc[5][(lo >> 16) & 0xFF] ^ kCrc[4][lo >> 24] ^
            kCrc[3][hi & 0xFF] ^ kCrc[2][(hi >> 8) & 0xFF] ^ kCrc[1][(hi >> 16) & 0xFF] ^ kCrc[0][hi >> 24];
        data += 8;
        size -= 8;
    }
    while (size--) c = kCrc[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}
