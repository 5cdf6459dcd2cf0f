// Z80 disassembler: the opcode tables and the template expansion.
#include "debug/disasm.h"

#include <cstdio>
#include <cstring>

namespace Debug {

namespace {

// Templates: upper case is written as is; lower case are the operands, taken
// from the bytes after the opcode in the order they appear: n a byte, nn a
// word (low byte first), e a relative jump (shown as its target), d an index
// displacement (in "(x+d)"), x the index register (IX or IY), xh and xl its
// halves.

// The main page, one entry per opcode byte. The four prefixes have their own pages.
constexpr const char* kMainPage[256] = {
    "NOP",            // 00
    "LD BC,nn",       // 01
    "LD (BC),A",      // 02
    "INC BC",         // 03
    "INC B",          // 04
    "DEC B",          // 05
    "LD B,n",         // 06
    "RLCA",           // 07
    "EX AF,AF'",      // 08
    "ADD HL,BC",      // 09
    "LD A,(BC)",      // 0A
    "DEC BC",         // 0B
    "INC C",          // 0C
    "DEC C",          // 0D
    "LD C,n",         // 0E
    "RRCA",           // 0F
    "DJNZ e",         // 10
    "LD DE,nn",       // 11
    "LD (DE),A",      // 12
    "INC DE",         // 13
    "INC D",          // 14
    "DEC D",          // 15
    "LD D,n",         // 16
    "RLA",            // 17
    "JR e",           // 18
    "ADD HL,DE",      // 19
    "LD A,(DE)",      // 1A
    "DEC DE",         // 1B
    "INC E",          // 1C
    "DEC E",          // 1D
    "LD E,n",         // 1E
    "RRA",            // 1F
    "JR NZ,e",        // 20
    "LD HL,nn",       // 21
    "LD (nn),HL",     // 22
    "INC HL",         // 23
    "INC H",          // 24
    "DEC H",          // 25
    "LD H,n",         // 26
    "DAA",            // 27
    "JR Z,e",         // 28
    "ADD HL,HL",      // 29
    "LD HL,(nn)",     // 2A
    "DEC HL",         // 2B
    "INC L",          // 2C
    "DEC L",          // 2D
    "LD L,n",         // 2E
    "CPL",            // 2F
    "JR NC,e",        // 30
    "LD SP,nn",       // 31
    "LD (nn),A",      // 32
    "INC SP",         // 33
    "INC (HL)",       // 34
    "DEC (HL)",       // 35
    "LD (HL),n",      // 36
    "SCF",            // 37
    "JR C,e",         // 38
    "ADD HL,SP",      // 39
    "LD A,(nn)",      // 3A
    "DEC SP",         // 3B
    "INC A",          // 3C
    "DEC A",          // 3D
    "LD A,n",         // 3E
    "CCF",            // 3F
    "LD B,B",         // 40
    "LD B,C",         // 41
    "LD B,D",         // 42
    "LD B,E",         // 43
    "LD B,H",         // 44
    "LD B,L",         // 45
    "LD B,(HL)",      // 46
    "LD B,A",         // 47
    "LD C,B",         // 48
    "LD C,C",         // 49
    "LD C,D",         // 4A
    "LD C,E",         // 4B
    "LD C,H",         // 4C
    "LD C,L",         // 4D
    "LD C,(HL)",      // 4E
    "LD C,A",         // 4F
    "LD D,B",         // 50
    "LD D,C",         // 51
    "LD D,D",         // 52
    "LD D,E",         // 53
    "LD D,H",         // 54
    "LD D,L",         // 55
    "LD D,(HL)",      // 56
    "LD D,A",         // 57
    "LD E,B",         // 58
    "LD E,C",         // 59
    "LD E,D",         // 5A
    "LD E,E",         // 5B
    "LD E,H",         // 5C
    "LD E,L",         // 5D
    "LD E,(HL)",      // 5E
    "LD E,A",         // 5F
    "LD H,B",         // 60
    "LD H,C",         // 61
    "LD H,D",         // 62
    "LD H,E",         // 63
    "LD H,H",         // 64
    "LD H,L",         // 65
    "LD H,(HL)",      // 66
    "LD H,A",         // 67
    "LD L,B",         // 68
    "LD L,C",         // 69
    "LD L,D",         // 6A
    "LD L,E",         // 6B
    "LD L,H",         // 6C
    "LD L,L",         // 6D
    "LD L,(HL)",      // 6E
    "LD L,A",         // 6F
    "LD (HL),B",      // 70
    "LD (HL),C",      // 71
    "LD (HL),D",      // 72
    "LD (HL),E",      // 73
    "LD (HL),H",      // 74
    "LD (HL),L",      // 75
    "HALT",           // 76
    "LD (HL),A",      // 77
    "LD A,B",         // 78
    "LD A,C",         // 79
    "LD A,D",         // 7A
    "LD A,E",         // 7B
    "LD A,H",         // 7C
    "LD A,L",         // 7D
    "LD A,(HL)",      // 7E
    "LD A,A",         // 7F
    "ADD A,B",        // 80
    "ADD A,C",        // 81
    "ADD A,D",        // 82
    "ADD A,E",        // 83
    "ADD A,H",        // 84
    "ADD A,L",        // 85
    "ADD A,(HL)",     // 86
    "ADD A,A",        // 87
    "ADC A,B",        // 88
    "ADC A,C",        // 89
    "ADC A,D",        // 8A
    "ADC A,E",        // 8B
    "ADC A,H",        // 8C
    "ADC A,L",        // 8D
    "ADC A,(HL)",     // 8E
    "ADC A,A",        // 8F
    "SUB B",          // 90
    "SUB C",          // 91
    "SUB D",          // 92
    "SUB E",          // 93
    "SUB H",          // 94
    "SUB L",          // 95
    "SUB (HL)",       // 96
    "SUB A",          // 97
    "SBC A,B",        // 98
    "SBC A,C",        // 99
    "SBC A,D",        // 9A
    "SBC A,E",        // 9B
    "SBC A,H",        // 9C
    "SBC A,L",        // 9D
    "SBC A,(HL)",     // 9E
    "SBC A,A",        // 9F
    "AND B",          // A0
    "AND C",          // A1
    "AND D",          // A2
    "AND E",          // A3
    "AND H",          // A4
    "AND L",          // A5
    "AND (HL)",       // A6
    "AND A",          // A7
    "XOR B",          // A8
    "XOR C",          // A9
    "XOR D",          // AA
    "XOR E",          // AB
    "XOR H",          // AC
    "XOR L",          // AD
    "XOR (HL)",       // AE
    "XOR A",          // AF
    "OR B",           // B0
    "OR C",           // B1
    "OR D",           // B2
    "OR E",           // B3
    "OR H",           // B4
    "OR L",           // B5
    "OR (HL)",        // B6
    "OR A",           // B7
    "CP B",           // B8
    "CP C",           // B9
    "CP D",           // BA
    "CP E",           // BB
    "CP H",           // BC
    "CP L",           // BD
    "CP (HL)",        // BE
    "CP A",           // BF
    "RET NZ",         // C0
    "POP BC",         // C1
    "JP NZ,nn",       // C2
    "JP nn",          // C3
    "CALL NZ,nn",     // C4
    "PUSH BC",        // C5
    "ADD A,n",        // C6
    "RST 00h",        // C7
    "RET Z",          // C8
    "RET",            // C9
    "JP Z,nn",        // CA
    "(CB)",           // CB
    "CALL Z,nn",      // CC
    "CALL nn",        // CD
    "ADC A,n",        // CE
    "RST 08h",        // CF
    "RET NC",         // D0
    "POP DE",         // D1
    "JP NC,nn",       // D2
    "OUT (n),A",      // D3
    "CALL NC,nn",     // D4
    "PUSH DE",        // D5
    "SUB n",          // D6
    "RST 10h",        // D7
    "RET C",          // D8
    "EXX",            // D9
    "JP C,nn",        // DA
    "IN A,(n)",       // DB
    "CALL C,nn",      // DC
    "(DD)",           // DD
    "SBC A,n",        // DE
    "RST 18h",        // DF
    "RET PO",         // E0
    "POP HL",         // E1
    "JP PO,nn",       // E2
    "EX (SP),HL",     // E3
    "CALL PO,nn",     // E4
    "PUSH HL",        // E5
    "AND n",          // E6
    "RST 20h",        // E7
    "RET PE",         // E8
    "JP (HL)",        // E9
    "JP PE,nn",       // EA
    "EX DE,HL",       // EB
    "CALL PE,nn",     // EC
    "(ED)",           // ED
    "XOR n",          // EE
    "RST 28h",        // EF
    "RET P",          // F0
    "POP AF",         // F1
    "JP P,nn",        // F2
    "DI",             // F3
    "CALL P,nn",      // F4
    "PUSH AF",        // F5
    "OR n",           // F6
    "RST 30h",        // F7
    "RET M",          // F8
    "LD SP,HL",       // F9
    "JP M,nn",        // FA
    "EI",             // FB
    "CALL M,nn",      // FC
    "(FD)",           // FD
    "CP n",           // FE
    "RST 38h",        // FF
};

struct PageEntry {
    uint8_t code;
    const char* text;
};

// The ED page as the core defines it; every other byte is the undefined
// no-operation pair. Mirrors are the undocumented repeats of NEG, RETN,
// RETI, IM and the HL loads.
constexpr PageEntry kEdPage[] = {
    {0x40, "IN B,(C)"},   {0x41, "OUT (C),B"}, {0x42, "SBC HL,BC"}, {0x43, "LD (nn),BC"},
    {0x44, "NEG"},        {0x45, "RETN"},      {0x46, "IM 0"},      {0x47, "LD I,A"},
    {0x48, "IN C,(C)"},   {0x49, "OUT (C),C"}, {0x4A, "ADC HL,BC"}, {0x4B, "LD BC,(nn)"},
    {0x4C, "NEG"},        {0x4D, "RETI"},      {0x4E, "IM 0"},      {0x4F, "LD R,A"},
    {0x50, "IN D,(C)"},   {0x51, "OUT (C),D"}, {0x52, "SBC HL,DE"}, {0x53, "LD (nn),DE"},
    {0x54, "NEG"},        {0x55, "RETN"},      {0x56, "IM 1"},      {0x57, "LD A,I"},
    {0x58, "IN E,(C)"},   {0x59, "OUT (C),E"}, {0x5A, "ADC HL,DE"}, {0x5B, "LD DE,(nn)"},
    {0x5C, "NEG"},        {0x5D, "RETI"},      {0x5E, "IM 2"},      {0x5F, "LD A,R"},
    {0x60, "IN H,(C)"},   {0x61, "OUT (C),H"}, {0x62, "SBC HL,HL"}, {0x63, "LD (nn),HL"},
    {0x64, "NEG"},        {0x65, "RETN"},      {0x66, "IM 0"},      {0x67, "RRD"},
    {0x68, "IN L,(C)"},   {0x69, "OUT (C),L"}, {0x6A, "ADC HL,HL"}, {0x6B, "LD HL,(nn)"},
    {0x6C, "NEG"},        {0x6D, "RETI"},      {0x6E, "IM 0"},      {0x6F, "RLD"},
    {0x70, "IN F,(C)"},   {0x71, "OUT (C),0"}, {0x72, "SBC HL,SP"}, {0x73, "LD (nn),SP"},
    {0x74, "NEG"},        {0x75, "RETN"},      {0x76, "IM 1"},
    {0x78, "IN A,(C)"},   {0x79, "OUT (C),A"}, {0x7A, "ADC HL,SP"}, {0x7B, "LD SP,(nn)"},
    {0x7C, "NEG"},        {0x7D, "RETI"},      {0x7E, "IM 2"},
    {0xA0, "LDI"},        {0xA1, "CPI"},       {0xA2, "INI"},       {0xA3, "OUTI"},
    {0xA8, "LDD"},        {0xA9, "CPD"},       {0xAA, "IND"},       {0xAB, "OUTD"},
    {0xB0, "LDIR"},       {0xB1, "CPIR"},      {0xB2, "INIR"},      {0xB3, "OTIR"},
    {0xB8, "LDDR"},       {0xB9, "CPDR"},      {0xBA, "INDR"},      {0xBB, "OTDR"},
    {0xFE, "TRAP"},
};

// The DD page (IX) and the FD page (IY) as the core defines them; every
// other byte is a skipped prefix. CB leads to the DDCB/FDCB page.
constexpr PageEntry kIndexPage[] = {
    {0x09, "ADD x,BC"},   {0x19, "ADD x,DE"},   {0x21, "LD x,nn"},    {0x22, "LD (nn),x"},
    {0x23, "INC x"},      {0x24, "INC xh"},     {0x25, "DEC xh"},     {0x26, "LD xh,n"},
    {0x29, "ADD x,x"},    {0x2A, "LD x,(nn)"},  {0x2B, "DEC x"},      {0x2C, "INC xl"},
    {0x2D, "DEC xl"},     {0x2E, "LD xl,n"},    {0x34, "INC (x+d)"},  {0x35, "DEC (x+d)"},
    {0x36, "LD (x+d),n"}, {0x39, "ADD x,SP"},
    {0x44, "LD B,xh"},    {0x45, "LD B,xl"},    {0x46, "LD B,(x+d)"},
    {0x4C, "LD C,xh"},    {0x4D, "LD C,xl"},    {0x4E, "LD C,(x+d)"},
    {0x54, "LD D,xh"},    {0x55, "LD D,xl"},    {0x56, "LD D,(x+d)"},
    {0x5C, "LD E,xh"},    {0x5D, "LD E,xl"},    {0x5E, "LD E,(x+d)"},
    {0x60, "LD xh,B"},    {0x61, "LD xh,C"},    {0x62, "LD xh,D"},    {0x63, "LD xh,E"},
    {0x64, "LD xh,xh"},   {0x65, "LD xh,xl"},   {0x66, "LD H,(x+d)"}, {0x67, "LD xh,A"},
    {0x68, "LD xl,B"},    {0x69, "LD xl,C"},    {0x6A, "LD xl,D"},    {0x6B, "LD xl,E"},
    {0x6C, "LD xl,xh"},   {0x6D, "LD xl,xl"},   {0x6E, "LD L,(x+d)"}, {0x6F, "LD xl,A"},
    {0x70, "LD (x+d),B"}, {0x71, "LD (x+d),C"}, {0x72, "LD (x+d),D"}, {0x73, "LD (x+d),E"},
    {0x74, "LD (x+d),H"}, {0x75, "LD (x+d),L"}, {0x77, "LD (x+d),A"},
    {0x7C, "LD A,xh"},    {0x7D, "LD A,xl"},    {0x7E, "LD A,(x+d)"},
    {0x84, "ADD A,xh"},   {0x85, "ADD A,xl"},   {0x86, "ADD A,(x+d)"},
    {0x8C, "ADC A,xh"},   {0x8D, "ADC A,xl"},   {0x8E, "ADC A,(x+d)"},
    {0x94, "SUB xh"},     {0x95, "SUB xl"},     {0x96, "SUB (x+d)"},
    {0x9C, "SBC A,xh"},   {0x9D, "SBC A,xl"},   {0x9E, "SBC A,(x+d)"},
    {0xA4, "AND xh"},     {0xA5, "AND xl"},     {0xA6, "AND (x+d)"},
    {0xAC, "XOR xh"},     {0xAD, "XOR xl"},     {0xAE, "XOR (x+d)"},
    {0xB4, "OR xh"},      {0xB5, "OR xl"},      {0xB6, "OR (x+d)"},
    {0xBC, "CP xh"},      {0xBD, "CP xl"},      {0xBE, "CP (x+d)"},
    {0xE1, "POP x"},      {0xE3, "EX (SP),x"},  {0xE5, "PUSH x"},     {0xE9, "JP (x)"},
    {0xF9, "LD SP,x"},
};

// The CB page and the DDCB/FDCB page: bits 7-6 and 5-3 give the operation,
// bits 2-0 the register (6 is the memory operand).
constexpr const char* kShifts[8] = {"RLC", "RRC", "RL", "RR", "SLA", "SRA", "SLL", "SRL"};
constexpr const char* kBitOps[4] = {nullptr, "BIT", "RES", "SET"};
constexpr const char* kRegisters[8] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};

constexpr const char* kSkippedPrefix = "NOP*";
constexpr const char* kUndefinedEd = "NOP*";

// A 256-entry view of a sparse page.
struct Page {
    const char* text[256] = {};
    template <size_t N>
    explicit constexpr Page(const PageEntry (&entries)[N]) {
        for (const PageEntry& entry : entries) text[entry.code] = entry.text;
    }
};
constexpr Page kEd(kEdPage);
constexpr Page kIndex(kIndexPage);

void Hex2(char* out, unsigned value) { std::snprintf(out, 8, "%02Xh", value & 0xFF); }

// Writes a word as a symbol (when allowed and known) or four hex digits.
void Word(std::string& out, uint16_t value, bool useSymbol, const Symbols* symbols) {
    if (useSymbol && symbols)
        if (const std::string* name = NameAt(*symbols, value)) {
            out += *name;
            return;
        }
    char text[8];
    std::snprintf(text, sizeof text, "%04Xh", value);
    out += text;
}

Flow FlowOf(const char* text) {
    auto starts = [text](const char* word) {
        size_t n = std::strlen(word);
        return std::strncmp(text, word, n) == 0 && (text[n] == ' ' || text[n] == 0);
    };
    if (starts("CALL")) return Flow::Call;
    if (starts("RST")) return Flow::Rst;
    if (starts("RET") || starts("RETI") || starts("RETN")) return Flow::Return;
    if (starts("JP") || starts("JR") || starts("DJNZ")) return Flow::Jump;
    if (starts("HALT")) return Flow::Halt;
    return Flow::Plain;
}

// Operand bytes a template takes.
int OperandBytes(const char* text) {
    int count = 0;
    for (const char* p = text; *p; ++p) {
        if (p[0] == 'n' && p[1] == 'n') {
            count += 2;
            ++p;
        } else if (*p == 'n' || *p == 'e' || *p == 'd') {
            ++count;
        }
    }
    return count;
}

// Expands a template whose operands start at `operands`; `next` is the
// address after the instruction (relative jumps count from there).
void Expand(Instruction& out, const char* text, const uint8_t* operands, uint16_t next, const char* index,
            const Symbols* symbols) {
    std::string line;
    const bool isLoad16 = std::strncmp(text, "LD ", 3) == 0;
    for (const char* p = text; *p; ++p) {
        char c = *p;
        if (c == 'n' && p[1] == 'n') {
            uint16_t value = uint16_t(operands[0] | operands[1] << 8);
            operands += 2;
            ++p;
            bool memory = p > text + 1 && p[-2] == '(';
            bool target = out.flow == Flow::Jump || out.flow == Flow::Call;
            if (target) {
                out.hasTarget = true;
                out.target = value;
            }
            Word(line, value, target || memory || (isLoad16 && value >= 0x100), symbols);
        } else if (c == 'n') {
            char hex[8];
            Hex2(hex, *operands++);
            line += hex;
        } else if (c == 'e') {
            uint16_t value = uint16_t(next + int8_t(*operands++));
            out.hasTarget = true;
            out.target = value;
            Word(line, value, true, symbols);
        } else if (c == '+' && p[1] == 'd') {
            int8_t d = int8_t(*operands++);
            char hex[8];
            Hex2(hex, unsigned(d < 0 ? -d : d));
            line += d < 0 ? '-' : '+';
            line += hex;
            ++p;
        } else if (c == 'x') {
            line += index;
            if (p[1] == 'h' || p[1] == 'l') {
                line += char(p[1] - 'a' + 'A');
                ++p;
            }
        } else {
            line += c;
        }
    }
    std::snprintf(out.text, sizeof out.text, "%s", line.c_str());
}

// A template of `prefixBytes` prefix and opcode bytes.
Instruction FromTemplate(const char* text, const uint8_t* bytes, int prefixBytes, uint16_t address,
                         const char* index, const Symbols* symbols) {
    Instruction out;
    out.length = uint8_t(prefixBytes + OperandBytes(text));
    out.flow = FlowOf(text);
    Expand(out, text, bytes + prefixBytes, uint16_t(address + out.length), index, symbols);
    return out;
}

// CB page entry `op` on `operand` (a register name, or the memory operand).
std::string CbText(uint8_t op, const std::string& operand) {
    std::string text;
    if (op < 0x40) {
        text = std::string(kShifts[op >> 3]) + " " + operand;
    } else {
        text = std::string(kBitOps[op >> 6]) + " " + char('0' + ((op >> 3) & 7)) + "," + operand;
    }
    return text;
}

}  // namespace

Instruction Disassemble(const uint8_t bytes[kMaxInstructionBytes], uint16_t address, const Symbols* symbols) {
    uint8_t op = bytes[0];
    if (op == 0xCB) {
        Instruction out;
        out.length = 2;
        std::snprintf(out.text, sizeof out.text, "%s", CbText(bytes[1], kRegisters[bytes[1] & 7]).c_str());
        return out;
    }
    if (op == 0xED) {
        const char* text = kEd.text[bytes[1]];
        if (!text) {
            Instruction out;
            out.length = 2;
            std::snprintf(out.text, sizeof out.text, "%s", kUndefinedEd);
            return out;
        }
        return FromTemplate(text, bytes, 2, address, "", symbols);
    }
    if (op == 0xDD || op == 0xFD) {
        const char* index = op == 0xDD ? "IX" : "IY";
        if (bytes[1] == 0xCB) {
            // DD CB d op: d comes before the op byte.
            uint8_t cbOp = bytes[3];
            int8_t d = int8_t(bytes[2]);
            char memory[16];
            std::snprintf(memory, sizeof memory, "(%s%c%02Xh)", index, d < 0 ? '-' : '+', unsigned(d < 0 ? -d : d));
            std::string text = CbText(cbOp, memory);
            // A register field other than 6 also copies the result into that register.
            if ((cbOp & 7) != 6) text += std::string(",") + kRegisters[cbOp & 7];
            Instruction out;
            out.length = 4;
            std::snprintf(out.text, sizeof out.text, "%s", text.c_str());
            return out;
        }
        const char* text = kIndex.text[bytes[1]];
        if (!text) {
            Instruction out;
            out.length = 1;
            std::snprintf(out.text, sizeof out.text, "%s", kSkippedPrefix);
            return out;
        }
        return FromTemplate(text, bytes, 2, address, index, symbols);
    }
    return FromTemplate(kMainPage[op], bytes, 1, address, "", symbols);
}

}  // namespace Debug
