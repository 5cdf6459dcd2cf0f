; Numbers: five bytes, exponent then a 32-bit mantissa, low byte first.
;   e = 0:  a whole number held as a 16-bit integer in bytes 1-2 (bytes 3-4
;           zero); all five bytes zero is 0.
;   e > 0:  value = 0.1mmm...(binary) * 2^(e-128); the mantissa's top bit is
;           always 1 and is not stored: bit 7 of byte 4 is the sign.
; The integer form keeps whole-number work (loop counters, line numbers,
; screen positions) at integer speed; results that leave it become floating.
; FAC holds the value of the last expression; the operations below take the
; left operand from ARG and leave the result in FAC. They use all registers,
; the alternate set and IX.

; FAC = the integer HL.
setint: ld (fac+1), hl
        xor a
        ld (fac), a
        ld (fac+3), a
        ld (fac+4), a
        ld (vtyp), a
        ret

; FAC = HL read as 0..65535.
setuint:
        bit 7, h
        jr z, setint
        ld d, h
        ld e, l
        ld hl, 0
        ld c, l
        ld a, 128+16
        ld (fexp), a
        xor a
        ld (fexp+1), a
        ld (fsign), a
        jr fnorm

fzero:  ld hl, 0
        jr setint

; The integer form at HL made floating in place (0 stays). Keeps HL.
mkflt:  ld a, (hl)
        or a
        ret nz
        push hl
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        ld a, d
        or e
        jr z, mkf4
        ld c, d                 ; sign
        bit 7, d
        jr z, mkf1
        xor a
        sub e
        ld e, a
        sbc a, a
        sub d
        ld d, a
mkf1:   ld b, 128+16
        ld a, d
        or a
        jr nz, mkf3
        ld d, e
        ld e, a
        ld b, 128+8
        inc d
        dec d
        jr mkf3
mkf2:   dec b
        sla e
        rl d
mkf3:   jp p, mkf2
        ld (hl), 0              ; m1
        dec hl
        ld (hl), 0              ; m0
        dec hl
        ld (hl), b
        inc hl
        inc hl
        inc hl
        ld (hl), e
        inc hl
        ld a, c
        and 80h
        xor d
        xor 80h
        ld (hl), a
mkf4:   pop hl
        ret

; Normalise and round the mantissa D E H L (guard byte C) with the exponent
; word fexp and the sign in bit 7 of fsign; pack it into FAC. OVERFLOW past
; 1.7E38; below 1.5E-39 the result is 0.
fnorm:  ld b, 0                 ; bits moved left
fn1:    ld a, d
        or a
        jr nz, fn3
        ld d, e
        ld e, h
        ld h, l
        ld l, c
        ld c, a
        ld a, b
        add a, 8
        ld b, a
        cp 40
        jr c, fn1
        jr fzero
fn2:    inc b
        sla c
        adc hl, hl
        rl e
        rl d
fn3:    jp p, fn2
        ld a, (fraw)
        or a
        jr z, fn3b
        ld a, c                 ; left unrounded: the guard byte is kept
        ld (fguard), a
        xor a
        ld (fraw), a
        jr fn4
fn3b:   bit 7, c
        jr z, fn4
        inc l
        jr nz, fn4
        inc h
        jr nz, fn4
        inc e
        jr nz, fn4
        inc d
        jr nz, fn4
        ld d, 80h
        dec b                   ; one place up
fn4:    push hl
        ld hl, (fexp)
        ld a, b
        or a
        jp p, fn5
        inc hl                  ; b = -1
        jr fn6
fn5:    ld a, l
        sub b
        ld l, a
        jr nc, fn6
        dec h
fn6:    ld a, h
        or a
        jr nz, fn7
        or l
        jr z, fn8
        ld (fac), a
        pop hl
        ld (fac+1), hl
        ld a, (fsign)
        xor d
        and 80h
        xor d
        ld d, a
        ld (fac+3), de
        xor a
        ld (vtyp), a
        ret
fn7:    bit 7, h
        jp z, err_ovf
fn8:    pop hl
        jp fzero

; DEHL = the mantissa of the floating number at IX with its top bit.
ldm:    ld l, (ix+1)
        ld h, (ix+2)
        ld e, (ix+3)
        ld a, (ix+4)
        or 80h
        ld d, a
        ret

bothflt:
        ld hl, arg
        call mkflt
        ld hl, fac
        jp mkflt

; FAC = ARG - FAC
fsub:   call fneg
; FAC = ARG + FAC
fadd:   ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fad0
        ld hl, (arg+1)
        ld de, (fac+1)
        adc hl, de              ; carry is clear after the or
        jp po, setint
fad0:   call bothflt
        ld a, (arg)
        or a
        ret z                   ; ARG = 0: FAC stands
        ld a, (fac)
        or a
        jp z, argfac            ; FAC = 0: the result is ARG
        ld ix, arg              ; IX: larger exponent, IY: smaller
        ld iy, fac
        ld b, a
        ld a, (arg)
        sub b
        jr nc, fad1
        ld ix, fac
        ld iy, arg
        neg
fad1:   cp 40
        jr c, fad2
        push ix                 ; the smaller one is lost entirely
        pop hl
        jp tofac
fad2:   ld b, a
        ld a, (ix+0)
        ld (fexp), a
        xor a
        ld (fexp+1), a
        ld a, (ix+4)
        ld (fsign), a
        xor (iy+4)
        push af                 ; bit 7: signs differ
        push ix
        push iy
        pop ix
        call ldm
        pop ix
        ld c, 0
        ld a, b
fad3:   cp 8
        jr c, fad4
        ld c, l
        ld l, h
        ld h, e
        ld e, d
        ld d, 0
        sub 8
        jr fad3
fad4:   or a
        jr z, fad6
        ld b, a
fad5:   srl d
        rr e
        rr h
        rr l
        rr c
        djnz fad5
fad6:   ld a, (ix+4)
        or 80h
        ld b, a                 ; the larger one's top byte with its top bit
        pop af
        jp m, fad8
        ld a, (ix+1)
        add a, l
        ld l, a
        ld a, (ix+2)
        adc a, h
        ld h, a
        ld a, (ix+3)
        adc a, e
        ld e, a
        ld a, b
        adc a, d
        ld d, a
        jp nc, fnorm
        rr d
        rr e
        rr h
        rr l
        rr c
        push hl
        ld hl, (fexp)
        inc hl
        ld (fexp), hl
        pop hl
        jp fnorm
fad8:   xor a
        sub c
        ld c, a
        ld a, (ix+1)
        sbc a, l
        ld l, a
        ld a, (ix+2)
        sbc a, h
        ld h, a
        ld a, (ix+3)
        sbc a, e
        ld e, a
        ld a, b
        sbc a, d
        ld d, a
        jp nc, fnorm
        ; the smaller exponent held the larger mantissa: negate, flip the sign
        xor a
        sub c
        ld c, a
        ld a, 0
        sbc a, l
        ld l, a
        ld a, 0
        sbc a, h
        ld h, a
        ld a, 0
        sbc a, e
        ld e, a
        ld a, 0
        sbc a, d
        ld d, a
        ld a, (fsign)
        xor 80h
        ld (fsign), a
        jp fnorm

; FAC = ARG
argfac: ld hl, arg
; FAC = the five bytes at HL
tofac:  ld de, fac
        jr move5
; ARG = FAC
facarg: ld hl, fac
; ARG = the five bytes at HL
toarg:  ld de, arg
; Five bytes from HL to DE.
move5:  ldi
        ldi
        ldi
        ldi
        ldi
        ret
; The five bytes at HL = FAC
fromfac:
        ex de, hl
        ld hl, fac
        jr move5

; FAC = -FAC
fneg:   ld a, (fac)
        or a
        jr z, fng1
        ld a, (fac+4)
        xor 80h
        ld (fac+4), a
        ret
fng1:   ld hl, (fac+1)
        call neghl
        ld a, h
        xor 80h
        or l
        jp nz, setint
        jp setuint              ; -(-32768)

; FAC = ARG * FAC
fmul:   ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fmu3
        ld de, (arg+1)
        ld hl, (fac+1)
        ld a, d
        xor h
        ld (fsign), a
        bit 7, h
        call nz, neghl
        ex de, hl
        bit 7, h
        call nz, neghl
        ld b, h
        ld c, l
        call mul32
        ld a, d
        or e
        jr nz, fmu2
        ld a, (fsign)
        or a
        jp p, fmu1
        call neghl
        bit 7, h
        jp nz, setint
        ld a, h
        or l
        jp z, setint
        call neghl
        jr fmu2
fmu1:   bit 7, h
        jp z, setint
fmu2:   ld c, 0
        ld a, 128+32
        ld (fexp), a
        xor a
        ld (fexp+1), a
        jp fnorm
fmu3:   call bothflt
        ld a, (arg)
        or a
        jp z, fzero
        ld a, (fac)
        or a
        ret z
        ; the operand with zero low bytes is the cheaper multiplier
        ld a, (arg+1)
        or a
        jr z, fmu4
        ld a, (fac+1)
        or a
        jr nz, fmu4
        ld hl, fac
        ld de, ftmp
        call move5
        call argfac
        ld hl, ftmp
        call toarg
fmu4:   ld a, (arg+4)
        ld hl, fac+4
        xor (hl)
        ld (fsign), a
        ld a, (arg)
        ld l, a
        ld h, 0
        ld a, (fac)
        ld e, a
        ld d, h
        add hl, de
        ld de, -128
        add hl, de
        ld (fexp), hl
        ld hl, arg+4
        set 7, (hl)
        ld bc, (fac+3)
        set 7, b
        exx
        ld bc, (fac+1)
        ld hl, 0
        ld d, h
        exx
        ld hl, 0
        ld ix, arg+1
        ld d, 4
fmu5:   ld a, (ix+0)
        inc ix
        or a
        jr z, fmu9
        ld e, 8
fmu6:   srl a
        jr nc, fmu7
        exx
        add hl, bc
        exx
        adc hl, bc
fmu7:   rr h
        rr l
        exx
        rr h
        rr l
        rr d
        exx
        dec e
        jr nz, fmu6
fmu8:   dec d
        jr nz, fmu5
        exx
        ld a, d
        push hl
        exx
        ex de, hl
        pop hl
        ld c, a
        jp fnorm
fmu9:   exx                     ; a zero byte: the sum moves 8 places
        ld d, l
        ld l, h
        exx
        ld a, l
        exx
        ld h, a
        exx
        ld l, h
        ld h, 0
        jr fmu8

; FAC = ARG / FAC. DIVISION BY ZERO for 0.
fdiv:   ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fdv1
        ld hl, (fac+1)
        ld a, h
        or l
        jp z, err_div0
        ld a, h
        and l
        inc a
        jr z, fdv1              ; by -1: -32768 would not fit
        ld de, (arg+1)
        call div16
        ld a, d
        or e
        jp z, setint
fdv1:   call bothflt
        ld a, (fac)
        or a
        jp z, err_div0
        ld a, (arg)
        or a
        jp z, fzero
        ld a, (arg+4)
        ld hl, fac+4
        xor (hl)
        ld (fsign), a
        ld a, (arg)
        ld l, a
        ld h, 0
        ld a, (fac)
        ld e, a
        ld d, h
        or a
        sbc hl, de
        ld de, 129
        add hl, de
        ld (fexp), hl
        ld ix, arg
        call ldm                ; dividend
        ; a power of two divides by moving the exponent alone
        ld a, (fac+4)
        and 7Fh
        ld bc, (fac+1)
        or b
        or c
        ld bc, (fac+2)
        or b
        ld c, a
        jp z, fnorm
        ; remainder HL:HL', divisor BC:BC', quotient DE:DE' (a marker bit
        ; runs ahead of the quotient bits and ends the loop after 32)
        push hl
        ld bc, (fac+3)
        set 7, b
        ld h, d
        ld l, e
        ld de, 0
        exx
        pop hl
        ld bc, (fac+1)
        ld de, 1
        exx
        or a
fdv2:   jr c, fdv4
        exx
        sbc hl, bc
        exx
        sbc hl, bc
        jr nc, fdv5
        exx
        add hl, bc
        exx
        adc hl, bc
        or a
        jr fdv6
fdv4:   exx                     ; the remainder passed 2^32: it holds the divisor
        or a
        sbc hl, bc
        exx
        sbc hl, bc
fdv5:   scf
fdv6:   exx
        rl e
        rl d
        exx
        rl e
        rl d
        jr c, fdv7
        exx
        add hl, hl
        exx
        adc hl, hl
        jr fdv2
fdv7:   ld a, 1                 ; eight more bits for rounding
fdv8:   exx
        add hl, hl
        exx
        adc hl, hl
        jr c, fdv9
        exx
        sbc hl, bc
        exx
        sbc hl, bc
        jr nc, fdv10
        exx
        add hl, bc
        exx
        adc hl, bc
        or a
        jr fdv11
fdv9:   exx
        or a
        sbc hl, bc
        exx
        sbc hl, bc
fdv10:  scf
fdv11:  rla
        jr nc, fdv8
        ld c, a
        exx
        push de
        exx
        pop hl
        jp fnorm

; Compare ARG with FAC: carry when ARG < FAC, Z when equal.
fcmp:   ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fcm1
        ld hl, (arg+1)
        ld de, (fac+1)
        jp cmps
fcm1:   call bothflt
        ld a, (arg+4)
        ld hl, fac+4
        xor (hl)
        jp m, fcm4
        ld a, (arg)
        ld hl, fac
        cp (hl)
        jr nz, fcm3
        ld de, arg+4
        ld hl, fac+4
        ld b, 4
fcm2:   ld a, (de)
        cp (hl)
        jr nz, fcm3
        dec de
        dec hl
        djnz fcm2
        ret
fcm3:   ld a, 0                 ; carry: |ARG| < |FAC|
        rla
        ld b, a
        ld a, (fac+4)
        rlca
        xor b
        rra                     ; a negative pair compares the other way
        jr fcm5
fcm4:   ld a, (arg+4)
        rla
fcm5:   jr c, fclt
fcgt:   or 1
        ret
fclt:   or 1
        scf
        ret

; HL = FAC made whole toward zero, as 16 bits; OVERFLOW from 65536 on.
toint:  ld a, (fac)
        or a
        jr nz, toi1
        ld hl, (fac+1)
        ret
toi1:   ld hl, 0
        cp 129
        ret c
        cp 128+17
        jp nc, err_ovf
        ld hl, (fac+3)
        ld c, h
        set 7, h
        sub 128+16
        neg
        jr z, toi3
        ld b, a
toi2:   srl h
        rr l
        djnz toi2
toi3:   bit 7, c
        ret z
        jp neghl

; As toint, OVERFLOW outside -32768..32767.
toint16:
        call toint
        ld a, (fac)
        or a
        ret z
        ld a, (fac+4)
        xor h
        ret p
        ld a, h
        or l
        ret z
        jp err_ovf

; A floating FAC that is a whole number within -32767..32767 takes the
; integer form.
intify: ld a, (fac)
        sub 129
        ret c
        cp 15
        ret nc
        ld hl, (fac+1)
        ld b, a
        ld a, h
        or l
        ret nz
        ld a, 15
        sub b
        ld b, a
        ld hl, (fac+3)
        ld c, h
        set 7, h
ify1:   srl h
        rr l
        ret c                   ; a fraction
        djnz ify1
        bit 7, c
        call nz, neghl
        jp setint

; FAC = FIX(FAC): the fraction dropped. A = the bits dropped (0: none).
ffix:   ld a, (fac)
        or a
        ret z
        cp 128+32
        ld a, 0
        ret nc
        ld a, (fac)
        cp 129
        jr nc, ffx1
        call fzero
        or 1
        ret
ffx1:   ld b, a
        ld a, 128+32
        sub b                   ; bits to clear, 1..31
        ld hl, fac+1
        ld c, 0
ffx2:   cp 8
        jr c, ffx3
        ld b, a
        ld a, (hl)
        or c
        ld c, a
        ld (hl), 0
        inc hl
        ld a, b
        sub 8
        jr ffx2
ffx3:   ld b, a
        ld a, 0FFh
        inc b
        jr ffx5
ffx4:   add a, a
ffx5:   djnz ffx4
        ld b, a                 ; mask of the whole part
        cpl
        and (hl)
        or c
        ld c, a
        ld a, b
        and (hl)
        ld (hl), a
        push bc
        call intify
        pop bc
        ld a, c
        ret

; FAC = INT(FAC): the largest whole number not above it.
fint:   ld a, (fac+4)
        push af
        call ffix
        pop bc
        or a
        ret z
        bit 7, b
        ret z
        ld hl, (fac)            ; a negative number lost a fraction: one less
        ld a, l
        or h
        jr nz, fint1
        ld hl, -1
        jp setint
fint1:  call facarg
        ld hl, -1
        call setint
        jp fadd

; ---- conversion from and to text ---------------------------------------------------

; Read a number at HL (digits, an optional point and fraction, an optional
; E, sign and exponent) into FAC; HL after it. A whole number within
; -32767..32767 comes back in the integer form.
fin:    ld de, 0
        ld b, d
        ld c, d
        ld (fdexp), de          ; decimal exponent; high byte: a point was read
        xor a
        ld (fdrop), a
fin1:   ld a, (hl)
        cp '.'
        jr z, fin5
        sub '0'
        cp 10
        jr nc, fin6
        call fdigit
        jr nc, fin2
        push af                 ; the first digit past the precision rounds
        ld a, (fdrop)
        or a
        jr nz, fin1y
        inc a
        ld (fdrop), a
        pop af
        cp 5
        jr c, fin1z
        inc c
        jr nz, fin1z
        inc b
        jr nz, fin1z
        inc de
        jr fin1z
fin1y:  pop af
fin1z:  ld a, (fdexp+1)         ; a digit past the precision
        or a
        jr nz, fin3
        ld a, (fdexp)
        inc a
        ld (fdexp), a
        jr fin3
fin2:   ld a, (fdexp+1)
        or a
        jr z, fin3
        ld a, (fdexp)
        dec a
        ld (fdexp), a
fin3:   inc hl
        jr fin1
fin5:   ld a, (fdexp+1)
        or a
        jr nz, fin6
        inc a
        ld (fdexp+1), a
        jr fin3
fin6:   ; DE:BC = the digits; an exponent may follow
        ld a, (hl)
        call toupper
        cp 'E'
        jr nz, fin10
        push hl
        inc hl
        ld a, (hl)
        ld (fsign), a
        cp '-'
        jr z, fin7
        cp '+'
        jr nz, fin8
fin7:   inc hl
fin8:   ld a, (hl)
        call isdigit
        jr nc, fin9
        pop hl                  ; no digits: the E is not part of the number
        jr fin10
fin9:   inc sp
        inc sp
        push de
        call parsenum           ; DE = exponent
        jr c, fin9b
        ld a, d
        or a
        jr nz, fin9b
        ld a, e
        cp 100
        jr c, fin9c
fin9b:  ld e, 99
fin9c:  ld a, (fsign)
        cp '-'
        ld a, e
        jr nz, fin9d
        neg
fin9d:  ld e, a
        ld a, (fdexp)
        add a, e
        ld (fdexp), a
        pop de
fin10:  push hl
        ld h, b
        ld l, c
        ld a, d
        or e
        jr nz, fin11
        bit 7, h
        jr nz, fin11
        ld a, (fdexp)
        or a
        jr nz, fin11
        call setint
        pop hl
        ret
fin11:  xor a
        ld c, a
        ld (fsign), a
        ld (fexp+1), a
        ld a, 128+32
        ld (fexp), a
        call fnorm
        ld a, (fdexp)
        call fscale
        call intify
        pop hl
        ret

; DE:BC = DE:BC * 10 + A, unless the result would pass 32 bits: carry then.
fdigit: push hl
        push af
        ld a, d
        cp 19h
        jr nc, fdg1
        ld h, b
        ld l, c
        add hl, hl
        rl e
        rl d                    ; * 2
        push de
        push hl
        add hl, hl
        rl e
        rl d
        add hl, hl
        rl e
        rl d                    ; * 8
        pop bc
        add hl, bc
        ex de, hl
        pop bc
        adc hl, bc
        ex de, hl               ; DE:HL = * 10
        pop af
        ld c, a
        ld b, 0
        add hl, bc
        jr nc, fdg0
        inc de
fdg0:   ld b, h
        ld c, l
        pop hl
        or a
        ret
fdg1:   pop af
        pop hl
        scf
        ret

; FAC = FAC * 10^A (A signed).
fscale: or a
        ret z
        jp p, fsc2
        neg
fsc1:   cp 33
        jr c, fsdiv
        sub 32
        push af
        ld a, 32
        call fsdiv
        pop af
        jr fsc1
fsdiv:  push af
        call fssave
        pop af
        call pow10
        call fsload
        ld a, (fwant)
        ld (fraw), a
        jp fdiv
fsc2:   cp 33
        jr c, fsmul
        sub 32
        push af
        ld a, 32
        call fsmul
        pop af
        jr fsc2
fsmul:  push af
        call fssave
        pop af
        call pow10
        call fsload
        ld a, (fwant)
        ld (fraw), a
        jp fmul
fssave: ld hl, ftmp2
        jp fromfac
fsload: ld hl, ftmp2
        jp toarg

; FAC = 10^A for A in 0..32 (exact up to 10^13).
pow10:  push af
        ld hl, 1
        call setint
        pop af
        ld hl, p10tab
pw1:    or a
        ret z
        srl a
        push af
        push hl
        jr nc, pw2
        call toarg
        call fmul
pw2:    pop hl
        ld de, 5
        add hl, de
        pop af
        jr pw1

; Write FAC as text at numbuf: a space or minus, then at most nine
; significant digits, in E notation below 1E-5 and from 1E9 on. HL = numbuf,
; zero-terminated.
fout:   ld hl, numbuf
        ld (bufptr), hl
        ld a, (fac)
        or a
        jr nz, fo1
        ld hl, (fac+1)
        ld a, ' '
        bit 7, h
        jr z, fo0
        call neghl
        ld a, '-'
fo0:    call bufch
        call bufuint
        jp fo_end
fo1:    ld a, (fac+4)
        ld b, ' '
        bit 7, a
        jr z, fo2
        ld b, '-'
fo2:    and 7Fh
        ld (fac+4), a
        ld a, b
        call bufch
        ld hl, ftmp3
        call fromfac
        ; decimal exponent: about (e - 129) * 77 / 256
        ld a, (fac)
        sub 129
        ld l, a
        sbc a, a
        ld h, a
        ld d, h
        ld e, l
        ld b, 6
fo3:    add hl, hl
        djnz fo3                ; * 64
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de
        add hl, de              ; * 77
        ld a, h                 ; / 256, rounded down
fo4:    ld (fdexp), a
        ld hl, ftmp3
        call tofac
        xor a                   ; the last step keeps its guard byte, so the
        ld (fguard), a          ; ninth digit is rounded only once
        inc a
        ld (fwant), a
        ld a, (fdexp)
        neg
        add a, 8
        call fscale
        xor a
        ld (fwant), a
        ; the whole part, which must have nine digits
        ld a, (fac)
        cp 128+33
        jr nc, fo5
        cp 128+30
        jr nc, fo6
        cp 128+27
        jr c, fo7
        call frnd32
        ld a, d
        cp 05h                  ; 1E8 = 05F5E100h
        jr c, fo7
        jr nz, fo8
        ld a, e
        cp 0F5h
        jr c, fo7
        jr nz, fo8
        ld a, h
        cp 0E1h
        jr c, fo7
        jr fo8
fo5:    ld a, (fdexp)           ; too big: one more digit before the point
        inc a
        jr fo4
fo7:    ld a, (fdexp)
        dec a
        jr fo4
fo6:    call frnd32
        ld a, d                 ; 1E9 = 3B9ACA00h
        cp 3Bh
        jr c, fo8
        jr nz, fo5
        ld a, e
        cp 9Ah
        jr c, fo8
        jr nz, fo5
        ld a, h
        cp 0CAh
        jr nc, fo5
fo8:    ; nine digits into fdig, the last first
        ld ix, fdig+8
        ld b, 9
fo9:    push bc
        call div10
        ld (ix+0), a
        dec ix
        pop bc
        djnz fo9
        ld hl, fdig+9           ; significant digits: trailing zeros dropped
        ld c, 9
fo10:   dec hl
        ld a, (hl)
        or a
        jr nz, fo11
        dec c
        jr fo10
fo11:   ld a, (fdexp)
        ld b, a
        add a, 5
        cp 14
        jr nc, fo_e
        ld hl, fdig
        ld a, b
        or a
        jp p, fo13
        ld a, '0'               ; below 1: 0.000ddd
        call bufch
        ld a, '.'
        call bufch
fo12:   inc b
        jr z, fo15
        ld a, '0'
        call bufch
        jr fo12
fo13:   inc b                   ; digits before the point
fo14:   call bufdig
        dec c
        djnz fo14
        ld a, c
        or a
        jr z, fo_end
        jp m, fo_end
        ld a, '.'
        call bufch
fo15:   call bufdig
        dec c
        jr nz, fo15
        jr fo_end
fo_e:   ld hl, fdig             ; d.dddE+nn
        call bufdig
        dec c
        jr z, fo16
        ld a, '.'
        call bufch
fo16a:  call bufdig
        dec c
        jr nz, fo16a
fo16:   ld a, 'E'
        call bufch
        ld a, b
        ld c, '+'
        or a
        jp p, fo17
        neg
        ld c, '-'
fo17:   ld b, a
        ld a, c
        call bufch
        ld a, b
        ld c, '0'-1
fo18:   inc c
        sub 10
        jr nc, fo18
        add a, 10+'0'
        ld b, a
        ld a, c
        call bufch
        ld a, b
        call bufch
fo_end: xor a
        call bufch
        ld hl, numbuf
        ret

; The next digit at HL (zero once the digits have run out) into the buffer.
bufdig: ld a, c
        dec a
        ld a, '0'
        jp m, bufch
        add a, (hl)
        inc hl
bufch:  push hl
        ld hl, (bufptr)
        ld (hl), a
        inc hl
        ld (bufptr), hl
        pop hl
        ret

; HL as 0..65535 into the buffer.
bufuint:
        ld e, 0
        ld bc, -10000
        call bufd
        ld bc, -1000
        call bufd
        ld bc, -100
        call bufd
        ld bc, -10
        call bufd
        ld a, l
        add a, '0'
        jr bufch
bufd:   ld a, '0'-1
bufd1:  inc a
        add hl, bc
        jr c, bufd1
        sbc hl, bc
        cp '0'
        jr nz, bufd2
        inc e
        dec e
        ret z
bufd2:  ld e, 1
        jr bufch

; DEHL = FAC (positive, exponent 129..160) rounded to a whole number.
frnd32: ld ix, fac
        call ldm
        ld a, (fguard)
        ld c, a
        ld a, 128+32
        sub (ix+0)
        jr z, fr2
        ld b, a
fr1:    srl d
        rr e
        rr h
        rr l
        rr c
        djnz fr1
fr2:    bit 7, c
        ret z
        inc l
        ret nz
        inc h
        ret nz
        inc e
        ret nz
        inc d
        ret

; DEHL = DEHL / 10, A = the remainder.
div10:  ld b, 32
        xor a
dt1:    add hl, hl
        rl e
        rl d
        rla
        cp 10
        jr c, dt2
        sub 10
        inc l
dt2:    djnz dt1
        ret
