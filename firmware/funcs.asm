; Built-in functions. Each is entered after its keyword with vtyp = 0 and
; reads its own arguments.

fntab:
        dw fn_peek, fn_inp, fn_usr, fn_rnd, fn_abs, fn_sgn, fn_chr, fn_asc
        dw fn_len, fn_left, fn_mid, fn_right, fn_str, fn_val, fn_inkey, fn_joy
        dw fn_time, fn_point, fn_fre
fntab2:
        dw fn_int, fn_fix, fn_sqr, fn_sin, fn_cos, fn_tan, fn_atn, fn_log
        dw fn_exp, fn_pi, fn_instr, fn_string, fn_spc, fn_hex
        dw err_syntax, err_syntax, err_syntax, fn_err, fn_erl

fn_peek:
        call parenint
        ld l, (hl)
        ld h, 0
        jp setint

fn_inp: call parenint
        ld c, l
        in l, (c)
        ld h, 0
        jp setint

fn_usr: call parenint
        call usrcall
        jp setint
usrcall:
        ld de, (usrvec)
        push de
        ret

fn_int: call parennum
        jp fint
fn_fix: call parennum
        jp ffix
fn_sqr: call parennum
        jp fsqr
fn_sin: call parennum
        jp fsin
fn_cos: call parennum
        jp fcos
fn_tan: call parennum
        jp ftan
fn_atn: call parennum
        jp fatn
fn_log: call parennum
        jp flog
fn_exp: call parennum
        jp fexpf
fn_pi:  ld hl, c_pi
        jp tofac

fn_abs: call parennum
        call fsgn
        ret p
        jp fneg

; A = -1, 0 or 1 for the sign of FAC (flags as for the value).
fsgn:   ld a, (fac)
        or a
        ld a, (fac+4)
        jr nz, fsg1
        ld hl, (fac+1)
        ld a, h
        or l
        ret z
        ld a, h
fsg1:   rla
        sbc a, a
        or 1
        ret

fn_sgn: call parennum
        call fsgn
        ld l, a
        rla
        sbc a, a
        ld h, a
        jp setint

; RND(n): n = 0: 0..32767; 0 < n <= 1: a fraction from 0 up to 1; n > 1:
; a whole number 0..n-1.
fn_rnd: call parennum
        call fsgn
        jp m, err_fc
        push af
        ld hl, fx4
        call fromfac
        ld hl, (rndst)
        ld de, (rndst+2)
        ld a, r                 ; the refresh counter: depends on when RND is called
        xor l
        ld l, a
        or h
        or e
        or d
        jr nz, rn1
        inc l
rn1:    push de                 ; x ^= x << 13
        push hl
        ld d, e
        ld e, h
        ld h, l
        ld l, 0
        ld b, 5
rn2:    add hl, hl
        rl e
        rl d
        djnz rn2
        call rnxor
        push de                 ; x ^= x >> 17
        push hl
        ld h, d
        ld l, e
        ld de, 0
        srl h
        rr l
        call rnxor
        push de                 ; x ^= x << 5
        push hl
        ld b, 5
rn3:    add hl, hl
        rl e
        rl d
        djnz rn3
        call rnxor
        ld (rndst), hl
        ld (rndst+2), de
        pop af
        jr nz, rn4
        ex de, hl               ; RND(0)
        srl h
        rr l
        jp setint
rn4:    ld a, (fx4)             ; a whole n from 2 on: n * the top 16 bits / 65536
        or a
        jr nz, rn5
        ld bc, (fx4+1)
        ld a, b
        or a
        jr nz, rn6
        ld a, c
        cp 2
        jr c, rn5
rn6:    call mul32
        ex de, hl
        jp setint
rn5:    ld c, 0
        xor a
        ld (fsign), a
        ld (fexp+1), a
        ld a, 128
        ld (fexp), a
        call fnorm              ; x / 2^32
        ld hl, fx4
        call toarg
        ld hl, fx5
        call fromfac
        ld hl, 1
        call setint
        call fcmp
        ld hl, fx5
        call tofac
        ret c
        ret z
        ld hl, fx4
        call fmulc
        jp fint
; DE:HL ^= the pair pushed before the call.
rnxor:  pop ix
        pop bc
        ld a, l
        xor c
        ld l, a
        ld a, h
        xor b
        ld h, a
        pop bc
        ld a, e
        xor c
        ld e, a
        ld a, d
        xor b
        ld d, a
        jp (ix)

fn_chr: call expect
        db '('
        call evalbyte
        call expect
        db ')'
        ld a, l
        ld (tmpw), a
        ld hl, tmpw
        ld b, 1
        jp mkstr

fn_asc: call parenstr
        ld a, (hl)
        or a
        jp z, err_fc
        inc hl
        ld l, (hl)
        ld h, 0
        jp setint

fn_len: call parenstr
        ld l, (hl)
        ld h, 0
        jp setint

parenstr:
        call expect
        db '('
        call evalstr
        call expect
        db ')'
        ret

; string argument, then a count: HL = string, DE = count (0..255)
strcount:
        call expect
        db '('
        call evalstr
        push hl
        call expect
        db ','
        call evalbyte
        ex de, hl
        pop hl
        ret

fn_left:
        call strcount
        call expect
        db ')'
        ld a, (hl)
        cp e
        jr c, fl_1
        ld a, e
fl_1:   ld b, a
        inc hl
        jp mkstr

fn_right:
        call strcount
        call expect
        db ')'
        ld a, (hl)
        ld b, e
        cp e
        jr nc, fr_1
        ld b, a
fr_1:   sub b                   ; skip len - n characters
        inc hl
        ld e, a
        ld d, 0
        add hl, de
        jp mkstr

; MID$(s$, p [, n]), p counts from 1
fn_mid: call strcount
        ld a, e
        or a
        jp z, err_fc
        push hl
        push de
        ld e, 255
        call optcomma
        jr nz, fm_1
        call evalbyte
        ld e, a
fm_1:   call expect
        db ')'
        ld c, e                 ; wanted length
        pop de                  ; position
        pop hl                  ; string
        ld a, (hl)
        sub e
        jr c, fm_none           ; starts after the end
        inc a                   ; characters from p to the end
        cp c
        jr c, fm_2
        ld a, c
fm_2:   ld b, a
        ld d, 0
        add hl, de
        jp mkstr
fm_none:
        ld b, 0
        jp mkstr

fn_str: call parennum
        call fout
; The zero-terminated text at HL as a temporary string.
mkstrz: push hl
        ld b, 0
mkz1:   ld a, (hl)
        or a
        jr z, mkz2
        inc hl
        inc b
        jr mkz1
mkz2:   pop hl
        jp mkstr

; VAL(s$): optional spaces and sign, then a number; 0 when there is none.
fn_val: call parenstr
        ld c, (hl)
        ld b, 0
        inc bc
        push hl
        call tmpalloc           ; a copy that ends in 0 for the reader
        pop de
        push hl
        ex de, hl
        ld a, (hl)
        inc hl
        dec bc
        ld a, b
        or c
        jr z, fv_1
        ldir
fv_1:   xor a
        ld (de), a
        pop hl
        call valparse
        ret nc
        jp fzero

; A signed number at HL (spaces before it and after a sign are passed
; over) into FAC, HL after it. Carry when there is no number.
valparse:
        call skipsp
        ld c, 0
        cp '-'
        jr nz, vp1
        inc c
        jr vp2
vp1:    cp '+'
        jr nz, vp3
vp2:    inc hl
        call skipsp
vp3:    cp '.'
        jr z, vp4
        call isdigit
        ret c
vp4:    push bc
        call fin
        pop bc
        or a
        dec c
        ret nz
        push hl
        call fneg
        pop hl
        or a
        ret

fn_inkey:
        call pollkey
        ld (tmpw), a
        ld b, 0
        jr z, fi_1
        inc b
fi_1:   ld hl, tmpw
        jp mkstr

fn_time:
        di
        ld hl, (jiffies)
        ei
        jp setuint

fn_fre: call expect
        db '('
        call eval
        call expect
        db ')'
        call gc                 ; strings no longer used are free space too
        ld hl, (strbot)
        ld de, (arrend)
        or a
        sbc hl, de
        jp setuint

fn_err: ld a, (errnum)
        ld l, a
        ld h, 0
        jp setint
fn_erl: ld hl, (errlin)
        jp setuint

; INSTR([start,] s$, t$): where t$ first appears in s$ from start (1 by
; default), 0 when it does not.
fn_instr:
        call expect
        db '('
        call eval
        ld c, 1
        ld a, (vtyp)
        or a
        jr nz, ins1
        call toint
        ld a, h
        or a
        jp nz, err_fc
        or l
        jp z, err_fc
        ld c, l
        call expect
        db ','
        push bc
        call evalstr
        pop bc
ins1:   push bc
        push hl
        call expect
        db ','
        call evalstr
        call expect
        db ')'
        pop de                  ; s$
        pop bc                  ; C = start
        ld a, (de)
        sub c
        jr c, ins_no            ; start past the end
        inc a
        sub (hl)
        jr c, ins_no            ; no room for t$
        inc a
        ld b, a                 ; positions to try
        push hl
        ld l, c
        ld h, 0
        add hl, de
        ex de, hl               ; DE -> s$ at start
        pop hl
ins2:   push bc
        push de
        push hl
        ld b, (hl)
        inc b
ins3:   dec b
        jr z, ins_yes
        inc hl
        ld a, (de)
        cp (hl)
        inc de
        jr z, ins3
        pop hl
        pop de
        pop bc
        inc de
        inc c
        djnz ins2
ins_no: ld hl, 0
        jp setint
ins_yes:
        pop hl
        pop de
        pop bc
        ld l, c
        ld h, 0
        jp setint

; STRING$(n, c$ or code): n copies of the first character or the code.
fn_string:
        call expect
        db '('
        call evalbyte
        push af
        call expect
        db ','
        call eval
        ld a, (vtyp)
        or a
        jr z, stg1
        ld a, (hl)
        or a
        jp z, err_fc
        inc hl
        ld a, (hl)
        jr stg2
stg1:   call toint
        ld a, h
        or a
        jp nz, err_fc
        ld a, l
stg2:   push af
        call expect
        db ')'
        pop de
        pop bc
        jr nstr

; SPC(n): n spaces.
fn_spc: call expect
        db '('
        call evalbyte
        call expect
        db ')'
        ld b, l
        ld d, ' '
; A temporary of B copies of D.
nstr:   push de
        push bc
        ld c, b
        ld b, 0
        inc bc
        call tmpalloc
        pop bc
        pop de
        push hl
        ld (hl), b
        inc b
        jr nst2
nst1:   inc hl
        ld (hl), d
nst2:   djnz nst1
        pop hl
        ld a, 1
        ld (vtyp), a
        ret

; HEX$(n): n as 16 bits in hexadecimal, without leading zeros.
fn_hex: call parenint
        ex de, hl
        ld hl, numbuf
        ld b, 4
        ld c, 0
hx1:    ld a, d
        rlca
        rlca
        rlca
        rlca
        and 15
        push af
        ex de, hl
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        ex de, hl
        pop af
        jr nz, hx2
        inc c
        dec c
        jr nz, hx2
        ld a, b
        dec a
        jr nz, hx4              ; a leading zero (but the last digit stays)
        xor a
hx2:    ld c, 1
        add a, '0'
        cp '9'+1
        jr c, hx3
        add a, 7
hx3:    ld (hl), a
        inc hl
hx4:    djnz hx1
        ld (hl), 0
        ld hl, numbuf
        jp mkstrz

; FN name(x): the DEF's expression with its parameter set to x for the time.
fn_fn:  call ch_adv
        call getvarname
        set 5, b
        ld a, (vkind)
        push af                 ; the kind of the result
        call findvar
        jp nz, err_undfn
        ld e, (hl)
        inc hl
        ld d, (hl)
        inc hl
        ld b, (hl)
        inc hl
        ld c, (hl)
        push de                 ; the expression
        push bc                 ; the parameter
        call parennum
        pop bc
        call findvar
        call nz, makevar
        pop de
        push hl                 ; [kind, slot]
        ld b, 5                 ; the parameter's value is kept on the stack
fnf1:   ld a, (hl)
        inc hl
        push af
        djnz fnf1               ; [kind, slot, v0 .. v4]
        dec hl
        dec hl
        dec hl
        dec hl
        dec hl
        push de
        call setslot
        pop de
        ld hl, (txtptr)
        push hl
        ld (txtptr), de
        call eval
        pop de
        ld (txtptr), de
        ld ix, 0
        add ix, sp
        ld e, (ix+10)           ; slot
        ld d, (ix+11)
        ex de, hl
        ld bc, 5
        add hl, bc
        ld b, 5
fnf2:   dec hl
        pop af
        ld (hl), a
        djnz fnf2
        ex de, hl
        pop af                  ; slot
        pop af                  ; kind of the result
        and 1
        ld c, a
        ld a, (vtyp)
        cp c
        ret z
        jp err_type

; Store FAC (a number) in the slot HL of the variable named C (bit 7: an
; integer variable).
setslot:
        ld a, c
        and 80h                 ; nonzero: an integer, as storefac takes it
        jp storefac
