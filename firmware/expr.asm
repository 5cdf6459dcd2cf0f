; Expressions: 16-bit signed integers and strings.
; Result in HL; vtyp = 0 for a number, 1 for a string (HL -> length byte, text).
; Precedence, lowest first: OR; AND; NOT; comparisons; + -; * / MOD; unary -.

evalnum:
        call eval
numchk: ld a, (vtyp)
        or a
        ret z
        jp err_type

; A number of 0-255 in A (and HL); ILLEGAL FUNCTION CALL otherwise.
evalbyte:
        call evalnum
        ld a, h
        or a
        jp nz, err_fc
        ld a, l
        ret

evalstr:
        call eval
strchk: ld a, (vtyp)
        or a
        ret nz
        jp err_type

; Number in parentheses.
parennum:
        call expect
        db '('
        call evalnum
        call expect
        db ')'
        ret

eval:
        ; nested parentheses use the machine stack: keep 32 bytes in reserve
        ld hl, 0
        add hl, sp
        ld a, h
        cp 0FFh
        jr z, e_or
        ld a, l
        cp (STKLIMIT)%256
        jp c, err_mem
e_or:   call e_and
eor1:   call ch_peek
        cp TK_OR
        ret nz
        call numchk
        call ch_adv
        push hl
        call e_and
        call numchk
        pop de
        ld a, h
        or d
        ld h, a
        ld a, l
        or e
        ld l, a
        jr eor1

e_and:  call e_not
ean1:   call ch_peek
        cp TK_AND
        ret nz
        call numchk
        call ch_adv
        push hl
        call e_not
        call numchk
        pop de
        ld a, h
        and d
        ld h, a
        ld a, l
        and e
        ld l, a
        jr ean1

e_not:  call ch_peek
        cp TK_NOT
        jr nz, e_cmp
        call ch_adv
        call e_not
        call numchk
        ld a, h
        cpl
        ld h, a
        ld a, l
        cpl
        ld l, a
        ret

; A comparison gives -1 (true) or 0 (false); A<B<C compares (A<B) with C.
e_cmp:  call e_add
ecm0:   call ch_peek
        call relchar
        ret c
        ld b, a
        call ch_adv
        call ch_peek
        call relchar
        jr c, ecm1
        or b
        ld b, a
        call ch_adv
ecm1:   ld a, b
        ld (relop), a
        ld a, (vtyp)
        push af
        push hl
        call e_add
        pop de
        pop af
        ld c, a
        ld a, (vtyp)
        cp c
        jp nz, err_type
        or a
        jr nz, ecm_str
        ex de, hl
        call cmps
        jr ecm2
ecm_str:
        call strcmp
ecm2:   ld a, 1
        jr c, ecm3
        ld a, 2
        jr z, ecm3
        ld a, 4
ecm3:   ld b, a
        ld a, (relop)
        and b
        ld hl, 0
        jr z, ecm4
        dec hl
ecm4:   xor a
        ld (vtyp), a
        jr ecm0

; < = > give the bits 1, 2, 4 and NC; anything else carry.
relchar:
        cp '<'
        jr nz, rc1
        ld a, 1
        ret
rc1:    cp '='
        jr nz, rc2
        ld a, 2
        ret
rc2:    cp '>'
        scf
        ret nz
        ld a, 4
        or a
        ret

; Signed compare HL with DE: carry when HL < DE, Z when equal.
cmps:   ld a, h
        xor d
        jp m, cmps1
        push hl
        or a
        sbc hl, de
        pop hl
        ret
cmps1:  ld a, h
        or 1
        rla
        ret

; Compare strings DE (left) and HL (right): carry when left < right, Z equal.
strcmp:
        ld b, (hl)
        ld a, (de)
        ld c, a
        inc de
        inc hl
scm1:   ld a, c
        or a
        jr z, scm3
        ld a, b
        or a
        jr z, scm4
        ld a, (de)
        cp (hl)
        ret nz
        inc de
        inc hl
        dec b
        dec c
        jr scm1
scm3:   ld a, b                 ; left ended: equal, or shorter
        or a
        ret z
        scf
        ret
scm4:   or 1                    ; right ended first: left is greater
        ret

e_add:  call e_mul
ead1:   call ch_peek
        cp '+'
        jr z, ead_plus
        cp '-'
        ret nz
        call numchk
        call ch_adv
        push hl
        call e_mul
        call numchk
        pop de
        ex de, hl
        or a
        sbc hl, de
        jr ead1
ead_plus:
        call ch_adv
        ld a, (vtyp)
        or a
        jr nz, ead_cat
        push hl
        call e_mul
        call numchk
        pop de
        add hl, de
        jr ead1
ead_cat:
        push hl
        call e_mul
        call strchk
        pop de
        call concat
        jr ead1

e_mul:  call e_unary
emu1:   call ch_peek
        ld c, 0
        cp '*'
        jr z, emu2
        inc c
        cp '/'
        jr z, emu2
        inc c
        cp TK_MOD
        ret nz
emu2:   call numchk
        call ch_adv
        push bc
        push hl
        call e_unary
        call numchk
        pop de
        pop bc
        ld a, c
        or a
        jr nz, emu3
        call mul16
        jr emu1
emu3:   dec a
        jr nz, emu4
        call div16
        jr emu1
emu4:   call div16
        ex de, hl
        jr emu1

e_unary:
        call ch_peek
        cp '-'
        jr nz, eu1
        call ch_adv
        call e_unary
        call numchk
        jp neghl
eu1:    cp '+'
        jr nz, atom
        call ch_adv
        jr e_unary

atom:   call ch_peek
        jp z, err_syntax
        cp '('
        jr nz, at1
        call ch_adv
        call eval
        call expect
        db ')'
        ret
at1:    cp '"'
        jr z, at_str
        cp '&'
        jr z, at_hex
        call isdigit
        jr nc, at_num
        call isletter
        jp nc, at_var
        cp TK_PEEK
        jp c, err_syntax
        cp TK_LASTFN+1
        jp nc, err_syntax
        call ch_adv
        sub TK_PEEK
        add a, a
        ld l, a
        ld h, 0
        ld de, fntab
        add hl, de
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        jp (hl)

at_num: ld hl, (txtptr)
        call parsenum
        jp c, err_ovf
        ld (txtptr), hl
        ex de, hl
setnum: xor a
        ld (vtyp), a
        ret

; &Hnnnn
at_hex: call ch_adv
        call ch_get
        cp 'H'
        jp nz, err_syntax
        ld hl, 0
        ld de, (txtptr)
ath1:   ld a, (de)
        call isdigit
        jr nc, ath2
        cp 'A'
        jr c, ath3
        cp 'F'+1
        jr nc, ath3
        sub 7
ath2:   sub '0'
        add hl, hl
        add hl, hl
        add hl, hl
        add hl, hl
        or l
        ld l, a
        inc de
        jr ath1
ath3:   ld (txtptr), de
        jr setnum

; String literal: copied to a temporary.
at_str: call ch_adv
        ld hl, (txtptr)
        ld b, 0
ats1:   ld a, (hl)
        or a
        jr z, ats2
        cp '"'
        jr z, ats2
        inc hl
        inc b
        jr ats1
ats2:   or a
        jr z, ats3
        inc hl
ats3:   ld de, (txtptr)
        ld (txtptr), hl
        ex de, hl
        jp mkstr

; Variable or array element value.
at_var: call getvarname
        call ch_peek
        cp '('
        jr nz, atv1
        call arrelem
        jr atv2
atv1:   call findvar
        jr z, atv2
        ld hl, zeroword
atv2:   ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        ld a, b
        and 80h
        jr z, setnum
        ld a, h
        or l
        jr nz, atv3
        ld hl, emptystr
atv3:   ld a, 1
        ld (vtyp), a
        ret

zeroword: dw 0
emptystr: db 0

; Name at txtptr -> B (first letter, bit 7 set for a string name), C (second
; letter or digit, or 0). Further letters and digits are read and ignored.
getvarname:
        call ch_peek
        call isletter
        jp c, err_syntax
        ld b, a
        ld c, 0
        call ch_adv
        ld hl, (txtptr)
        ld a, (hl)
        call isletter
        jr nc, gvn1
        call isdigit
        jr c, gvn3
gvn1:   ld c, a
gvn2:   inc hl
        ld a, (hl)
        call isletter
        jr nc, gvn2
        call isdigit
        jr nc, gvn2
gvn3:   ld a, (hl)
        cp '$'
        jr nz, gvn4
        set 7, b
        inc hl
gvn4:   ld (txtptr), hl
        ret

; Scalar BC: Z and HL -> value when it exists. Keeps BC.
findvar:
        ld hl, (vartab)
fv1:    ld de, (arrtab)
        push hl
        or a
        sbc hl, de
        pop hl
        jr nc, fv3
        ld a, (hl)
        cp b
        jr nz, fv2
        inc hl
        ld a, (hl)
        dec hl
        cp c
        jr nz, fv2
        inc hl
        inc hl
        ret
fv2:    inc hl
        inc hl
        inc hl
        inc hl
        jr fv1
fv3:    or 1
        ret

; Address of the variable named at txtptr (created when new); vtyp = its type.
getvarref:
        call getvarname
        ld a, b
        and 80h
        jr z, gvr0
        ld a, 1
gvr0:   ld (vtyp), a
        call ch_peek
        cp '('
        jr nz, gvr1
        ld a, (vtyp)
        push af
        call arrelem
        pop af
        ld (vtyp), a
        ret
gvr1:   call findvar
        ret z
; Create scalar BC (value 0) below the arrays. HL -> value.
makevar:
        push bc
        ld bc, 4
        call needroom
        ld hl, (arrend)
        ld de, (arrtab)
        or a
        sbc hl, de
        ld b, h
        ld c, l
        ld hl, (arrend)
        dec hl
        ld de, (arrend)
        inc de
        inc de
        inc de
        ld a, b
        or c
        jr z, mkv1
        lddr
mkv1:   ld hl, (arrend)
        inc hl
        inc hl
        inc hl
        inc hl
        ld (arrend), hl
        ld hl, (arrtab)
        pop bc
        ld (hl), b
        inc hl
        ld (hl), c
        inc hl
        push hl
        ld (hl), 0
        inc hl
        ld (hl), 0
        inc hl
        ld (arrtab), hl
        pop hl
        ret

; Array BC: Z and HL -> its entry (name, count, elements) when it exists.
findarr:
        ld hl, (arrtab)
fa1:    ld de, (arrend)
        push hl
        or a
        sbc hl, de
        pop hl
        jr nc, fv3
        ld a, (hl)
        cp b
        jr nz, fa2
        inc hl
        ld a, (hl)
        dec hl
        cp c
        ret z
fa2:    inc hl
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        inc hl
        add hl, de
        add hl, de
        jr fa1

; Create array BC with DE elements. HL -> entry.
makearr:
        push bc
        push de
        ld h, d
        ld l, e
        add hl, hl
        jp c, err_mem
        ld bc, 4
        add hl, bc
        jp c, err_mem
        ld b, h
        ld c, l
        call needroom
        pop de
        pop bc
        ld hl, (arrend)
        push hl
        ld (hl), b
        inc hl
        ld (hl), c
        inc hl
        ld (hl), e
        inc hl
        ld (hl), d
        inc hl
mka1:   ld a, d
        or e
        jr z, mka2
        ld (hl), 0
        inc hl
        ld (hl), 0
        inc hl
        dec de
        jr mka1
mka2:   ld (arrend), hl
        pop hl
        ret

; Element of array BC; txtptr at "(". HL -> element. An array used before
; DIM gets 11 elements (0-10).
arrelem:
        push bc
        call parennum
        pop bc
        push hl
        call findarr
        jr z, ae1
        ld de, 11
        call makearr
ae1:    pop de                  ; index
        inc hl
        inc hl
        ld a, (hl)
        inc hl
        push hl
        ld h, (hl)
        ld l, a                 ; count
        ex de, hl
        push hl
        or a
        sbc hl, de
        pop de                  ; DE = index
        pop hl
        jp nc, err_sub
        inc hl
        add hl, de
        add hl, de
        ret

; Make sure BC more bytes fit between the arrays and the strings.
needroom:
        call roomok
        ret nc
        call gc
        call roomok
        ret nc
        jp err_mem
roomok:                         ; carry when arrend + BC + 32 > strbot
        push hl
        push de
        ld hl, (arrend)
        add hl, bc
        jr c, rok1
        ld de, 32
        add hl, de
        jr c, rok1
        ex de, hl
        ld hl, (strbot)
        or a
        sbc hl, de
rok1:   pop de
        pop hl
        ret

; HL = DE * HL (low 16 bits; the same for signed numbers)
mul16:
        ld b, h
        ld c, l
        ld hl, 0
        ld a, 16
mu1:    add hl, hl
        ex de, hl
        add hl, hl
        ex de, hl
        jr nc, mu2
        add hl, bc
mu2:    dec a
        jr nz, mu1
        ret

; HL = DE / HL, DE = remainder; signed, truncated toward zero, the remainder
; takes the sign of the dividend.
div16:
        ld a, h
        or l
        jp z, err_div0
        ld a, d
        xor h
        push af                 ; sign of the quotient
        ld a, d
        push af                 ; sign of the remainder
        bit 7, h
        call nz, neghl
        ex de, hl
        bit 7, h
        call nz, neghl
        ex de, hl               ; DE = |dividend|, HL = |divisor|
        call udiv16
        pop af
        bit 7, a
        jr z, dv1
        ex de, hl
        call neghl
        ex de, hl
dv1:    pop af
        ret p
        jp neghl

; Unsigned HL = DE / HL, DE = remainder.
udiv16:
        ld b, h
        ld c, l
        ld hl, 0
        ld a, 16
ud1:    ex de, hl
        add hl, hl
        ex de, hl
        adc hl, hl
        or a
        sbc hl, bc
        jr nc, ud2
        add hl, bc
        jr ud3
ud2:    inc e
ud3:    dec a
        jr nz, ud1
        ex de, hl
        ret

fntab:
        dw fn_peek, fn_inp, fn_usr, fn_rnd, fn_abs, fn_sgn, fn_chr, fn_asc
        dw fn_len, fn_left, fn_mid, fn_right, fn_str, fn_val, fn_inkey, fn_joy
        dw fn_time, fn_point, fn_fre

fn_peek:
        call parennum
        ld l, (hl)
        ld h, 0
        jp setnum

fn_inp: call parennum
        ld c, l
        in l, (c)
        ld h, 0
        jp setnum

fn_usr: call parennum
        call usrcall
        jp setnum
usrcall:
        ld de, (usrvec)
        push de
        ret

; RND(n): 0 .. n-1 for n > 0; RND(0) 0 .. 32767.
fn_rnd: call parennum
        push hl
        ld hl, (seed)
        ld de, 25173
        call mul16
        ld de, 13849
        add hl, de
        ld a, r                 ; refresh counter: depends on when RND is called
        xor l
        ld l, a
        ld (seed), hl
        srl h                   ; the upper 15 bits are the better ones
        rr l
        pop de
        ld a, d
        or e
        jp z, setnum
        bit 7, d
        jp nz, err_fc
        ; r * n / 32768 takes the result from the high bits too (the low
        ; bits of this generator repeat with short periods)
        ld b, h
        ld c, l
        call mul32
        sla h
        rl e
        rl d
        ex de, hl
        jp setnum

; DE:HL = BC * DE, unsigned.
mul32:  ld hl, 0
        ld a, 16
m32_1:  add hl, hl
        rl e
        rl d
        jr nc, m32_2
        add hl, bc
        jr nc, m32_2
        inc de
m32_2:  dec a
        jr nz, m32_1
        ret

fn_abs: call parennum
        bit 7, h
        call nz, neghl
        jp setnum

fn_sgn: call parennum
        ld a, h
        or l
        jp z, setnum
        bit 7, h
        ld hl, 1
        jp z, setnum
        ld hl, -1
        jp setnum

fn_chr: call parennum
        ld a, h
        or a
        jp nz, err_fc
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
        jp setnum

fn_len: call parenstr
        ld l, (hl)
        ld h, 0
        jp setnum

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
        call evalnum
        ex de, hl
        pop hl
        ld a, d
        or a
        jp nz, err_fc
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
        call evalnum
        ld a, h
        or a
        jp nz, err_fc
        ld e, l
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
        push hl
        ld bc, 7                ; length byte and up to six characters
        call tmpalloc
        ld (tmpw2), hl
        inc hl
        ld (bufptr), hl
        ld a, (prtflag)
        push af
        ld a, 2
        ld (prtflag), a
        pop af
        pop hl
        push af
        call prnum
        pop af
        ld (prtflag), a
        ld hl, (bufptr)
        ld de, (tmpw2)
        or a
        sbc hl, de
        dec hl
        ld a, l
        ld (de), a
        ex de, hl
        ld a, 1
        ld (vtyp), a
        ret

; VAL(s$): optional spaces and sign, then digits; 0 when none.
fn_val: call parenstr
        ld b, (hl)
        inc hl
        ld de, 0
        ld c, 0                 ; negative
fv_sp:  ld a, b
        or a
        jr z, fv_end
        ld a, (hl)
        cp ' '
        jr nz, fv_sign
        inc hl
        dec b
        jr fv_sp
fv_sign:
        cp '-'
        jr nz, fv_plus
        inc c
        jr fv_skip
fv_plus:
        cp '+'
        jr nz, fv_dig
fv_skip:
        inc hl
        dec b
fv_dig: ld a, b
        or a
        jr z, fv_end
        ld a, (hl)
        call isdigit
        jr c, fv_end
        sub '0'
        push hl                 ; DE = DE * 10 + digit; OVERFLOW past 65535
        ld h, d
        ld l, e
        add hl, hl
        jp c, err_ovf
        add hl, hl
        jp c, err_ovf
        add hl, de
        jp c, err_ovf
        add hl, hl
        jp c, err_ovf
        ld e, a
        ld d, 0
        add hl, de
        jp c, err_ovf
        ex de, hl
        pop hl
        inc hl
        dec b
        jr fv_dig
fv_end: ex de, hl
        ld a, c
        or a
        call nz, neghl
        jp setnum

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
        jp setnum

fn_fre: call parennum
        call gc                 ; strings no longer used are free space too
        ld hl, (strbot)
        ld de, (arrend)
        or a
        sbc hl, de
        jp setnum
