// The rewind ring: the newest state whole, older ones as differences.
#include "state/rewind.h"

#include <deque>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "platform/platform.h"
#include "state/save_state.h"

namespace Rewind {

namespace {

// An older state: its bytes XOR the next newer state's (zero past the newer
// one's end), as runs: a count of zero bytes and a count of bytes that
// follow as they are, each count 7 bits a byte, lowest first. Stored raw
// (`packed` false) when packing would not save anything.
struct Entry {
    std::vector<uint8_t> bytes;
    size_t size = 0;
    bool packed = true;
};

std::vector<uint8_t> newest;
std::deque<Entry> older;  // front the oldest, back the one before `newest`
uint32_t framesSinceNewest = 0;
std::vector<uint8_t> scratch;

void PutCount(std::vector<uint8_t>& out, size_t n) {
    while (n >= 0x80) {
        out.push_back(uint8_t(n | 0x80));
        n >>= 7;
    }
    out.push_back(uint8_t(n));
}

size_t GetCount(const uint8_t*& p, const uint8_t* end) {
    size_t n = 0;
    for (int shift = 0; p < end; shift += 7) {
        uint8_t b = *p++;
        n |= size_t(b & 0x7F) << shift;
        if (!(b & 0x80)) break;
    }
    return n;
}

uint8_t Against(const std::vector<uint8_t>& newer, size_t i) { return i < newer.size() ? newer[i] : 0; }

Entry Difference(const std::vector<uint8_t>& state, const std::vector<uint8_t>& newer) {
    Entry e;
    e.size = state.size();
    std::vector<uint8_t>& out = e.bytes;
    size_t i = 0;
    while (i < state.size()) {
        size_t zeros = i;
        while (zeros < state.size() && state[zeros] == Against(newer, zeros)) ++zeros;
        size_t literal = zeros;
        // A literal run ends at the first 4 equal bytes in a row (shorter runs cost more than they save).
        while (literal < state.size()) {
            size_t same = 0;
            while (literal + same < state.size() && same < 4 && state[literal + same] == Against(newer, literal + same))
                ++same;
            if (same == 4 || literal + same == state.size()) break;
            literal += same + 1;
        }
        PutCount(out, zeros - i);
        PutCount(out, literal - zeros);
        for (size_t k = zeros; k < literal; ++k) out.push_back(uint8_t(state[k] ^ Against(newer, k)));
        i = literal;
        if (out.size() >= state.size()) break;
    }
    if (out.size() >= state.size()) {
        e.bytes = state;
        e.packed = false;
    }
    e.bytes.shrink_to_fit();
    return e;
}

void Undo(const Entry& e, const std::vector<uint8_t>& newer, std::vector<uint8_t>& into) {
    if (!e.packed) {
        into = e.bytes;
        return;
    }
    into.assign(e.size, 0);
    const uint8_t* p = e.bytes.data();
    const uint8_t* end = p + e.bytes.size();
    size_t i = 0;
    while (p < end && i < e.size) {
        size_t zeros = GetCount(p, end);
        for (size_t k = 0; k < zeros && i < e.size; ++k, ++i) into[i] = Against(newer, i);
        size_t literal = GetCount(p, end);
        for (size_t k = 0; k < literal && i < e.size && p < end; ++k, ++i) into[i] = uint8_t(*p++ ^ Against(newer, i));
    }
    for (; i < e.size; ++i) into[i] = Against(newer, i);
}

void Take() {
    scratch.clear();
    SaveState::WriteSections(scratch);
    if (!newest.empty()) older.push_back(Difference(newest, scratch));
    newest.swap(scratch);
    while (int(older.size()) > kSeconds - 1) older.pop_front();
    framesSinceNewest = 0;
}

}  // namespace

void OnFrame() {
    ++framesSinceNewest;
    uint32_t perSecond = Machine::timing.frameRate > 0 ? uint32_t(Machine::timing.frameRate) : 1;
    if (newest.empty() || framesSinceNewest >= perSecond) Take();
}

bool StepBack() {
    if (newest.empty()) {
        platform::ShowNotice("Nothing to rewind");
        return false;
    }
    uint32_t perSecond = Machine::timing.frameRate > 0 ? uint32_t(Machine::timing.frameRate) : 1;
    if (framesSinceNewest < perSecond / 2 && !older.empty()) {
        Undo(older.back(), newest, scratch);
        older.pop_back();
        newest.swap(scratch);
    }
    std::string error = SaveState::ApplySections(newest.data(), newest.size());
    framesSinceNewest = 0;
    if (!error.empty()) {
        platform::ShowNotice("Rewind failed: " + error);
        Clear();
        return false;
    }
    return true;
}

void Clear() {
    newest.clear();
    older.clear();
    framesSinceNewest = 0;
}

Usage CurrentUsage() {
    Usage u{};
    u.entries = newest.empty() ? 0 : int(older.size()) + 1;
    u.bytes = newest.capacity() + scratch.capacity();
    for (const Entry& e : older) u.bytes += e.bytes.capacity() + sizeof(Entry);
    u.framesSinceNewest = framesSinceNewest;
    return u;
}

}  // namespace Rewind
