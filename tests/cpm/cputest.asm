; A CP/M program for vzelvega-cpm: BDOS string and character output, a multiply
; loop reported as A and + (pass) or - (fail), the return to the CCP.

BDOS    equ     5
CONOUT  equ     2
PRINT   equ     9

        org     100h

start:  ld      (savesp),sp     ; the CCP's return address stays below
        ld      sp,(6)          ; stack at the top of the TPA
        ld      de,title
        ld      c,PRINT
        call    BDOS

; A: 13 added 11 times is 143 (8Fh)
        xor     a
        ld      b,11
mul:    add     a,13
        djnz    mul
        ld      (product),a
        cp      8Fh
        call    report

        ld      de,crlf
        ld      c,PRINT
        call    BDOS
        ld      sp,(savesp)
        ret                     ; back to 0000h

; Prints the check's letter, then + when Z is set, - otherwise.
report: push    af
        ld      e,'A'
        ld      c,CONOUT
        call    BDOS
        pop     af
        ld      e,'+'
        jr      z,rep_ok
        ld      e,'-'
rep_ok: ld      c,CONOUT
        jp      BDOS

title:  db      'VZ CPU TEST',13,10,'$'
crlf:   db      13,10,'$'
product:
        db      0
savesp: dw      0
