// A CP6 tape through the ROM: CLOAD of any bytes, then RUN of whatever
// loaded. The machine never writes its ROM and never fails.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzz::BootToReady();
    FUZZ_CHECK(CassetteDeck::LoadFile(fuzz::PutFile("tape.cp6", data, size)));
    fuzz::Type("CLOAD\r");
    // About 0.6 frames a byte, the gap after the leader, the ROM's own pauses.
    for (int i = 0, afterTape = 30; i < int(size) + 200 && afterTape > 0; ++i) {
        FrameScheduler::RunFrame();
        if (!CassetteDeck::HasTape()) --afterTape;
    }
    fuzz::Type("RUN\r");
    fuzz::RunUntil(nullptr, 120);
    fuzz::CheckMachine();
    return 0;
}
