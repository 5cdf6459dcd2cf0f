; Interpreter core: prompt, program lines, statement loop, errors.
;
; A program line record: length byte (whole record), line number (2 bytes),
; tokenised text, 00. A zero length byte ends the program. The direct line
; lives in TOKBUF with line number FFFFh.

; ---- text pointer helpers -----------------------------------------------------

; A = next non-space character at txtptr (not consumed); Z at end of line.
ch_peek:
        push hl
        ld hl, (txtptr)
        ld a, (hl)
        cp ' '
        jr z, chp1
        pop hl                  ; no space: the usual case, nothing to store
        or a
        ret
chp1:   inc hl
        ld a, (hl)
        cp ' '
        jr z, chp1
        ld (txtptr), hl
        pop hl
        or a
        ret

; As ch_peek, and consumes the character unless at end of line.
ch_get:
        call ch_peek
        ret z
ch_adv:
        push hl
        ld hl, (txtptr)
        inc hl
        ld (txtptr), hl
        pop hl
        ret

; Syntax check: the byte after the call must be the next character.
expect:
        ex (sp), hl
        call ch_peek
        cp (hl)
        jp nz, err_syntax
        inc hl
        ex (sp), hl
        jp ch_adv

; Z when the statement ends here (end of line, colon or ELSE).
endstmt:
        call ch_peek
        ret z
        cp ':'
        ret z
        cp TK_ELSE
        ret

; Consume a comma if there is one: Z when there was.
optcomma:
        call ch_peek
        cp ','
        ret nz
        call ch_adv
        cp a
        ret

; ---- prompt -------------------------------------------------------------------

ready:
        ld sp, STKTOP
        xor a
        ld (prtflag), a
        ld a, (gfxmode)
        or a
        jr z, rdy1
        ; a picture stays until a key is pressed
        call getkey
        call textmode
rdy1:   call freshline
        ld hl, msgready
        call prstr
direct:
        ld sp, STKTOP
        xor a
        ld (prtflag), a
        ld (brkflag), a         ; a Stop that ended a picture is not a break
        ld hl, TOKBUF
        ld (curline), hl
        inc hl
        ld (hl), 0FFh
        inc hl
        ld (hl), 0FFh
        ld hl, (autostep)
        ld a, h
        or l
        jr z, dir0
        ; AUTO: the number stands before the cursor as part of the line
        ld hl, (curpos)
        push hl
        ld hl, (autoline)
        call prunum
        ld a, ' '
        call putc
        pop hl
        ld (instart), hl
        call rl_loop
        jr dir1
dir0:   call readline
dir1:   jr nc, dir2
        call autooff            ; Stop ends AUTO
        jr direct
dir2:   ld a, (toolong)
        or a
        jp nz, err_toolong
        call skipsp
        ld a, (hl)
        or a
        jr z, direct
        call isdigit
        jr c, dir_exec
        ; a numbered line is stored (or deleted when it is empty)
        call parsenum
        jp c, err_syntax_direct
        ld a, d                 ; FFFFh marks the direct line
        and e
        inc a
        jp z, err_syntax
        push de
        call skipsp
        ld de, TOKBUF+3
        call tokenize
        pop de
        ld hl, (autostep)
        ld a, h
        or l
        jr z, dir3
        ld a, (TOKBUF+3)
        or a
        jr nz, dir4
        call autooff            ; a number alone ends AUTO; nothing is deleted
        jp direct
dir4:   add hl, de
        ld (autoline), hl
        call c, autooff         ; past the last line number
dir3:   call insline
        jp direct
autooff:                        ; keeps HL
        push hl
        ld hl, 0
        ld (autostep), hl
        pop hl
        ret
dir_exec:
        call autooff
        ld de, (ctlsp)
        ld (dirctl), de
        ld de, TOKBUF+3
        call tokenize
        inc de
        xor a
        ld (de), a              ; end-of-program marker after the direct line
        ld hl, TOKBUF+3
        ld (txtptr), hl
        jp stmt_loop

err_syntax_direct:
        jp err_syntax

skipsp: ld a, (hl)
        cp ' '
        ret nz
        inc hl
        jr skipsp

; Decimal number at HL -> DE, HL after it. Carry when above 65535.
parsenum:
        push bc
        ld de, 0
pn1:    ld a, (hl)
        sub '0'
        cp 10
        jr nc, pn2
        ex de, hl               ; HL = value * 10 + digit
        ld b, h
        ld c, l
        add hl, hl
        jr c, pn3
        add hl, hl
        jr c, pn3
        add hl, bc
        jr c, pn3
        add hl, hl
        jr c, pn3
        add a, l
        ld l, a
        jr nc, pn1b
        inc h
        jr z, pn3
pn1b:   ex de, hl
        inc hl
        jr pn1
pn2:    pop bc
        or a
        ret
pn3:    ex de, hl
        pop bc
        scf
        ret

; ---- program store --------------------------------------------------------------

; HL = first record whose number is >= DE (or the end marker); Z when equal.
findline:
        ld hl, (txttab)
fl1:    ld a, (hl)
        or a
        jr z, fl3
        push hl
        inc hl
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        or a
        sbc hl, de
        pop hl
        ret nc
        ld c, (hl)
        ld b, 0
        add hl, bc
        jr fl1
fl3:    or 1
        ret

; Store the tokenised text at TOKBUF+3 as line DE (an empty text deletes it).
insline:
        ld (tmpw), de
        call findline
        jr nz, il_ins
        ld (tmpw2), hl
        ld c, (hl)
        ld b, 0
        push bc
        ld hl, (prgend)
        inc hl
        ld de, (tmpw2)
        or a
        sbc hl, de
        or a
        sbc hl, bc
        ld b, h
        ld c, l                 ; bytes behind the deleted record, marker included
        pop de
        ld hl, (tmpw2)
        add hl, de
        ld de, (tmpw2)
        ldir
        dec de
        ld (prgend), de
        ld hl, (tmpw2)
il_ins:
        ld a, (TOKBUF+3)
        or a
        jr z, il_done
        push hl                 ; insertion point
        ld hl, TOKBUF+3
        ld bc, 4                ; length byte, number, final zero
il_len: ld a, (hl)
        or a
        jr z, il_len2
        inc hl
        inc bc
        jr il_len
il_len2:
        ld a, b
        or a
        jp nz, err_long
        ld (tmpw2), bc
        ; room below the top of the work area
        ld hl, (prgend)
        add hl, bc
        ld de, MEMTOP-64
        or a
        sbc hl, de
        jp nc, err_mem
        ; open a gap at the insertion point
        pop de
        push de
        ld hl, (prgend)
        or a
        sbc hl, de
        inc hl
        ld b, h
        ld c, l                 ; bytes from insertion point to marker
        ld hl, (prgend)
        push hl
        ld de, (tmpw2)
        add hl, de
        ld (prgend), hl
        ex de, hl
        pop hl
        lddr
        pop de                  ; record position
        ld a, (tmpw2)
        ld (de), a
        inc de
        ld hl, (tmpw)
        ld a, l
        ld (de), a
        inc de
        ld a, h
        ld (de), a
        inc de
        ld hl, TOKBUF+3
        ld bc, (tmpw2)
        dec bc
        dec bc
        dec bc
        ldir
il_done:
        ld hl, 0
        ld (contline), hl
        jp clearvars

; NEW: empty program, no variables.
donew:
        ld hl, (txttab)
        ld (hl), 0
        ld (prgend), hl
        ld hl, 0
        ld (contline), hl
; Forget variables, arrays, strings, FOR/GOSUB and the DATA position.
clearvars:
        ld hl, (prgend)
        inc hl
        ld (vartab), hl
        ld (arrtab), hl
        ld (arrend), hl
        ld hl, MEMTOP
        ld (strbot), hl
        ld hl, CTLBASE
        ld (ctlsp), hl
        ld (dirctl), hl
        ld hl, 0
        ld (dataline), hl
        ld (errtrap), hl
        xor a
        ld (errflag), a
        ret

; ---- statement loop ---------------------------------------------------------------

stmt_loop:
        ld sp, STKTOP
        ld hl, TMPBASE
        ld (tmpptr), hl
        ld a, (brkflag)
        or a
        jp nz, do_break
        call ch_peek
        jr z, end_of_line
        cp ':'
        jr nz, sl_1
        call ch_adv
        jr stmt_loop
sl_1:   ld hl, (txtptr)
        ld (stmtptr), hl
        cp TK_ELSE
        jr z, end_of_line
        call exec_stmt
        call endstmt
        jr z, stmt_loop
        jp err_syntax

exec_stmt:
        cp 80h
        jp c, do_let
        cp TK_ON
        jr nz, exs1
        call ch_adv
        jp do_on
exs1:   cp TK_LASTSTMT+1
        jr c, exs2
        call ch_adv             ; statements numbered after the functions
        cp TK_DEF
        jp z, do_def
        cp TK_CLEAR
        jp z, clearvars
        cp TK_RESUME
        jp z, do_resume
        cp TK_LINE
        jp z, do_line
        cp TK_DELETE
        jp z, do_delete
        cp TK_CIRCLE
        jp z, do_circle
        cp TK_AUTO
        jp z, do_auto
        jp err_syntax
exs2:   call ch_adv
        sub 80h
        add a, a
        ld l, a
        ld h, 0
        ld de, stmttab
        add hl, de
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        jp (hl)

end_of_line:
        call indirect
        jr nz, eol1
; FOR/GOSUB frames the direct line left open point into its text, which the
; next typed line replaces: a CONT or RETURN must not meet them. The same
; goes when a program reached from the direct line ends (END or its last line).
prgdone:
        ld hl, (dirctl)
        ld de, (ctlsp)
        or a
        sbc hl, de
        jp nc, ready
        add hl, de
        ld (ctlsp), hl
        jp ready
eol1:
        ld hl, (curline)
        ld e, (hl)
        ld d, 0
        add hl, de
; Run from the line record at HL (the end marker ends the program).
run_from:
        ld a, (hl)
        or a
        jr z, prgdone
        ld (curline), hl
        inc hl
        inc hl
        inc hl
        ld (txtptr), hl
        jp stmt_loop

; Z when the current line is the direct line.
indirect:
        ld hl, (curline)
        inc hl
        ld a, (hl)
        inc hl
        and (hl)
        inc a
        ret

stmttab:
        dw do_end, do_for, do_next, do_rem_data, do_input, do_dim, do_read, do_let
        dw do_goto, do_run, do_if, do_restore, do_gosub, do_return, do_rem, do_stop
        dw do_print, do_lprint, do_list, do_llist, do_new, do_cont, do_poke, do_out
        dw do_cls, do_color, do_mode, do_pset, do_preset, do_sound, do_tone, do_play
        dw do_wait, do_csave, do_cload, do_locate, do_rem

; Stop key or STOP: remember where to CONT from.
do_stop:
do_break:
        xor a
        ld (brkflag), a
        call keyflush
        call ayquiet
        call indirect
        jr z, brk1
        ld hl, (curline)
        ld (contline), hl
        ld hl, (txtptr)
        ld (conttp), hl
brk1:   xor a
        ld (prtflag), a
        call freshline
        ld hl, msgbreak
        call prstr
        call prinline
        jp ready

; " IN n" when a program line is running.
prinline:
        call indirect
        ret z
        ld hl, msgin
        call prstr
        ld hl, (curline)
        inc hl
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        jp prunum

; ---- errors -----------------------------------------------------------------------

err_syntax:  ld e, 0
        jr error
err_type:    ld e, 1
        jr error
err_div0:    ld e, 2
        jr error
err_mem:     ld e, 3
        jr error
err_line:    ld e, 4
        jr error
err_next:    ld e, 5
        jr error
err_return:  ld e, 6
        jr error
err_data:    ld e, 7
        jr error
err_fc:      ld e, 8
        jr error
err_sub:     ld e, 9
        jr error
err_long:    ld e, 10
        jr error
err_cont:    ld e, 11
        jr error
err_redim:   ld e, 12
        jr error
err_tape:    ld e, 13
        jr error
err_chksum:  ld e, 14
        jr error
err_toolong: ld e, 16
        jr error
err_ovf:     ld e, 15
        jr error
err_undfn:   ld e, 17
        jr error
err_resume:  ld e, 18
error:
        ld sp, STKTOP
        ; ON ERROR GOTO in a running program: its line runs instead
        ld a, e
        inc a
        ld (errnum), a
        ld hl, (errtrap)
        ld a, h
        or l
        jr z, err0
        ld a, (errflag)
        or a
        jr nz, err0             ; an error in the handler stops the program
        push hl
        call indirect
        pop de
        jr z, err0
        ld a, 1
        ld (errflag), a
        ld hl, (curline)
        ld (errcur), hl
        inc hl
        ld a, (hl)
        inc hl
        ld h, (hl)
        ld l, a
        ld (errlin), hl
        ld hl, (stmtptr)
        ld (errtp), hl
        xor a
        ld (prtflag), a
        ld (brkflag), a
        ex de, hl
        jp gotoline
err0:   ld a, (errnum)
        dec a
        ld e, a
        xor a
        ld (prtflag), a
        ld (brkflag), a
        ld a, SYS_NORMAL
        out (P_SYSTEM), a
        ld a, CMD_MOTOROFF
        out (P_CTRL), a
        call ayquiet
        call freshline
        ld a, '?'
        call putc
        ld hl, errmsgs
        inc e
err1:   dec e
        jr z, err3
err2:   ld a, (hl)
        inc hl
        or a
        jr nz, err2
        jr err1
err3:   call prstr
        ld hl, msgerror
        call prstr
        call prinline
        ld hl, CTLBASE
        ld (ctlsp), hl
        ld hl, 0
        ld (contline), hl
        jp ready

errmsgs:
        db "SYNTAX", 0
        db "TYPE MISMATCH", 0
        db "DIVISION BY ZERO", 0
        db "OUT OF MEMORY", 0
        db "UNDEFINED LINE", 0
        db "NEXT WITHOUT FOR", 0
        db "RETURN WITHOUT GOSUB", 0
        db "OUT OF DATA", 0
        db "ILLEGAL FUNCTION CALL", 0
        db "SUBSCRIPT OUT OF RANGE", 0
        db "STRING TOO LONG", 0
        db "CAN'T CONTINUE", 0
        db "REDIMENSIONED ARRAY", 0
        db "TAPE READ", 0
        db "TAPE CHECKSUM", 0
        db "OVERFLOW", 0
        db "LINE TOO LONG", 0
        db "UNDEFINED FUNCTION", 0
        db "RESUME WITHOUT ERROR", 0

msgerror: db " ERROR", 0
msgin:    db " IN ", 0
msgbreak: db "BREAK", 0
msgready: db "READY", 13, 0
