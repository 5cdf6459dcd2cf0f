; A small CP/M program for vzelvega-cpm: a handful of instruction checks,
; each reported as its letter and + (pass) or - (fail), then the product
; of a multiply loop in hexadecimal and the verdict.
; Expected output:
;   VZ CPU TEST / A+B+C+D+E+ / PRODUCT 8F / PASS

BDOS    equ     5
CONOUT  equ     2
PRINT   equ     9

        org     100h

start:  ld      (savesp),sp     ; the CCP's return address stays below
        ld      sp,(6)          ; stack at the top of the TPA
        ld      de,title
        ld      c,PRINT
        call    BDOS

; A: decimal adjust after 15h + 27h gives 42h
        ld      a,15h
        add     a,27h
        daa
        cp      42h
        call    report

; B: LDIR copies five bytes
        ld      hl,src
        ld      de,dst
        ld      bc,5
        ldir
        ld      hl,src
        ld      de,dst
        ld      b,5
cmpb:   ld      a,(de)
        cp      (hl)
        jr      nz,b_done
        inc     hl
        inc     de
        djnz    cmpb
b_done: call    report

; C: 13 added 11 times is 143 (8Fh)
        xor     a
        ld      b,11
mul:    add     a,13
        djnz    mul
        ld      (product),a
        cp      8Fh
        call    report

; D: INC (IX+2) turns 33h into 34h
        ld      ix,src
        inc     (ix+2)
        ld      a,(ix+2)
        cp      34h
        call    report

; E: CPIR stops on 44h, the fourth byte, leaving BC = 1
        ld      hl,src
        ld      bc,5
        ld      a,44h
        cpir
        jr      nz,e_done
        ld      a,c
        cp      1
e_done: call    report

        ld      de,prodmsg
        ld      c,PRINT
        call    BDOS
        ld      a,(product)
        call    hexbyte
        ld      de,crlf
        ld      c,PRINT
        call    BDOS

        ld      a,(fails)
        or      a
        ld      de,passmsg
        jr      z,verdict
        ld      de,failmsg
verdict:
        ld      c,PRINT
        call    BDOS
        ld      sp,(savesp)
        ret                     ; back to 0000h

; Prints the next check letter and + when Z is set, - otherwise.
report: push    af
        ld      a,(letter)
        ld      e,a
        inc     a
        ld      (letter),a
        ld      c,CONOUT
        call    BDOS
        pop     af
        ld      e,'+'
        jr      z,rep_ok
        ld      e,'-'
        ld      hl,fails
        inc     (hl)
rep_ok: ld      c,CONOUT
        jp      BDOS

; Prints A as two hexadecimal digits (the DAA digit trick).
hexbyte:
        push    af
        rrca
        rrca
        rrca
        rrca
        call    hexnib
        pop     af
hexnib: or      0F0h
        daa
        add     a,0A0h
        adc     a,40h
        ld      e,a
        ld      c,CONOUT
        jp      BDOS

title:  db      'VZ CPU TEST',13,10,'$'
prodmsg:
        db      13,10,'PRODUCT $'
crlf:   db      13,10,'$'
passmsg:
        db      'PASS',13,10,'$'
failmsg:
        db      'FAIL',13,10,'$'
letter: db      'A'
fails:  db      0
product:
        db      0
savesp: dw      0
src:    db      11h,22h,33h,44h,55h
dst:    ds      5
