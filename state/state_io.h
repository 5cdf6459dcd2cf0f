// Little-endian bytes for save states: a writer that appends to a buffer, a
// reader over a byte range that notices when it runs past its end, tagged
// sections, and the CRC-32 that guards a state file.
//
// A section is a 4-character tag, a 16-bit version and a 32-bit length,
// then that many bytes. Each component writes its own section beside its
// state (BeginSection ... EndSection) and reads it back from a reader bounded
// to the section, given the version the file holds.
// Use: StateWriter w(buffer); w.BeginSection(tag, version); w.U8(...); ...;
// w.EndSection(). StateReader r(data, size); r.U8() ...; r.Ok() tells whether
// every read was inside the range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Tag, version and length: what precedes every section's bytes.
constexpr size_t kSectionHeaderBytes = 10;

class StateWriter {
public:
    explicit StateWriter(std::vector<uint8_t>& out) : out_(out) {}
    void U8(uint8_t v) { out_.push_back(v); }
    void Bool(bool v) { out_.push_back(v ? 1 : 0); }
    void U16(uint16_t v) {
        out_.push_back(uint8_t(v));
        out_.push_back(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void Bytes(const uint8_t* data, size_t count) { out_.insert(out_.end(), data, data + count); }
    // A length (32 bits) and the bytes.
    void String(const std::string& text) {
        U32(uint32_t(text.size()));
        Bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    // `tag` is four characters.
    void BeginSection(const char* tag, uint16_t version);
    // Fills in the length of the section begun last.
    void EndSection();

private:
    std::vector<uint8_t>& out_;
    size_t sectionStart_ = 0;
};

class StateReader {
public:
    StateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t U8() { return Take(1) ? data_[pos_ - 1] : 0; }
    // A byte that must be 0 or 1; anything else marks the reader failed.
    bool Bool() {
        uint8_t v = U8();
        if (v > 1) ok_ = false;
        return v == 1;
    }
    uint16_t U16() { return Take(2) ? uint16_t(data_[pos_ - 2] | data_[pos_ - 1] << 8) : 0; }
    uint32_t U32() {
        if (!Take(4)) return 0;
        const uint8_t* p = data_ + pos_ - 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    int32_t I32() { return int32_t(U32()); }
    void Bytes(uint8_t* into, size_t count);
    // A string of at most `maximum` bytes.
    std::string String(size_t maximum);
    // Marks the reader failed (a value out of its range).
    void Fail() { ok_ = false; }
    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ == size_; }
    size_t Remaining() const { return size_ - pos_; }
    size_t Position() const { return pos_; }

private:
    bool Take(size_t count) {
        if (!ok_ || size_ - pos_ < count) {
            ok_ = false;
            return false;
        }
        pos_ += count;
        return true;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// CRC-32 (IEEE 802.3, reflected, as zip and PNG use it) of a byte range.
uint32_t Crc32(const uint8_t* data, size_t size);
