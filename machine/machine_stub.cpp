// Stand-ins until the machine's memory, ports, reset and scheduler land.
#include <cstring>

#include "cpu/cpu_core.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "machine/scheduler.h"

namespace Machine {
uint8_t MemoryImage[65536];
uint8_t BasicRomImage[kBasicRomSize];
uint8_t CharRomImage[kCharRomSize];
uint8_t ExtCharRomImage[kExtCharRomSize];
uint8_t* GameRomImage = nullptr;
const uint8_t* romSource = BasicRomImage;
State state;
MachineTiming timing;
std::string startDirectory = ".";

void FillMemoryForHardReset() {}
void LoadRomImages() {}
void LoadGameRom() {}
bool LoadGameRomFile(const std::string&) { return false; }
void RemoveGameRom() {}
void SaveRam() {}
void ResetIo() {}
void RecomputeTiming() {}
void Reset(int) {}
void StopDevices() {}
void StartUpReset() {}
void Shutdown() {}
uint8_t ReadPort(uint16_t) { return 0xFF; }
void WritePort(uint16_t, uint8_t) {}
void OnCpuCycles(uint32_t tStates) { state.cycleCounter += tStates; }
void OnReti() {}
void OnRetn() {}
void OnTrap(CpuState&) {}
}  // namespace Machine

namespace FrameScheduler {
State state;
void InitClock() {}
bool OnIdle() { return false; }
int32_t RunFrame() { return 0; }
void ResyncClock() {}
}  // namespace FrameScheduler
