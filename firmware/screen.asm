; Screen driver: 32x16 text cells, cursor, scrolling, printer redirection.
; Cells are addressed linearly, cell = row*32 + column (0..511).

; Print the character in A. Control codes: 0Dh new line, 0Ch clear, 0Bh home,
; 1Ch-1Fh cursor right/left/up/down, 08h left. Keeps all registers.
putc:
        push af
        push bc
        push de
        push hl
        ld c, a
        ld a, (prtflag)
        or a
        jr nz, putc_prt
        ld a, c
        cp 20h
        jr c, putc_ctl
        xor a
        ld (wrapped), a
        ld hl, (curpos)
        call celladdr
        ld a, c
        ld (de), a
        ld a, (curattr)
        ld (hl), a
        ld hl, (curpos)
        inc hl
        ld a, l
        and 1Fh
        jr nz, putc_st
        ; the text runs on into the next row, which continues this logical line
        ld (curpos), hl
        call rowfix
        ld a, 1
        ld (wrapped), a
        call setcont
        jr putc_done
putc_st:
        ld (curpos), hl
putc_done:
        pop hl
        pop de
        pop bc
        pop af
        ret

putc_prt:
        cp 2
        jr z, putc_buf
        ld a, c
        cp 13
        jr nz, putc_p1
        call sendprt
        ld a, 10
        call sendprt
        xor a
        ld (prtcol), a
        jr putc_done
putc_p1:
        call sendprt
        cp 20h
        jr c, putc_done
        ld hl, prtcol
        inc (hl)
        jr putc_done

; STR$ collects printed characters in memory.
putc_buf:
        ld hl, (bufptr)
        ld (hl), c
        inc hl
        ld (bufptr), hl
        jr putc_done

; The printer port carries the data inverted.
sendprt:
        push af
        cpl
        out (P_PRINTER), a
        pop af
        ret

putc_ctl:
        ld hl, (curpos)
        cp 13
        jr z, putc_cr
        push af
        xor a
        ld (wrapped), a
        pop af
        cp 0Ch
        jr z, putc_cls
        cp 0Bh
        jr z, putc_home
        cp 1Ch
        jr z, putc_right
        cp 1Dh
        jr z, putc_left
        cp 08h
        jr z, putc_left
        cp 1Eh
        jr z, putc_up
        cp 1Fh
        jr z, putc_down
        jr putc_done
putc_cr:
        ld a, (wrapped)
        or a
        jr z, putc_cr1
        ; the last character already moved to a fresh row: end the line there
        xor a
        ld (wrapped), a
        call clrcont
        jr putc_done
putc_cr1:
        ld a, l
        and 0E0h
        ld l, a
        ld de, 32
        add hl, de
        ld (curpos), hl
        call rowfix
        call clrcont
        jp putc_done
putc_cls:
        call cls
        jp putc_done
putc_home:
        ld hl, 0
        ld (curpos), hl
        jp putc_done
putc_right:
        inc hl
        ld (curpos), hl
        call rowfix
        jp putc_done
putc_left:
        ld a, h
        or l
        jp z, putc_done
        dec hl
        ld (curpos), hl
        jp putc_done
putc_up:
        ld de, -32
        add hl, de
        jp nc, putc_done
        ld (curpos), hl
        jp putc_done
putc_down:
        ld de, 32
        add hl, de
        ld (curpos), hl
        call rowfix
        jp putc_done

; Scroll when the cursor has left the bottom row.
rowfix:
        ld hl, (curpos)
        ld a, h
        cp 2
        ret c
        call scroll
        ld hl, (curpos)
        ld de, -32
        add hl, de
        ld (curpos), hl
        ret

; Continuation flag of the cursor's row.
setcont:
        ld a, 1
        jr putcont
clrcont:
        xor a
putcont:
        push af
        call currow
        ld hl, contflag
        add a, l
        ld l, a
        pop af
        ld (hl), a
        ret

; A = cursor row
currow:
        ld hl, (curpos)
        add hl, hl
        add hl, hl
        add hl, hl
        ld a, h
        ret

; Cell HL -> HL = attribute address, DE = data address.
celladdr:
        ld de, SCRDATA
        ex de, hl
        add hl, de
        ex de, hl
        push de
        ld de, SCRATTR
        add hl, de
        pop de
        ret

scroll:
        push bc
        ld hl, SCRDATA+32
        ld de, SCRDATA
        ld bc, 480
        ldir
        ld hl, SCRATTR+32
        ld de, SCRATTR
        ld bc, 480
        ldir
        ld hl, SCRDATA+480
        ld b, 32
        ld a, (curattr)
        ld c, a
scrl1:  ld (hl), ' '
        dec h                   ; attribute row is 512 bytes lower
        dec h
        ld (hl), c
        inc h
        inc h
        inc hl
        djnz scrl1
        ld hl, contflag+1
        ld de, contflag
        ld bc, 15
        ldir
        xor a
        ld (de), a
        ld hl, (instart)
        ld de, -32
        add hl, de
        jr c, scrl2
        ld hl, 0
scrl2:  ld (instart), hl
        pop bc
        ret

; Clear the screen in the current colours and home the cursor.
cls:
        push bc
        push de
        push hl
        ld hl, SCRDATA
        ld de, SCRDATA+1
        ld bc, 511
        ld (hl), ' '
        ldir
        ld hl, SCRATTR
        ld de, SCRATTR+1
        ld bc, 511
        ld a, (curattr)
        ld (hl), a
        ldir
        ld hl, contflag
        ld b, 16
cls1:   ld (hl), 0
        inc hl
        djnz cls1
        ld hl, 0
        ld (curpos), hl
        ld (instart), hl
        xor a
        ld (wrapped), a
        ld (cursoron), a
        pop hl
        pop de
        pop bc
        ret

; The cursor is the cell shown in the other colour of its pair.
curshow:
        ld a, (cursoron)
        or a
        ret nz
        jr curflip
curhide:
        ld a, (cursoron)
        or a
        ret z
curflip:
        push hl
        push de
        ld a, (cursoron)
        xor 1
        ld (cursoron), a
        ld hl, (curpos)
        call celladdr
        ld a, (hl)
        xor 1
        ld (hl), a
        pop de
        pop hl
        ret

; A = output column (printer or screen)
outcol:
        ld a, (prtflag)
        or a
        jr z, outc1
        ld a, (prtcol)
        ret
outc1:  ld a, (curpos)
        and 1Fh
        ret

; New line unless already at the start of one.
freshline:
        call outcol
        or a
        ret z
crlf:   ld a, 13
        jp putc

; Print the zero-terminated string at HL (HL ends after the zero).
prstr:  ld a, (hl)
        inc hl
        or a
        ret z
        call putc
        jr prstr

; Print HL as a signed number: sign position (space or minus) and digits.
prnum:
        bit 7, h
        ld a, ' '
        jr z, prnum1
        call neghl
        ld a, '-'
prnum1: call putc
; Print HL as an unsigned number.
prunum:
        push bc
        push de
        ld e, 0                 ; leading zeros are suppressed
        ld bc, -10000
        call prdig
        ld bc, -1000
        call prdig
        ld bc, -100
        call prdig
        ld bc, -10
        call prdig
        ld a, l
        add a, '0'
        call putc
        pop de
        pop bc
        ret
prdig:  ld a, '0'-1
prdig1: inc a
        add hl, bc
        jr c, prdig1
        sbc hl, bc
        cp '0'
        jr nz, prdig2
        inc e
        dec e
        ret z
prdig2: ld e, 1
        jp putc

neghl:  push af
        xor a
        sub l
        ld l, a
        sbc a, a
        sub h
        ld h, a
        pop af
        ret
