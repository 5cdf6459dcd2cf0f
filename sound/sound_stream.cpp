// The sound output stream over the host sound device, and the key clicker.
#include "sound/sound_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/settings.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "platform/platform.h"
#include "sound/psg.h"
#include "sound/sound_record.h"

SoundStreamState soundStream;
int32_t s_nLockSize = 736;
int32_t s_nNextLockPos = 0;
int32_t s_nNextLockSize = 0;

// One click: a rise over five samples, then a decay over 78.
const uint8_t clickShape[kClickLength] = {
    22, 44, 52, 58, 59, 60, 59, 57, 56, 54, 53, 51, 50, 48, 46, 45, 43, 42, 41, 39, 38,
    37, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 21, 20, 19, 18, 17,
    17, 16, 15, 15, 14, 13, 12, 12, 11, 11, 10, 10, 9,  9,  8,  8,  8,  7,  7,  6,  6,
    6,  5,  5,  5,  4,  4,  4,  3,  3,  3,  2,  2,  2,  2,  2,  1,  1,  1,  1,  1,
};

namespace {

constexpr int kClickerBuffer = 0;
constexpr int kFirstAyBuffer = 1;
constexpr int kAyAmplitudeRegister = 8;  // registers 8, 9, 10 for channels A, B, C

// Two frames of samples per buffer; owned here, freed on shutdown.
std::vector<int16_t> scratch[kSoundBuffers];
bool scratchPresent[kSoundBuffers] = {};

struct ClickEvent {
    uint32_t time;
    uint8_t level;
};
std::vector<ClickEvent> clickEvents;
size_t clickCapacity = 0;

bool present(int i) { return soundStream.buffers[i] >= 0; }

int32_t ringBytes() { return kRingFrames * s_nLockSize; }

void computeLockSize() {
    int32_t fps = Machine::timing.frameRate > 0 ? Machine::timing.frameRate : 1;
    s_nLockSize = (kSoundBytesPerSecond / fps + 1) & 0xFFFE;
}

// Fills the whole host buffer with zero samples; false when it cannot be locked.
bool zeroFill(int id, uint32_t bytes) {
    void *part1 = nullptr, *part2 = nullptr;
    uint32_t size1 = 0, size2 = 0;
    if (platform::SoundLock(id, 0, bytes, &part1, &size1, &part2, &size2) != platform::HostResult::Ok) return false;
    if (part1) std::memset(part1, 0, size1);
    if (part2) std::memset(part2, 0, size2);
    platform::SoundUnlock(id, part1, size1, part2, size2);
    return true;
}

// The buffer counts as created even when the zero fill or the scratch fails.
bool createBuffer(int i, bool withScratch) {
    computeLockSize();
    uint32_t bytes = uint32_t(ringBytes());
    int id = platform::SoundCreateBuffer(bytes);
    if (id < 0) return false;
    soundStream.buffers[i] = id;
    if (zeroFill(id, bytes) && withScratch) {
        scratch[i].assign(size_t(s_nLockSize), 0);  // 2 x s_nLockSize bytes
        scratchPresent[i] = true;
    }
    return true;
}

void buildClickTables() {
    int32_t percent = settings.clickerVolumePercent;
    for (int i = 0; i < kClickLength; ++i) {
        int32_t v = clickShape[i] * 128 * percent;
        soundStream.clickUp[i] = int16_t(v / 100);
        soundStream.clickDown[i] = int16_t(v / -100);
    }
}

// Locks n bytes at the write position (restoring a lost buffer once), copies
// the samples in and unlocks.
void writeFrame(int i, const int16_t* samples, int32_t n) {
    if (soundStream.muted) return;
    int id = soundStream.buffers[i];
    void *part1 = nullptr, *part2 = nullptr;
    uint32_t size1 = 0, size2 = 0;
    platform::HostResult r =
        platform::SoundLock(id, uint32_t(s_nNextLockPos), uint32_t(n), &part1, &size1, &part2, &size2);
    if (r == platform::HostResult::Lost) {
        if (!platform::SoundRestore(id)) return;
        r = platform::SoundLock(id, uint32_t(s_nNextLockPos), uint32_t(n), &part1, &size1, &part2, &size2);
    }
    if (r != platform::HostResult::Ok) return;
    const uint8_t* source = reinterpret_cast<const uint8_t*>(samples);
    if (part1) std::memcpy(part1, source, size1);
    if (part2) std::memcpy(part2, source + size1, size2);
    platform::SoundUnlock(id, part1, size1, part2, size2);
}

// Outputs the current click's remaining samples, then zeros, up to `end`.
void continueClick(int16_t* out, int32_t& index, int32_t end) {
    const int16_t* table = soundStream.currentClick == ClickKind::Up     ? soundStream.clickUp
                           : soundStream.currentClick == ClickKind::Down ? soundStream.clickDown
                                                                         : nullptr;
    while (index < end) {
        if (table && soundStream.clickPosition < kClickLength)
            out[index++] = table[soundStream.clickPosition++];
        else
            out[index++] = 0;
    }
}

// Renders n click samples; true when the frame had click events.
bool renderClicks(int16_t* out, int32_t n) {
    int32_t index = 0;
    for (const ClickEvent& event : clickEvents) {
        if (index >= n) break;
        int64_t position = 0;
        if (soundStream.clickTimeScale > 0)
            position = (int64_t(event.time) * s_nLockSize / soundStream.clickTimeScale) / 2;
        if (position > n) position = n;
        continueClick(out, index, int32_t(position));
        soundStream.currentClick = (event.level & 1) ? ClickKind::Up : ClickKind::Down;
        soundStream.clickPosition = 0;
    }
    continueClick(out, index, n);
    bool hadEvents = !clickEvents.empty();
    clickEvents.clear();
    return hadEvents;
}

// The frame's samples of every written buffer added with saturation, as the
// host device mixes them, for the recording.
void recordFrame(int32_t samples) {
    static std::vector<int16_t> mix;
    mix.assign(size_t(samples), 0);
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i) || !scratchPresent[i]) continue;
        for (int32_t s = 0; s < samples; ++s)
            mix[size_t(s)] = int16_t(std::clamp(int32_t(mix[size_t(s)]) + scratch[i][size_t(s)], -32768, 32767));
    }
    SoundRecordFrame(mix.data(), int(samples));
}

}  // namespace

bool SoundInit() {
    for (int i = 0; i < kSoundBuffers; ++i) {
        soundStream.buffers[i] = -1;
        scratchPresent[i] = false;
    }
    soundStream.deviceOpen = platform::SoundOpen();
    bool result = false;
    if (soundStream.deviceOpen) {
        computeLockSize();

        int clickerPart = 1;
        if (settings.clickerOn) {
            clickerPart = createBuffer(kClickerBuffer, true) ? 1 : 0;
            clickEvents.clear();
            clickEvents.reserve(size_t(s_nLockSize));
            clickCapacity = size_t(s_nLockSize);
        }
        int ayPart = 3;
        if (settings.ayOn) {
            ayPart = 0;
            for (int c = 0; c < 3; ++c)
                if (createBuffer(kFirstAyBuffer + c, true)) ++ayPart;
        }

        if (clickerPart + ayPart == kSoundBuffers) {
            result = true;
            psgSetVolume(settings.ayVolumePercent);
            if (FrameScheduler::state.useHighResolutionClock)
                FrameScheduler::state.ticksPerFrame =
                    int64_t(s_nLockSize) * FrameScheduler::state.counterFrequency / kSoundBytesPerSecond;
        }
    }
    soundStream.clickTimeScale = int64_t(Machine::timing.screenOnRate) + Machine::timing.screenOffRate;
    buildClickTables();
    Resynchbuffers();
    return result;
}

void SoundShutdown() {
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i)) continue;
        int id = soundStream.buffers[i];
        if (platform::SoundGetStatus(id) & (platform::kSoundPlaying | platform::kSoundLooping)) platform::SoundStop(id);
        platform::SoundReleaseBuffer(id);
        soundStream.buffers[i] = -1;
    }
    if (soundStream.deviceOpen) platform::SoundClose();
    soundStream.deviceOpen = false;
    for (int i = 0; i < kSoundBuffers; ++i) {
        std::vector<int16_t>().swap(scratch[i]);
        scratchPresent[i] = false;
    }
    std::vector<ClickEvent>().swap(clickEvents);
    clickCapacity = 0;
}

void SoundRedo() {
    SoundShutdown();
    SoundInit();
}

void Resynchbuffers() {
    bool restart[kSoundBuffers] = {};
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i)) continue;
        int id = soundStream.buffers[i];
        if (platform::SoundGetStatus(id) & platform::kSoundPlaying) {
            platform::SoundStop(id);
            restart[i] = true;
        }
        platform::SoundSetPlayPosition(id, 0);
        soundStream.silenceFrames[i] = 0;
        s_nNextLockSize = s_nLockSize;
        s_nNextLockPos = kWriteAheadFrames * s_nLockSize;
    }
    for (int i = 0; i < kSoundBuffers; ++i)
        if (restart[i]) platform::SoundPlayLooping(soundStream.buffers[i]);
}

void SoundSuspend() {
    soundStream.suspended = true;
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i)) continue;
        int id = soundStream.buffers[i];
        platform::SoundStop(id);
        zeroFill(id, uint32_t(ringBytes()));
        platform::SoundSetPlayPosition(id, 0);
    }
    s_nNextLockSize = s_nLockSize;
    s_nNextLockPos = kWriteAheadFrames * s_nLockSize;
}

void SoundFrameStart(uint32_t) {
    s_nNextLockSize = 0;
    soundStream.suspended = false;
    soundStream.clickTimeScale = int64_t(Machine::timing.screenOnRate) + Machine::timing.screenOffRate;

    if (soundStream.muted) {
        // Rendered as usual, never heard: the buffers stay stopped.
        for (int i = 0; i < kSoundBuffers; ++i) {
            if (!present(i)) continue;
            platform::SoundStop(soundStream.buffers[i]);
            s_nNextLockSize = s_nLockSize;
        }
        return;
    }

    int restarted = 0;
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i)) continue;
        int id = soundStream.buffers[i];
        uint32_t status = platform::SoundGetStatus(id);
        if (!(status & (platform::kSoundPlaying | platform::kSoundLooping))) {
            if (platform::SoundPlayLooping(id) == platform::HostResult::Lost && platform::SoundRestore(id))
                platform::SoundPlayLooping(id);
            ++restarted;
        } else if (status & platform::kSoundPlaying) {
            s_nNextLockSize = s_nLockSize;
        }
    }

    // Long silence everywhere: realign, so that playback never drifts far
    // from the write position while nothing is heard.
    int silent = 0;
    for (int i = 0; i < kSoundBuffers; ++i) {
        if (!present(i)) {
            ++silent;
        } else if (soundStream.silenceFrames[i] > kSilentFrameLimit) {
            soundStream.silenceFrames[i] = kSilentFrameLimit + 1;
            ++silent;
        }
    }
    if (silent == kSoundBuffers) ++restarted;

    if (restarted > 0)
        Resynchbuffers();
    else
        s_nNextLockSize = s_nLockSize;
}

void SoundFrameEnd() {
    if (soundStream.suspended || s_nNextLockSize <= 0) return;
    int32_t n = s_nNextLockSize < 2 * s_nLockSize ? s_nNextLockSize : 2 * s_nLockSize;
    int32_t samples = n / 2;

    bool ayScratch = scratchPresent[1] && scratchPresent[2] && scratchPresent[3];
    if (psgChip.initialised && ayScratch)
        psgUpdate(0, reinterpret_cast<uint16_t*>(scratch[1].data()), reinterpret_cast<uint16_t*>(scratch[2].data()),
                  reinterpret_cast<uint16_t*>(scratch[3].data()), samples);

    for (int c = 0; c < 3; ++c) {
        int i = kFirstAyBuffer + c;
        if (!present(i) || !scratchPresent[i]) continue;
        int reg = kAyAmplitudeRegister + c;
        bool silentChannel = !Machine::state.ayWritten[reg] && (Machine::state.ayShadow[reg] & 0x1F) == 0;
        if (silentChannel) {
            if (soundStream.silenceFrames[i] < 255) ++soundStream.silenceFrames[i];
        } else {
            soundStream.silenceFrames[i] = 0;
        }
        Machine::state.ayWritten[reg] = 0;
        writeFrame(i, scratch[i].data(), n);
    }

    if (present(kClickerBuffer) && scratchPresent[kClickerBuffer]) {
        if (renderClicks(scratch[kClickerBuffer].data(), samples)) {
            soundStream.silenceFrames[kClickerBuffer] = 0;
        } else if (soundStream.silenceFrames[kClickerBuffer] < 255) {
            ++soundStream.silenceFrames[kClickerBuffer];
        }
        writeFrame(kClickerBuffer, scratch[kClickerBuffer].data(), n);
    }

    if (SoundRecording() && !soundStream.muted) recordFrame(samples);

    s_nNextLockPos += n;
    if (s_nNextLockPos >= ringBytes()) s_nNextLockPos -= ringBytes();
}

void SoundAddClickEvent(uint32_t time, uint8_t level) {
    if (clickEvents.size() >= clickCapacity) return;
    clickEvents.push_back(ClickEvent{time, level});
}

void SoundSetMuted(bool muted) { soundStream.muted = muted; }

void SoundSaveState(StateWriter& out) {
    out.BeginSection(kSoundSectionTag, kSoundSectionVersion);
    out.Bytes(soundStream.silenceFrames, kSoundBuffers);
    out.U8(uint8_t(soundStream.currentClick));
    out.U8(uint8_t(soundStream.clickPosition));
    out.EndSection();
}

bool SoundLoadState(StateReader& in, uint16_t, SoundSaved* into) {
    in.Bytes(into->silenceFrames, kSoundBuffers);
    uint8_t click = in.U8();
    into->currentClick = ClickKind(click);
    into->clickPosition = in.U8();
    return in.Ok() && click <= uint8_t(ClickKind::Down) && into->clickPosition <= kClickLength;
}

void SoundRestoreState(const SoundSaved& saved) {
    std::memcpy(soundStream.silenceFrames, saved.silenceFrames, kSoundBuffers);
    soundStream.currentClick = saved.currentClick;
    soundStream.clickPosition = saved.clickPosition;
}
