; Sound, joysticks, graphics and cassette.

; ---- AY-3-8910 -------------------------------------------------------------

; Register A = E.
aywrite:
        out (P_AYSEL), a
        ld a, e
        out (P_AYDATA), a
        ret

; A = register A read back (14 is the input port).
ayread:
        out (P_AYSEL), a
        in a, (P_AYSEL)
        ret

; All channels silent; the mixer keeps tone and noise off.
ayquiet:
        push de
        ld a, 7
        ld e, 3Fh
        call aywrite
        ld e, 0
        ld a, 8
        call aywrite
        ld a, 9
        call aywrite
        ld a, 10
        call aywrite
        pop de
        ret

; SOUND register, value
do_sound:
        call evalbyte
        cp 14
        jp nc, err_fc
        push af
        call expect
        db ','
        call evalbyte
        ld e, a
        pop af
        jp aywrite

; TONE frequency, duration: a square wave on channel A (2 MHz / 16 / period),
; duration in fiftieths of a second. Frequency 0 is a rest.
do_tone:
        call evalint
        push hl
        call expect
        db ','
        call evalint
        pop de
        push hl                 ; duration
        ld a, d
        or e
        jr z, tone_rest
        bit 7, d
        jp nz, err_fc
        ; period = 125000 / f = 2 * (62500 / f), rounded by the remainder
        push de
        ld h, d
        ld l, e
        ld de, 62500
        call udiv16             ; HL = quotient, DE = remainder
        add hl, hl
        ex de, hl
        add hl, hl              ; 2 * remainder
        pop bc
        or a
        sbc hl, bc
        jr c, tone1
        inc de
tone1:  ex de, hl
        call playperiod
        pop hl
        jp waitoff
tone_rest:
        pop hl
        jp waitoff

; Channel A on at period HL (at most 4095).
playperiod:
        ld a, h
        cp 10h
        jr c, pp1
        ld hl, 0FFFh
pp1:    ld a, 0
        ld e, l
        call aywrite
        ld a, 1
        ld e, h
        call aywrite
        ld a, 7
        ld e, 3Eh
        call aywrite
        ld a, 8
        ld e, 15
        jp aywrite

; Wait HL fiftieths, then silence channel A.
waitoff:
        call waitj
        ld a, 8
        ld e, 0
        jp aywrite

; PLAY "notes": A-G with # or + (sharp) or - (flat) and an optional length
; (a note of two fiftieths or more ends with one of silence),
; R rest, On octave (1-7), Ln default length in fiftieths of a second.
; Spaces are passed over; any other character, or an octave outside 1-7, is
; an illegal function call.
do_play:
        call evalstr
        ld b, (hl)
        inc hl
pl_loop:
        ld a, b
        or a
        ret z
        ld a, (hl)
        inc hl
        dec b
        call toupper
        cp ' '
        jr z, pl_loop
        cp 'O'
        jr z, pl_oct
        cp 'L'
        jp z, pl_len
        cp 'R'
        jp z, pl_rest
        sub 'A'
        cp 7
        jp nc, err_fc
        push hl
        ld e, a
        ld d, 0
        ld hl, noteidx
        add hl, de
        ld c, (hl)              ; semitone 0..11
        pop hl
        ld a, b
        or a
        jr z, pl_n2
        ld a, (hl)
        cp '#'
        jr z, pl_sharp
        cp '+'
        jr z, pl_sharp
        cp '-'
        jr nz, pl_n2
        dec c
        jp p, pl_n1
        ld c, 11
        jr pl_n1
pl_sharp:
        inc c
pl_n1:  inc hl
        dec b
pl_n2:  call pl_number          ; DE = length or default
        push hl
        push bc
        push de
        ld a, c
        cp 12
        jr c, pl_n3
        ld a, 11
pl_n3:  add a, a
        ld e, a
        ld d, 0
        ld hl, noteper
        add hl, de
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        ld a, (playoct)
pl_sh:  dec a
        jr z, pl_n4
        srl h
        rr l
        jr pl_sh
pl_n4:  call playperiod
        pop hl
        ; the last fiftieth of a note is silent, so repeated notes stay apart
        ld a, h
        or a
        jr nz, pl_n5
        ld a, l
        cp 2
        jr c, pl_n6
pl_n5:  dec hl
        call waitoff
        ld hl, 1
pl_n6:  call waitoff
        pop bc
        pop hl
        ld a, (brkflag)
        or a
        jp z, pl_loop
pl_end: ret
pl_oct: ld a, b                 ; the octave's digits are not optional
        or a
        jp z, err_fc
        ld a, (hl)
        call isdigit
        jp c, err_fc
        call pl_number
        ld a, d
        or a
        jp nz, err_fc
        ld a, e
        or a
        jp z, err_fc
        cp 8
        jp nc, err_fc
        ld (playoct), a
        jp pl_loop
pl_len: call pl_number
        ld a, d                 ; a default length past 255 is passed over
        or a
        jp nz, pl_loop
        ld a, e
        or a
        jp z, pl_loop
        ld (playlen), a
        jp pl_loop
pl_rest:
        call pl_number
        push hl
        push bc
        ex de, hl
        call waitoff
        pop bc
        pop hl
        jp pl_loop

; Digits in the PLAY string (HL, B left) -> DE, or the default length.
pl_number:
        ld de, 0
        ld a, b
        or a
        jr z, pln3
        ld a, (hl)
        call isdigit
        jr c, pln3
pln1:   ld a, b
        or a
        ret z
        ld a, (hl)
        call isdigit
        ret c
        sub '0'
        push hl
        ld h, d
        ld l, e
        add hl, hl
        add hl, hl
        add hl, de
        add hl, hl
        ld e, a
        ld d, 0
        add hl, de
        ex de, hl
        pop hl
        inc hl
        dec b
        jr pln1
pln3:   ld a, (playlen)
        ld e, a
        ret

noteidx: db 9, 11, 0, 2, 4, 5, 7          ; A B C D E F G
; Tone periods of octave 1 (C at 32.7 Hz) for 2 MHz / 16.
noteper: dw 3822, 3608, 3405, 3214, 3034, 2863, 2703, 2551, 2408, 2273, 2145, 2025

; ---- joysticks and pointer ---------------------------------------------------

; JOY(0) game keys (bit 7 Space, 5 left, 4 right, 3 down, 2 up, 1 Stop, 0 Shift);
; JOY(1), JOY(2) joystick: bit 0 up, 1 down, 2 left, 3 right, 4 fire (1 = on);
; JOY(3), JOY(4) pointer X, Y; JOY(5) 1 while the pointer button is down.
fn_joy: call parenint
        ld a, h
        or a
        jp nz, err_fc
        ld a, l
        or a
        jr z, joy_keys
        cp 1
        ld e, 0C0h
        jr z, joy_stick
        cp 2
        ld e, 80h
        jr z, joy_stick
        cp 3
        ld e, 13h
        ld d, 02h
        jr z, joy_ptr
        cp 4
        ld e, 11h
        ld d, 00h
        jr z, joy_ptr
        cp 5
        jp nz, err_fc
        ld e, 13h
        call joysel
        cpl
        and 1
        jr joy_ret
joy_stick:
        call joysel
        cpl
        and 1Fh
joy_ret:
        ld l, a
        ld h, 0
        jp setint
; the coordinate comes serially, most significant bit first, in bit 2
joy_ptr:
        call joysel
        ld e, d
        ld a, 15
        call aywrite
        ld bc, 0800h
jp1:    ld a, 14
        call ayread
        rrca
        rrca
        rrca                    ; bit 2 into carry
        rl c
        djnz jp1
        ld a, c
        jr joy_ret
joy_keys:
        ld d, 4                 ; a key code delivered meanwhile can displace the reply
jk0:    xor a
        ld (gkflag), a
        ld a, CMD_GAMEKEYS
        out (P_CTRL), a
        ld bc, 800              ; about a frame
jk1:    ld a, (gkflag)
        or a
        jr nz, jk2
        dec bc
        ld a, b
        or c
        jr nz, jk1
        dec d
        jr nz, jk0
jk2:    ld a, (gamekeys)
        jr joy_ret

; AY register 15 = E, then A = register 14.
joysel: ld a, 15
        call aywrite
        ld a, 14
        jp ayread

; ---- graphics ------------------------------------------------------------------

; MODE 0 is text; MODE 1-8 graphics modes 0-7 for the whole screen,
; MODE m, 1 the second colour set.
do_mode:
        call evalbyte
        cp 9
        jp nc, err_fc
        push af
        ld e, 0
        call optcomma
        jr nz, md1
        call evalbyte
        cp 2
        jp nc, err_fc
        ld e, a
md1:    pop af
        or a
        jr z, textmode
        ld (gfxmode), a
        ld a, e
        ld (gfxset), a
        ld a, (gfxmode)
        dec a
        add a, a
        add a, a
        or 80h
        ld d, a
        ld a, e
        add a, a
        or d
        ld hl, SCRATTR
        ld de, SCRATTR+1
        ld bc, 511
        ld (hl), a
        ldir
        ld hl, SCRDATA
        ld de, SCRDATA+1
        ld bc, GFXBYTES-1
        ld (hl), 0
        ldir
        ret

textmode:
        xor a
        ld (gfxmode), a
        jp cls

; Pixel X = HL, Y = DE. NC: HL = byte, B = mask, C = shift.
; C (carry): the pixel is off the picture.
pixaddr:
        ld a, (gfxmode)
        or a
        jp z, err_fc
        dec a
        push hl
        add a, a
        add a, a
        ld c, a
        ld b, 0
        ld hl, gfxtab
        add hl, bc
        push hl
        pop ix
        pop hl
        ld a, h                 ; x
        or a
        scf
        ret nz
        ld a, (ix+0)
        cp l
        ret c
        ld a, d                 ; y
        or a
        scf
        ret nz
        ld a, (ix+1)
        cp e
        ret c
        push hl
        ld l, (ix+2)            ; bytes per row
        ld h, 0
        call mul16              ; HL = y * bytes per row
        pop de                  ; x
        ld a, (ix+3)
        or a
        ld a, e
        jr z, pa_two
        srl e                   ; four colours: 4 pixels a byte
        srl e
        and 3
        cpl
        and 3                   ; 3 - (x & 3)
        add a, a
        ld c, a
        ld b, 3
        jr pa_fin
pa_two: srl e
        srl e
        srl e
        and 7
        cpl
        and 7
        ld c, a
        ld b, 1
pa_fin: ld d, 0
        add hl, de
        ld de, SCRDATA
        add hl, de
        ld a, c
        or a
pa_sh:  jr z, pa_done
        sla b
        dec a
        jr pa_sh
pa_done:
        or a
        ret

; x max, y max, bytes per row, four-colour for graphics modes 0-7
gfxtab: db 63, 63, 16, 1
        db 127, 95, 32, 1
        db 127, 63, 32, 1
        db 127, 191, 32, 1
        db 127, 63, 16, 0
        db 127, 191, 16, 0
        db 127, 95, 16, 0
        db 255, 191, 32, 0

; "x, y" -> HL = x, DE = y
getxy:  call evalint
        push hl
        call expect
        db ','
        call evalint
        ex de, hl
        pop hl
        ret

; PSET x, y [, colour]: the colour defaults to the highest of the mode.
do_pset:
        call getxy
        ld a, 0FFh
        ld (tmpw), a
        call optcomma
        jr nz, ps1
        push hl
        push de
        call evalint
        ld a, l
        ld (tmpw), a
        pop de
        pop hl
ps1:    call pixaddr
        ret c
        ld a, (tmpw)
ps2:    push bc
        inc c
ps3:    dec c
        jr z, ps4
        add a, a
        jr ps3
ps4:    pop bc
        xor (hl)
        and b
        xor (hl)
        ld (hl), a
        ret

; LINE x1, y1, x2, y2 [, c]: the pixels between the two points (Bresenham);
; the parts off the picture are left out. Work space: numbuf.
LN_X  equ 0
LN_Y  equ 2
LN_X2 equ 4
LN_Y2 equ 6
LN_DX equ 8                     ; |x2 - x1|
LN_DY equ 10                    ; -|y2 - y1|
LN_SX equ 12                    ; the steps, 1 or -1
LN_SY equ 14
LN_E  equ 16                    ; the error term
do_line:
        call getxy
        push hl
        push de
        call expect
        db ','
        call getxy
        push hl
        push de
        ld a, 0FFh
        ld (tmpw), a
        call optcomma
        jr nz, ln1
        call evalbyte
        ld (tmpw), a
ln1:    ld ix, numbuf
        pop hl
        ld (ix+LN_Y2), l
        ld (ix+LN_Y2+1), h
        pop hl
        ld (ix+LN_X2), l
        ld (ix+LN_X2+1), h
        pop hl
        ld (ix+LN_Y), l
        ld (ix+LN_Y+1), h
        pop hl
        ld (ix+LN_X), l
        ld (ix+LN_X+1), h
        ld e, (ix+LN_X2)        ; dx, sx
        ld d, (ix+LN_X2+1)
        ex de, hl
        or a
        sbc hl, de
        ld de, 1
        bit 7, h
        jr z, ln2
        call neghl
        dec de
        dec de
ln2:    ld (ix+LN_DX), l
        ld (ix+LN_DX+1), h
        ld (ix+LN_SX), e
        ld (ix+LN_SX+1), d
        ld l, (ix+LN_Y2)        ; dy, sy
        ld h, (ix+LN_Y2+1)
        ld e, (ix+LN_Y)
        ld d, (ix+LN_Y+1)
        or a
        sbc hl, de
        ld de, 1
        bit 7, h
        jr nz, ln3
        call neghl
        jr ln4
ln3:    dec de
        dec de
ln4:    ld (ix+LN_DY), l
        ld (ix+LN_DY+1), h
        ld (ix+LN_SY), e
        ld (ix+LN_SY+1), d
        ld e, (ix+LN_DX)
        ld d, (ix+LN_DX+1)
        add hl, de
        ld (ix+LN_E), l
        ld (ix+LN_E+1), h
ln_loop:
        ld ix, numbuf
        ld l, (ix+LN_X)
        ld h, (ix+LN_X+1)
        ld e, (ix+LN_Y)
        ld d, (ix+LN_Y+1)
        call pixaddr
        ld a, (tmpw)
        call nc, ps2
        ld ix, numbuf
        ld l, (ix+LN_X)         ; at the end point?
        ld h, (ix+LN_X+1)
        ld e, (ix+LN_X2)
        ld d, (ix+LN_X2+1)
        or a
        sbc hl, de
        jr nz, ln5
        ld l, (ix+LN_Y)
        ld h, (ix+LN_Y+1)
        ld e, (ix+LN_Y2)
        ld d, (ix+LN_Y2+1)
        sbc hl, de
        ret z
ln5:    ld l, (ix+LN_E)         ; e2 = 2 * error
        ld h, (ix+LN_E+1)
        add hl, hl
        push hl
        ld e, (ix+LN_DY)        ; e2 >= dy: a step in x
        ld d, (ix+LN_DY+1)
        call cmps
        jr c, ln6
        ld l, (ix+LN_E)
        ld h, (ix+LN_E+1)
        add hl, de
        ld (ix+LN_E), l
        ld (ix+LN_E+1), h
        ld l, (ix+LN_X)
        ld h, (ix+LN_X+1)
        ld e, (ix+LN_SX)
        ld d, (ix+LN_SX+1)
        add hl, de
        ld (ix+LN_X), l
        ld (ix+LN_X+1), h
ln6:    pop hl                  ; e2 <= dx: a step in y
        ld e, (ix+LN_DX)
        ld d, (ix+LN_DX+1)
        call cmps
        jr z, ln7
        jp nc, ln_loop
ln7:    ld l, (ix+LN_E)
        ld h, (ix+LN_E+1)
        add hl, de
        ld (ix+LN_E), l
        ld (ix+LN_E+1), h
        ld l, (ix+LN_Y)
        ld h, (ix+LN_Y+1)
        ld e, (ix+LN_SY)
        ld d, (ix+LN_SY+1)
        add hl, de
        ld (ix+LN_Y), l
        ld (ix+LN_Y+1), h
        jp ln_loop

; CIRCLE x, y, r [, c]: the pixels at distance r (midpoint method, eight
; octants at a time). Work space: numbuf.
CI_X  equ 0                     ; the centre
CI_Y  equ 2
CI_DX equ 4                     ; the point of the first octant
CI_DY equ 6
CI_E  equ 8
CI_A  equ 10                    ; plot4's offsets
CI_B  equ 12
do_circle:
        call getxy
        push hl
        push de
        call expect
        db ','
        call evalint
        bit 7, h
        jp nz, err_fc
        push hl
        ld a, 0FFh
        ld (tmpw), a
        call optcomma
        jr nz, ci1
        call evalbyte
        ld (tmpw), a
ci1:    pop de
        ld (numbuf+CI_DX), de
        ld hl, 1                ; error = 1 - r
        or a
        sbc hl, de
        ld (numbuf+CI_E), hl
        pop hl
        ld (numbuf+CI_Y), hl
        pop hl
        ld (numbuf+CI_X), hl
        ld hl, 0
        ld (numbuf+CI_DY), hl
ci_loop:
        ld hl, (numbuf+CI_DX)   ; until the octant's end (dx < dy)
        ld de, (numbuf+CI_DY)
        call cmps
        ret c
        call plot4
        ld hl, (numbuf+CI_DY)
        ld de, (numbuf+CI_DX)
        call plot4
        ld hl, (numbuf+CI_DY)
        inc hl
        ld (numbuf+CI_DY), hl
        ld bc, (numbuf+CI_E)
        bit 7, b
        jr z, ci2
        add hl, hl              ; error += 2 dy + 1
        jr ci3
ci2:    ld de, (numbuf+CI_DX)
        dec de
        ld (numbuf+CI_DX), de
        or a
        sbc hl, de              ; error += 2 (dy - dx) + 1
        add hl, hl
ci3:    inc hl
        add hl, bc
        ld (numbuf+CI_E), hl
        jr ci_loop
; The four points (x +- HL, y +- DE).
plot4:  ld (numbuf+CI_A), hl
        ld (numbuf+CI_B), de
        ld hl, (numbuf+CI_Y)
        add hl, de
        call plot2
        ld hl, (numbuf+CI_Y)
        ld de, (numbuf+CI_B)
        or a
        sbc hl, de
; The two points (x +- a, HL).
plot2:  ex de, hl
        push de
        ld hl, (numbuf+CI_X)
        ld bc, (numbuf+CI_A)
        add hl, bc
        call plotxy
        pop de
        ld hl, (numbuf+CI_X)
        ld bc, (numbuf+CI_A)
        or a
        sbc hl, bc
; The pixel HL, DE in the colour tmpw when it is on the picture.
plotxy: call pixaddr
        ret c
        ld a, (tmpw)
        jp ps2

do_preset:
        call getxy
        call pixaddr
        ret c
        xor a
        jp ps2

; POINT(x, y): the pixel's colour, -1 off the picture.
fn_point:
        call expect
        db '('
        call getxy
        push hl
        push de
        call expect
        db ')'
        pop de
        pop hl
        call pixaddr
        jr nc, pt0
        ld hl, -1
        jp setint
pt0:    ld a, (hl)
        and b
pt1:    inc c
pt2:    dec c
        jr z, pt3
        srl a
        jr pt2
pt3:    ld l, a
        ld h, 0
        jp setint

; ---- cassette ---------------------------------------------------------------------
; Stream: 10 sync bytes D3h, the name in 6 bytes (00 after a shorter name),
; 00, the length of the program (2 bytes), the program, and the 16-bit sum
; of the program bytes.

TAPESYNC equ 0D3h

tapeout:
        push af
        ld a, CMD_TAPEBYTE
        out (P_CTRL), a
        pop af
        out (P_CTRL), a
        ret

do_csave:
        call evalstr
        push hl
        ld a, CMD_MOTORON
        out (P_CTRL), a
        ld a, CMD_RECBEGIN
        out (P_CTRL), a
        ld b, 10
cs1:    ld a, TAPESYNC
        call tapeout
        djnz cs1
        pop hl
        ld a, (hl)
        cp 7
        jr c, cs2
        ld a, 6
cs2:    ld c, a                 ; characters of the name
        ld b, 6
cs3:    inc hl
        xor a
        inc c
        dec c
        jr z, cs4
        ld a, (hl)
        dec c
cs4:    call tapeout
        djnz cs3
        xor a
        call tapeout
        ld hl, (prgend)
        ld de, (txttab)
        or a
        sbc hl, de
        inc hl                  ; the end marker is saved too
        ld b, h
        ld c, l
        ld a, l
        call tapeout
        ld a, h
        call tapeout
        ex de, hl
        ld de, 0
cs5:    ld a, (hl)
        call tapeout
        add a, e
        ld e, a
        jr nc, cs6
        inc d
cs6:    inc hl
        dec bc
        ld a, b
        or c
        jr nz, cs5
        ld a, e
        call tapeout
        ld a, d
        call tapeout
        ld a, CMD_RECEND
        out (P_CTRL), a
        ld a, CMD_MOTOROFF
        out (P_CTRL), a
        ret

; Next tape byte in A. Waits for ever for the first byte of a load, then
; gives up after a few seconds without one. Stop breaks.
tapeget:
        push bc
        push hl
        ld hl, 0
        ld a, (tapefirst)
        or a
        ld b, 0                 ; no time limit yet
        jr z, tg1
        ld b, 2
tg1:    ld a, (brkflag)
        or a
        jr nz, tg_break
        ld a, (tapetail)
        ld c, a
        ld a, (tapehead)
        cp c
        jr nz, tg3
        inc b
        dec b
        jr z, tg1
        dec hl
        ld a, h
        or l
        jr nz, tg1
        djnz tg1
        call tapefail
        jp err_tape
tg3:    ld a, c
        add a, TAPERING%256
        ld l, a
        ld h, TAPERING/256
        ld a, c
        inc a
        and 3Fh
        ld (tapetail), a
        ld a, 1
        ld (tapefirst), a
        ld a, (hl)
        pop hl
        pop bc
        ret
tg_break:
        call tapefail
        jp do_break

; A load cut short by the end of the tape or Stop leaves no half program.
tapefail:
        call tapestop
        ld a, (tapeload)
        or a
        ret z
        xor a
        ld (tapeload), a
        call donew
        ld hl, TOKBUF           ; the running line may be gone: report none
        ld (curline), hl
        ret

tapestop:
        ld a, CMD_MOTOROFF
        out (P_CTRL), a
        ld a, SYS_NORMAL
        out (P_SYSTEM), a
        ret

; CLOAD ["NAME"]: the first program on the tape, or the one of that name.
do_cload:
        xor a
        ld (tapeload), a
        ld hl, tapename
        ld b, 7
cl0:    ld (hl), 0
        inc hl
        djnz cl0
        call endstmt
        jr z, cl2
        call evalstr
        ld a, (hl)
        cp 7
        jr c, cl1
        ld a, 6
cl1:    or a
        jr z, cl2
        ld c, a
        ld b, 0
        inc hl
        ld de, tapename
        ldir
cl2:    xor a
        ld (tapefirst), a
        ld a, SYS_NORMAL
        out (P_SYSTEM), a
        di
        xor a
        ld (tapehead), a
        ld (tapetail), a
        ei
        ld a, CMD_MOTORON
        out (P_CTRL), a
        ld a, SYS_TAPEIN        ; read enable 0 -> 1 starts the bytes
        out (P_SYSTEM), a
cl_sync:
        ld b, 0
cl_s1:  call tapeget
        cp TAPESYNC
        jr nz, cl_s2
        inc b
        jr nz, cl_s1
        dec b
        jr cl_s1
cl_s2:  ld c, a
        ld a, b
        cp 4
        jr c, cl_sync
        ld hl, tapefound
        ld (hl), c
        ld b, 5
cl_s3:  inc hl
        call tapeget
        ld (hl), a
        djnz cl_s3
        inc hl
        ld (hl), 0
        call tapeget            ; end of the header
        call freshline
        ld hl, msgfound
        call prstr
        ld hl, tapefound
        call prstr
        call crlf
        ; a name asked for must match
        ld a, (tapename)
        or a
        jr z, cl_load
        ld hl, tapename
        ld de, tapefound
        ld b, 6
cl_c1:  ld a, (hl)               ; names match in either case
        call toupper
        ld c, a
        ld a, (de)
        call toupper
        cp c
        jr nz, cl_skip
        inc hl
        inc de
        djnz cl_c1
cl_load:
        call tapeget
        ld e, a
        call tapeget
        ld d, a
        ld a, d
        or e
        jp z, cl_bad
        ld hl, (txttab)
        push hl
        add hl, de
        jp c, cl_mem
        ld bc, MEMTOP-64
        or a
        sbc hl, bc
        pop hl
        jp nc, cl_mem
        ld b, d
        ld c, e
        ld de, 0
        ld a, 1
        ld (tapeload), a
cl_l1:  call tapeget
        ld (hl), a
        inc hl
        add a, e
        ld e, a
        jr nc, cl_l2
        inc d
cl_l2:  dec bc
        ld a, b
        or c
        jr nz, cl_l1
        dec hl
        ld (prgend), hl
        call tapeget
        cp e
        jr nz, cl_sum
        call tapeget
        cp d
        jr nz, cl_sum
        call tapestop
        ; the records must end exactly at the end marker
        ld hl, (txttab)
cl_v1:  ld a, (hl)
        or a
        jr z, cl_v2
        cp 4
        jr c, cl_bad
        ld e, a
        ld d, 0
        add hl, de
        jr cl_v1
cl_v2:  ld de, (prgend)
        or a
        sbc hl, de
        jr nz, cl_bad
        call clearvars
        ld hl, 0
        ld (contline), hl
        jp ready
cl_skip:
        ld hl, msgskip
        call prstr
        call tapeget
        ld c, a
        call tapeget
        ld b, a
        inc bc
        inc bc
cl_k1:  call tapeget
        dec bc
        ld a, b
        or c
        jr nz, cl_k1
        jp cl_sync
cl_sum: call tapestop
        call donew
        jp err_chksum
cl_bad: call tapestop
        call donew
        jp err_tape
cl_mem: call tapestop
        jp err_mem

msgfound: db "FOUND: ", 0
msgskip:  db "SKIPPED", 13, 0
