; Statements.

do_end: jp prgdone

do_rem:
        ld hl, (txtptr)
rem1:   ld a, (hl)
        or a
        jr z, rem2
        inc hl
        jr rem1
rem2:   ld (txtptr), hl
        ret

; DATA is passed over when executed: up to a colon outside quotes.
do_rem_data:
        ld hl, (txtptr)
        call skipdata
        ld (txtptr), hl
        ret
skipdata:
        ld c, 0
skd1:   ld a, (hl)
        or a
        ret z
        cp '"'
        jr nz, skd2
        ld a, c
        xor 1
        ld c, a
        jr skd3
skd2:   cp ':'
        jr nz, skd3
        inc c
        dec c
        ret z
skd3:   inc hl
        jr skd1

do_let:
        call getvarref
        ld a, (vkind)
        push af
        push hl
        call expect
        db '='
        call eval
        pop de
        pop af
        ld c, a
        and 1
        ld b, a
        ld a, (vtyp)
        cp b
        jp nz, err_type
        or a
        jp nz, strassign
        ex de, hl
        ld a, c
; Store FAC in the slot HL of a variable of kind A (0 floating, 2 integer).
storefac:
        or a
        jp z, fromfac
        push hl
        call toint16
        ex de, hl
        pop hl
        ld (hl), e
        inc hl
        ld (hl), d
        ret

; DEF FNname(p) = expression: the slot of FNname keeps where the expression
; is and the parameter's name; FN evaluates it from the program text.
do_def: call indirect
        jp z, err_fc            ; the direct line's text does not stay
        call expect
        db TK_FN
        call getvarname
        set 5, b
        call findvar
        call nz, makevar
        push hl
        call expect
        db '('
        call getvarname
        push bc
        call expect
        db ')'
        call expect
        db '='
        pop bc
        pop hl
        ld de, (txtptr)
        ld (hl), e
        inc hl
        ld (hl), d
        inc hl
        ld (hl), b
        inc hl
        ld (hl), c
        jp do_rem_data

; GOTO n, also the target of THEN n / ELSE n
do_goto:
        call lineexpr
gotoline:
        ex de, hl
        call findline
        jp nz, err_line
        jp run_from

do_gosub:
        call lineexpr
gosubline:
        push hl
        call ctlpush            ; HL -> frame
        ld (hl), 'G'
        ld de, 7
        add hl, de
        call savepos
        pop hl
        jr gotoline

; RESUME: the statement that failed again; RESUME NEXT: the one after it;
; RESUME n: line n.
do_resume:
        ld a, (errflag)
        or a
        jp z, err_resume
        xor a
        ld (errflag), a
        call endstmt
        jr z, rsm0
        cp TK_NEXT
        jp nz, do_goto
        call ch_adv
        call rsm1
        ld hl, (txtptr)
        call skipdata           ; to the colon or the end of the line
        ld (txtptr), hl
        ret
rsm0:   call rsm1
        jp stmt_loop            ; the statement itself, not what ends one
rsm1:   ld hl, (errcur)
        ld (curline), hl
        ld hl, (errtp)
        ld (txtptr), hl
        ret

; AUTO [start [, step]], typed: each line entered offers the next number.
do_auto:
        call indirect
        jp nz, err_fc
        ld de, 10
        call ch_peek
        call isdigit
        call nc, lsnum
        push de
        ld de, 10
        call optcomma
        call z, lsnum
        ld a, d
        or e
        jp z, err_fc
        ld (autostep), de
        pop de
        ld (autoline), de
        ret

; DELETE a[-b], typed: the lines from a to b go.
do_delete:
        call indirect
        jp nz, err_fc
        call ch_peek
        jp z, err_syntax
        call lrange
        ld hl, (tmpw)
        push hl                 ; the last line
        xor a
        ld (TOKBUF+3), a        ; an empty text: insline deletes
dl1:    push de
        call findline
        pop de
        ld a, (hl)
        or a
        jp z, ready
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        pop hl
        push hl
        or a
        sbc hl, de
        jp c, ready
        push de
        call insline
        pop de
        jr dl1

; HL = the line number of GOTO or GOSUB: digits alone are read at once,
; anything else is an expression.
lineexpr:
        call ch_peek
        call isdigit
        jp c, evalint
        ld hl, (txtptr)
        push hl
        call lsnum
        call endstmt
        pop hl
        jr nz, lne1
        ex de, hl
        ret
lne1:   ld (txtptr), hl
        jp evalint

; ON n GOTO a, b, ... / ON n GOSUB a, b, ...: the n-th line; none when n is
; 0 or past the list; n below 0 or over 255 is an illegal function call.
do_on:  call ch_peek
        cp TK_ERROR
        jr nz, on0
        call ch_adv             ; ON ERROR GOTO n (0: errors stop the program)
        call expect
        db TK_GOTO
        call lsnum
        ld (errtrap), de
        ret
on0:    call evalbyte
        ld (tmpw), hl
        call ch_get
        ld c, 0
        cp TK_GOTO
        jr z, on1
        inc c
        cp TK_GOSUB
        jp nz, err_syntax
on1:    push bc
        ld hl, 0
        ld (tmpw2), hl
on2:    ld hl, (tmpw)
        dec hl
        ld (tmpw), hl
        call ch_peek
        call isdigit
        jp c, err_syntax
        call lsnum
        ld hl, (tmpw)
        ld a, h
        or l
        jr nz, on3
        ld (tmpw2), de
on3:    call optcomma
        jr z, on2
        pop bc
        ld hl, (tmpw2)
        ld a, h
        or l
        ret z
        bit 0, c
        jp z, gotoline
        jp gosubline

do_return:
        ld hl, (ctlsp)
ret1:   ld de, CTLBASE
        or a
        push hl
        sbc hl, de
        pop hl
        jp z, err_return
        ld de, -CTLSIZE
        add hl, de
        ld a, (hl)
        cp 'G'
        jr nz, ret1
        ld (ctlsp), hl
        ld de, 7
        add hl, de
        ld e, (hl)
        inc hl
        ld d, (hl)
        inc hl
        ld (txtptr), de
        ld e, (hl)
        inc hl
        ld d, (hl)
        ld (curline), de
        ret

; HL = a new control frame.
ctlpush:
        ld hl, (ctlsp)
        ld de, CTLSIZE
        add hl, de
        ld de, CTLTOP+1
        push hl
        or a
        sbc hl, de
        pop hl
        jp nc, err_mem
        ld (ctlsp), hl
        ld de, -CTLSIZE
        add hl, de
        ret

; FOR v = a TO b [STEP c]. Frame: 'F', variable slot, limit (5), step (5),
; text, line, kind of the variable.
FR_LIMIT   equ 3
FR_STEP    equ 8
FR_POS     equ 13
FR_KIND    equ 17
do_for:
        call getvarref
        call numchk
        ; only a plain variable: array elements move when a variable is added
        push hl
        ld de, (arrtab)
        or a
        sbc hl, de
        pop hl
        jp nc, err_syntax
        ld (forvar), hl
        ld a, (vkind)
        push af
        call expect
        db '='
        call evalint
        pop af
        push af
        ld hl, (forvar)
        call storefac
        call expect
        db TK_TO
        call evalint
        call pushfac            ; the limit
        ld hl, 1
        call setint
        call ch_peek
        cp TK_STEP
        jr nz, for1
        call ch_adv
        call evalint
for1:   ; a loop on the same variable that is still open ends here
        ld hl, (ctlsp)
for2:   ld de, CTLBASE
        push hl
        or a
        sbc hl, de
        pop hl
        jr z, for4
        ld de, -CTLSIZE
        add hl, de
        ld a, (hl)
        cp 'F'
        jr nz, for4
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        dec hl
        dec hl
        push hl
        ld hl, (forvar)
        or a
        sbc hl, de
        pop hl
        jr nz, for2
        ld (ctlsp), hl
for4:   call ctlpush
        push hl
        pop ix
        ld (ix+0), 'F'
        ld de, (forvar)
        ld (ix+1), e
        ld (ix+2), d
        pop af
        ld (ix+FR_LIMIT), a
        pop de
        ld (ix+FR_LIMIT+1), e
        ld (ix+FR_LIMIT+2), d
        pop de
        ld (ix+FR_LIMIT+3), e
        ld (ix+FR_LIMIT+4), d
        pop af
        ld (ix+FR_KIND), a
        ld de, FR_STEP
        add hl, de
        call fromfac
        ex de, hl               ; HL = the frame's text position
; Stores the program position (txtptr, then curline) at HL in a control frame.
savepos:
        ld de, (txtptr)
        ld (hl), e
        inc hl
        ld (hl), d
        inc hl
        ld de, (curline)
        ld (hl), e
        inc hl
        ld (hl), d
        ret

do_next:
        ld de, 0
        call ch_peek
        call isletter
        jr c, nx1
        call getvarref
        call numchk
        ex de, hl
nx1:    ld hl, (ctlsp)
nx2:    push de
        ld de, CTLBASE
        push hl
        or a
        sbc hl, de
        pop hl
        pop de
        jp z, err_next
        ld bc, -CTLSIZE
        add hl, bc
        ld a, (hl)
        cp 'F'
        jp nz, err_next
        ld a, d
        or e
        jr z, nx3
        inc hl
        ld a, (hl)
        inc hl
        cp e
        jr nz, nx2b
        ld a, (hl)
        cp d
nx2b:   dec hl
        dec hl
        jr nz, nx2
nx3:    ; HL = frame; frames above it are closed
        push hl
        pop ix
        ld bc, CTLSIZE
        add hl, bc
        ld (ctlsp), hl
        ; whole numbers all round: 16-bit arithmetic
        ld l, (ix+1)
        ld h, (ix+2)
        ld a, (ix+FR_KIND)
        or a
        jr nz, nxi1
        or (hl)
        jr nz, nx_flt
        inc hl
nxi1:   ld a, (ix+FR_STEP)
        or (ix+FR_LIMIT)
        jr nz, nx_flt
        ld e, (hl)
        inc hl
        ld d, (hl)
        ex de, hl
        ld c, (ix+FR_STEP+1)
        ld b, (ix+FR_STEP+2)
        or a
        adc hl, bc
        jp pe, nx_flt           ; left the 16-bit range: floating from here
        ex de, hl
        ld (hl), d
        dec hl
        ld (hl), e
        ex de, hl
        ld e, (ix+FR_LIMIT+1)
        ld d, (ix+FR_LIMIT+2)
        bit 7, b
        jr nz, nxi2
        call cmps               ; value > limit ends the loop
        jp z, nx_again
        jp nc, nx_done
        jp nx_again
nxi2:   call cmps
        jp c, nx_done
        jp nx_again
nx_flt: push ix
        ld l, (ix+1)
        ld h, (ix+2)
        ld a, (ix+FR_KIND)
        call ldslot
        pop ix
        push ix
        push ix
        pop hl
        ld de, FR_STEP
        add hl, de
        call toarg
        call fadd
        pop ix
        push ix
        ld a, (ix+FR_KIND)
        or a
        jr z, nxf1
        ld a, (fac)
        or a
        jr z, nxf1
        pop ix                  ; a % variable cannot pass its range: the end
        jp nx_done
nxf1:   ld l, (ix+1)
        ld h, (ix+2)
        ld a, (ix+FR_KIND)
        call storefac
        pop ix
        push ix
        push ix
        pop hl
        inc hl
        inc hl
        inc hl
        call toarg
        call fcmp               ; the limit against the new value
        pop ix
        push af
        ld b, (ix+FR_STEP+4)    ; the sign of the step
        ld a, (ix+FR_STEP)
        or a
        jr nz, nx4
        ld b, (ix+FR_STEP+2)
nx4:    bit 7, b
        jr nz, nx_down
        pop af
        jr c, nx_done           ; the value passed the limit
        jp nx_again
nx_down:
        pop af
        jp z, nx_again
        jp nc, nx_done
nx_again:
        ld l, (ix+FR_POS)
        ld h, (ix+FR_POS+1)
        ld (txtptr), hl
        ld l, (ix+FR_POS+2)
        ld h, (ix+FR_POS+3)
        ld (curline), hl
        jp stmt_loop
nx_done:
        push ix
        pop hl
        ld (ctlsp), hl
        call optcomma
        ret nz
        jp do_next

do_if:
        call evalnum
        ld hl, (fac+1)
        ld a, (fac)
        or h
        or l
        push af
        call ch_peek
        cp TK_THEN
        jr z, if1
        cp TK_GOTO
        jp nz, err_syntax
if1:    call ch_adv
        pop af
        jr z, if_false
if_go:  call ch_peek
        call isdigit
        jp nc, do_goto
        jp stmt_loop
if_false:
        ld hl, (txtptr)
        ld c, 0
iff1_:  ld a, (hl)
        or a
        jp z, if_none
        inc hl
        cp '"'
        jr nz, iff2
        ld a, c
        xor 1
        ld c, a
        jr iff1_
iff2:   cp TK_ELSE
        jr nz, iff1_
        inc c
        dec c
        jr nz, iff1_
        ld (txtptr), hl
        jr if_go
if_none:
        ld (txtptr), hl
        jp end_of_line

do_run:
        call clearvars
        ld hl, 0
        ld (contline), hl
        call ch_peek
        jr z, run1
        cp ':'
        jr z, run1
        call evalint
        jp gotoline
run1:   ld hl, (txttab)
        jp run_from

do_new: call donew
        jp ready

do_cont:
        ld hl, (contline)
        ld a, h
        or l
        jp z, err_cont
        ld (curline), hl
        ld hl, (conttp)
        ld (txtptr), hl
        jp stmt_loop

do_restore:
        ld hl, 0
        call ch_peek
        call isdigit
        jr c, rs1
        call evalint
        ex de, hl
        call findline
        jp nz, err_line
rs1:    ld (dataline), hl
        inc hl
        inc hl
        inc hl
        ld (dataptr), hl
        ret

do_poke:
        call evalint
        push hl
        call expect
        db ','
        call evalbyte
        pop hl
        ld (hl), a
        ret

do_out: call evalint
        push hl
        call expect
        db ','
        call evalbyte
        pop bc
        out (c), a
        ret

do_cls: jp textmode                ; also ends a graphics mode

; COLOR 0-3: the colour pair of text printed next; 4-255: that attribute
; byte itself (40h semigraphics-4, 60h semigraphics-6, 62h its second set).
do_color:
        call evalbyte
        cp 4
        jr nc, col1
        or TEXTATTR
col1:   ld (curattr), a
        ret

; LOCATE row, column
do_locate:
        call evalbyte
        cp 16
        jp nc, err_fc
        push af
        call expect
        db ','
        call evalbyte
        cp 32
        jp nc, err_fc
        pop bc
        ld l, b
        call row32
        or l
        ld l, a
        ld (curpos), hl
        xor a
        ld (wrapped), a
        ret

; WAIT n: n fiftieths of a second
do_wait:
        call evalint
        bit 7, h
        jp nz, err_fc
waitj:  ex de, hl
        di
        ld hl, (jiffies)
        ei
        ld (tmpw), hl
wt1:    ld a, (brkflag)
        or a
        jp nz, do_break
        di
        ld hl, (jiffies)
        ei
        ld bc, (tmpw)
        or a
        sbc hl, bc
        or a
        sbc hl, de
        ret nc
        jr wt1                  ; busy: a HALT would slow the timer down

do_lprint:
        ld a, 1
        ld (prtflag), a
        call do_print
        xor a
        ld (prtflag), a
        ret

do_print:
pr1:    call endstmt
        jp z, crlf
pr2:    cp ';'
        jr nz, pr3
        call ch_adv
        call endstmt
        ret z
        jr pr2
pr3:    cp ','
        jr nz, pr5
        call ch_adv
        call outcol
        add a, 8
        and 0F8h
        ld b, a
        ld a, (prtflag)
        or a
        jr nz, pr4
        ld a, b
        cp 32
        jr c, pr4
        call crlf
        jr pr4b
pr4:    call outcol
        cp b
        jr nc, pr4b
        ld a, ' '
        call putc
        jr pr4
pr4b:   call endstmt
        ret z
        jr pr2
pr5:    cp TK_TAB
        jr nz, pr5b
        call ch_adv
        call evalint
        call expect
        db ')'
        ld b, l
        ld a, (prtflag)
        or a
        jr nz, pr_tab
        ld a, b                 ; the screen has columns 0-31
        cp 32
        jr c, pr_tab
        ld b, 31
pr_tab: call outcol
        cp b
        jr nc, pr1
        ld a, ' '
        call putc
        jr pr_tab
pr5b:   call eval
        ld a, (vtyp)
        or a
        jr nz, pr6
        call fout
        call numfit
        call prstr
        ld a, ' '
        call putc
        jp pr1
pr6:    call prstrv
        jp pr1

; On the screen a number that would not fit on the rest of the row starts
; the next one, so its sign and digits stay together. HL = its text; kept.
numfit:
        ld a, (prtflag)
        or a
        ret nz
        push hl
        xor a
        ld bc, 0
        cpir
        ld a, c
        cpl                     ; the length
        pop hl
        ld c, a
        call outcol
        or a
        ret z
        add a, c
        cp 33                   ; the last digit may sit in column 31
        ret c
        jp crlf

; Print the string value at HL.
prstrv:
        ld b, (hl)
        inc b
prs1:   dec b
        ret z
        inc hl
        ld a, (hl)
        call putc
        jr prs1

; LIST [a][-[b]]
do_llist:
        ld a, 1
        ld (prtflag), a
do_list:
        call lrange
        call findline
        jr ls3
; "[a][-[b]]" -> DE = a (0 when left out), tmpw = b (65535 when left out;
; a alone: b = a).
lrange: ld de, 0
        ld bc, 65535
        call ch_peek
        call isdigit
        jr c, ls1
        call lsnum
        ld b, d
        ld c, e
ls1:    call ch_peek
        cp '-'
        jr nz, ls2
        call ch_adv
        ld bc, 65535
        call ch_peek
        call isdigit
        jr c, ls2
        push de
        call lsnum
        ld b, d
        ld c, e
        pop de
ls2:    ld (tmpw), bc
        ret
ls3:    ld a, (hl)
        or a
        jr z, ls4
        ld a, (brkflag)
        or a
        jr nz, ls5
        push hl
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        ld hl, (tmpw)
        or a
        sbc hl, de
        pop hl
        jr c, ls4
        call listline
        jr ls3
ls5:    xor a
        ld (brkflag), a
        call keyflush
ls4:    xor a
        ld (prtflag), a
        ret

do_dim:
        call getvarname
        push bc
        call subsk
        ld a, (andim)           ; the sizes are one more than the subscripts
        ld b, a
        ld hl, aidx
dm1:    ld e, (hl)
        inc hl
        ld d, (hl)
        bit 7, d
        jp nz, err_fc
        inc de
        ld (hl), d
        dec hl
        ld (hl), e
        inc hl
        inc hl
        djnz dm1
        pop bc
        call findarr
        jp z, err_redim
        call makearr
        call optcomma
        jr z, do_dim
        ret

lsnum:  call ch_peek
        ld hl, (txtptr)
        call parsenum
        jp c, err_syntax
        ld (txtptr), hl
        ret

; INPUT ["prompt";] v [, v ...]
do_input:
        ld hl, (txtptr)
        ld (inputtp), hl
        call ch_peek
        cp '"'
        jr nz, in1
        call eval
        call prstrv
        call ch_peek
        cp ';'
        jr z, in0
        cp ','
        jp nz, err_syntax
in0:    call ch_adv
in1:    ld hl, (txtptr)
        ld (inlist), hl
in2:    ld hl, msgq
        call prstr
        call readline
        jr nc, in3
in_stop:
        ; Stop while answering: a break that CONT cannot resume mid-statement
        call keyflush
        ld hl, 0
        ld (contline), hl
        jp brk1
in3:    ld a, (toolong)
        or a
        jr nz, in_redo
        ld hl, INBUF
        ld (inputvar), hl       ; where the next answer is read
        ld hl, (inlist)
        ld (txtptr), hl
in4:    call getvarref
        push hl
        ld hl, (txtptr)
        ld (savetp), hl
        ld hl, (inputvar)
        ld (txtptr), hl
        pop de
        call readitem
        jr c, in_redo
        call ch_peek
        ld hl, (txtptr)
        ld (inputvar), hl
        ld hl, (savetp)
        ld (txtptr), hl
        call optcomma
        ret nz
        ; the next answer follows a comma
        ld hl, (inputvar)
        ld a, (hl)
        cp ','
        jr z, in5
        or a
        jr nz, in_redo
        ; the answer ended before the list: ask for the rest on a new line
        ld hl, msgqq
        call prstr
        call readline
        jr c, in_stop
        ld a, (toolong)
        or a
        jr nz, in_redo
        dec hl
in5:    inc hl
        ld (inputvar), hl
        jr in4
in_redo:
        ld hl, msgredo
        call prstr
        ld hl, TMPBASE          ; the prompt is made again
        ld (tmpptr), hl
        ld hl, (inputtp)
        ld (txtptr), hl
        jp do_input

msgqq:   db "?"
msgq:    db "? ", 0
msgredo: db "?REDO FROM START", 13, 0

; Read one item at txtptr into slot DE of type vtyp. Carry when it is not a
; number where one is wanted. Strings end at a comma (or are quoted).
readitem:
        ld a, (vtyp)
        or a
        jr nz, ri_str
        push de
        ld hl, (txtptr)
        call valparse
        jr c, ri_bad
        ld (txtptr), hl
        call ch_peek
        jr z, ri3
        cp ','
        jr z, ri3
        cp ':'
        jr nz, ri_bad
ri3:    pop hl
        ld a, (vkind)
        call storefac
        or a
        ret
ri_bad: pop de
        scf
        ret
ri_str: push de
        call ch_peek
        ld hl, (txtptr)
        ld b, 0
        cp '"'
        jr nz, ri_s1
        inc hl
        push hl
ri_q:   ld a, (hl)
        or a
        jr z, ri_s3
        cp '"'
        jr z, ri_q2
        inc hl
        inc b
        jr ri_q
ri_q2:  inc hl
        jr ri_s3
ri_s1:  push hl
ri_s2:  ld a, (hl)
        or a
        jr z, ri_s3
        cp ','
        jr z, ri_s3
        cp ':'
        jr z, ri_s3
        inc hl
        inc b
        jr ri_s2
ri_s3:  ld (txtptr), hl
        pop hl
        call mkstr
        pop de
        call strassign
        or a
        ret

; READ v [, v ...]
do_read:
        call getvarref
        push hl
        call finddata
        pop de
        ld hl, (txtptr)
        ld (savetp), hl
        ld hl, (dataptr)
        ld (txtptr), hl
        ld a, (vtyp)
        or a
        jr nz, rd1
        ; an empty item reads as 0 for a number
        call ch_peek
        jr z, rd0
        cp ','
        jr z, rd0
        cp ':'
        jr nz, rd1
rd0:    push de
        call fzero
        pop hl
        ld a, (vkind)
        call storefac
        jr rd2
rd1:    call readitem
        jr c, rd_bad
rd2:    ld hl, (txtptr)
        ld (dataptr), hl
        ld hl, (savetp)
        ld (txtptr), hl
        call optcomma
        jr z, do_read
        ret
; a bad item is a fault of its DATA line, so the error names that line
rd_bad: ld hl, (dataline)
        ld (curline), hl
        jp err_syntax

; Position dataptr on the next DATA item.
finddata:
        ld hl, (dataline)
        ld a, h
        or l
        jr nz, fd1
        ld hl, (txttab)
        ld a, (hl)
        or a
        jp z, err_data
        ld (dataline), hl
        inc hl
        inc hl
        inc hl
        jr fd3
fd1:    ld hl, (dataptr)
        call skipsp
        ld a, (hl)
        cp ','
        jr nz, fd3
        inc hl
        ld (dataptr), hl
        ret
fd3:    ; search from HL for a DATA token, line by line
        ld c, 0
fd4:    ld a, (hl)
        or a
        jr z, fd6
        inc hl
        cp '"'
        jr nz, fd5
        ld a, c
        xor 1
        ld c, a
        jr fd4
fd5:    cp TK_DATA
        jr nz, fd4
        inc c
        dec c
        jr nz, fd4
        ld (dataptr), hl
        ret
fd6:    ld hl, (dataline)
        ld a, (hl)
        or a
        jp z, err_data
        ld e, a
        ld d, 0
        add hl, de
        ld (dataline), hl
        ld a, (hl)
        or a
        jp z, err_data
        inc hl
        inc hl
        inc hl
        jr fd3
