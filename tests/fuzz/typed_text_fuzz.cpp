// Typed text: any bytes pasted into BASIC at READY (lines, commands and
// programs that then run), as quick type delivers them, a character a frame
// or slower. The machine never writes its ROM and never fails.
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::BootToReady();
    fuzz::Type(std::string(reinterpret_cast<const char*>(data), size));
    // The text ends at its first zero; a slow line (a running program) is cut short by the limit.
    for (int i = 0; i < 4 * int(size) + 120 && (QuickType::IsActive() || i < 120); ++i) FrameScheduler::RunFrame();
    fuzz::CheckMachine();
    FUZZ_CHECK(QuickType::state.quickTypeIndex <= QuickType::state.quickTypeLength);
    return 0;
}
