// A cartridge: any bytes loaded as a game ROM (bit 0 of the first byte signs
// it with "ZVGR" so that the ROM starts it), a hard reset, frames, then
// "Remove Game ROM". A file of 1 to 16384 bytes loads and reads back at
// 4000h with FFh behind it; a removal inside the cartridge brings BASIC back.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> image(data + 1, data + size);
    if ((data[0] & 1) && image.size() >= 4) std::memcpy(image.data(), "ZVGR", 4);
    fuzz::StartMachine();
    bool loaded = Machine::LoadGameRomFile(fuzz::PutFile("game.rom", image.data(), image.size()));
    FUZZ_CHECK(loaded == (!image.empty() && image.size() <= Machine::kGameRomSize));
    if (!loaded) return 0;
    Machine::state.portCLatch = 0xFF;  // the extended character window off: 4000-7FFF is the cartridge
    for (uint32_t a = 0; a < Machine::kGameRomSize; ++a)
        FUZZ_CHECK(Machine::ReadMemory(uint16_t(0x4000 + a)) == (a < image.size() ? image[a] : 0xFF));

    Machine::Reset(2);
    fuzz::RunUntil(nullptr, 60);
    fuzz::CheckMachine();
    int32_t pc = CpuCore::lastOpcodeAddress;
    Machine::RemoveGameRom();
    FUZZ_CHECK(Machine::GameRomImage == nullptr);
    if (pc >= 0x4000 && pc <= 0x7FFF) FUZZ_CHECK(fuzz::RunUntil("READY", 60));
    return 0;
}
