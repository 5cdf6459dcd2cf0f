; Functions of numbers, on FAC. The polynomials and constants are in
; mathtab.asm (made by make_mathtab.py).

; ARG = the integer HL.
argint: ld (arg+1), hl
        xor a
        ld (arg), a
        ld (arg+3), a
        ld (arg+4), a
        ret

; FAC = the constant at HL + FAC, * FAC; FAC = FAC - the constant at HL.
faddc:  call toarg
        jp fadd
fmulc:  call toarg
        jp fmul
fsubc:  call toarg
        call fsub
        jp fneg

; FAC = the polynomial at HL (degree, then the coefficients from the highest
; power down) of FAC.
fpoly:  push hl
        ld hl, fpx
        call fromfac
        pop hl
        ld b, (hl)
        inc hl
        push bc
        call tofac
        pop bc
fpl1:   push bc
        push hl
        ld hl, fpx
        call toarg
        call fmul
        pop hl
        push hl
        call faddc
        pop hl
        ld de, 5
        add hl, de
        pop bc
        djnz fpl1
        ret

; FAC = FAC * P(FAC^2), P the polynomial at HL.
fpodd:  push hl
        ld hl, fx3
        call fromfac
        call facarg
        call fmul
        pop hl
        call fpoly
        ld hl, fx3
        jp fmulc

; FAC = the whole number nearest FAC.
fround: ld hl, c_half
        call faddc
        jp fint

; A negative or zero argument is an illegal function call.
needpos:
        ld hl, fac
        call mkflt
        ld a, (fac)
        or a
        jp z, err_fc
        ld a, (fac+4)
        rla
        jp c, err_fc
        ret

; SQR: Newton's steps from the number with its exponent halved.
fsqr:   ld a, (fac)
        ld hl, fac+1
        or (hl)
        ret z                   ; 0
        call needpos
        ld hl, fx1
        call fromfac
        ld a, (fac)
        sub 128
        sra a
        add a, 128
        ld (fac), a
        ld b, 5
sq1:    push bc
        ld hl, fx2
        call fromfac
        ld hl, fx1
        call toarg
        call fdiv
        ld hl, fx2
        call faddc
        ld hl, fac
        dec (hl)
        pop bc
        djnz sq1
        ret

; EXP: x = n * LN(2) + r, EXP(x) = 2^n * EXP(r).
fexpf:  ld hl, fac
        call mkflt
        ld a, (fac)
        cp 128+8
        jr c, fe1
        ld a, (fac+4)           ; |x| >= 128: far out of range
        rla
        jp nc, err_ovf
        jp fzero
fe1:    ld hl, fx1
        call fromfac
        ld hl, c_invln2
        call fmulc
        call fround
        ld hl, (fac+1)
        ld (fexpn), hl
        ld hl, fx2
        call fromfac
        ld hl, c_ln2a
        call fmulc
        ld hl, fx1
        call toarg
        call fsub
        ld hl, fx1
        call fromfac
        ld hl, fx2
        call tofac
        ld hl, c_ln2b
        call fmulc
        ld hl, fx1
        call toarg
        call fsub
        ld hl, c_exp
        call fpoly
        ld a, (fac)
        ld l, a
        ld h, 0
        ld de, (fexpn)
        add hl, de
        ld a, h
        or a
        jr nz, fe2
        or l
        jp z, fzero
        ld a, l
        ld (fac), a
        ret
fe2:    bit 7, h
        jp z, err_ovf
        jp fzero

; LOG: x = m * 2^e with m from SQR(1/2) to SQR(2); LOG(m) from s = (m-1)/(m+1).
flog:   call needpos
        ld a, (fac)
        sub 128
        ld l, a
        sbc a, a
        ld h, a
        ld a, 128
        ld (fac), a
        ld (fexpn), hl
        ld hl, c_sqrth
        call toarg
        call fcmp
        jr c, flg1
        ld hl, fac
        inc (hl)
        ld hl, (fexpn)
        dec hl
        ld (fexpn), hl
flg1:   ld hl, fx1
        call fromfac
        ld hl, 1
        call argint
        call fsub               ; 1 - m
        ld hl, fx2
        call fromfac
        ld hl, fx1
        call tofac
        ld hl, 1
        call argint
        call fadd               ; 1 + m
        ld hl, fx2
        call toarg
        call fdiv               ; -s
        ld hl, c_log
        call fpodd
        call fneg
        ld hl, fx1
        call fromfac
        ld hl, (fexpn)
        call setint
        ld hl, c_ln2
        call fmulc
        ld hl, fx1
        jp faddc

; SIN and COS: x = n * PI/2 + r; the quarter n (plus one for COS) picks
; SIN(r), COS(r), -SIN(r) or -COS(r).
fcos:   ld a, 1
        jr fsn0
fsin:   xor a
fsn0:   ld (fquad), a
        ld hl, fx1
        call fromfac
        ld hl, c_2pi
        call fmulc
        call fround
        ld hl, fx2
        call fromfac
        ld a, (fac)
        or a
        jr z, fsn1
        ld hl, fac              ; a large n: its quarter is n - 4 * INT(n/4)
        dec (hl)
        dec (hl)
        call fint
        ld hl, fac
        call mkflt
        inc (hl)
        inc (hl)
        ld hl, fx2
        call toarg
        call fsub
        call intify
fsn1:   ld a, (fac+1)
        ld hl, fquad
        add a, (hl)
        ld (hl), a
        ld hl, fx2
        call tofac
        ld hl, c_pi2a
        call fmulc
        ld hl, fx1
        call toarg
        call fsub
        ld hl, fx1
        call fromfac
        ld hl, fx2
        call tofac
        ld hl, c_pi2b
        call fmulc
        ld hl, fx1
        call toarg
        call fsub               ; r
        ld a, (fquad)
        rra
        jr c, fsn2
        ld hl, c_sin
        call fpodd
        jr fsn3
fsn2:   call facarg
        call fmul
        ld hl, c_cos
        call fpoly
fsn3:   ld a, (fquad)
        and 2
        ret z
        jp fneg

ftan:   ld hl, fx4
        call fromfac
        call fsin
        ld hl, fx5
        call fromfac
        ld hl, fx4
        call tofac
        call fcos
        ld hl, fx5
        call toarg
        jp fdiv

; ATN: a = |x|; above 1 through PI/2 - ATN(1/a), above TAN(PI/12) through
; PI/6 + ATN((a*SQR(3)-1)/(a+SQR(3))).
fatn:   ld hl, fac
        call mkflt
        ld a, (fac)
        or a
        ret z
        ld a, (fac+4)
        ld (fatns), a
        and 7Fh
        ld (fac+4), a
        xor a
        ld (fquad), a
        ld hl, 1
        call argint
        call fcmp
        jr nc, fat1
        call fdiv
        ld hl, fquad
        inc (hl)
fat1:   ld hl, c_tan15
        call toarg
        call fcmp
        jr nc, fat2
        ld hl, fx1
        call fromfac
        ld hl, c_sqrt3
        call faddc
        ld hl, fx2
        call fromfac            ; a + SQR(3)
        ld hl, fx1
        call tofac
        ld hl, c_sqrt3
        call fmulc
        ld hl, -1
        call argint
        call fadd               ; a * SQR(3) - 1
        call facarg
        ld hl, fx2
        call tofac
        call fdiv
        ld hl, fquad
        set 1, (hl)
fat2:   ld hl, c_atn
        call fpodd
        ld a, (fquad)
        bit 1, a
        jr z, fat3
        ld hl, c_pi6
        call faddc
fat3:   ld a, (fquad)
        rra
        jr nc, fat4
        ld hl, c_pi2
        call toarg
        call fsub
fat4:   ld a, (fatns)
        rla
        ret nc
        jp fneg

; FAC = ARG ^ FAC: a whole power by squaring, otherwise EXP(y * LOG(x)).
; Squaring a fraction many times adds up its rounding, so beyond the 16th
; power a positive fraction takes the EXP and LOG way too.
fpow:   call intify
        ld a, (fac)
        or a
        jp nz, fpw5
        ld a, (arg)
        or a
        jr z, fpw0              ; a whole base stays exact
        ld a, (arg+4)
        rla
        jr c, fpw0
        ld hl, (fac+1)
        bit 7, h
        call nz, neghl
        ld de, 17
        or a
        sbc hl, de
        jr nc, fpw5
fpw0:   ld hl, (fac+1)
        ld (fpown), hl
        ld hl, arg
        ld de, fx1
        call move5              ; base
        ld hl, 1
        call setint
        ld hl, fx2
        call fromfac            ; result so far
        ld hl, (fpown)
        bit 7, h
        call nz, neghl
fpw1:   srl h
        rr l
        push hl
        jr nc, fpw2
        ld hl, fx2
        call tofac
        ld hl, fx1
        call fmulc
        ld hl, fx2
        call fromfac
fpw2:   pop hl
        ld a, h
        or l
        jr z, fpw3
        push hl
        ld hl, fx1
        call tofac
        call facarg
        call fmul
        ld hl, fx1
        call fromfac
        pop hl
        jr fpw1
fpw3:   ld hl, fx2
        call tofac
        ld a, (fpown+1)
        rla
        ret nc
        ld hl, 1
        call argint
        jp fdiv
fpw5:   ld hl, fx4
        call fromfac            ; y
        ld hl, arg
        call tofac
        ld a, (fac)
        ld hl, fac+1
        or (hl)
        inc hl
        or (hl)
        jr nz, fpw6
        ld a, (fx4+4)           ; 0 ^ y: 0 for y > 0
        rla
        jp c, err_div0
        ret
fpw6:   call flog
        ld hl, fx4
        call fmulc
        jp fexpf
