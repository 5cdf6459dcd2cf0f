// Rewind: a ring of states taken once a second over the last minute, and the
// step back to the one a second ago.
//
// The newest state is kept whole; each older one is kept as the difference
// to the state after it (XOR, zero runs counted: most of memory stays the
// same from one second to the next), so going back one step undoes one
// difference and the oldest can be dropped as it is. An entry never takes
// more than its state's size plus a few bytes, so the ring holds at most
// 60 states' worth: about 4 MB (66 KB a state), 6 MB with ROM files and a
// cartridge; a typical program keeps it near 1 MB.
//
// Use: OnFrame after every frame (the frame scheduler); StepBack for the
// "Rewind" command; Clear when the ring no longer applies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Rewind {

constexpr int kSeconds = 60;

// Counts the frame; once a second of frames (the frame rate) has run, takes a state.
void OnFrame();
// Goes back to the state about a second ago (the newest entry if it is at
// least half a second old, else the one before) and drops what is newer.
// False when the ring is empty.
bool StepBack();
void Clear();

struct Usage {
    int entries;     // states held, newest included
    size_t bytes;    // memory they take
    uint32_t framesSinceNewest;
};
Usage CurrentUsage();

}  // namespace Rewind
