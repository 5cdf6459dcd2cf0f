// Stand-ins until the sound generator, sound stream and AY log land.
#include "sound/ay_log.h"
#include "sound/psg.h"
#include "sound/sound_stream.h"

Psg psgChip;
int32_t updateStep = 0;
int32_t maxOutput = 0;
void psgInit(int) {}
void psgSetVolume(int) {}
void psgReset(int) {}
void psgWrite(int, int, uint8_t) {}
void psgUpdate(int, uint16_t*, uint16_t*, uint16_t*, int) {}

int32_t s_nLockSize = 736;
int32_t s_nNextLockPos = 0;
int32_t s_nNextLockSize = 0;
bool SoundInit() { return false; }
void SoundShutdown() {}
void SoundRedo() {}
void SoundSuspend() {}
void SoundFrameStart(uint32_t) {}
void SoundFrameEnd() {}
void Resynchbuffers() {}

void toggleAyLog() {}
void logAyFrame() {}
void closeAyLog() {}
bool ayLogOpen() { return false; }
