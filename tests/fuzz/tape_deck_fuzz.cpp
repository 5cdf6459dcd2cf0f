// The cassette deck alone: a tape, then a script of motor, read-enable,
// interrupt-enable, CPU steps, frames and idle time. Bytes come out in tape
// order from the first, each with vector 08h, never sooner than one byte
// interval of read-enabled steps after the previous one or the start of a load.
#include "tests/fuzz/fuzz_support.h"

namespace deck = CassetteDeck;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    fuzz::StartMachine();
    size_t tapeBytes = std::min<size_t>(size - 2, size_t(data[0] << 8 | data[1]));
    const uint8_t* tape = data + 2;
    const uint8_t* script = tape + tapeBytes;
    bool loaded = tapeBytes > 0 && deck::LoadFile(fuzz::PutFile("tape.cp6", tape, tapeBytes));
    FUZZ_CHECK(loaded == (tapeBytes > 0));

    size_t delivered = 0;        // bytes seen, all from the start of this tape
    uint64_t sinceLast = 0;      // read-enabled T-states since the last byte or load start
    CpuCore::state.iff1 = 1;
    for (const uint8_t* p = script; p < data + size; ++p) {
        uint8_t op = *p >> 5, arg = *p & 31;
        switch (op) {
            case 0: deck::cassetteMotorOn = arg & 1; break;
            case 1: {  // the read-enable bit of port B0h, through the machine's port
                bool rise = (arg & 1) && !(Machine::state.systemLatch & 0x08);
                Machine::WritePort(0xB0, uint8_t((Machine::state.systemLatch & ~0x08) | ((arg & 1) << 3)));
                if (rise) sinceLast = 0;
                break;
            }
            case 2: CpuCore::state.iff1 = arg & 1; break;
            case 3: deck::OnFrame(); break;
            case 4: Machine::state.cycleCounter += uint32_t(arg) * 200000u; break;  // idle time
            default: {  // CPU steps of up to 255 T-states while playback is active
                uint32_t tStates = uint32_t(arg) * 8 + 4;
                for (int n = 0; n < (op - 4) * 40; ++n) {
                    if (!deck::PlaybackActive()) break;
                    CpuCore::ClearPendingInterrupts();
                    Machine::state.cycleCounter += tStates;
                    if (Machine::state.systemLatch & 0x08) sinceLast += tStates;
                    deck::Tick(tStates);
                    if (CpuCore::state.pendingIrq == 0x08) {
                        FUZZ_CHECK(delivered < tapeBytes);
                        FUZZ_CHECK(Machine::state.ppiPortA == tape[delivered]);
                        FUZZ_CHECK(sinceLast > deck::kByteInterval);
                        FUZZ_CHECK(CpuCore::state.iff1 == 1);
                        ++delivered;
                        sinceLast = 0;
                    } else {
                        FUZZ_CHECK(CpuCore::state.pendingIrq == kIrqNone);
                    }
                }
            }
        }
        FUZZ_CHECK(deck::state.tapePosition <= deck::state.tapeSize);
        if (deck::HasTape()) FUZZ_CHECK(size_t(deck::state.tapePosition) == delivered);
    }
    deck::Eject();
    return 0;
}
