// Sound device and game controllers over SDL2.
//
// Sound: one SDL audio device at 22050 Hz mono 16-bit whose callback mixes the
// looping buffers with saturation, advancing each play position by what the
// device consumed. The device stays open for the run; opening and closing the
// host sound device only creates and releases buffers, so the reopen after
// every menu command costs nothing audible.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/qt/qt_host.h"

namespace platform {

namespace {

constexpr int kMaxBuffers = 8;
constexpr int kCallbackSamples = 256;  // about 12 ms per device period

struct SoundBuffer {
    bool alive = false;
    std::vector<uint8_t> data;
    uint32_t status = 0;
    uint32_t playPosition = 0;  // bytes, always even
    int64_t writeEnd = -1;      // end of the last frame written; -1 after a realignment
};

struct SoundState {
    bool sdlReady = false;
    bool deviceTried = false;
    SDL_AudioDeviceID device = 0;
    bool open = false;  // between SoundOpen and SoundClose
    SoundBuffer buffers[kMaxBuffers];
    uint64_t underruns = 0;  // times playback overtook the last written frame
    uint64_t samplesPlayed = 0;
    bool deviceRunning = false;
};
SoundState sound;

void mixCallback(void*, Uint8* stream, int length) {
    auto* out = reinterpret_cast<int16_t*>(stream);
    int samples = length / 2;
    std::memset(stream, 0, size_t(length));
    for (SoundBuffer& b : sound.buffers) {
        if (!b.alive || !(b.status & kSoundPlaying) || b.data.size() < 2) continue;
        uint32_t size = uint32_t(b.data.size());
        uint32_t position = b.playPosition;
        if (b.writeEnd >= 0) {
            // Playback passing the end of what was written plays an old frame again.
            uint32_t ahead = (uint32_t(b.writeEnd) + size - position) % size;
            if (ahead < uint32_t(length)) {
                ++sound.underruns;
                b.writeEnd = -1;
            }
        }
        for (int s = 0; s < samples; ++s) {
            int16_t value;
            std::memcpy(&value, b.data.data() + position, 2);
            out[s] = int16_t(std::clamp(int32_t(out[s]) + value, -32768, 32767));
            position += 2;
            if (position >= size) position = 0;
        }
        b.playPosition = position;
    }
    sound.samplesPlayed += uint64_t(samples);
}

bool ensureDevice() {
    if (sound.device) return true;
    if (sound.deviceTried || !sound.sdlReady) return false;
    sound.deviceTried = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kCallbackSamples;
    wanted.callback = mixCallback;
    SDL_AudioSpec obtained{};
    sound.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!sound.device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;  // started by the first buffer that plays
}

class AudioLock {
public:
    AudioLock() {
        if (sound.device) SDL_LockAudioDevice(sound.device);
    }
    ~AudioLock() {
        if (sound.device) SDL_UnlockAudioDevice(sound.device);
    }
};

bool anyPlaying() {
    AudioLock lock;
    for (const SoundBuffer& b : sound.buffers)
        if (b.alive && (b.status & kSoundPlaying)) return true;
    return false;
}

// Half a second with nothing playing (the emulator paused) closes the
// device, so its audio thread stops; the next buffer to play opens it again.
constexpr int kIdleCloseMs = 500;

void closeIdleDevice() {
    if (!sound.device || anyPlaying()) return;
    SDL_CloseAudioDevice(sound.device);
    sound.device = 0;
    sound.deviceRunning = false;
    sound.deviceTried = false;
}

// The device runs only while a buffer plays. Called without the lock.
void followPlaying() {
    bool playing = anyPlaying();
    if (playing && !sound.device) ensureDevice();
    if (!sound.device || playing == sound.deviceRunning) return;
    sound.deviceRunning = playing;
    SDL_PauseAudioDevice(sound.device, playing ? 0 : 1);
    if (!playing) QTimer::singleShot(kIdleCloseMs, [] { closeIdleDevice(); });
}

SoundBuffer* buffer(int id) {
    if (id < 0 || id >= kMaxBuffers || !sound.buffers[id].alive) return nullptr;
    return &sound.buffers[id];
}

// ---- Controllers ----

struct Controller {
    SDL_Joystick* joystick = nullptr;
    bool acquired = false;
    int axisMinimum = -32768, axisMaximum = 32767;
};
Controller controllers[2];
bool joystickReady = false;

}  // namespace

namespace qt {

void Initialise() {
    // Ctrl-C and kill must still end the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetMainReady();
    sound.sdlReady = SDL_Init(0) == 0;
}

void Finalise() {
    ControllersClose();
    SoundClose();
    char line[96];
    std::snprintf(line, sizeof line, "sound: %llu samples played, %llu underruns",
                  (unsigned long long)sound.samplesPlayed, (unsigned long long)sound.underruns);
    DebugOutput(line);
    if (sound.device) {
        SDL_CloseAudioDevice(sound.device);
        sound.device = 0;
    }
    if (sound.sdlReady) SDL_Quit();
    sound.sdlReady = false;
}

}  // namespace qt

// ---- Sound device ----------------------------------------------------------------

bool SoundOpen() {
    sound.open = ensureDevice();
    return sound.open;
}

void SoundClose() {
    {
        AudioLock lock;
        for (SoundBuffer& b : sound.buffers) b = SoundBuffer{};
        sound.open = false;
    }
    followPlaying();
}

int SoundCreateBuffer(uint32_t bytes) {
    if (!sound.open || bytes < 2) return -1;
    AudioLock lock;
    for (int i = 0; i < kMaxBuffers; ++i) {
        if (sound.buffers[i].alive) continue;
        sound.buffers[i] = SoundBuffer{true, std::vector<uint8_t>(bytes & ~1u, 0), 0, 0};
        return i;
    }
    return -1;
}

void SoundReleaseBuffer(int id) {
    {
        AudioLock lock;
        if (SoundBuffer* b = buffer(id)) *b = SoundBuffer{};
    }
    followPlaying();
}

uint32_t SoundGetStatus(int id) {
    AudioLock lock;
    SoundBuffer* b = buffer(id);
    return b ? b->status : 0;
}

HostResult SoundPlayLooping(int id) {
    {
        AudioLock lock;
        SoundBuffer* b = buffer(id);
        if (!b) return HostResult::Failed;
        b->status = kSoundPlaying | kSoundLooping;
    }
    followPlaying();
    return HostResult::Ok;
}

void SoundStop(int id) {
    {
        AudioLock lock;
        if (SoundBuffer* b = buffer(id)) b->status = 0;
    }
    followPlaying();
}

void SoundSetPlayPosition(int id, uint32_t byteOffset) {
    AudioLock lock;
    if (SoundBuffer* b = buffer(id)) {
        b->playPosition = (byteOffset % uint32_t(b->data.size())) & ~1u;
        b->writeEnd = -1;
    }
}

// The buffers live in our own memory: nothing is ever lost.
bool SoundRestore(int id) { return buffer(id) != nullptr; }

HostResult SoundLock(int id, uint32_t offset, uint32_t bytes, void** part1, uint32_t* size1, void** part2,
                     uint32_t* size2) {
    if (!sound.device) return HostResult::Failed;
    SDL_LockAudioDevice(sound.device);
    SoundBuffer* b = buffer(id);
    if (!b || bytes > b->data.size() || offset >= b->data.size()) {
        SDL_UnlockAudioDevice(sound.device);
        return HostResult::Failed;
    }
    // The device stays locked until SoundUnlock: the callback must not read a half-written frame.
    uint32_t size = uint32_t(b->data.size());
    uint32_t first = std::min(bytes, size - offset);
    *part1 = b->data.data() + offset;
    *size1 = first;
    *part2 = first < bytes ? b->data.data() : nullptr;
    *size2 = bytes - first;
    return HostResult::Ok;
}

void SoundUnlock(int id, void* part1, uint32_t size1, void* part2, uint32_t size2) {
    if (!sound.device) return;
    if (SoundBuffer* b = buffer(id)) {
        const uint8_t* base = b->data.data();
        const uint8_t* end = part2 ? static_cast<uint8_t*>(part2) + size2 : static_cast<uint8_t*>(part1) + size1;
        if (part1) b->writeEnd = int64_t(end - base) % int64_t(b->data.size());
    }
    SDL_UnlockAudioDevice(sound.device);
}

// ---- Game controllers ------------------------------------------------------------------

int ControllersOpen() {
    ControllersClose();
    if (!sound.sdlReady) return 0;
    if (!joystickReady) {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
        joystickReady = true;
    }
    int found = 0;
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count && found < 2; ++i) {
        SDL_Joystick* joystick = SDL_JoystickOpen(i);
        if (!joystick) continue;
        controllers[found] = Controller{};
        controllers[found].joystick = joystick;
        ++found;
    }
    return found;
}

void ControllersClose() {
    for (Controller& c : controllers) {
        if (c.joystick) SDL_JoystickClose(c.joystick);
        c = Controller{};
    }
}

bool ControllerPrepare(int slot, int axisMinimum, int axisMaximum, int* axes, int* hats) {
    if (slot < 0 || slot > 1 || !controllers[slot].joystick) return false;
    Controller& c = controllers[slot];
    int axisCount = SDL_JoystickNumAxes(c.joystick);
    int hatCount = SDL_JoystickNumHats(c.joystick);
    if (axisCount < 0 || hatCount < 0) return false;
    c.axisMinimum = axisMinimum;
    c.axisMaximum = axisMaximum;
    *axes = axisCount;
    *hats = hatCount;
    return true;
}

bool ControllerAcquire(int slot, bool acquire) {
    if (slot < 0 || slot > 1 || !controllers[slot].joystick) return false;
    controllers[slot].acquired = acquire;
    return true;
}

bool ControllersChanged() {
    if (!joystickReady) return false;
    SDL_PumpEvents();
    SDL_Event events[8];
    bool changed = false;
    while (int n = SDL_PeepEvents(events, 8, SDL_GETEVENT, SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED)) {
        if (n < 0) break;
        changed = true;
    }
    // Nothing else reads SDL's queue: drop the stick and button events before they pile up.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return changed;
}

HostResult ControllerRead(int slot, ControllerState* state) {
    if (slot < 0 || slot > 1 || !controllers[slot].joystick) return HostResult::Failed;
    Controller& c = controllers[slot];
    // Unacquired while the window is inactive: reads fail.
    if (!c.acquired) return HostResult::Failed;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(c.joystick)) return HostResult::Failed;
    auto scale = [&c](Sint16 raw) {
        int64_t span = int64_t(c.axisMaximum) - c.axisMinimum;
        return int32_t(c.axisMinimum + (int64_t(raw) + 32768) * span / 65535);
    };
    *state = ControllerState{};
    if (SDL_JoystickNumAxes(c.joystick) > 0) state->x = scale(SDL_JoystickGetAxis(c.joystick, 0));
    if (SDL_JoystickNumAxes(c.joystick) > 1) state->y = scale(SDL_JoystickGetAxis(c.joystick, 1));
    if (SDL_JoystickNumHats(c.joystick) > 0) {
        switch (SDL_JoystickGetHat(c.joystick, 0)) {
            case SDL_HAT_UP: state->hat = 0; break;
            case SDL_HAT_RIGHTUP: state->hat = 4500; break;
            case SDL_HAT_RIGHT: state->hat = 9000; break;
            case SDL_HAT_RIGHTDOWN: state->hat = 13500; break;
            case SDL_HAT_DOWN: state->hat = 18000; break;
            case SDL_HAT_LEFTDOWN: state->hat = 22500; break;
            case SDL_HAT_LEFT: state->hat = 27000; break;
            case SDL_HAT_LEFTUP: state->hat = 31500; break;
            default: state->hat = 0xFFFFFFFFu; break;
        }
    }
    int buttons = std::min(SDL_JoystickNumButtons(c.joystick), 32);
    for (int b = 0; b < buttons; ++b) state->buttons[b] = SDL_JoystickGetButton(c.joystick, b) != 0;
    return HostResult::Ok;
}

}  // namespace platform
