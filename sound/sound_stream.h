// The sound output stream: four looping host buffers, buffer 0 for the key
// clicker and buffers 1-3 for the sound generator's channels A, B and C,
// mixed by the host device. After every emulated frame one frame of samples
// per buffer is written into a ring of 32 frames, three frames ahead of where
// playback last restarted. The stream also sets the frame period: one frame
// lasts as long as one frame of samples plays.
//
// Inputs: the settings (clicker and AY on/off, volume percentages), the
// timing's frame rate, the AY amplitude shadows and written flags, the Psg
// samples. Outputs: the host sound buffers, FrameScheduler ticksPerFrame.
// Use: SoundInit when the main window is created (then psgInit on success),
// SoundFrameStart / SoundFrameEnd around every frame, SoundSuspend on
// deactivation and menus, SoundRedo after menu commands, SoundShutdown when
// the window closes.
//
// Sample format of every buffer: mono, 22050 Hz, signed 16 bits. The AY
// channels only use the non-negative half.
//
// Nothing in the machine records click events yet, so buffer 0 plays zeros;
// SoundAddClickEvent is the entry for whatever signal ends up driving it.
#pragma once

#include <cstdint>

#include "state/state_io.h"

constexpr int kSoundBuffers = 4;       // 0 clicker, 1-3 AY channels A-C
constexpr int32_t kRingFrames = 32;    // frames held by every host buffer
constexpr int32_t kWriteAheadFrames = 3;
constexpr int32_t kSoundBytesPerSecond = 44100;  // 22050 samples of 2 bytes
constexpr int kClickLength = 83;       // samples in one click
// A buffer silent for more than this many frames makes the stream realign.
constexpr int kSilentFrameLimit = 32;

enum class ClickKind : uint8_t { None, Up, Down };

// Plain state of the stream besides the scratch memory.
struct SoundStreamState {
    bool deviceOpen = false;
    int buffers[kSoundBuffers] = {-1, -1, -1, -1};  // host buffer ids, -1 absent
    bool suspended = false;
    uint8_t silenceFrames[kSoundBuffers] = {};
    int16_t clickUp[kClickLength] = {};
    int16_t clickDown[kClickLength] = {};
    ClickKind currentClick = ClickKind::None;
    int clickPosition = 0;               // 0 to kClickLength within the current click
    int64_t clickTimeScale = 0;          // screenOnRate + screenOffRate of the frame
    bool muted = false;                  // SoundSetMuted
};
extern SoundStreamState soundStream;

// The fixed click waveform, scaled into clickUp / clickDown by the volume.
extern const uint8_t clickShape[kClickLength];

// Opens the device and creates the wanted buffers; true when all of them exist.
bool SoundInit();
// Stops and releases every buffer and the device; frees the scratch memory.
void SoundShutdown();
// SoundShutdown, then SoundInit.
void SoundRedo();
// Stops, zero-fills and rewinds every buffer until the next SoundFrameStart.
void SoundSuspend();
// Restarts stopped buffers and realigns when needed (argument unused).
void SoundFrameStart(uint32_t cycleCounter);
// Renders one frame of AY and click samples and writes it into the ring.
void SoundFrameEnd();
// Rewinds playback to ring offset 0 and writing to three frames ahead.
void Resynchbuffers();
// Queues a click at `time` (in the unit scaled by screenOnRate +
// screenOffRate) for the coming SoundFrameEnd; bit 0 of `level` chooses the
// rising click. Ignored when the clicker is off or the list is full.
void SoundAddClickEvent(uint32_t time, uint8_t level);

// Bytes per emulated frame: (44100 / fps + 1) AND FFFEh; 736 at 60 fps.
extern int32_t s_nLockSize;
// Byte offset in the ring where the next frame is written.
extern int32_t s_nNextLockPos;
// Bytes to write at the coming SoundFrameEnd (0: none).
extern int32_t s_nNextLockSize;

// Save states: section "SNDS", version 1: the silence counters and the click
// in progress, so that a loaded state realigns the buffers when the
// uninterrupted run would have.
constexpr char kSoundSectionTag[] = "SNDS";
constexpr uint16_t kSoundSectionVersion = 1;
struct SoundSaved {
    uint8_t silenceFrames[kSoundBuffers];
    ClickKind currentClick;
    int clickPosition;
};
void SoundSaveState(StateWriter& out);
bool SoundLoadState(StateReader& in, uint16_t version, SoundSaved* into);
void SoundRestoreState(const SoundSaved& saved);

// While muted (warp, frame advance) frames are rendered as usual but nothing
// is written to the host buffers, which stay stopped.
void SoundSetMuted(bool muted);
