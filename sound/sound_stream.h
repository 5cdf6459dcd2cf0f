// The sound output stream: four looping host buffers (key clicker, AY A, B,
// C) written one frame ahead of playback; also sets the frame period.
#pragma once

#include <cstdint>

bool SoundInit();
void SoundShutdown();
void SoundRedo();
void SoundSuspend();
void SoundFrameStart(uint32_t cycleCounter);
void SoundFrameEnd();
void Resynchbuffers();

extern int32_t s_nLockSize;
extern int32_t s_nNextLockPos;
extern int32_t s_nNextLockSize;
