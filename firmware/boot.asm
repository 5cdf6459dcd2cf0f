; Restart entries, interrupt vectors and start-up.

; RST 00h: cold start. The CPU resets with SP=F000h, IM 0 and interrupts off.
rst00:  di
        ld sp, STKTOP
        jp reset
        ds 08h-$, 0FFh
; RST 08h: print the character in A on the screen (or printer when LPRINTing)
rst08:  jp putc
        ds 10h-$, 0FFh
; RST 10h: wait for a key, code in A
rst10:  jp getkey
        ds 18h-$, 0FFh
; RST 18h: key code in A if one is waiting, else A = 0 (does not wait)
rst18:  jp pollkey
        ds 20h-$, 0FFh
; RST 20h: print the zero-terminated string at HL
rst20:  jp prstr
        ds 28h-$, 0FFh
; RST 28h: clear the screen
rst28:  jp cls
        ds 38h-$, 0FFh
; RST 38h: interrupt mode 1 is never used; ignore
rst38:  ei
        reti

; ---- interrupt handlers -----------------------------------------------------

; Vector 02h: a key code is waiting at port 90h.
int_key:
        push af
        push hl
        in a, (P_CTRL)
        cp 03h
        jr nz, int_key1
        ld (brkflag), a         ; Stop: non-zero flag, and still buffered
int_key1:
        call keyput
        pop hl
        pop af
        ei
        reti

; Vector 14h: function keys F0h-F9h type the command strings of fkeytab.
int_fkey:
        push af
        push hl
        push de
        in a, (P_CTRL)
        sub 0F0h
        cp 10
        jr nc, int_fkey2
        add a, a
        ld e, a
        ld d, 0
        ld hl, fkeytab
        add hl, de
        ld e, (hl)
        inc hl
        ld d, (hl)
int_fkey1:
        ld a, (de)
        or a
        jr z, int_fkey2
        call keyput
        inc de
        jr int_fkey1
int_fkey2:
        pop de
        pop hl
        pop af
        ei
        reti

; Vector 06h: timer, about 486 per second. Counts jiffies of 1/50 s: each
; tick adds 50 to jiffyacc, each 486 in it make one jiffy.
int_timer:
        push af
        push hl
        push de
        ld hl, (jiffyacc)
        ld de, 50-486
        add hl, de              ; carry: a jiffy is complete
        jr c, int_tim1
        ld de, 486
        add hl, de
        ld (jiffyacc), hl
        jr int_tim2
int_tim1:
        ld (jiffyacc), hl
        ld hl, (jiffies)
        inc hl
        ld (jiffies), hl
int_tim2:
        pop de
        pop hl
        pop af
        ei
        reti

; Vector 08h: a cassette byte is waiting.
int_tape:
        push af
        push hl
        ld a, (tapehead)
        add a, TAPERING%256
        ld l, a
        ld h, TAPERING/256
        in a, (P_CTRL)
        ld (hl), a
        ld a, (tapehead)
        inc a
        and 3Fh
        ld (tapehead), a
        pop hl
        pop af
        ei
        reti

; Vector 16h: reply to the game-key command.
int_game:
        push af
        in a, (P_CTRL)
        ld (gamekeys), a
        ld a, 1
        ld (gkflag), a
        pop af
        ei
        reti

int_none:
        ei
        reti

        ds 100h-$, 0FFh
; Interrupt mode 2 table: I = 01h, the controller supplies the low byte.
vectors:
        dw int_none, int_key, int_none, int_timer
        dw int_tape, int_none, int_none, int_none
        dw int_none, int_none, int_fkey, int_game
        dw int_none, int_none, int_none, int_none

; Typed by F1-F5 (F0h-F4h) and Shift F1-F5 (F5h-F9h).
fkeytab:
        dw fk1, fk2, fk3, fk4, fk5, fk6, fk7, fk8, fk9, fk10
fk1:    db "LIST", 13, 0
fk2:    db "RUN", 13, 0
fk3:    db "CLOAD", 13, 0
fk4:    db "CSAVE ", 34, 0
fk5:    db "CONT", 13, 0
fk6:    db "PRINT ", 0
fk7:    db "GOTO ", 0
fk8:    db "LLIST", 13, 0
fk9:    db "CLS", 13, 0
fk10:   db "MODE 0", 13, 0

; ---- start-up -----------------------------------------------------------------
; A hard reset clears the RAM; a soft one leaves the signature of a started
; BASIC, and a program that still holds together is kept (warm start). What
; the test needs waits on the stack while the system variables are cleared.
reset:  ld hl, (memlow)
        push hl
        ld hl, (txttab)
        push hl
        ld hl, (prgend)
        push hl
        call warmok
        push af
coldstart:
        im 2
        ld a, vectors/256
        ld i, a
        ld a, SYS_NORMAL
        out (P_SYSTEM), a
        ld a, PORTC_RUN
        out (P_PORTC), a
        call ayquiet
        ; system variables and buffers FA00-FEBF start cleared, except a USR
        ; address the binary loader may already have stored
        ld hl, (usrvec)
        push hl
        ld hl, SV
        ld de, SV+1
        ld bc, TMPTOP-SV-1
        ld (hl), 0
        ldir
        pop hl
        ld a, h
        or l
        jr nz, cs_usr
        ld hl, usrdefault
cs_usr: ld (usrvec), hl
        ld hl, 1234
        ld (seed), hl
        ld a, TEXTATTR
        ld (curattr), a
        ld a, 4
        ld (playoct), a
        ld a, 10
        ld (playlen), a
        call cls
        ; a cartridge carrying the signature is started like a console would
        ld hl, CART
        ld de, cartsig
        ld b, 4
cs_sig: ld a, (de)
        cp (hl)
        jr nz, cs_nocart
        inc hl
        inc de
        djnz cs_sig
        ld sp, STKTOP
        ei
        jp CARTENTRY
cs_nocart:
        pop af
        pop de
        pop bc
        pop hl
        jr z, cs_cold
        ld (memlow), hl         ; warm: the program stays, the variables go
        ld (txttab), bc
        ld (prgend), de
        call clearvars
        ei
        jp ready
cs_cold:
        ; the lowest of 4000h, 8000h, C000h that holds RAM starts the program area
        ld hl, 4000h
        call ramtest
        jr z, cs_ram
        ld hl, 8000h
        call ramtest
        jr z, cs_ram
        ld hl, 0C000h
cs_ram: ld (memlow), hl
        ld (txttab), hl
        call donew
        ld hl, WARMSIG
        ld (warmsig), hl
        ld hl, banner
        call prstr
        ld hl, MEMTOP-1
        ld de, (txttab)
        or a
        sbc hl, de
        call prunum
        ld hl, msgfree
        call prstr
        ei
        jp ready

; NZ when the signature is there and the program records from txttab lead
; to the end marker at prgend without leaving the work area.
warmok: ld hl, (warmsig)
        ld de, WARMSIG
        or a
        sbc hl, de
        jr nz, wok_no
        ld hl, (txttab)
        ld a, h
        or a
        jr z, wok_no
wok1:   ld a, h
        cp MEMTOP/256
        jr nc, wok_no
        ld a, (hl)
        or a
        jr z, wok2
        cp 4                    ; length byte, number, end zero at least
        jr c, wok_no
        ld e, a
        ld d, 0
        add hl, de
        jr wok1
wok2:   ld de, (prgend)
        sbc hl, de              ; carry is clear
        jr nz, wok_no
        inc a
        ret
wok_no: xor a
        ret

; Z when the byte at HL keeps what is written (two patterns); the byte is restored.
ramtest:
        ld b, (hl)
        ld a, 55h
        ld (hl), a
        cp (hl)
        jr nz, ramt1
        cpl
        ld (hl), a
        cp (hl)
ramt1:  ld (hl), b
        ret

; Default USR routine: gives back its argument.
usrdefault:
        ret

cartsig: db "ZVGR"
banner:  db "ZEL VEGA BASIC 1.0", 13, 0
msgfree: db " BYTES FREE", 13, 0
