; Keywords: stored in program lines as one byte, 80h + position in kwtab.

TK_END     equ 80h
TK_FOR     equ 81h
TK_NEXT    equ 82h
TK_DATA    equ 83h
TK_INPUT   equ 84h
TK_DIM     equ 85h
TK_READ    equ 86h
TK_LET     equ 87h
TK_GOTO    equ 88h
TK_RUN     equ 89h
TK_IF      equ 8Ah
TK_RESTORE equ 8Bh
TK_GOSUB   equ 8Ch
TK_RETURN  equ 8Dh
TK_REM     equ 8Eh
TK_STOP    equ 8Fh
TK_PRINT   equ 90h
TK_LPRINT  equ 91h
TK_LIST    equ 92h
TK_LLIST   equ 93h
TK_NEW     equ 94h
TK_CONT    equ 95h
TK_POKE    equ 96h
TK_OUT     equ 97h
TK_CLS     equ 98h
TK_COLOR   equ 99h
TK_MODE    equ 9Ah
TK_PSET    equ 9Bh
TK_PRESET  equ 9Ch
TK_SOUND   equ 9Dh
TK_TONE    equ 9Eh
TK_PLAY    equ 9Fh
TK_WAIT    equ 0A0h
TK_CSAVE   equ 0A1h
TK_CLOAD   equ 0A2h
TK_LOCATE  equ 0A3h
TK_ELSE    equ 0A4h
TK_LASTSTMT equ 0A4h
TK_TO      equ 0A5h
TK_STEP    equ 0A6h
TK_THEN    equ 0A7h
TK_AND     equ 0A8h
TK_OR      equ 0A9h
TK_NOT     equ 0AAh
TK_MOD     equ 0ABh
TK_PEEK    equ 0ACh         ; first function
TK_INP     equ 0ADh
TK_USR     equ 0AEh
TK_RND     equ 0AFh
TK_ABS     equ 0B0h
TK_SGN     equ 0B1h
TK_CHRS    equ 0B2h
TK_ASC     equ 0B3h
TK_LEN     equ 0B4h
TK_LEFTS   equ 0B5h
TK_MIDS    equ 0B6h
TK_RIGHTS  equ 0B7h
TK_STRS    equ 0B8h
TK_VAL     equ 0B9h
TK_INKEYS  equ 0BAh
TK_JOY     equ 0BBh
TK_TIME    equ 0BCh
TK_POINT   equ 0BDh
TK_FRE     equ 0BEh
TK_LASTFN  equ 0BEh
TK_ON      equ 0BFh         ; ON n GOTO/GOSUB: a statement kept after the functions
TK_TAB     equ 0C0h         ; TAB( in PRINT
; second edition: new keywords after the first edition's, whose values stay
TK_DEF     equ 0C1h         ; DEF FN, a statement
TK_FN      equ 0C2h
TK_INT     equ 0C3h         ; first of the second set of functions
TK_FIX     equ 0C4h
TK_SQR     equ 0C5h
TK_SIN     equ 0C6h
TK_COS     equ 0C7h
TK_TAN     equ 0C8h
TK_ATN     equ 0C9h
TK_LOG     equ 0CAh
TK_EXP     equ 0CBh
TK_PI      equ 0CCh
TK_INSTR   equ 0CDh
TK_STRINGS equ 0CEh
TK_SPC     equ 0CFh
TK_HEXS    equ 0D0h
TK_CLEAR   equ 0D1h         ; statements among the functions' numbers: no
TK_ERROR   equ 0D2h         ; function has them
TK_RESUME  equ 0D3h
TK_ERR     equ 0D4h
TK_ERL     equ 0D5h
TK_LASTFN2 equ 0D5h
TK_LINE    equ 0D6h
TK_DELETE  equ 0D7h
TK_CIRCLE  equ 0D8h
TK_AUTO    equ 0D9h

; A keyword's last letter has bit 7 set. A keyword that is the start of
; another (INP/INPUT, MOD/MODE, TO/TONE) comes after it.
kwtab:
        db "EN", 'D'+80h
        db "FO", 'R'+80h
        db "NEX", 'T'+80h
        db "DAT", 'A'+80h
        db "INPU", 'T'+80h
        db "DI", 'M'+80h
        db "REA", 'D'+80h
        db "LE", 'T'+80h
        db "GOT", 'O'+80h
        db "RU", 'N'+80h
        db "I", 'F'+80h
        db "RESTOR", 'E'+80h
        db "GOSU", 'B'+80h
        db "RETUR", 'N'+80h
        db "RE", 'M'+80h
        db "STO", 'P'+80h
        db "PRIN", 'T'+80h
        db "LPRIN", 'T'+80h
        db "LIS", 'T'+80h
        db "LLIS", 'T'+80h
        db "NE", 'W'+80h
        db "CON", 'T'+80h
        db "POK", 'E'+80h
        db "OU", 'T'+80h
        db "CL", 'S'+80h
        db "COLO", 'R'+80h
        db "MOD", 'E'+80h
        db "PSE", 'T'+80h
        db "PRESE", 'T'+80h
        db "SOUN", 'D'+80h
        db "TON", 'E'+80h
        db "PLA", 'Y'+80h
        db "WAI", 'T'+80h
        db "CSAV", 'E'+80h
        db "CLOA", 'D'+80h
        db "LOCAT", 'E'+80h
        db "ELS", 'E'+80h
        db "T", 'O'+80h
        db "STE", 'P'+80h
        db "THE", 'N'+80h
        db "AN", 'D'+80h
        db "O", 'R'+80h
        db "NO", 'T'+80h
        db "MO", 'D'+80h
        db "PEE", 'K'+80h
        db "IN", 'P'+80h
        db "US", 'R'+80h
        db "RN", 'D'+80h
        db "AB", 'S'+80h
        db "SG", 'N'+80h
        db "CHR", '$'+80h
        db "AS", 'C'+80h
        db "LE", 'N'+80h
        db "LEFT", '$'+80h
        db "MID", '$'+80h
        db "RIGHT", '$'+80h
        db "STR", '$'+80h
        db "VA", 'L'+80h
        db "INKEY", '$'+80h
        db "JO", 'Y'+80h
        db "TIM", 'E'+80h
        db "POIN", 'T'+80h
        db "FR", 'E'+80h
        db "O", 'N'+80h
        db "TAB", '('+80h
        db "DE", 'F'+80h
        db "F", 'N'+80h
        db "IN", 'T'+80h
        db "FI", 'X'+80h
        db "SQ", 'R'+80h
        db "SI", 'N'+80h
        db "CO", 'S'+80h
        db "TA", 'N'+80h
        db "AT", 'N'+80h
        db "LO", 'G'+80h
        db "EX", 'P'+80h
        db "P", 'I'+80h
        db "INST", 'R'+80h
        db "STRING", '$'+80h
        db "SP", 'C'+80h
        db "HEX", '$'+80h
        db "CLEA", 'R'+80h
        db "ERRO", 'R'+80h
        db "RESUM", 'E'+80h
        db "ER", 'R'+80h
        db "ER", 'L'+80h
        db "LIN", 'E'+80h
        db "DELET", 'E'+80h
        db "CIRCL", 'E'+80h
        db "AUT", 'O'+80h
        db 0

toupper:
        cp 'a'
        ret c
        cp 'z'+1
        ret nc
        sub 20h
        ret

isletter:                       ; NC when A is A..Z
        cp 'A'
        ret c
        cp 'Z'+1
        ccf
        ret

isdigit:                        ; NC when A is 0..9
        cp '0'
        ret c
        cp '9'+1
        ccf
        ret

; Tokenise the text at HL into DE (zero-terminated). Keywords are recognised
; where a name could start, so SCORE stays a name; text in quotes, after REM
; and in DATA is kept as typed.
tokenize:
        ld c, 0                 ; inside a name
tk_loop:
        ld a, (hl)
        or a
        jr z, tk_end
        cp '"'
        jr z, tk_quote
        cp '?'
        jr nz, tk_1
        ld a, TK_PRINT
        ld (de), a
        inc de
        inc hl
        ld c, 0
        jr tk_loop
tk_1:   call toupper
        call isletter
        jr c, tk_other
        inc c
        dec c
        jr nz, tk_name
        call kwmatch
        jr c, tk_name0
        ld (de), a
        inc de
        ld c, 0
        cp TK_REM
        jr z, tk_rest
        cp TK_DATA
        jr z, tk_data
        jr tk_loop
tk_name0:
        ld a, (hl)
        call toupper
tk_name:
        ld (de), a
        inc de
        inc hl
        ld c, 1
        jr tk_loop
tk_other:
        ld (de), a
        inc de
        inc hl
        call isdigit
        jr nc, tk_loop          ; digits keep a name going
        ld c, 0
        jr tk_loop
tk_quote:
        ld (de), a
        inc de
        inc hl
tk_q1:  ld a, (hl)
        or a
        jr z, tk_end
        ld (de), a
        inc de
        inc hl
        cp '"'
        jr nz, tk_q1
        ld c, 0
        jr tk_loop
tk_rest:
        ld a, (hl)
        ld (de), a
        or a
        ret z
        inc hl
        inc de
        jr tk_rest
tk_data:                        ; DATA items run to a colon outside quotes
        ld b, 0
tk_d1:  ld a, (hl)
        or a
        jr z, tk_end
        cp '"'
        jr nz, tk_d2
        ld a, b
        xor 1
        ld b, a
        ld a, '"'
tk_d2:  cp ':'
        jr nz, tk_d3
        inc b
        dec b
        jr z, tk_loop
tk_d3:  ld (de), a
        inc de
        inc hl
        jr tk_d1
tk_end: xor a
        ld (de), a
        ret

; Match a keyword at HL. NC: A = token, HL after it. C: no keyword, HL kept.
kwmatch:
        push bc
        push de
        ld de, kwtab
        ld b, 80h
km_next:
        ld a, (de)
        or a
        jr z, km_fail
        push hl
km_cmp: ld a, (hl)
        call toupper
        ld c, a
        ld a, (de)
        and 7Fh
        cp c
        jr nz, km_skip
        ld a, (de)
        inc de
        inc hl
        bit 7, a
        jr z, km_cmp
        inc sp                  ; drop the saved start
        inc sp
        ld a, b
        pop de
        pop bc
        or a
        ret
km_skip:
        ld a, (de)
        inc de
        bit 7, a
        jr z, km_skip
        pop hl
        inc b
        jr km_next
km_fail:
        pop de
        pop bc
        scf
        ret

; Print the keyword of token A.
prkw:
        push hl
        push bc
        sub 80h
        ld b, a
        ld hl, kwtab
        inc b
prkw1:  dec b
        jr z, prkw3
prkw2:  ld a, (hl)
        inc hl
        bit 7, a
        jr z, prkw2
        jr prkw1
prkw3:  ld a, (hl)
        inc hl
        ld c, a
        and 7Fh
        call putc
        bit 7, c
        jr z, prkw3
        pop bc
        pop hl
        ret

; List the line record at HL: number, space, text. HL ends at the next record.
listline:
        inc hl
        ld e, (hl)
        inc hl
        ld d, (hl)
        inc hl
        ex de, hl
        call prunum
        ex de, hl
        ld a, ' '
        call putc
        ld c, 0                 ; inside quotes
ll_1:   ld a, (hl)
        inc hl
        or a
        jp z, crlf
        cp '"'
        jr nz, ll_2
        ld b, a
        ld a, c
        xor 1
        ld c, a
        ld a, b
ll_2:   bit 7, a
        jr z, ll_3
        inc c
        dec c
        jr nz, ll_3
        push af
        call prkw
        pop af
        cp TK_REM
        jr nz, ll_1
        ; REM text is printed as stored
ll_rem: ld a, (hl)
        inc hl
        or a
        jp z, crlf
        call putc
        jr ll_rem
ll_3:   call putc
        jr ll_1
