; Example machine-code routine for USR: prints a greeting and returns its
; argument times three. Load usrdemo.bin at $F000 with the USR address $F000
; ("Load Binary File ...", or vzelvega-run --load-binary usrdemo.bin@\$F000,usr=\$F000),
; then in BASIC: PRINT USR(14)
; F000-F9FF is free while the screen shows text (graphics modes use it).

PRSTR   equ 20h                 ; RST: print the zero-terminated string at HL

        org 0F000h
usr:    push hl                 ; the argument arrives in HL
        ld hl, hello
        rst PRSTR
        pop hl
        ld d, h
        ld e, l
        add hl, hl
        add hl, de              ; the result goes back in HL
        ret

hello:  db "HELLO FROM MACHINE CODE", 13, 0
