; Expressions: numbers (in FAC) and strings (HL -> length byte, text);
; vtyp = 0 for a number, 1 for a string.
; Precedence, lowest first: OR; AND; NOT; comparisons; + -; * / \ MOD;
; unary -; ^.

evalnum:
        call eval
numchk: ld a, (vtyp)
        or a
        ret z
        jp err_type

; A number made whole (toward zero) in HL: -65535..65535, taken as 16 bits.
evalint:
        call evalnum
        jp toint

; A number of 0-255 in A (and HL); ILLEGAL FUNCTION CALL otherwise.
evalbyte:
        call evalint
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

parenint:
        call parennum
        jp toint

; FAC on the stack under the return address, and back into ARG.
pushfac:
        pop bc
        ld hl, (fac+3)
        push hl
        ld hl, (fac+1)
        push hl
        ld a, (fac)
        push af
        push bc
        ret
poparg: pop bc
        pop af
        ld (arg), a
        pop hl
        ld (arg+1), hl
        pop hl
        ld (arg+3), hl
        push bc
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
        call e_logic
        call e_and
        call l_right
        ld a, h
        or d
        ld h, a
        ld a, l
        or e
        ld l, a
        call setint
        jr eor1

e_and:  call e_not
ean1:   call ch_peek
        cp TK_AND
        ret nz
        call e_logic
        call e_not
        call l_right
        ld a, h
        and d
        ld h, a
        ld a, l
        and e
        ld l, a
        call setint
        jr ean1

; The left operand of AND or OR as 16 bits, kept on the stack.
e_logic:
        call numchk
        call ch_adv
        call toint
        ex (sp), hl
        jp (hl)
; The right operand as 16 bits in HL, the left in DE.
l_right:
        call numchk
        call toint
        pop bc
        pop de
        push bc
        ret

e_not:  call ch_peek
        cp TK_NOT
        jr nz, e_cmp
        call ch_adv
        call e_not
        call numchk
        call toint
        ld a, h
        cpl
        ld h, a
        ld a, l
        cpl
        ld l, a
        jp setint

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
        or a
        jr nz, ecm_s
        call pushfac
        call e_add
        call numchk
        call poparg
        call fcmp
        jr ecm2
ecm_s:  push hl
        call e_add
        call strchk
        pop de
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
ecm4:   call setint
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
        call pushfac
        call e_mul
        call numchk
        call poparg
        call fsub
        jr ead1
ead_plus:
        call ch_adv
        ld a, (vtyp)
        or a
        jr nz, ead_cat
        call pushfac
        call e_mul
        call numchk
        call poparg
        call fadd
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
        cp '\'
        jr z, emu2
        inc c
        cp TK_MOD
        ret nz
emu2:   call numchk
        call ch_adv
        ld a, c
        push af
        call pushfac
        call e_unary
        call numchk
        call poparg
        pop af
        ld hl, emu1
        push hl
        or a
        jp z, fmul
        dec a
        jp z, fdiv
        dec a
        jp z, fidiv
        jp fmod

; FAC = ARG \ FAC: the quotient made whole toward zero.
fidiv:  ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fid1
        ld hl, (fac+1)
        ld a, h
        and l
        inc a
        jr z, fid1              ; by -1: -32768 would not fit
        ld a, h
        or l
        jp z, err_div0
        ld de, (arg+1)
        call div16
        jp setint
fid1:   call fdiv
        call ffix
        ret

; FAC = ARG MOD FAC = ARG - FAC * FIX(ARG / FAC), with the sign of ARG.
fmod:   ld a, (arg)
        ld hl, fac
        or (hl)
        jr nz, fmd1
        ld hl, (fac+1)
        ld a, h
        and l
        inc a
        jp z, fzero             ; MOD -1 is 0
        ld a, h
        or l
        jp z, err_div0
        ld de, (arg+1)
        call div16
        ex de, hl
        jp setint
fmd1:   ld hl, fx4
        call fromfac            ; divisor
        ld hl, arg
        ld de, fx5
        call move5              ; dividend
        call fid1
        ld hl, fx4
        call fmulc
        ld hl, fx5
        call toarg
        jp fsub

e_unary:
        call ch_peek
        cp '-'
        jr nz, eu1
        call ch_adv
        call e_unary
        call numchk
        jp fneg
eu1:    cp '+'
        jr nz, e_pow
        call ch_adv
        jr e_unary

; x ^ y ^ z is (x ^ y) ^ z; the power may have a sign (2 ^ -1).
e_pow:  call atom
epw1:   call ch_peek
        cp '^'
        ret nz
        call numchk
        call ch_adv
        call pushfac
        call epw_r
        call numchk
        call poparg
        call fpow
        jr epw1
epw_r:  call ch_peek
        cp '-'
        jp nz, atom
        call ch_adv
        call epw_r
        call numchk
        jp fneg

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
        jp z, at_str
        cp '&'
        jp z, at_hex
        cp '.'
        jr z, at_num
        call isdigit
        jr nc, at_num
        call isletter
        jp nc, at_var
        cp TK_FN
        jp z, fn_fn
        cp TK_PEEK
        jp c, err_syntax
        ld hl, fntab-2*(TK_PEEK-80h)
        cp TK_LASTFN+1
        jr c, at2
        cp TK_INT
        jp c, err_syntax
        cp TK_LASTFN2+1
        jp nc, err_syntax
        ld hl, fntab2-2*(TK_INT-80h)
at2:    call ch_adv
        sub 80h
        add a, a
        ld e, a
        ld d, 0
        add hl, de
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        xor a
        ld (vtyp), a
        jp (hl)

; Digits alone are read quickly; a point, an exponent or more than 65535
; take the full reader.
at_num: ld hl, (txtptr)
        call parsenum
        jr c, atn1
        ld a, (hl)
        cp '.'
        jr z, atn1
        and 0DFh
        cp 'E'
        jr z, atn1
        ld (txtptr), hl
        ex de, hl
        jp setuint
atn1:   ld hl, (txtptr)
        call fin
        ld (txtptr), hl
        ret

; &Hnnnn: 0..65535
at_hex: call ch_adv
        call ch_get
        call toupper
        cp 'H'
        jp nz, err_syntax
        ld hl, 0
        ld de, (txtptr)
ath1:   ld a, (de)
        call toupper
        call isdigit
        jr nc, ath2
        cp 'A'
        jr c, ath3
        cp 'F'+1
        jr nc, ath3
        sub 7
ath2:   sub '0'
        add hl, hl
        jp c, err_ovf
        add hl, hl
        jp c, err_ovf
        add hl, hl
        jp c, err_ovf
        add hl, hl
        jp c, err_ovf
        or l
        ld l, a
        inc de
        jr ath1
ath3:   ld (txtptr), de
        jp setuint

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
        ld hl, zeroval
; The value of the variable slot HL of the kind in vkind.
atv2:   ld a, (vkind)
        or a
        jr nz, atv3
        ld de, fac
        call move5
        xor a
        ld (vtyp), a
        ret
atv3:   ld e, (hl)
        inc hl
        ld d, (hl)
        ex de, hl
        dec a
        jr nz, atv4
        inc a
        ld (vtyp), a
        ld a, h
        or l
        ret nz
        ld hl, zeroval
        ret
atv4:   jp setint

; FAC = the variable in slot HL of kind A (0 floating, 2 integer).
ldslot: or a
        jp z, tofac
        ld e, (hl)
        inc hl
        ld d, (hl)
        ex de, hl
        jp setint

zeroval: db 0, 0, 0, 0, 0

; Name at txtptr -> B (first letter, bit 7 set for a string name), C (second
; letter or digit or 0, bit 7 set for an integer name). Further letters and
; digits are read and ignored. vkind = 0 number, 1 string, 2 integer.
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
        ld a, 1
        jr gvn6
gvn4:   cp '%'
        ld a, 0
        jr nz, gvn6
        set 7, c
        inc hl
        ld a, 2
gvn6:   ld (vkind), a
        ld (txtptr), hl
        ret

; Scalar BC: Z and HL -> value when it exists. Keeps BC.
findvar:
        ld hl, (vartab)
        ld de, (arrtab)
fv1:    ld a, l
        cp e
        jr nz, fv2
        ld a, h
        cp d
        jr z, fv4
fv2:    ld a, (hl)
        inc hl
        cp b
        jr nz, fv3
        ld a, (hl)
        cp c
        jr nz, fv3
        inc hl
        ret
fv3:    ld a, l
        add a, 6
        ld l, a
        jr nc, fv1
        inc h
        jr fv1
fv4:    or 1
        ret

; Address of the variable named at txtptr (created when new); vtyp = its
; type, vkind its kind.
getvarref:
        call getvarname
        call ch_peek
        cp '('
        jr nz, gvr1
        call arrelem
        jr gvr2
gvr1:   call findvar
        call nz, makevar
gvr2:   ld a, (vkind)
        and 1
        ld (vtyp), a
        ret

; Create scalar BC (value 0) below the arrays. HL -> value.
makevar:
        push bc
        ld bc, 7
        call needroom
        ld hl, (arrend)
        ld de, (arrtab)
        or a
        sbc hl, de
        ld b, h
        ld c, l
        ld hl, (arrend)
        dec hl
        ld de, 7
        ex de, hl
        add hl, de
        ex de, hl
        ld a, b
        or c
        jr z, mkv1
        lddr
mkv1:   ld hl, (arrend)
        ld de, 7
        add hl, de
        ld (arrend), hl
        ld hl, (arrtab)
        pop bc
        ld (hl), b
        inc hl
        ld (hl), c
        inc hl
        push hl
        ld b, 5
mkv2:   ld (hl), 0
        inc hl
        djnz mkv2
        ld (arrtab), hl
        pop hl
        ret

; Array BC: Z and HL -> its entry (name, size, dimensions, sizes, elements)
; when it exists.
findarr:
        ld hl, (arrtab)
fa1:    ld de, (arrend)
        push hl
        or a
        sbc hl, de
        pop hl
        jr nc, fv4
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
        dec hl
        dec hl
        dec hl
        add hl, de
        jr fa1

; Bytes of an element of the kind in vkind: 5 for numbers, else 2.
elsize: ld a, (vkind)
        or a
        ld a, 5
        ret z
        ld a, 2
        ret

; "(a [, b [, c]])" -> andim = the count, aidx = the values (16 bits each).
getsubs:
        call expect
        db '('
        pop ix
        ld b, 1
gsb1:   push bc
        push ix
        call evalint
        pop ix
        pop bc
        push hl
        call optcomma
        jr nz, gsb2
        inc b
        ld a, b
        cp 4
        jr c, gsb1
        jp err_syntax
gsb2:   push ix
        call expect
        db ')'
        pop ix
        ld a, b
        ld (andim), a
        ld l, b
        ld h, 0
        add hl, hl
        ld de, aidx
        add hl, de
gsb3:   pop de
        dec hl
        ld (hl), d
        dec hl
        ld (hl), e
        djnz gsb3
        jp (ix)

; getsubs keeping vkind, the kind of the array's name
subsk:  ld a, (vkind)
        push af
        call getsubs
        pop af
        ld (vkind), a
        ret

; Create array BC with the andim sizes at aidx. HL -> entry.
makearr:
        push bc
        ld a, (andim)
        ld b, a
        ld hl, 1
        ld ix, aidx
mka1:   ld e, (ix+0)
        ld d, (ix+1)
        inc ix
        inc ix
        push bc
        ld b, h
        ld c, l
        call mul32
        pop bc
        ld a, d
        or e
        jp nz, err_mem
        djnz mka1
        ex de, hl               ; DE = elements
        call elsize
        ld hl, 0
mka2:   add hl, de
        jp c, err_mem
        dec a
        jr nz, mka2
        push hl                 ; bytes of the elements
        ld a, (andim)
        add a, a
        add a, 5
        ld e, a
        ld d, 0
        add hl, de
        jp c, err_mem
        ld b, h
        ld c, l                 ; whole entry
        call needroom
        pop de
        ld hl, (arrend)
        push hl
        pop ix
        add hl, bc
        ld (arrend), hl
        pop hl                  ; name
        ld (ix+0), h
        ld (ix+1), l
        ld (ix+2), c
        ld (ix+3), b
        ld a, (andim)
        ld (ix+4), a
        push ix
        pop hl
        ld bc, 5
        add hl, bc
        push hl
        ld b, a
        add a, a
        ld c, a
        ld b, 0
        ex de, hl
        add hl, bc
        ld b, h
        ld c, l                 ; sizes and elements, all cleared
        pop hl
        push hl
mka3:   ld (hl), 0
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, mka3
        pop de
        ld hl, aidx
        ld a, (andim)
        add a, a
        ld c, a
        ld b, 0
        ldir
        push ix
        pop hl
        ret

; Element of array BC (kind in vkind); txtptr at "(". HL -> element. An
; array used before DIM gets elements 0-10 in each dimension.
arrelem:
        push bc
        call subsk
        pop bc
        call findarr
        jr z, ae2
        push bc
        ld hl, aidx             ; the subscripts wait while the sizes are made
        ld de, aidx+6
        ld bc, 6
        ldir
        ld a, (andim)
        ld b, a
        ld hl, aidx
ae1:    ld (hl), 11
        inc hl
        ld (hl), 0
        inc hl
        djnz ae1
        pop bc
        call makearr
        push hl
        ld hl, aidx+6
        ld de, aidx
        ld bc, 6
        ldir
        pop hl
ae2:    push hl
        pop ix
        ld a, (andim)
        cp (ix+4)
        jp nz, err_sub
        ld b, a
        ld de, 5
        add hl, de              ; sizes
        ld de, 0                ; offset
        ld iy, aidx
ae3:    push bc
        ld c, (hl)
        inc hl
        ld b, (hl)
        inc hl
        push hl
        ld l, (iy+0)
        ld h, (iy+1)
        inc iy
        inc iy
        push hl
        or a
        sbc hl, bc
        pop hl
        jp nc, err_sub
        push hl
        ex de, hl               ; offset * size + subscript
        ld d, b
        ld e, c
        call mul16
        pop de
        add hl, de
        ex de, hl
        pop hl
        pop bc
        djnz ae3
        ex de, hl
        ld b, h
        ld c, l
        call elsize
        cp 5
        add hl, hl
        jr nz, ae4
        add hl, hl
        add hl, bc
ae4:    add hl, de              ; DE = first element
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
