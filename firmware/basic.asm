; Zel Vega BASIC: the 16K system program.
; Build: pasmo --bin basic.asm basic.bin basic.lst
;
; Memory as this program uses it (RAM C000-FFFF is always fitted):
;   0000-3FFF  this ROM
;   4000-7FFF  cartridge (started when it carries the signature) or RAM (enhanced)
;   8000-BFFF  RAM when the expansion is fitted
;   txttab..   BASIC program, variables, arrays, free, string heap up to DFFFh
;   E000-F9FF  video window (attributes E000-E1FF, data E200-F9FF)
;   FA00-FAFF  system variables (USR vector at FAEBh)
;   FB00-FFFF  buffers and the machine stack

; ---- hardware -----------------------------------------------------------
P_CTRL     equ 90h          ; controller: key/cassette/game-key byte in, commands out
P_PRINTER  equ 91h          ; printer data, inverted
P_PORTC    equ 92h          ; port C latch
P_PORTCBIT equ 93h          ; port C bit set/reset
P_AYSEL    equ 0A0h         ; AY register select, data read
P_AYDATA   equ 0A1h         ; AY data write
P_SYSTEM   equ 0B0h         ; system latch

CMD_GAMEKEYS equ 06h
CMD_MOTORON  equ 19h
CMD_MOTOROFF equ 1Ah
CMD_TAPEBYTE equ 38h
CMD_RECBEGIN equ 39h
CMD_RECEND   equ 3Ah

; system latch: bit 0 = 0 timer on, bits 2-1 = 01 video at E000h, bit 3 cassette input
SYS_NORMAL equ 02h
SYS_TAPEIN equ 0Ah
; port C: bit 1 display on, bit 2 extended character ROM hidden from the CPU
PORTC_RUN  equ 06h

VIDEO      equ 0E000h
SCRATTR    equ VIDEO
SCRDATA    equ VIDEO+512
GFXBYTES   equ 6144
MEMTOP     equ 0E000h       ; first byte above the BASIC work area

CART       equ 4000h        ; cartridge signature "ZVGR", entry at CART+4
CARTENTRY  equ CART+4

TEXTATTR   equ 20h          ; text cell, extended character ROM (lower case)

; ---- system variables (FA00-FAFF) ---------------------------------------
SV         equ 0FA00h
txttab     equ SV+00h       ; start of program
prgend     equ SV+02h       ; address of the program's end marker
vartab     equ SV+04h       ; scalar variables (4 bytes each)
arrtab     equ SV+06h       ; arrays start (= end of scalars)
arrend     equ SV+08h       ; end of arrays
strbot     equ SV+0Ah       ; lowest byte of the string heap
txtptr     equ SV+0Ch       ; interpreter text pointer
curline    equ SV+0Eh       ; current line record
contline   equ SV+10h       ; line to CONT from (0 = cannot)
conttp     equ SV+12h
dataline   equ SV+14h       ; line record of the next DATA (0 = from start)
dataptr    equ SV+16h
ctlsp      equ SV+18h       ; control stack pointer (FOR/GOSUB)
tmpptr     equ SV+1Ah       ; next free byte of the string temporaries
curpos     equ SV+1Ch       ; cursor cell 0..511
curattr    equ SV+1Eh       ; attribute for printed text
wrapped    equ SV+1Fh       ; last character wrapped the cursor to a new row
instart    equ SV+20h       ; cell where the line being input starts
keyhead    equ SV+22h       ; key ring write index
keytail    equ SV+23h       ; key ring read index
brkflag    equ SV+24h       ; Stop was pressed
prtflag    equ SV+25h       ; output goes to the printer
prtcol     equ SV+26h       ; printer column
vtyp       equ SV+27h       ; type of the last expression: 0 number, 1 string
jiffies    equ SV+28h       ; 1/50 s since start
jiffyacc   equ SV+2Ah       ; timer ticks not yet counted as a jiffy (x50)
seed       equ SV+2Ch       ; random generator state
tapehead   equ SV+2Eh
tapetail   equ SV+2Fh
gamekeys   equ SV+30h
gkflag     equ SV+31h
gfxmode    equ SV+32h       ; 0 text, 1..8 graphics mode 0..7
gfxset     equ SV+33h
cursoron   equ SV+34h
relop      equ SV+35h
forvar     equ SV+36h
tmpw       equ SV+38h
tmpw2      equ SV+3Ah
playoct    equ SV+3Ch
playlen    equ SV+3Dh
chksum     equ SV+3Eh
tapename   equ SV+40h       ; 7 bytes: name asked for by CLOAD
tapefound  equ SV+48h       ; 7 bytes: name found on the tape
gcbest     equ SV+50h
gcslot     equ SV+52h
gclimit    equ SV+54h
gcnewtop   equ SV+56h
inputvar   equ SV+58h
savetp     equ SV+5Ah
memlow     equ SV+5Ch       ; lowest RAM address found at start-up
bufptr     equ SV+5Eh       ; where STR$ collects characters
inlist     equ SV+70h       ; INPUT's variable list
tapefirst  equ SV+72h       ; a byte of this load has arrived
toolong    equ SV+74h       ; the line entered had more than 127 characters
dirctl     equ SV+76h       ; control stack depth when the direct line began
cattot     equ SV+78h       ; length of the string being joined
tapeload   equ SV+79h       ; CLOAD is writing over the program
; floating point: five-byte numbers (see fp.asm) and their work space
fac        equ SV+7Ah       ; value of the last expression
arg        equ SV+7Fh       ; left operand
fx1        equ SV+84h       ; scratch numbers of the functions
fx2        equ SV+89h
fx3        equ SV+8Eh
fx4        equ SV+93h
fx5        equ SV+98h
ftmp       equ SV+9Dh
ftmp2      equ SV+0A2h
ftmp3      equ SV+0A7h
fdig       equ SV+0C0h      ; 9 decimal digits
fexp       equ SV+0C9h      ; exponent word while normalising
fsign      equ SV+0CBh
fraw       equ SV+0CCh      ; leave the next result unrounded
fguard     equ SV+0CDh
fdexp      equ SV+0CEh      ; decimal exponent (2 bytes)
fquad      equ SV+0D0h
fatns      equ SV+0D1h
vkind      equ SV+0D2h      ; kind of the last name: 0 number, 1 string, 2 integer
andim      equ SV+0D3h      ; subscripts read by getsubs
aidx       equ SV+0D4h      ; 12 bytes
rndst      equ SV+0E0h      ; 4 bytes: state of RND
fwant      equ SV+0E4h      ; fraw for the scaling steps of a conversion
fpx        equ SV+0E5h      ; x of a polynomial (5 bytes; FAEA is the last free byte)
fexpn      equ SV+0ACh      ; whole part of EXP's and LOG's argument (2 bytes)
fpown      equ SV+0AEh      ; whole power of ^ (2 bytes)
contflag   equ SV+60h       ; 16 bytes: row continues the row above
usrvec     equ 0FAEBh       ; USR routine address (also set by the binary loader)
warmsig    equ 0FAEEh       ; WARMSIG once BASIC has started: a reset keeps the program
WARMSIG    equ 5A17h
inputtp    equ 0FAF0h       ; where the INPUT statement starts, for asking again
fdrop      equ 0FAF2h       ; a number being read has dropped a digit
errtrap    equ 0FAF3h       ; line of ON ERROR GOTO (0: none)
errflag    equ 0FAF5h       ; an error handler is running
errnum     equ 0FAF6h       ; ERR: the last error's number
errlin     equ 0FAF7h       ; ERL: the line it happened in
errcur     equ 0FAF9h       ; its line record and statement, for RESUME
errtp      equ 0FAFBh
stmtptr    equ 0FAFDh       ; where the running statement starts

; ---- buffers ---------------------------------------------------------------
KEYRING    equ 0FB00h       ; 64 bytes
TAPERING   equ 0FB40h       ; 64 bytes
INBUF      equ 0FB80h       ; 128 bytes, typed line
TOKBUF     equ 0FC00h       ; 136 bytes, tokenised direct line
numbuf     equ 0FC88h       ; 20 bytes: a number as text
autoline   equ 0FC9Ch       ; AUTO: the next line number offered
autostep   equ 0FC9Eh       ; and the step (0: AUTO is off)
CTLBASE    equ 0FCA0h       ; control stack, grows upward, 18-byte frames
CTLTOP     equ 0FDA0h
TMPBASE    equ 0FDA0h       ; string temporaries, reset at every statement
TMPTOP     equ 0FEC0h
STKTOP     equ 0000h        ; machine stack FEC0-FFFF
STKLIMIT   equ 0FEE0h       ; expressions stop nesting below this

CTLSIZE    equ 18

        org 0
        include "boot.asm"
        include "screen.asm"
        include "keyboard.asm"
        include "tokens.asm"
        include "interp.asm"
        include "expr.asm"
        include "funcs.asm"
        include "fp.asm"
        include "math.asm"
        include "mathtab.asm"
        include "strings.asm"
        include "stmts.asm"
        include "devices.asm"
romend:
        ds 4000h-romend, 0FFh
