// Host key-downs into Zel Vega key codes.
#include "input/keyboard.h"

#include <cstring>

#include "config/settings.h"
#include "cpu/cpu_core.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "platform/platform.h"

namespace KeyboardMapper {

namespace {
// A row that follows the host layout: its key is found from the character.
constexpr uint8_t kByLayout = 0;
}  // namespace

// clang-format off
KeyRow EmulatedKeyTable[kRowCount] = {
    // hostChar, hostKey,  normal,                 Shift,                       Ctrl
    {'p', 0x70, {{"F1", 0xF0},            {"Shift F1", 0xF5},          {nullptr, 0x00}}},          //  0
    {'q', 0x71, {{"F2", 0xF1},            {"Shift F2", 0xF6},          {nullptr, 0x00}}},          //  1
    {'r', 0x72, {{"F3", 0xF2},            {"Shift F3", 0xF7},          {nullptr, 0x00}}},          //  2
    {'s', 0x73, {{"F4", 0xF3},            {"Shift F4", 0xF8},          {nullptr, 0x00}}},          //  3
    {'t', 0x74, {{"F5", 0xF4},            {"Shift F5", 0xF9},          {nullptr, 0x00}}},          //  4
    {0,   0x24, {{"CLR", 0x0C},           {"HOME\tShift CLR", 0x0B},   {"Ctrl CLR", 0x0C}}},       //  5 Home
    {0,   0x23, {{"Stop", 0x03},          {"Shift Stop", 0x03},        {"Ctrl Stop", 0x03}}},      //  6 End
    {0,   0x2D, {{"Insert", 0x12},        {"Shift Insert", 0x12},      {"Ctrl Insert", 0x12}}},    //  7
    {0,   0x2E, {{"Delete", 0x7F},        {"Shift Delete", 0x7F},      {"Ctrl Delete", 0x7F}}},    //  8
    {0,   0x1B, {{"Esc", 0x1B},           {"Shift Esc", 0x1B},         {nullptr, 0x00}}},          //  9
    {'a', kByLayout, {{"a", 0x61}, {"Shift a", 0x41}, {"Ctrl a", 0x01}}},                          // 10
    {'b', kByLayout, {{"b", 0x62}, {"Shift b", 0x42}, {"Ctrl b", 0x02}}},                          // 11
    {'c', kByLayout, {{"c", 0x63}, {"Shift c", 0x43}, {"Ctrl c", 0x03}}},                          // 12
    {'d', kByLayout, {{"d", 0x64}, {"Shift d", 0x44}, {"ctrl d", 0x04}}},                          // 13
    {'e', kByLayout, {{"e", 0x65}, {"Shift e", 0x45}, {"Ctrl e", 0x05}}},                          // 14
    {'f', kByLayout, {{"f", 0x66}, {"Shift f", 0x46}, {"Ctrl f", 0x06}}},                          // 15
    {'g', kByLayout, {{"g", 0x67}, {"Shift g", 0x47}, {"Ctrl g", 0x07}}},                          // 16
    {'h', kByLayout, {{"h", 0x68}, {"Shift h", 0x48}, {"Ctrl h", 0x08}}},                          // 17
    {'i', kByLayout, {{"i", 0x69}, {"Shift i", 0x49}, {"Ctrl i", 0x09}}},                          // 18
    {'j', kByLayout, {{"j", 0x6A}, {"Shift j", 0x4A}, {"Ctrl j", 0x0A}}},                          // 19
    {'k', kByLayout, {{"k", 0x6B}, {"Shift k", 0x4B}, {"Ctrl k", 0x0B}}},                          // 20
    {'l', kByLayout, {{"l", 0x6C}, {"Shift l", 0x4C}, {"Ctrl l", 0x0C}}},                          // 21
    {'m', kByLayout, {{"m", 0x6D}, {"Shift m", 0x4D}, {"Ctrl m", 0x0D}}},                          // 22
    {'n', kByLayout, {{"n", 0x6E}, {"Shift n", 0x4E}, {"Ctrl n", 0x0E}}},                          // 23
    {'o', kByLayout, {{"o", 0x6F}, {"Shift o", 0x4F}, {"Ctrl o", 0x0F}}},                          // 24
    {'p', kByLayout, {{"p", 0x70}, {"Shift p", 0x50}, {"Ctrl p", 0x10}}},                          // 25
    {'q', kByLayout, {{"q", 0x71}, {"Shift q", 0x51}, {"Ctrl q", 0x11}}},                          // 26
    {'r', kByLayout, {{"r", 0x72}, {"Shift r", 0x52}, {"Ctrl r", 0x12}}},                          // 27
    {'s', kByLayout, {{"s", 0x73}, {"Shift s", 0x53}, {"Ctrl s", 0x13}}},                          // 28
    {'t', kByLayout, {{"t", 0x74}, {"Shift t", 0x54}, {"Ctrl t", 0x14}}},                          // 29
    {'u', kByLayout, {{"u", 0x75}, {"Shift u", 0x55}, {"Ctrl u", 0x15}}},                          // 30
    {'v', kByLayout, {{"v", 0x76}, {"Shift v", 0x56}, {"Ctrl v", 0x16}}},                          // 31
    {'w', kByLayout, {{"w", 0x77}, {"Shift w", 0x57}, {"Ctrl w", 0x17}}},                          // 32
    {'x', kByLayout, {{"x", 0x78}, {"Shift x", 0x58}, {"Ctrl x", 0x18}}},                          // 33
    {'y', kByLayout, {{"y", 0x79}, {"Shift y", 0x59}, {"Ctrl y", 0x19}}},                          // 34
    {'z', kByLayout, {{"z", 0x7A}, {"Shift z", 0x5A}, {"Ctrl z", 0x1A}}},                          // 35
    {'1', kByLayout, {{"1", 0x31}, {"Shift 1\t!", 0x21},  {nullptr, 0x00}}},                       // 36
    {'2', kByLayout, {{"2", 0x32}, {"Shift 2\t\"", 0x22}, {nullptr, 0x00}}},                       // 37
    {'3', kByLayout, {{"3", 0x33}, {"Shift 3\t#", 0x23},  {nullptr, 0x00}}},                       // 38
    {'4', kByLayout, {{"4", 0x34}, {"Shift 4\t$", 0x24},  {nullptr, 0x00}}},                       // 39
    {'5', kByLayout, {{"5", 0x35}, {"Shift 5\t%", 0x25},  {nullptr, 0x00}}},                       // 40
    {'6', kByLayout, {{"6", 0x36}, {"Shift 6\t&", 0x26},  {nullptr, 0x00}}},                       // 41
    {'7', kByLayout, {{"7", 0x37}, {"Shift 7\t'", 0x27},  {nullptr, 0x00}}},                       // 42
    {'8', kByLayout, {{"8", 0x38}, {"Shift 8\t(", 0x28},  {nullptr, 0x00}}},                       // 43
    {'9', kByLayout, {{"9", 0x39}, {"Shift 9\t)", 0x29},  {nullptr, 0x00}}},                       // 44
    {'0', kByLayout, {{"0", 0x30}, {nullptr, 0x00},       {nullptr, 0x00}}},                       // 45
    {'-', kByLayout, {{"-", 0x2D}, {"=", 0x3D},           {nullptr, 0x00}}},                       // 46
    {'=', kByLayout, {{"^", 0x5E}, {nullptr, 0x00},       {nullptr, 0x00}}},                       // 47
    {'\\', kByLayout, {{"\\", 0x5C}, {nullptr, 0x00},     {nullptr, 0x00}}},                       // 48
    {0,   0x21, {{"Exchange page", 0xFE}, {nullptr, 0x00},             {"Ctrl Exchange page", 0xFE}}},  // 49 Page Up
    {0,   0x09, {{"Tab", 0x09},           {"Shift Tab", 0x09},         {nullptr, 0x00}}},          // 50
    {0,   0x0D, {{"Enter", 0x0D},         {"Shift Enter", 0x0D},       {nullptr, 0x00}}},          // 51
    {0,   0x26, {{"Cursor up", 0x1E},     {"Shift Cursor up", 0x1E},   {nullptr, 0x00}}},          // 52
    {0,   0x25, {{"Cursor left", 0x1D},   {"Cursor left", 0x1D},       {nullptr, 0x00}}},          // 53
    {0,   0x28, {{"Cursor down", 0x1F},   {"Cursor down", 0x1F},       {nullptr, 0x00}}},          // 54
    {0,   0x27, {{"Cursor right", 0x1C},  {"Cursor right", 0x1C},      {nullptr, 0x00}}},          // 55
    {'[', kByLayout, {{"[", 0x5B}, {nullptr, 0x00},       {nullptr, 0x00}}},                       // 56
    {'`', kByLayout, {{"@", 0x40}, {"@", 0x40},           {nullptr, 0x00}}},                       // 57
    {';', kByLayout, {{";", 0x3B}, {"Shift ;\t+", 0x2B},  {nullptr, 0x00}}},                       // 58
    {'\'', kByLayout, {{":", 0x3A}, {"Shift :\t*", 0x2A}, {nullptr, 0x00}}},                       // 59
    {']', kByLayout, {{"]", 0x5D}, {nullptr, 0x00},       {nullptr, 0x00}}},                       // 60
    {',', kByLayout, {{",", 0x2C}, {"Shift ,\t<", 0x3C},  {nullptr, 0x00}}},                       // 61
    {'.', kByLayout, {{".", 0x2E}, {"Shift .\t>", 0x3E},  {nullptr, 0x00}}},                       // 62
    {'/', kByLayout, {{"/", 0x2F}, {"Shift /\t?", 0x3F},  {nullptr, 0x00}}},                       // 63
    {0,   0x22, {{nullptr, 0x00},         {"_", 0x5F},                 {nullptr, 0x00}}},          // 64 Page Down
    {0,   0x20, {{"Space", 0x20},         {"Space", 0x20},             {nullptr, 0x00}}},          // 65
};
// clang-format on

uint8_t hostKeyToRow[256];
LayerList layerList[3];
State state;

namespace {

constexpr uint8_t kDeleteRow = 8;
constexpr uint8_t kNumberPadFirst = 0x60;  // Num 0; with Num Lock off the host reports the navigation keys
constexpr uint8_t kNumberPadLast = 0x6F;   // Num /

// Number-pad keys with Num Lock on type their digit or operator, whatever
// the modifiers; -1 where the key is no number-pad key (6Ch is the unused separator).
int numberPadCode(uint8_t hostKey) {
    static constexpr char kCodes[] = "0123456789*+ -./";
    if (hostKey < kNumberPadFirst || hostKey > kNumberPadLast || hostKey == 0x6C) return -1;
    return kCodes[hostKey - kNumberPadFirst];
}

}  // namespace

void BuildTables() {
    std::memset(state.keyStateSnapshot, 0, sizeof state.keyStateSnapshot);
    state.queueHead = 0;
    state.queueCount = 0;
    std::memset(hostKeyToRow, kNoRow, sizeof hostKeyToRow);
    for (int row = 0; row < kRowCount; ++row) {
        KeyRow& key = EmulatedKeyTable[row];
        if (key.hostKey == kByLayout) key.hostKey = platform::KeyForCharacter(key.hostChar);
        // Later rows win where two share a host key.
        hostKeyToRow[key.hostKey] = uint8_t(row);
    }
    // The host's Backspace erases as the Delete key does (no row of its own).
    hostKeyToRow[kHostBackspace] = kDeleteRow;
    for (int layer = 0; layer < 3; ++layer) {
        layerList[layer].count = 0;
        for (int row = 0; row < kRowCount; ++row)
            if (EmulatedKeyTable[row].layers[layer].name) layerList[layer].rows[layerList[layer].count++] = uint8_t(row);
    }
}

CharacterCodes CodesForCharacter(uint32_t character) {
    if ((character >= 0x20 && character <= 0x7E) || character == 0x0D) return {1, {uint8_t(character)}};
    switch (character) {
        case 0x00A0: case 0x2007: case 0x202F:  // no-break spaces
            return {1, {' '}};
        case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032:  // single quotes, prime
            return {1, {'\''}};
        case 0x201C: case 0x201D: case 0x201E: case 0x201F: case 0x2033:  // double quotes, double prime
            return {1, {'"'}};
        case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212:  // dashes, minus
            return {1, {'-'}};
        case 0x2026:  // ellipsis
            return {3, {'.', '.', '.'}};
        default:
            return {0, {}};
    }
}

void OnKeyDown(uint32_t hostKeyCode, uint32_t character, bool autoRepeat) {
    uint8_t key = uint8_t(hostKeyCode & 0xFF);
    if (key == kHostShift || key == kHostCtrl) return;
    // A held key repeats only into an empty queue, so it never runs ahead of the program.
    if (autoRepeat && state.queueCount > 0) return;
    if (state.queueCount == kQueueCapacity) return;
    uint8_t keys[256];
    platform::GetKeyboardState(keys);
    uint8_t modifiers = uint8_t(((keys[kHostShift] & kKeyDown) ? kWithShift : 0) |
                                ((keys[kHostCtrl] & kKeyDown) ? kWithCtrl : 0));
    state.queue[(state.queueHead + state.queueCount) % kQueueCapacity] = QueuedKey{key, modifiers, 0, character};
    ++state.queueCount;
}

namespace {

bool isDown(const uint8_t keys[256], uint8_t key) { return (keys[key] & kKeyDown) != 0; }

// The code a row gives with Shift and Ctrl (Shift wins over Ctrl).
uint8_t codeOfRow(uint8_t row, bool shift, bool ctrl) {
    const KeyRow& key = EmulatedKeyTable[row];
    if (shift) return key.layers[kShiftLayer].code;
    if (ctrl) return key.layers[kCtrlLayer].code;
    return key.layers[kNormalLayer].code;
}

uint8_t codeOfRow(uint8_t row, const uint8_t keys[256]) {
    return codeOfRow(row, isDown(keys, kHostShift), isDown(keys, kHostCtrl));
}

// Emulated layout: the key's row, or its number-pad symbol; -1 for none.
// Code 00 (a layer without a name) counts as a code.
int emulatedCode(uint8_t hostKey, uint8_t modifiers) {
    int padCode = numberPadCode(hostKey);
    if (padCode >= 0) return padCode;
    uint8_t row = hostKeyToRow[hostKey];
    if (row == kNoRow) return -1;
    return codeOfRow(row, modifiers & kWithShift, modifiers & kWithCtrl);
}

bool isControlCharacter(uint32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

// Host layout: delivers the key's next code; true when the key-down is done.
bool deliverHostLayout(QueuedKey& key) {
    uint32_t c = key.character;
    if (c == platform::kDeadKey) return true;  // the accent comes with the next key's character
    bool shift = key.modifiers & kWithShift, ctrl = key.modifiers & kWithCtrl;
    if (ctrl && !shift) {
        // Ctrl+letter by the letter the layout puts there (as text or as its control character).
        uint32_t letter = (c >= 0x01 && c <= 0x1A) ? c + 0x60 : (c | 0x20);
        if (letter >= 'a' && letter <= 'z') {
            DeliverKey(uint8_t(letter - 0x60));
            return true;
        }
    } else if (c != platform::kNoCharacter && !isControlCharacter(c)) {
        CharacterCodes codes = CodesForCharacter(c);
        if (codes.count == 0) return true;  // a character the machine lacks types nothing
        DeliverKey(codes.codes[key.codesSent++]);
        return key.codesSent >= codes.count;
    }
    // No character (or Enter, Tab, Esc, Backspace, Delete, Ctrl with a non-letter): the emulated row.
    int code = emulatedCode(key.hostKey, key.modifiers);
    if (code >= 0) DeliverKey(uint8_t(code));
    return true;
}

// Sensible mode: the assignment picks an emulated key and layer; the key state
// that would produce it in the emulated layout is synthesized and resolved.
// Returns -1 when nothing is to be delivered.
int resolveAssignment(uint16_t value, uint8_t synthesized[256]) {
    std::memset(synthesized, 0, 256);
    if (value == kUnassigned || value == 0xFFFF || (value & 0xFF) >= kRowCount) return -1;
    uint8_t index = uint8_t(value & 0xFF);
    const LayerList* list = nullptr;
    if (value & 0x0200) {
        synthesized[kHostCtrl] = kKeyDown;
        list = &layerList[kCtrlLayer];
    } else if (value & 0x0100) {
        synthesized[kHostShift] = kKeyDown;
        list = &layerList[kShiftLayer];
    } else if (value < kRowCount) {
        list = &layerList[kNormalLayer];
    }
    // An index past the end of a shorter layer's list names no key.
    uint8_t targetKey = kNoKey;
    if (list && index < list->count) {
        targetKey = EmulatedKeyTable[list->rows[index]].hostKey;
        synthesized[targetKey] |= kKeyDown;
    }
    uint8_t row = hostKeyToRow[targetKey];
    if (row == kNoRow) return -1;
    return codeOfRow(row, synthesized);
}

}  // namespace

void PollFrame() {
    // A character typed by quick type this frame holds back the host keys.
    if (QuickType::FeedFrame()) return;

    uint8_t keys[256];
    platform::GetKeyboardState(keys);

    // The next key waits while the program has not yet taken the last one
    // (interrupts off): delivering it would replace that code unseen.
    int32_t pending = CpuCore::state.pendingIrq;
    bool keyUntaken = pending == kKeyVector || pending == kFunctionKeyVector;
    if (state.queueCount > 0 && !keyUntaken) {
        QueuedKey& key = state.queue[state.queueHead];
        bool done = true;
        if (settings.keyboardHostLayout) {
            done = deliverHostLayout(key);
        } else if (settings.keyboardEmulated) {
            int code = emulatedCode(key.hostKey, key.modifiers);
            if (code >= 0) DeliverKey(uint8_t(code));
        } else {
            int map = (key.modifiers & kWithShift) ? kShiftLayer : (key.modifiers & kWithCtrl) ? kCtrlLayer : kNormalLayer;
            uint8_t synthesized[256];
            int code = resolveAssignment(settings.sensibleKeyMap[map][key.hostKey], synthesized);
            if (code >= 0 && code != 0xFF) DeliverKey(uint8_t(code));
            // The game keys then see the assigned key, not the host's.
            std::memcpy(keys, synthesized, sizeof keys);
        }
        if (done) {
            state.queueHead = uint8_t((state.queueHead + 1) % kQueueCapacity);
            --state.queueCount;
        }
    }

    std::memcpy(state.keyStateSnapshot, keys, sizeof state.keyStateSnapshot);
}

void DeliverKey(uint8_t code) {
    Machine::state.ppiPortA = code;
    bool functionKey = code >= 0xF0 && code <= 0xF9;
    CpuCore::RequestInterrupt(functionKey ? kFunctionKeyVector : kKeyVector);
}

uint8_t GameKeyByte() {
    const uint8_t* keys = state.keyStateSnapshot;
    return uint8_t((isDown(keys, kHostSpace) ? 0x80 : 0) | (isDown(keys, kHostLeft) ? 0x20 : 0) |
                   (isDown(keys, kHostRight) ? 0x10 : 0) | (isDown(keys, kHostDown) ? 0x08 : 0) |
                   (isDown(keys, kHostUp) ? 0x04 : 0) | (isDown(keys, kHostEnd) ? 0x02 : 0) |
                   (isDown(keys, kHostShift) ? 0x01 : 0));
}

void SaveState(StateWriter& out) {
    out.BeginSection(kStateSectionTag, kStateSectionVersion);
    out.U8(state.queueCount);
    for (int i = 0; i < state.queueCount; ++i) {
        const QueuedKey& key = state.queue[(state.queueHead + i) % kQueueCapacity];
        out.U8(key.hostKey);
        out.U8(key.modifiers);
        out.U8(key.codesSent);
        out.U32(key.character);
    }
    out.Bytes(state.keyStateSnapshot, 256);
    out.EndSection();
}

bool LoadState(StateReader& in, uint16_t version, State* into) {
    *into = State{};
    if (version < 2) {
        bool pending = in.Bool();
        uint8_t hostKey = in.U8();
        if (pending) into->queue[into->queueCount++] = {hostKey, 0, 0, platform::kNoCharacter};
    } else {
        uint8_t count = in.U8();
        if (count > kQueueCapacity) return false;
        for (int i = 0; i < count && in.Ok(); ++i) {
            QueuedKey& key = into->queue[i];
            key.hostKey = in.U8();
            key.modifiers = in.U8();
            key.codesSent = in.U8();
            key.character = in.U32();
            if (key.modifiers > (kWithShift | kWithCtrl) || key.codesSent > 3) return false;
        }
        into->queueCount = count;
    }
    in.Bytes(into->keyStateSnapshot, 256);
    return in.Ok();
}

void RestoreState(const State& saved) { state = saved; }

}  // namespace KeyboardMapper
