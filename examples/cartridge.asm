; Example cartridge for the Zel Vega: a typewriter with a title line.
; Build: pasmo --bin cartridge.asm cartridge.bin
; The ROM starts a cartridge whose first four bytes are "ZVGR" at 4004h, with
; the hardware set up, interrupts on and the ROM services at RST 08h-28h.

PUTC    equ 08h                 ; RST: print A
GETKEY  equ 10h                 ; RST: wait for a key, code in A
PRSTR   equ 20h                 ; RST: print the zero-terminated string at HL
CLS     equ 28h                 ; RST: clear the screen

        org 4000h
        db "ZVGR"
start:  rst CLS
        ld hl, title
        rst PRSTR
loop:   rst GETKEY
        cp 03h                  ; Stop restarts the machine
        jr z, reset
        rst PUTC
        jr loop
reset:  rst 00h

title:  db "ZEL VEGA TYPEWRITER CARTRIDGE", 13
        db "TYPE AWAY - STOP TO LEAVE", 13, 0
