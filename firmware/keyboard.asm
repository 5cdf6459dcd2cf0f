; Interrupt-fed key buffer and the screen line editor.

; Add the code in A to the key ring (called with interrupts off). Uses HL.
keyput:
        push bc
        ld c, a
        ld a, (keyhead)
        ld l, a
        inc a
        and 3Fh
        ld b, a
        ld a, (keytail)
        cp b
        jr z, keyput1           ; full: the key is dropped
        ld h, KEYRING/256
        ld (hl), c
        ld a, b
        ld (keyhead), a
keyput1:
        pop bc
        ret

; A = next key code and NZ, or A = 0 and Z when none is waiting.
pollkey:
        push hl
        ld a, (keytail)
        ld l, a
        ld a, (keyhead)
        cp l
        jr z, pollk1
        ld h, KEYRING/256
        ld a, l
        inc a
        and 3Fh
        ld (keytail), a
        ld a, (hl)
        pop hl
        or a
        ret
pollk1: pop hl
        xor a
        ret

keyflush:
        ld a, (keyhead)
        ld (keytail), a
        ret

; Wait for a key with the cursor shown. The wait is a busy loop: a HALT ends
; the CPU's time slice, and the timer (TIME, WAIT) would fall behind.
getkey:
        call curshow
        ei
getk1:  call pollkey
        jr z, getk1
        push af
        call curhide
        pop af
        ret

; Edit a line on the screen. On Enter HL = INBUF holding the logical line the
; cursor is on (from the input start when it is the same line), carry clear.
; Stop gives carry set.
readline:
        ld hl, (curpos)
        ld (instart), hl
rl_loop:                        ; entered here with instart already set
        call getkey
        cp 13
        jr z, rl_enter
        cp 3
        jp z, rl_stop
        cp 7Fh
        jr z, rl_del
        cp 12h
        jr z, rl_ins
        cp 0FEh
        jr z, rl_loop
        cp 20h
        jr nc, rl_put
        cp 0Ch
        jr z, rl_put
        cp 0Bh
        jr z, rl_put
        cp 1Ch
        jr c, rl_loop
rl_put: call putc
        jr rl_loop

rl_del:
        ld hl, (curpos)
        ld a, h
        or l
        jr z, rl_loop
        dec hl
        ld (curpos), hl
        push hl
        call lineend            ; HL = end cell (exclusive)
        pop de                  ; DE = cursor cell
        push hl
        or a
        sbc hl, de
        dec hl                  ; cells after the cursor
        ld b, h
        ld c, l
        ld hl, SCRDATA
        add hl, de
        ld d, h
        ld e, l
        inc hl
        ld a, b
        or c
        jr z, rl_del1
        ldir
rl_del1:
        pop hl
        ld de, SCRDATA-1
        add hl, de
        ld (hl), ' '
        jr rl_loop

rl_ins:
        ld hl, (curpos)
        push hl
        call lineend
        pop de                  ; DE = cursor cell, HL = end cell
        push de
        or a
        sbc hl, de
        dec hl
        ld b, h
        ld c, l                 ; cells to move right
        add hl, de              ; HL = end - 1
        ld de, SCRDATA
        add hl, de
        ld d, h
        ld e, l                 ; DE = last cell of the line
        dec hl
        ld a, b
        or c
        jr z, rl_ins1
        lddr
rl_ins1:
        pop hl
        ld de, SCRDATA
        add hl, de
        ld (hl), ' '
        jp rl_loop

rl_enter:
        call currow
        call linestart          ; B = first row of the logical line
        ld a, b
        ld (tmpw), a
        ld hl, (instart)
        add hl, hl
        add hl, hl
        add hl, hl
        ld a, h
        call linestart
        ld a, (tmpw)
        cp b
        ld hl, (instart)
        jr z, rl_ent1
        ld l, a
        call row32
rl_ent1:
        push hl                 ; start cell
        ld hl, (curpos)
        call lineend            ; HL = end cell (exclusive)
        pop de
        push hl
        or a
        sbc hl, de              ; length
        ld b, l
        ld a, h
        or a
        jr nz, rl_ent2
        ld a, l
        cp 127
        jr c, rl_ent3
rl_ent2:
        ld b, 127
rl_ent3:
        ld hl, SCRDATA
        add hl, de
        ld de, INBUF
        inc b
        dec b
        jr z, rl_ent5
rl_ent4:
        ld a, (hl)
        ld (de), a
        inc hl
        inc de
        djnz rl_ent4
rl_ent5:
        ; anything but spaces after the first 127 characters: too long
        pop bc                  ; end cell
        push bc
        push de
        ex de, hl
        ld hl, SCRDATA
        add hl, bc
        ld c, 0
rl_tl:  or a
        sbc hl, de
        jr z, rl_tl2
        add hl, de
        ld a, (de)
        inc de
        cp ' '
        jr z, rl_tl
        ld c, 1
rl_tl2: ld a, c
        ld (toolong), a
        pop de
        ; trailing spaces are not part of the line
        xor a
        ld (de), a
rl_trim:
        ld a, e                 ; INBUF lies within one page
        cp INBUF%256
        jr z, rl_ent6
        dec de
        ld a, (de)
        cp ' '
        jr nz, rl_ent6
        xor a
        ld (de), a
        jr rl_trim
rl_ent6:
        pop hl                  ; end cell: continue below the logical line
        ld de, -32
        add hl, de
        ld (curpos), hl
        xor a
        ld (wrapped), a
        ; a line that filled its last row exactly left an empty continuation
        ; row below it: the output goes there instead of one row further
        call currow
        or a
        jr z, rl_nl
        ld hl, contflag
        add a, l
        ld l, a
        ld a, (hl)
        or a
        jr z, rl_nl
        ld hl, (curpos)
        ld de, SCRDATA
        add hl, de
        ld b, 32
rl_bl:  ld a, (hl)
        cp ' '
        jr nz, rl_nl
        inc hl
        djnz rl_bl
        call clrcont
        jr rl_done
rl_nl:  call crlf
rl_done:
        ld hl, INBUF
        or a
        ret

rl_stop:
        xor a
        ld (brkflag), a
        ld hl, (curpos)
        call lineend
        ld de, -32
        add hl, de
        ld (curpos), hl
        xor a
        ld (wrapped), a
        call crlf
        ld hl, INBUF
        ld (hl), 0
        scf
        ret

; B = first row of the logical line holding row A.
linestart:
        ld b, a
lst1:   ld a, b
        or a
        ret z
        ld hl, contflag
        add a, l
        ld l, a
        ld a, (hl)
        or a
        ret z
        dec b
        jr lst1

; HL = cell just after the logical line holding cell HL.
lineend:
        add hl, hl
        add hl, hl
        add hl, hl
        ld b, h                 ; row
lend1:  ld a, b
        cp 15
        jr nc, lend2
        inc a
        ld hl, contflag
        add a, l
        ld l, a
        ld a, (hl)
        or a
        jr z, lend2
        inc b
        jr lend1
lend2:  ld l, b
        inc l
; HL = L * 32: the offset of the screen row in L.
row32:  ld h, 0
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        ret
