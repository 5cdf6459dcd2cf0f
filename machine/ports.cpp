// I/O ports, latches, controller commands and the timer interrupt.
#include "cpu/cpu_core.h"
#include "devices/cassette.h"
#include "devices/printer.h"
#include "input/keyboard.h"
#include "machine/machine.h"
#include "machine/machine_bus.h"
#include "platform/platform.h"
#include "sound/psg.h"

namespace Machine {

State state;

const uint8_t ayReadMask[16] = {0xFF, 0x0F, 0xFF, 0x0F, 0xFF, 0x0F, 0x1F, 0xFF,
                                0x1F, 0x1F, 0x1F, 0xFF, 0xFF, 0x0F, 0xFF, 0xFF};

namespace {

// Interrupt vectors of the machine's sources (low byte of the IM 2 table address).
constexpr int32_t kVectorTimer = 0x06;
constexpr int32_t kVectorGameKeys = 0x16;

// Keyboard/cassette controller commands written to port 90h.
constexpr uint8_t kCommandGameKeys = 0x06;
constexpr uint8_t kCommandMotorOn = 0x19;
constexpr uint8_t kCommandMotorOff = 0x1A;
constexpr uint8_t kCommandCassetteByte = 0x38;
constexpr uint8_t kCommandBeginRecording = 0x39;
constexpr uint8_t kCommandEndRecording = 0x3A;

// Values of AY register 15 that select what register 14 reads.
constexpr uint8_t kSelectPointerYReset = 0x11;
constexpr uint8_t kSelectPointerXReset = 0x13;
constexpr uint8_t kSelectPointerXBit = 0x02;
constexpr uint8_t kSelectPointerYBit = 0x00;

// One serial pointer bit: base, bit 2 the coordinate bit (MSB first), bit 0
// clear while the button is held; base + 1 once all eight bits are read.
uint8_t PointerBit(uint8_t base, uint8_t coordinate, uint8_t& bitsRead) {
    if (bitsRead >= 8) return uint8_t(base + 1);
    uint8_t value = base;
    if ((coordinate >> (7 - bitsRead)) & 1) value |= 0x04;
    if (!state.pointerDown) value |= 0x01;
    ++bitsRead;
    return value;
}

uint8_t ReadAyInputPort() {
    uint8_t select = state.ayPortBLatch;
    if ((select & 0xC0) == 0xC0) return state.joystick1;
    if ((select & 0xC0) == 0x80) return state.joystick2;
    switch (select) {
        case kSelectPointerYReset:
            state.pointerBitsY = 0;
            return state.pointerDown ? 0xDE : 0xDF;
        case kSelectPointerXReset:
            state.pointerBitsX = 0;
            return state.pointerDown ? 0xFE : 0xFF;
        case kSelectPointerXBit:
            return PointerBit(0xE8, state.pointerX, state.pointerBitsX);
        case kSelectPointerYBit:
            return PointerBit(0xC8, state.pointerY, state.pointerBitsY);
        default:
            return 0xFF;
    }
}

uint8_t ReadAyData() {
    uint8_t r = state.ayRegisterSelect;
    if (r == 14) return ReadAyInputPort();
    if (r <= 13) return uint8_t(state.ayShadow[r] & ayReadMask[r]);
    return 0xFF;  // 15 (port B is an output) and beyond
}

void WriteAyData(uint8_t value) {
    uint8_t r = state.ayRegisterSelect;
    if (r <= 13) {
        state.ayWritten[r] = 1;
        state.ayShadow[r] = value;
        if (state.ayLogCount < kAyLogCapacity) {
            state.ayLogRegister[state.ayLogCount] = r;
            state.ayLogValue[state.ayLogCount] = value;
            ++state.ayLogCount;
        }
        psgWrite(0, 1, value);
    } else if (r == 15) {
        state.ayPortBLatch = value;  // port B is not written to the chip
    }
}

void ControllerCommand(uint8_t value) {
    if (state.expectCassetteByte) {
        CassetteDeck::WriteByte(value);
        state.expectCassetteByte = false;
        return;
    }
    switch (value) {
        case kCommandGameKeys:
            state.ppiPortA = KeyboardMapper::GameKeyByte();
            CpuCore::RequestInterrupt(kVectorGameKeys);
            break;
        case kCommandMotorOn: CassetteDeck::cassetteMotorOn = true; break;
        case kCommandMotorOff: CassetteDeck::cassetteMotorOn = false; break;
        case kCommandCassetteByte: state.expectCassetteByte = true; break;
        case kCommandBeginRecording: CassetteDeck::BeginRecording(); break;
        case kCommandEndRecording: CassetteDeck::EndRecording(); break;
        default: break;
    }
}

void WriteSystemLatch(uint8_t value) {
    uint8_t changed = uint8_t(state.systemLatch ^ value);
    if (changed & 0x06) {
        static constexpr uint16_t kVideoPages[4] = {0xC000, 0xE000, 0x8000, 0xA000};
        state.videoDirty = 1;
        state.videoBase = kVideoPages[(value >> 1) & 3];
    }
    if ((changed & 0x08) && (value & 0x08)) CassetteDeck::OnReadEnableRising();
    state.systemLatch = value;
}

void WritePpi(uint8_t low, uint8_t value) {
    uint8_t displayBefore = state.portCLatch & 0x02;
    switch (low & 3) {
        case 0: ControllerCommand(value); break;
        case 1: PrinterPort::WritePortByte(value); break;
        case 2: state.portCLatch = value; break;
        case 3: {
            // Every write is a bit set/reset; bit 7 of the value is not examined.
            uint8_t bit = uint8_t(1u << ((value >> 1) & 7));
            if (value & 1) state.portCLatch |= bit;
            else state.portCLatch &= uint8_t(~bit);
            state.portCLatch |= 0xA8;
            break;
        }
    }
    if ((state.portCLatch & 0x02) != displayBefore) {
        state.videoDirty = 1;
        RecomputeTiming();  // the CPU rate and the timer period follow the display
    }
}

}  // namespace

uint8_t ReadPort(uint16_t port) {
    uint8_t low = uint8_t(port);
    switch (low & 0xF0) {
        case 0x80: return state.serialLatch[low & 1];
        case 0x90:
            switch (low & 3) {
                case 0: return state.ppiPortA;
                case 1: return 0x00;
                case 2: return state.portCLatch;
                default: return (state.ppiPortA & 1) ? 0xFF : 0xFE;
            }
        case 0xA0: return ReadAyData();
        default: return 0xFF;  // B0h-BFh, C0h-CFh and unused ports
    }
}

void WritePort(uint16_t port, uint8_t value) {
    uint8_t low = uint8_t(port);
    switch (low & 0xF0) {
        case 0x80: state.serialLatch[low & 1] = value; break;
        case 0x90: WritePpi(low, value); break;
        case 0xA0:
            if ((low & 3) == 0) {
                state.ayRegisterSelect = value;
                psgWrite(0, 0, value);
            } else if ((low & 3) == 1) {
                WriteAyData(value);
            }
            break;
        case 0xB0: WriteSystemLatch(value); break;
        default: break;
    }
}

void TimerStep() {
    if (state.timerPending) {
        if (CpuCore::state.iff1) {
            if (!(state.systemLatch & 0x01)) CpuCore::RequestInterrupt(kVectorTimer);
            state.timerPending = false;
        }
        return;
    }
    // The period has run out: OnCpuCycles calls only then or with a held request.
    state.timerCount = 0;
    if (!CpuCore::state.iff1) {
        state.timerPending = true;  // held back until interrupts are enabled
        return;
    }
    if (!(state.systemLatch & 0x01)) CpuCore::RequestInterrupt(kVectorTimer);
}

void OnReti() { platform::DebugOutput("TO DO: FIX ME for Z80 - z80_reti\n"); }
void OnRetn() { platform::DebugOutput("TO DO: FIX ME for Z80 - z80_retn\n"); }
void OnTrap(CpuState&) {}

void ResetIo() {
    state.cycleCounter = 0;
    for (int r = 0; r < 15; ++r) {
        state.ayShadow[r] = 0;
        state.ayWritten[r] = 1;
    }
    for (int r = 0; r < 14; ++r) {
        psgWrite(0, 0, uint8_t(r));
        psgWrite(0, 1, 0);
    }
}

void SaveLatches(StateWriter& out) {
    const State& s = state;
    out.BeginSection(kLatchSectionTag, kLatchSectionVersion);
    out.Bytes(s.serialLatch, 2);
    out.U8(s.ppiPortA);
    out.U8(s.portCLatch);
    out.U8(s.systemLatch);
    out.U16(s.videoBase);
    out.U8(s.ayRegisterSelect);
    out.Bytes(s.ayShadow, 15);
    out.Bytes(s.ayWritten, 15);
    out.U8(s.ayPortBLatch);
    out.U8(s.pointerX);
    out.U8(s.pointerY);
    out.U8(s.pointerDown);
    out.U8(s.pointerBitsX);
    out.U8(s.pointerBitsY);
    out.U8(s.joystick1);
    out.U8(s.joystick2);
    out.Bool(s.expectCassetteByte);
    out.U32(s.timerCount);
    out.Bool(s.timerPending);
    out.U32(s.cycleCounter);
    out.Bool(s.cartridgeCodeRun);
    out.EndSection();
}

bool LoadLatches(StateReader& in, uint16_t version, State* into) {
    State& s = *into;
    in.Bytes(s.serialLatch, 2);
    s.ppiPortA = in.U8();
    s.portCLatch = in.U8();
    s.systemLatch = in.U8();
    s.videoBase = in.U16();
    s.ayRegisterSelect = in.U8();
    in.Bytes(s.ayShadow, 15);
    in.Bytes(s.ayWritten, 15);
    s.ayPortBLatch = in.U8();
    s.pointerX = in.U8();
    s.pointerY = in.U8();
    s.pointerDown = in.U8();
    s.pointerBitsX = in.U8();
    s.pointerBitsY = in.U8();
    s.joystick1 = in.U8();
    s.joystick2 = in.U8();
    s.expectCassetteByte = in.Bool();
    s.timerCount = in.U32();
    s.timerPending = in.Bool();
    s.cycleCounter = in.U32();
    s.cartridgeCodeRun = version >= 2 && in.Bool();
    s.ayLogCount = 0;  // the log buffer belongs to the frame, not to the moment
    bool pageKnown = s.videoBase == 0xC000 || s.videoBase == 0xE000 || s.videoBase == 0x8000 || s.videoBase == 0xA000;
    return in.Ok() && pageKnown && s.pointerDown <= 1 && s.pointerBitsX <= 8 && s.pointerBitsY <= 8;
}

void RestoreLatches(const State& saved) {
    state = saved;
    state.videoDirty = 1;
}

}  // namespace Machine
